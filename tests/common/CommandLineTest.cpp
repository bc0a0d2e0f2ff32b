// The kit's command-line reader: options in their order, words between them,
// and one wording for what is malformed.
#include <gtest/gtest.h>

#include "CommandLine.h"

namespace gdl {
namespace {

TEST(ParseCommandLine, OptionsInOrderWordsBetweenAndMistakesNamed) {
    const std::vector<OptionRule> rules = {{"--baud", true}, {"--no-echo"}, {"-h"}};
    struct Case {
        std::vector<std::string> args;
        std::string options;  // name=value, ...; or the error
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {{}, "", {}},
        {{"--baud", "9600", "--no-echo"}, "--baud=9600,--no-echo=,", {}},
        {{"a", "--baud", "--no-echo", "b"}, "--baud=--no-echo,", {"a", "b"}},
        {{"--baud", ""}, "--baud=,", {}},
        {{"-h", "-"}, "-h=,", {"-"}},
        {{"--baud"}, "error: --baud needs a value", {}},
        {{"--bad"}, "error: unknown argument \"--bad\"", {}},
        {{"-x", "--baud", "1"}, "error: unknown argument \"-x\"", {}},
    };
    for (const Case& c : cases) {
        auto parsed = ParseCommandLine(c.args, rules);
        std::string options;
        if (!parsed) {
            options = "error: " + parsed.Err().Message();
            EXPECT_EQ(parsed.Err().Kind(), ErrorKind::Caller);
        } else {
            for (const auto& o : parsed->options) options += o.name + "=" + o.value + ",";
            EXPECT_EQ(parsed->words, c.words);
        }
        EXPECT_EQ(options, c.options);
    }
}

}  // namespace
}  // namespace gdl
