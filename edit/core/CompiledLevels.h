// The compiled levels of one build: each entry of the set with the level
// file its source's compile left, which compile wrote what, and the clean-up
// of those files when the build ends.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "BuildFiles.h"
#include "LevelReference.h"

namespace gdl {

class LevelTool;
class ToolRunner;

struct BuildEntry {
    LevelRef ref;
    std::string label;
    bool plain = false;      // both parts of the reference are plain names
    std::uint32_t size = 0;  // length of the compiled level seen by the first pass
    // The compiled level file as the last compile of the entry's source left
    // it; nothing when that compile left no file.
    std::optional<FileStamp> compiled;
    bool madeByCompile = false;  // that compile wrote the file
};

class CompiledLevels {
public:
    // toolOutput, when given, is the runner whose error output each compile
    // leaves behind.
    CompiledLevels(std::string folder, LevelTool& tool, const ToolRunner* toolOutput)
        : folder_(std::move(folder)), tool_(tool), toolOutput_(toolOutput) {}

    void Reset(std::vector<BuildEntry> entries);
    std::vector<BuildEntry>& Entries() { return entries_; }

    std::string PathOf(const BuildEntry& e) const;
    // Once per source and build: a later entry of a compiled source takes the
    // compiled level that compile left, as long as its file is unchanged. A
    // missing file is compiled again. A level named without a source has
    // nothing to compile it from.
    void CompileIfNeeded(BuildEntry& e);
    // A level of "." or "..", or of a source whose file is missing, would be
    // taken from a compiled level that some other source left.
    bool HasNoSourceFile(const BuildEntry& e) const;
    // What the level tool wrote to its error output when it last compiled
    // source; nothing when this build never compiled it.
    const std::string* ToolOutputOf(const std::string& source) const;

    // Compiled levels of sources are made again by every build: those of the
    // set's entries and every other one this build's compiles wrote. A level
    // named without a source exists only as its file and stays.
    void DeleteCompiledLevels() const;
    // The level tool lists a source that has no file into an error listing;
    // nothing of it is worth keeping beside the project.
    void DeleteListingsOfMissingSources() const;

private:
    void Compile(const std::string& source);

    const std::string folder_;
    LevelTool& tool_;
    const ToolRunner* toolOutput_;
    std::vector<BuildEntry> entries_;
    // Sources compiled in this build, with what the level tool wrote to its
    // error output the last time.
    std::map<std::string, std::string> compiledSources_;
    // The compiled level files as they were before this build's first compile.
    std::optional<std::map<std::string, FileStamp>> before_;
};

}  // namespace gdl
