// File helpers over std::filesystem with error codes: nothing here throws.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Error.h"
#include "UniqueFd.h"

namespace gdl {

bool FileExists(const std::string& path);
// Size of a regular file, or nullopt.
std::optional<std::uintmax_t> FileSize(const std::string& path);
// Whole file, or nullopt when it cannot be read (errno says why).
std::optional<std::string> ReadFileBytes(const std::string& path);
// A regular file of at most maxBytes, whole: a read error is a System error
// ("cannot read X: Input/output error"), a larger file a BadFormat one, and
// never more than maxBytes + 1 bytes are taken into memory.
Result<std::string> ReadFileLimited(const std::string& path, std::uintmax_t maxBytes);
// At most maxBytes from the start of the file.
std::optional<std::string> ReadFilePrefix(const std::string& path, std::size_t maxBytes);
// A regular file opened for reading in ranges, so a reader takes only the
// parts it needs of a file of any size. Never blocks on a FIFO or a device:
// anything but a regular file is refused.
class ReadOnlyFile {
public:
    ReadOnlyFile() = default;

    static Result<ReadOnlyFile> Open(const std::string& path);
    std::uint64_t Size() const { return size_; }
    // Exactly count bytes from offset, or nullopt (past the end, or a read error).
    std::optional<std::string> Read(std::uint64_t offset, std::size_t count) const;

private:
    UniqueFd fd_;
    std::uint64_t size_ = 0;
};

// How far WriteFileAtomic goes before it reports success.
enum class Durability {
    // Left to the system to write back: the file is whole or old after a
    // crash of the program, not necessarily after one of the machine. For
    // files made again whenever they are missing (batch files, compiled
    // levels, listings, caches), written many times in every build.
    Cache,
    // Flushed to the disk, with the folder that names it: files only the user
    // can make again (projects, the registry).
    Disk,
};

// Writes a complete new file beside the target and renames it over the
// target, so a failed write or a full disk never leaves a half-written file
// in its place; on failure the old file stays as it was and no stray file is
// left. A replaced file keeps its permissions.
bool WriteFileAtomic(const std::string& path, std::string_view bytes,
                     Durability durability = Durability::Cache);
// A new, empty file of our own beside path (path + ".tmp" + a name no other
// writer uses), open for writing; -1 when none can be made. name receives
// its path. For output streamed in pieces and then renamed into place.
int CreateFileBeside(const std::string& path, std::string& name);
// Deletes a file; a missing file is no error.
bool DeleteFileQuiet(const std::string& path);
// Copies without overwriting an existing target.
bool CopyFileNoOverwrite(const std::string& from, const std::string& to);

// Folder part of a path, with trailing "/" ("./" for a bare name).
std::string FolderOf(std::string_view path);
// File name part of a path.
std::string FileNameOf(std::string_view path);
// File name without folder and without everything from its first ".".
std::string BaseName(std::string_view path);
// Adds the trailing "/" when missing (an empty folder stays empty).
std::string WithTrailingSlash(std::string_view folder);
// Extension from the last "." of the file name, with the dot; empty when none.
std::string ExtensionOf(std::string_view path);

}  // namespace gdl
