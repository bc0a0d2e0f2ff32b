// What the running program learns from its surroundings: the search path,
// the terminal, the display, its own folder and the user's folders.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gdl {

// A regular file we may execute.
bool IsExecutableFile(const std::string& path);

// Full path of an executable found through $PATH (by default
// /usr/local/bin:/usr/bin:/bin when unset; an empty $PATH finds nothing), or nullopt. Empty
// entries, meaning the current folder, are not searched; a name holding "/" is never looked up.
std::optional<std::string> FindInPath(std::string_view name);

// A name holding "/" as it is when it is executable; else FindInPath.
std::optional<std::string> FindProgram(const std::string& name);

// The command that shows argv in a new terminal window titled title:
// $GDLKIT_TERMINAL, xterm or x-terminal-emulator, each taking "-T TITLE -e".
std::optional<std::vector<std::string>> TerminalCommand(const std::string& title,
                                                        const std::vector<std::string>& argv);

// Whether our standard input / output is a terminal, and whether there is a
// display to open a window on (X11 or Wayland).
bool StdinIsTerminal();
bool StdoutIsTerminal();
bool HaveDisplay();

// What to install when TerminalCommand finds no terminal.
inline constexpr char kNoTerminalHint[] = "install xterm or set GDLKIT_TERMINAL";

// Folder of the running program, with trailing "/" (empty when unknown).
std::string ProgramFolder();

// The kit's folder among the user's base folders, with trailing "/":
// $VARIABLE/gdlkit/ when the variable holds an absolute path (the base
// directory rules ignore a relative one), else HOME/homeDefault/gdlkit/,
// HOME from $HOME or the user database; empty when there is no home.
std::string UserFolder(const char* variable, std::string_view homeDefault);

// The user's own kit folder, $XDG_DATA_HOME/gdlkit/ (default
// ~/.local/share/gdlkit/): what the kit writes when its install folder is
// not the user's to write, and the level tool's batch files of every user
// but the install folder's owner.
std::string UserKitFolder();

// The folder is there and this user may make files in it.
bool IsWritableFolder(const std::string& folder);
// It is, and it belongs to this user: files in it are this user's alone.
bool IsOwnWritableFolder(const std::string& folder);

}  // namespace gdl
