// The level source file as GDLMap knows it on disk: what was last read from
// it or written to it, so a change by another program is seen before it is
// overwritten; whether it can be written at all; and a check of the disk that
// looks at size and time first and never reads more than a source may hold.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Error.h"

namespace gdl {

// How the file on disk stands against what we last read or wrote.
enum class DiskState {
    Same,      // our bytes (or unchanged since we looked)
    Changed,   // other bytes: another program wrote it
    TooLarge,  // replaced by a file larger than any source: not read
    Gone,      // missing or unreadable
};

struct FileStamp {
    std::uintmax_t size = 0;
    std::int64_t mtimeNs = 0;
    std::uint64_t device = 0, inode = 0;
    bool operator==(const FileStamp&) const = default;
};

class SourceFile {
public:
    // Reads the file with the kit's one source reader and takes its bytes as known.
    Result<std::string> Read(const std::string& path);
    // A path whose bytes are given (tests, benchmarks): taken as known when
    // the disk holds them.
    void Assume(const std::string& path, std::string_view bytes);

    const std::string& Path() const { return path_; }
    // Why a save cannot write the file ("w.lvs is read-only"), or "" when it can.
    std::string ReadOnlyReason() const;
    bool ReadOnly() const { return !ReadOnlyReason().empty(); }

    // The disk against what we know; never reads more than a source may hold.
    DiskState Compare();
    // After "keep mine": the disk's present state is taken as known, so the
    // same change is not asked about again (a missing file stays missing).
    void Adopt();
    // Writes bytes atomically (a symbolic link's target), refusing a file
    // that cannot be written; they are then what we know.
    Result<void> Write(std::string_view bytes);
    // Writes to another path, which from then on is this file.
    Result<void> WriteAs(const std::string& path, std::string_view bytes);
    // True while the file is known to be missing.
    bool KnownGone() const { return !known_.has_value(); }

private:
    std::optional<FileStamp> Stat() const;

    std::string path_;
    std::optional<std::string> known_;  // nullopt while the file is missing
    std::optional<FileStamp> stamp_;
    // The stamp was taken within the file system's time resolution of a
    // write: another write of the same size may not change it, so the bytes
    // are looked at again.
    bool racy_ = true;
    void TakeStamp();
};

}  // namespace gdl
