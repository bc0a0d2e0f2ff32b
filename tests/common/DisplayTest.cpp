// Whether a window can open, and texts from files made safe for a terminal.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "Display.h"
#include "Prompts.h"
#include "TextUtil.h"

namespace {

TEST(Display, NeedsADisplayOrAChosenQtPlatform) {
    using Env = std::map<std::string, std::string>;
    const std::pair<Env, bool> cases[] = {
        {{}, false},
        {{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, false},
        {{{"DISPLAY", ":0"}}, true},
        {{{"WAYLAND_DISPLAY", "wayland-0"}}, true},
        {{{"QT_QPA_PLATFORM", "offscreen"}}, true},
    };
    for (const auto& [env, available] : cases) {
        auto lookup = [&env = env](const char* name) -> const char* {
            auto it = env.find(name);
            return it == env.end() ? nullptr : it->second.c_str();
        };
        EXPECT_EQ(gdl::DisplayAvailable(lookup), available) << env.size();
    }
    const std::string line = gdl::NoDisplayMessage("GDLEdit", "GDLEdit --build PROJECT.gdp");
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_NE(line.find("GDLEdit --build PROJECT.gdp"), std::string::npos);
}

TEST(ShowControls, EveryControlByteButLineFeedAndTabIsShown) {
    const std::pair<std::string, std::string> cases[] = {
        {"GemQuest", "GemQuest"},
        {"\x1b]0;title\x07\x1b[2J", "\\x1b]0;title\\x07\\x1b[2J"},
        {"a\rb\x7f", "a\\x0db\\x7f"},
        {"line\nnext\tcol", "line\nnext\tcol"},
        {std::string("nul\0", 4), "nul\\x00"},
        {"\xA9 1999", "\xA9 1999"},
    };
    for (const auto& [text, shown] : cases) EXPECT_EQ(gdl::ShowControls(text), shown);
    // Messages keep their line breaks as one line feed.
    EXPECT_EQ(gdl::ForTerminal("one\r\ntwo\x1b"), "one\ntwo\\x1b");
}

}  // namespace
