#include <gtest/gtest.h>

#include "PathJoin.h"

namespace {

// Exactly one "/" between folder and name, whichever way the folder is held.
TEST(JoinPath, NeverLosesNorDoublesTheSeparator) {
    struct Case {
        const char* folder;
        const char* name;
        const char* joined;
    } cases[] = {
        {"/usr/lib/gdlkit/bin", "GDLTools.exe", "/usr/lib/gdlkit/bin/GDLTools.exe"},
        {"/usr/lib/gdlkit/bin/", "GDLTools.exe", "/usr/lib/gdlkit/bin/GDLTools.exe"},
        {"", "docs.htm", "docs.htm"},
        {"./", "set.gdl", "./set.gdl"},
        {"/", "dev", "/dev"},
        {"levels", "", "levels/"},
        {"/kit/bin/", "/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"/kit/bin", "../docs", "/kit/bin/../docs"},
    };
    for (const auto& c : cases) EXPECT_EQ(gdl::JoinPath(c.folder, c.name), c.joined) << c.folder;
}

}  // namespace
