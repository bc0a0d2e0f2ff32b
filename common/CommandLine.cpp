#include "CommandLine.h"

#include <algorithm>

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

}  // namespace gdl
