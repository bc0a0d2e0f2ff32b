#include "FileUtil.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>

namespace fs = std::filesystem;

namespace gdl {

bool FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

std::optional<std::uintmax_t> FileSize(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return std::nullopt;
    auto size = fs::file_size(path, ec);
    if (ec) return std::nullopt;
    return size;
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
    auto bytes = ReadFileLimited(path, std::numeric_limits<std::uintmax_t>::max());
    if (!bytes) {
        errno = bytes.Err().Errno() != 0 ? bytes.Err().Errno() : EINVAL;
        return std::nullopt;
    }
    return std::move(bytes.Value());
}

// Read to the end, not to the size the file claims: files of /proc say 0 and
// hold more, and a read error must be seen rather than taken for the end.
Result<std::string> ReadFileLimited(const std::string& path, std::uintmax_t maxBytes) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd) return Error::System("cannot read " + path, errno);
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) return Error::System("cannot read " + path, errno);
    if (!S_ISREG(st.st_mode)) return Error::Unsupported(path + " is not a regular file");
    auto tooLarge = [&](std::uintmax_t size) {
        return Error::BadFormat(path, 0,
                                "is too large (" + std::to_string(size) +
                                    " bytes or more, at most " + std::to_string(maxBytes) + ")");
    };
    if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) return tooLarge(st.st_size);
    // One byte past the limit tells a file that grew while read.
    const std::uintmax_t room =
        maxBytes == std::numeric_limits<std::uintmax_t>::max() ? maxBytes : maxBytes + 1;
    std::string data;
    data.resize(static_cast<std::size_t>(std::min<std::uintmax_t>(st.st_size + 1, room)));
    std::size_t done = 0;
    for (;;) {
        if (done == data.size()) {
            if (done > maxBytes) return tooLarge(done);
            data.resize(static_cast<std::size_t>(
                std::min<std::uintmax_t>(std::uintmax_t{data.size()} * 2 + 4096, room)));
        }
        const ssize_t n = ::read(fd.Get(), data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Error::System("cannot read " + path, errno);
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    if (done > maxBytes) return tooLarge(done);
    data.resize(done);
    return data;
}

std::optional<std::string> ReadFilePrefix(const std::string& path, std::size_t maxBytes) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string data(maxBytes, '\0');
    in.read(data.data(), static_cast<std::streamsize>(maxBytes));
    if (in.bad()) return std::nullopt;
    data.resize(static_cast<std::size_t>(in.gcount()));
    return data;
}

namespace {

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

// Created with the usual permissions (0666 less the umask).
int CreateFileBeside(const std::string& path, std::string& temp) {
    static std::atomic<unsigned> counter{0};
    // One draw per process: asking the random device costs more than the
    // write of a small file.
    static const unsigned salt = std::random_device{}() & 0xFFFFF;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = path + ".tmp" + std::to_string(::getpid()) + "-" +
               std::to_string(counter.fetch_add(1) ^ salt);
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

Result<ReadOnlyFile> ReadOnlyFile::Open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return Error::System("cannot open " + path, errno);
    ReadOnlyFile file;
    file.fd_.Reset(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0) return Error::System("cannot read " + path, errno);
    if (!S_ISREG(st.st_mode)) return Error::Unsupported(path + " is not a regular file");
    file.size_ = static_cast<std::uint64_t>(st.st_size);
    return file;
}

std::optional<std::string> ReadOnlyFile::Read(std::uint64_t offset, std::size_t count) const {
    if (!fd_ || offset > size_ || count > size_ - offset) return std::nullopt;
    std::string bytes(count, '\0');
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd_.Get(), bytes.data() + done, count - done,
                                  static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return std::nullopt;
        done += static_cast<std::size_t>(n);
    }
    return bytes;
}

namespace {

// The file a path names in the end: a symbolic link is followed (also a
// dangling one, whose target a save creates), so a save writes the target
// and leaves the link a link.
std::string WriteTarget(const std::string& path) {
    std::string target = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return target;
        std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 256) + 1, '\0');
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= link.size()) return target;
        link.resize(static_cast<std::size_t>(n));
        target = link.front() == '/' ? link : FolderOf(target) + link;
    }
    return target;
}

