// GDLEdit's command line without windows: the build of the Build page driven
// from the arguments, its status lines on standard output.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace gdl {

class Random;
class Registry;
class ToolRunner;

inline constexpr char kGdlEditVersion[] = GDLKIT_VERSION;

// GDLEdit --build's exit statuses.
enum BuildExit : int { kExitDone = 0, kExitErrors = 1, kExitUsage = 2, kExitCancelled = 3 };

inline constexpr char kNotInstalledMessage[] =
    "The software has not been properly installed.\r\n\r\nPlease re-install the software from "
    "your Trovemark CD.";
inline constexpr char kNoWindowsMessage[] = "GDLEdit was built without its windows; use --build.";

struct HeadlessOptions {
    std::string project;        // PROJECT.gdp
    std::string output;         // --output FILE; empty: the Build page's path
    bool sourceFolder = false;  // "Build in &Source Folder"
    bool levelList = false;     // "&Generate Level List (text)"
    bool overwrite = false;     // answers the overwrite question with Yes
};

enum class CommandKind { Gui, Build, Help, Version, UsageError };

struct CommandLine {
    CommandKind kind = CommandKind::Gui;
    HeadlessOptions options;
    std::string error;  // what is wrong, for UsageError
};

// The arguments after the program name. Without "--build", "--help" or
// "--version" they belong to the windows (a project or a ".lvs" source).
CommandLine ParseCommandLine(const std::vector<std::string>& args);

std::string UsageText();

// What the headless build takes from the machine; tests pass their own.
struct HeadlessContext {
    Registry& registry;
    std::string programFolder;  // with trailing "/"
    ToolRunner& runner;
    Random& random;
};

// Registry and tool check as the editor's start-up does, the project loaded as
// the editor loads it, then the build. Returns the exit code.
int RunHeadlessBuild(const HeadlessOptions& options, HeadlessContext& context, std::ostream& out,
                     std::ostream& err);

// Help, version, usage errors and the build on this machine (the file
// registry, the program's own folder, real processes). Not for Gui.
int RunCommandLine(const CommandLine& command, std::ostream& out, std::ostream& err);

}  // namespace gdl
