// The kit's batch files as data. We understand exactly the lines the kit
// writes: "@" prefix, "set NAME=VALUE", a quoted or bare program with
// arguments, "%1", and "<" / ">" redirection. Anything else is an error with
// its line number; running a parsed script is BatchRunner's job.
#pragma once

#include <cstddef>
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

}  // namespace gdl
