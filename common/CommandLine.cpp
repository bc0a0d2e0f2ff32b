#include "CommandLine.h"

#include <algorithm>

namespace gdl {

Result<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                     const std::vector<OptionSpec>& specs) {
    CommandLine line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto spec = std::find_if(specs.begin(), specs.end(),
                                       [&](const OptionSpec& s) { return s.name == arg; });
        if (spec == specs.end()) {
            if (arg.size() > 1 && arg[0] == '-')
                return Error::Caller("unknown argument \"" + arg + "\"");
            line.words.push_back(arg);
            continue;
        }
        if (!spec->takesValue) {
            line.options.push_back({arg, {}});
            continue;
        }
        if (i + 1 >= args.size()) return Error::Caller(arg + " needs a value");
        line.options.push_back({arg, args[++i]});
    }
    return line;
}

}  // namespace gdl