// Temporary files are named path + ".tmp" + PID + "-" + N. One whose process
// is gone was left by a writer killed midway: nobody will finish it.
void RemoveStaleTemps(const std::string& path) {
    const std::string prefix = FileNameOf(path) + ".tmp";
    std::error_code ec;
    fs::directory_iterator it(FolderOf(path), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!name.starts_with(prefix)) continue;
        const std::string rest = name.substr(prefix.size());
        const auto dash = rest.find('-');
        if (dash == 0 || dash == std::string::npos || rest.find_first_not_of("0123456789") != dash)
            continue;
        const long pid = std::strtol(rest.substr(0, dash).c_str(), nullptr, 10);
        if (pid > 0 && pid != ::getpid() && ::kill(static_cast<pid_t>(pid), 0) != 0 &&
            errno == ESRCH)
            ::unlink(it->path().c_str());
    }
}

// The new bytes go first into a file without a name (O_TMPFILE), so a
// writer killed while writing leaves nothing behind; it gets its temporary
// name only for the moment before the rename. Where the file system has no
// nameless files, a named one is written instead.
int CreateNamelessBeside(const std::string& path) {
#ifdef O_TMPFILE
    return ::open(FolderOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
#else
    (void)path;
    errno = EOPNOTSUPP;
    return -1;
#endif
}

bool GiveName(int fd, const std::string& temp) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

// The temporary name linkat gives a nameless file: path + ".tmp" + PID + "-" + N.
std::string FreeTempName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    static const unsigned salt = std::random_device{}() & 0xFFFFF;
    return path + ".tmp" + std::to_string(::getpid()) + "-" +
           std::to_string(counter.fetch_add(1) ^ salt);
}

}  // namespace

namespace {

// Writes the temporary file; its name in temp (empty when none was made).
bool WriteTemp(const std::string& path, std::string_view bytes, bool toDisk, std::string& temp,
               bool mayBeNameless = true) {
    temp.clear();
    int fd = mayBeNameless ? CreateNamelessBeside(path) : -1;
    const bool nameless = fd >= 0;
    if (!nameless) fd = CreateFileBeside(path, temp);
    if (fd < 0) return false;
    UniqueFd owner(fd);
    struct stat old {};
    bool ok = ::stat(path.c_str(), &old) != 0 || ::fchmod(fd, old.st_mode & 07777) == 0;
    ok = ok && WriteAll(fd, bytes) && (!toDisk || ::fsync(fd) == 0);
    for (int attempt = 0; ok && nameless && attempt < 100; ++attempt) {
        temp = FreeTempName(path);
        if (GiveName(fd, temp)) break;
        temp.clear();
        if (errno != EEXIST) break;
    }
    // No way to name it (no /proc): write a named file after all.
    if (ok && nameless && temp.empty()) return WriteTemp(path, bytes, toDisk, temp, false);
    const int why = errno;
    ok = ::close(owner.Release()) == 0 && ok;
    if (!ok && why != 0) errno = why;
    return ok;
}

}  // namespace

bool WriteFileAtomic(const std::string& given, std::string_view bytes, Durability durability) {
    // A name of our own beside the target, so the rename stays on one file
    // system; a file that exists keeps its permissions.
    const std::string path = WriteTarget(given);
    RemoveStaleTemps(path);
    const bool toDisk = durability == Durability::Disk;
    std::string temp;
    bool ok = WriteTemp(path, bytes, toDisk, temp);
    if (ok) ok = ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        const int why = errno;
        if (!temp.empty()) ::unlink(temp.c_str());
        errno = why;
        return false;
    }
    if (!toDisk) return true;
    // The rename itself reaches the disk with the folder.
    int dirFd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

bool DeleteFileQuiet(const std::string& path) {
    std::error_code ec;
    return fs::remove(path, ec) && !ec;
}

bool CopyFileNoOverwrite(const std::string& from, const std::string& to) {
    std::error_code ec;
    if (fs::exists(to, ec)) return false;
    return fs::copy_file(from, to, fs::copy_options::none, ec) && !ec;
}

std::string FolderOf(std::string_view path) {
    auto slash = path.rfind('/');
    if (slash == std::string_view::npos) return "./";
    return std::string(path.substr(0, slash + 1));
}

std::string FileNameOf(std::string_view path) {
    auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string BaseName(std::string_view path) {
    std::string name = FileNameOf(path);
    auto dot = name.find('.');
    if (dot != std::string::npos) name.resize(dot);
    return name;
}

std::string WithTrailingSlash(std::string_view folder) {
    std::string r(folder);
    if (!r.empty() && r.back() != '/') r += '/';
    return r;
}

std::string ExtensionOf(std::string_view path) {
    std::string name = FileNameOf(path);
    auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

}  // namespace gdl
