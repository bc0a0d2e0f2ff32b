// Starting programs from the kit's tools: an editor, a terminal window. POSIX
// lives here so the tools' formats and commands stay std-only.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gdl {

bool StdinIsTerminal();
bool StdoutIsTerminal();
// A display to open a window on (X11 or Wayland).
bool HaveDisplay();

// Value of an environment variable; empty when unset.
std::string EnvValue(const char* name);

// Words of a command such as the value of $VISUAL ("code --wait"): split at
// blanks, with '...' and "..." keeping blanks inside a word.
std::vector<std::string> SplitCommandWords(std::string_view command);

// Full path of an executable: a name with "/" as it is, else looked up in $PATH.
std::optional<std::string> FindProgram(const std::string& name);

// Runs argv[0] (looked up in $PATH) with the standard streams inherited and
// waits for it. Returns its exit status, or nullopt with the reason when it
// could not be started or did not exit normally.
std::optional<int> RunAndWait(const std::vector<std::string>& argv, std::string* problem);

// Starts argv without waiting; standard streams go to /dev/null.
bool StartDetached(const std::vector<std::string>& argv);

// The command that shows argv in a new terminal window titled title:
// $GDLKIT_TERMINAL, xterm or x-terminal-emulator, each taking "-T TITLE -e".
std::optional<std::vector<std::string>> TerminalCommand(const std::string& title,
                                                        const std::vector<std::string>& argv);

// Folder of the running program, with trailing "/"; empty when unknown.
std::string OwnProgramFolder();

}  // namespace gdl
