// Our own runner for the kit's batch files. It understands exactly the lines
// the kit writes: "@" prefix, "set NAME=VALUE", a quoted or bare program with
// arguments, "%1", and "<" / ">" redirection relative to the working folder.
// No shell is involved, so no file name can inject a command.
#pragma once

#include <functional>
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

// Parses batch text with %1 standing for argument1.
BatchParseResult ParseBatch(std::string_view text, std::string_view argument1);

// Runs a parsed script in folder: commands in order, each waited for, with the
// set variables in the environment. Hidden: standard input and output go to
// /dev/null unless redirected. processEvents runs between polls.
// Returns 0 or an error number.
int RunBatchScript(const BatchScript& script, const std::string& folder, bool shown,
                   const std::function<void()>& processEvents);

}  // namespace gdl
