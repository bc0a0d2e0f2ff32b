#include "SourceFile.h"

#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "FileUtil.h"
#include "LevelSource.h"
#include "SourceReader.h"

namespace gdl {

std::optional<FileStamp> SourceFile::Stat() const {
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return FileStamp{static_cast<std::uintmax_t>(st.st_size),
                     static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                     static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

void SourceFile::TakeStamp() {
    stamp_ = Stat();
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const std::int64_t nowNs = static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
    racy_ = !stamp_ || nowNs - stamp_->mtimeNs < 2'000'000'000;
}

Result<std::string> SourceFile::Read(const std::string& path) {
    auto bytes = ReadSourceFile(path);
    if (!bytes) return bytes.Err();
    path_ = path;
    known_ = *bytes;
    TakeStamp();
    return bytes;
}

void SourceFile::Assume(const std::string& path, std::string_view bytes) {
    path_ = path;
    known_ = std::string(bytes);
    stamp_.reset();
    auto disk = ReadFileLimited(path, kMaxSourceBytes);
    if (!disk) {
        known_.reset();
    } else if (*disk == bytes) {
        TakeStamp();
    }
}

std::string SourceFile::ReadOnlyReason() const {
    const std::string name = FileNameOf(path_);
    if (::access(path_.c_str(), F_OK) == 0 && ::access(path_.c_str(), W_OK) != 0)
        return name + " is read-only";
    // A save writes a new file beside it and renames it into place.
    const std::string folder = FolderOf(path_);
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return "the folder of " + name + " is read-only";
    return {};
}

DiskState SourceFile::Compare() {
    const auto now = Stat();
    if (!now) {
        if (!known_) return DiskState::Same;
        return DiskState::Gone;
    }
    if (known_ && stamp_ && *now == *stamp_ && (!racy_ || now->size > kMaxSourceBytes))
        return DiskState::Same;
    // Size first: a file larger than any source is not ours, and is not read.
    if (now->size > kMaxSourceBytes) return DiskState::TooLarge;
    if (known_ && now->size != known_->size()) return DiskState::Changed;
    auto bytes = ReadFileLimited(path_, kMaxSourceBytes);
    if (!bytes) return known_ ? DiskState::Gone : DiskState::Same;
    if (known_ && *bytes == *known_) {
        TakeStamp();
        return DiskState::Same;
    }
    return DiskState::Changed;
}

void SourceFile::Adopt() {
    TakeStamp();
    if (!stamp_) {
        known_.reset();
        return;
    }
    auto bytes = ReadFileLimited(path_, kMaxSourceBytes);
    // A file too large to read stays "other": its stamp is what we know now.
    known_ = bytes ? std::move(bytes.Value()) : std::string("\0<unread>", 9);
}

Result<void> SourceFile::Write(std::string_view bytes) {
    if (auto reason = ReadOnlyReason(); !reason.empty())
        return Error(ErrorKind::System, "cannot write " + FileNameOf(path_) + ": " + reason);
    errno = 0;
    if (!WriteFileAtomic(path_, bytes, Durability::Disk))
        return Error::System("cannot write " + FileNameOf(path_), errno != 0 ? errno : EIO);
    known_ = std::string(bytes);
    TakeStamp();
    return {};
}

Result<void> SourceFile::WriteAs(const std::string& path, std::string_view bytes) {
    SourceFile other;
    other.path_ = path;
    auto written = other.Write(bytes);
    if (!written) return written;
    *this = std::move(other);
    return {};
}

}  // namespace gdl
