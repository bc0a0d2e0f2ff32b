// The kit's command-line reader: options a program names ("--baud" with a
// value, "--no-echo" without), in the order given, and the words between
// them. A program checks the values; the reader says what is malformed
// ("unknown argument", "needs a value") in one wording for every program.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "Error.h"

namespace gdl {

struct OptionRule {
    std::string name;  // "--baud"; an alias such as "-h" is a rule of its own
    bool takesValue = false;
};

struct CommandLine {
    struct Option {
        std::string name, value;
    };
    std::vector<Option> options;     // in the order given
    std::vector<std::string> words;  // what is not an option, in order
};

// args: the arguments after the program's name. A word that starts with "-"
// and is no option named is a Caller error, so is an option without its value.
Result<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                     const std::vector<OptionRule>& rules);

// The two words every program of the kit answers the same way: "--help" (or
// "-h") writes the usage, "--version" writes "PROGRAM (GDLKIT) VERSION".
// True when arg was one of them and the program has nothing more to do.
bool AnswerHelpOrVersion(std::string_view arg, std::string_view program, std::string_view version,
                         std::string_view usage, std::ostream& out);

}  // namespace gdl
