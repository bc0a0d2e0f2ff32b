// What the kit's tools need of the system beside the process spawner in
// common/Process.h (FindProgram, TerminalCommand, ProgramFolder, the terminal
// and display tests): starting an editor or a terminal window.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Environment.h"
#include "Process.h"

namespace gdl {

// Value of an environment variable; empty when unset.
std::string EnvValue(const char* name);

// Words of a command such as the value of $VISUAL ("code --wait"): split at
// blanks, with '...' and "..." keeping blanks inside a word.
std::vector<std::string> SplitCommandWords(std::string_view command);

// Runs argv[0] (looked up in $PATH) with the standard streams inherited and
// waits for it, leaving Ctrl+C to it. Returns its exit status, or nullopt
// with the reason when it could not be started or did not exit normally.
std::optional<int> RunAndWait(const std::vector<std::string>& argv, std::string* problem);

// Starts argv (looked up in $PATH) in a session of its own without waiting;
// standard streams go to /dev/null.
bool StartDetached(const std::vector<std::string>& argv);

// Folder of the running program, with trailing "/"; empty when unknown.
inline std::string OwnProgramFolder() {
    return ProgramFolder();
}

}  // namespace gdl
