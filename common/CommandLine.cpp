#include "CommandLine.h"

#include <algorithm>
#include <ostream>

namespace gdl {

Result<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                     const std::vector<OptionRule>& rules) {
    CommandLine line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto rule = std::find_if(rules.begin(), rules.end(),
                                       [&](const OptionRule& s) { return s.name == arg; });
        if (rule == rules.end()) {
            if (arg.size() > 1 && arg[0] == '-')
                return Error::Caller("unknown argument \"" + arg + "\"");
            line.words.push_back(arg);
            continue;
        }
        if (!rule->takesValue) {
            line.options.push_back({arg, {}});
            continue;
        }
        if (i + 1 >= args.size()) return Error::Caller(arg + " needs a value");
        line.options.push_back({arg, args[++i]});
    }
    return line;
}

bool AnswerHelpOrVersion(std::string_view arg, std::string_view program, std::string_view version,
                         std::string_view usage, std::ostream& out) {
    if (arg == "--help" || arg == "-h") {
        out << usage;
        return true;
    }
    if (arg == "--version") {
        out << program << " (GDLKIT) " << version << '\n';
        return true;
    }
    return false;
}

}  // namespace gdl
