// Starting programs: the kit's one process spawner (posix_spawn), the waiting
// for them, the PATH lookup, the terminal window a console tool is shown in,
// and the folder of the running program.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace gdl {

// One program start, resolved in full before anything runs.
struct ProcessStart {
    std::string program;  // path of the executable; not looked up in PATH
    std::vector<std::string> arguments;
    std::string folder;      // working folder; empty: the caller's
    std::string inputFile;   // standard input from this file; empty: none
    std::string outputFile;  // standard output into this file, truncated; empty: none
    // Standard error into this file (not truncated), e.g. "/dev/null"; empty:
    // the caller's, or collected (see ProcessWait::errorOutput).
    std::string errorFile;
    // Standard input and output to /dev/null unless redirected.
    bool hidden = false;
    // A session of its own, away from the caller's terminal.
    bool newSession = false;
    // Set in the program's environment; an empty value removes the variable.
    std::vector<std::pair<std::string, std::string>> environment;
};

// How the standard error a run collects is cut: the first bytes, up to the
// last whole line that fits.
inline constexpr std::size_t kMaxErrorOutput = 4096;

// How a caller waits for the programs it started.
struct ProcessWait {
    // Called again and again while a program runs, so that a window keeps
    // repainting; the wait still ends the moment the program does. Empty:
    // the caller simply blocks.
    std::function<void()> processEvents;
    // When set, what hidden programs write to their standard error (without
    // an errorFile) is collected here, cut to kMaxErrorOutput. The pipe is
    // read while the program runs, so a chatty program never blocks.
    std::string* errorOutput = nullptr;
    // When set, the exit status of the last program; -1 when it did not exit
    // normally.
    int* exitStatus = nullptr;
    // Ctrl+C and Ctrl+\ belong to the program while we wait (a terminal
    // program in our own terminal).
    bool ignoreInterrupts = false;
};

// How often processEvents runs while a program runs.
inline constexpr int kProcessEventsIntervalMs = 10;

// Starts the programs one after another, each after the previous one ended,
// and waits for the last. Returns 0 or the errno of the first program that
// could not be started; an exit status is no error (see ProcessWait::exitStatus).
int WaitForProcesses(const std::vector<ProcessStart>& starts, const ProcessWait& how);

// The same sequence in a detached child: returns as soon as it has started,
// and the programs outlive the caller without being left as zombies.
int StartProcesses(const std::vector<ProcessStart>& starts);

// A regular file we may execute.
bool IsExecutableFile(const std::string& path);

// Full path of an executable found through $PATH (by default
// /usr/local/bin:/usr/bin:/bin), or nullopt. Empty entries, meaning the
// current folder, are not searched; a name holding "/" is never looked up.
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

}  // namespace gdl
