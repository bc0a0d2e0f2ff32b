// GDLMap's problems panel is ld.exe check: for a table of sources, the same
// problems in the same order, with the same lines, codes and messages.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MapEditor.h"
#include "RunProgram.h"
#include "TempDir.h"

namespace gdl {
namespace {

std::string Json(std::string_view s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

// The panel's line as check --json prints it.
std::string AsJson(const MapProblem& p) {
    std::string line =
        "{\"file\":\"s.lvs\",\"line\":" + std::to_string(p.line) +
        ",\"level\":" + (p.levelName.empty() ? std::string("null") : Json(p.levelName)) +
        ",\"severity\":\"" + (p.error ? "error" : "warning") + "\",\"code\":" + Json(p.code) +
        ",\"message\":" + Json(p.message);
    if (p.tile)
        line += ",\"x\":" + std::to_string(p.tile->x) + ",\"y\":" + std::to_string(p.tile->y);
    return line + "}\n";
}

class PanelIsCheck : public testing::TestWithParam<std::string> {};

TEST_P(PanelIsCheck, ForTheSameSource) {
    gdltest::TempDir dir;
    dir.Write("s.lvs", GetParam());
    MapEditor editor;
    ASSERT_TRUE(editor.Open(dir.Path("s.lvs")));
    std::string panel;
    for (const auto& p : editor.Problems()) panel += AsJson(p);
    auto check = gdltest::RunProgram({gdltest::KitBin() + "ld.exe", "check", "--json", "s.lvs"},
                                     dir.Folder());
    EXPECT_EQ(check.out, panel);
    EXPECT_FALSE(panel.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Sources, PanelIsCheck,
    testing::Values(
        // A parser error in a level whose map is whole: the doctor still judges it.
        "level T\ntime 9:99\nquota 0\nmap\nXXXXXX\nX@XXEX\nXXXXXX\nend\n",
        // A door without its key: one warning, where the door is.
        "level D\ntime 1:00\nquota 0\nmap\nXXXXX\nX@AEX\nXXXXX\nend\n",
        // Lines before the first level, a bad level, a good one with findings.
        "colour red\nlevel A\ntime 1:00\nmap\nXXXX\nX@E\nXXXX\nend\n"
        "level B\ntime 1:00\nquota 3\nmap\nXXXXXX\nX@*X*E\nXXXXXX\nend\n",
        // A map of 150 rows, and keys without doors.
        [] {
            std::string t = "level TALL\ntime 1:00\nquota 0\nmap\n";
            for (int y = 0; y < 150; ++y) t += "X.X\n";
            return t + "end\nlevel K\ntime 1:00\nquota 0\nmap\nXXXXX\nX@bEX\nXXXXX\nend\n";
        }()));

}  // namespace
}  // namespace gdl
