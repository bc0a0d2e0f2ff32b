#include "FileUtil.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
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
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
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

bool WriteFileAtomic(const std::string& path, std::string_view bytes, Durability durability) {
    // A name of our own beside the target, so the rename stays on one file
    // system; a file that exists keeps its permissions.
    std::string temp;
    int fd = CreateFileBeside(path, temp);
    if (fd < 0) return false;
    struct stat old {};
    bool ok = ::stat(path.c_str(), &old) != 0 || ::fchmod(fd, old.st_mode & 07777) == 0;
    const bool toDisk = durability == Durability::Disk;
    ok = ok && WriteAll(fd, bytes) && (!toDisk || ::fsync(fd) == 0);
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
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
