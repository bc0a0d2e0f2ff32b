// The files a build reads and writes: the set being written, the compiled
// level files it finds, and the names from a project it may join to a folder.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>

#include "ProjectFile.h"

namespace gdl {

// The output file, written straight through; any failed write is remembered.
class OutputFile {
public:
    // A new file of a name no other writer uses, beside the output, so two
    // builds to one output never write into each other's file.
    bool Create(const std::string& outputPath);
    // Nothing may be written to the path: every write fails.
    bool Refuse();
    void Write(std::string_view bytes);
    // Flushed to the disk, so a set renamed into place is whole.
    void Close();
    bool Failed() const { return failed_; }
    // Why the first failure happened, as the system says it ("Permission denied").
    const std::string& Reason() const { return reason_; }
    const std::string& Path() const { return path_; }

private:
    void Fail(std::string reason);
    void FailWithErrno();
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
    std::string path_;
    std::string reason_;
    bool failed_ = false;
};

// A name from a hand-editable project file is joined to the project folder;
// a "/" in it would reach outside that folder.
bool IsPlainName(std::string_view name);
// "." and ".." name folders, never a source file.
bool NamesAFolder(std::string_view source);

// A compiled level file as the file system shows it: a compile that writes
// it gives it a new identity.
using FileStamp = std::tuple<ino_t, off_t, std::int64_t, long>;
std::optional<FileStamp> StampOf(const std::string& path);
// Every LEVEL.bin in folder with its stamp.
std::map<std::string, FileStamp> CompiledLevelFiles(const std::string& folder);
bool IsReadable(const std::string& path);

// The first file the build of model reads that outputPath names (the
// project, a source, a compiled level kept as a file): writing the set there
// would destroy it.
std::optional<std::string> InputAtOutput(const std::string& outputPath, const ProjectModel& model);

}  // namespace gdl
