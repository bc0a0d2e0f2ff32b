// The level tool's list and compile commands over a folder, so the program,
// the tests and the benchmark run the same code.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "LevelSource.h"

namespace gdl {

inline constexpr char kSourceExtension[] = ".lvs";
inline constexpr char kHeaderSummaryFile[] = "gdl.hsf";

enum ToolExit : int { kToolOk = 0, kToolErrors = 1, kToolUsage = 2 };

// The source name as given ("CAVES" or "CAVES.lvs"), checked to name a file in
// the folder itself; nullopt with the reason otherwise.
std::optional<std::string> SourceNameFromArgument(const std::string& argument,
                                                  std::string* problem);

struct LoadedSource {
    std::string fileName;  // as found in the folder, e.g. "Caves.lvs"
    std::string text;
};

// Finds NAME.lvs in folder (an exact name first, then without regard to case)
// and reads it, refusing anything but a regular file of sane size.
std::optional<LoadedSource> LoadSource(const std::string& folder, const std::string& name,
                                       std::string* problem);

// "FILE:LINE: error: text" and "FILE:LINE: warning: text" lines on err, as
// ld.exe check writes them.
void PrintSourceMessages(const std::string& fileName, const ParsedSource& parsed,
                         std::ostream& err);

// "ld.exe -sNAME": banner, heading, one line per good level, an empty line
// and a summary. Returns a ToolExit value.
int ListSource(const std::string& folder, const std::string& argument, std::ostream& out,
               std::ostream& err);

// "ld.exe -mNAME": LEVEL.bin for every good level and gdl.hsf, in folder.
int CompileSource(const std::string& folder, const std::string& argument, std::ostream& out,
                  std::ostream& err);

}  // namespace gdl
