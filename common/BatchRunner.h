// Our own runner for the kit's batch files. It understands exactly the lines
// the kit writes: "@" prefix, "set NAME=VALUE", a quoted or bare program with
// arguments, "%1", and "<" / ">" redirection relative to the working folder.
// No shell is involved, so no file name can inject a command.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace gdl {

struct BatchCommand {
    std::string program;
    std::vector<std::string> arguments;
    std::string inputFile;   // empty: none
    std::string outputFile;  // empty: none
    // How many of the script's set variables (from the first) this command
    // sees: a "set" line takes effect from the next line on.
    std::size_t environmentCount = static_cast<std::size_t>(-1);
};

struct BatchScript {
    std::vector<std::pair<std::string, std::string>> environment;  // from "set" lines
    std::vector<BatchCommand> commands;
};

struct BatchParseResult {
    bool ok = false;
    BatchScript script;
    std::string error;  // "line N: ..." when not ok
};

// Parses batch text with %1 standing for argument1. The line is split into
// words first and %1 is put into its word afterwards, so whatever argument1
// holds (blanks, quotes, "&", ">") stays inside that one word.
BatchParseResult ParseBatch(std::string_view text, std::string_view argument1);

// Runs a parsed script in folder: commands in order, each waited for, with the
// set variables in the environment. Hidden: standard input and output go to
// /dev/null unless redirected. processEvents runs between polls.
// Returns 0 or an error number.
int RunBatchScript(const BatchScript& script, const std::string& folder, bool shown,
                   const std::function<void()>& processEvents);

// As RunBatchScript, but the script runs on in a child process of its own and
// the call returns as soon as it has started; it outlives the caller.
int StartBatchScript(const BatchScript& script, const std::string& folder, bool shown);

// One program start, resolved in full before anything runs.
struct ProcessStart {
    std::string program;  // path of the executable; not looked up in PATH
    std::vector<std::string> arguments;
    std::string folder;      // working folder; empty: the caller's
    std::string inputFile;   // standard input from this file; empty: none
    std::string outputFile;  // standard output into this file, truncated; empty: none
    // Standard input and output to /dev/null unless redirected; standard
    // error always stays.
    bool hidden = false;
    // Set in the program's environment; an empty value removes the variable.
    std::vector<std::pair<std::string, std::string>> environment;
};

// Starts the programs one after another, each after the previous one ended.
// wait: waits in this process, polling and calling processEvents between
// polls. Otherwise the sequence runs in a detached child and the call returns
// at once. Returns 0 or the errno of the first program that could not be
// started; the programs' exit statuses are not looked at.
int RunProcesses(const std::vector<ProcessStart>& starts, bool wait,
                 const std::function<void()>& processEvents);

// Full path of an executable found through $PATH, or nullopt.
std::optional<std::string> FindInPath(std::string_view name);

}  // namespace gdl
