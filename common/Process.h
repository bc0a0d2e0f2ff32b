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

// One program started as StartProcesses starts it, then watched for up to
// graceMs: when it ends within them, ended is set, how.exitStatus receives
// its exit status and how.errorOutput what it wrote to its standard error
// (when hidden). A program still running then runs on, unwatched. For
// openers that hand a document to another program and end at once, or
// stay, in some desktops, for as long as that program runs.
int StartProcessWatched(const ProcessStart& start, int graceMs, const ProcessWait& how,
                        bool& ended);

}  // namespace gdl
