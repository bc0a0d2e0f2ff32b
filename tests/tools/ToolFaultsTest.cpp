// The tools on hostile sources: a source that cannot be read (/proc/self/mem)
// in every tool, a NUL byte, names with control and 8-bit bytes in check's
// text and JSON, and a project's copyright as written.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "RunProgram.h"
#include "TempDir.h"

namespace gdl {
namespace {

// AddressSanitizer's shadow memory and quarantine make a program's peak
// several times larger; the bound follows the build the program is from.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kMemoryScale = 4;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr long kMemoryScale = 4;
#else
constexpr long kMemoryScale = 1;
#endif
#else
constexpr long kMemoryScale = 1;
#endif

using gdltest::RunProgram;
using testing::HasSubstr;

const std::string kLd = gdltest::KitBin() + "ld.exe";
const std::string kTools = gdltest::KitBin() + "GDLTools.exe";
const std::string kGood = "level ONE\ntime 1:00\nquota 0\nmap\nXXXX\nX@EX\nXXXX\nend\n";

bool ValidUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto u = static_cast<unsigned char>(s[i]);
        const std::size_t n = u < 0x80         ? 1
                              : (u >> 5) == 6  ? 2
                              : (u >> 4) == 14 ? 3
                              : (u >> 3) == 30 ? 4
                                               : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

struct ToolRun {
    const char* what;
    std::vector<std::string> args;  // in a folder where mem.lvs and mem.gdl read /proc/self/mem
    std::string message;
};

class UnreadableSource : public testing::TestWithParam<ToolRun> {};

TEST_P(UnreadableSource, SaysWhyAndExitsOne) {
    gdltest::TempDir dir;
    std::filesystem::create_symlink("/proc/self/mem", dir.Path("mem.lvs"));
    std::filesystem::create_symlink("/proc/self/mem", dir.Path("mem.gdl"));
    std::vector<std::string> argv = GetParam().args;
    argv[0] = argv[0] == "ld" ? kLd : kTools;
    auto r = RunProgram(argv, dir.Folder());
    EXPECT_EQ(r.status, 1) << GetParam().what << ": " << r.err;
    EXPECT_THAT(r.err, HasSubstr(GetParam().message)) << GetParam().what;
    EXPECT_THAT(r.err, testing::Not(HasSubstr("terminate")));
}

INSTANTIATE_TEST_SUITE_P(
    EveryTool, UnreadableSource,
    testing::Values(
        ToolRun{"check", {"ld", "check", "mem.lvs"}, "cannot read mem.lvs: Input/output error"},
        ToolRun{"listing", {"ld", "-smem"}, "cannot read mem.lvs: Input/output error"},
        ToolRun{"compiling", {"ld", "-mmem"}, "cannot read mem.lvs: Input/output error"},
        ToolRun{"info", {"tools", "info", "mem.gdl"}, "cannot read mem.gdl: Input/output error"},
        ToolRun{"gallery",
                {"tools", "gallery", "mem.lvs", "out"},
                "cannot read mem.lvs: Input/output error"}));

TEST(ToolFaults, ANulByteIsRefusedByEveryTool) {
    gdltest::TempDir dir;
    using namespace std::string_literals;
    dir.Write("nul.lvs", kGood + "; a \0 in a comment\n"s);
    for (const std::vector<std::string>& args : {std::vector<std::string>{kLd, "check", "nul.lvs"},
                                                 {kLd, "-snul"},
                                                 {kLd, "-mnul"},
                                                 {kTools, "gallery", "nul.lvs", "out"}}) {
        auto r = RunProgram(args, dir.Folder());
        EXPECT_EQ(r.status, 1) << args[1];
        EXPECT_THAT(r.err, HasSubstr("nul.lvs: is not a level source: it holds binary data"))
            << args[1];
    }
    EXPECT_FALSE(dir.Exists("ONE.bin"));
}

TEST(ToolFaults, CheckEscapesNamesAndWritesValidUtf8Json) {
    gdltest::TempDir dir;
    const std::string name = "t\x1b]0;owned\x07\xe9.lvs";
    dir.Write(name, "level B\x1b[2J\ntime 1:00\nquota 0\nmap\nXXXX\nX@EX\nXXXX\nend\n");
    auto text = RunProgram({kLd, "check", name}, dir.Folder());
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.out.find('\x1b'), std::string::npos) << text.out;
    EXPECT_EQ(text.out.find('\x07'), std::string::npos) << text.out;
    EXPECT_THAT(text.out, HasSubstr("t\\x1b]0;owned\\x07"));
    auto json = RunProgram({kLd, "check", "--json", name}, dir.Folder());
    EXPECT_TRUE(ValidUtf8(json.out)) << json.out;
    EXPECT_THAT(json.out, HasSubstr("\"file\":\"t\\u001b]0;owned\\u0007\\u00e9.lvs\""));
    EXPECT_THAT(json.out, HasSubstr("\"level\":\"B\\u001b[2J\""));
}

TEST(ToolFaults, TheGalleryEscapesNamesOnItsErrorOutput) {
    gdltest::TempDir dir;
    const std::string name = "g\x1b[2J.lvs";
    dir.Write(name, "level A\ntime 1:00\nquota 0\nmap\nXXXX\nX@.X\nXXXX\nend\n");
    auto r = RunProgram({kTools, "gallery", name, "out"}, dir.Folder());
    EXPECT_EQ(r.err.find('\x1b'), std::string::npos) << r.err;
    EXPECT_THAT(r.err, HasSubstr("g\\x1b[2J.lvs"));
}

TEST(ToolFaults, TheGalleryDrawsBrokenWideMapsAtMost99x99) {
    gdltest::TempDir dir;
    std::string text;
    for (int n = 0; n < 30; ++n) {
        text += "level W" + std::to_string(n) + "\ntime 1:00\nquota 0\nmap\n";
        for (int y = 0; y < 100; ++y) text += std::string(1000, '#') + "\n";
        text += "end\n";
    }
    dir.Write("wide.lvs", text);
    auto r = RunProgram({kTools, "gallery", "wide.lvs", "out", "--tile", "4"}, dir.Folder());
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_THAT(r.err, HasSubstr("level W29 has errors"));
    // Pictures of at most 99 x 99 tiles, not of 100 x 1000.
    EXPECT_LT(r.maxRssKb, kMemoryScale * 100 * 1024);
    RecordProperty("gallery_max_rss_kb", std::to_string(r.maxRssKb));
}

TEST(ToolFaults, TheProjectsCopyrightIsShownAsWritten) {
    gdltest::TempDir dir;
    dir.Write("Odd.gdp",
              "[^GDP]\r\nName=Odd\r\nCopyright=2019 (c)\r\nNotice=Someone\r\nLevels=0\r\n");
    auto r = RunProgram({kTools, "info", "Odd.gdp"}, dir.Folder());
    EXPECT_THAT(r.out, HasSubstr("Copyright: 2019 (c) Someone\n")) << r.out << r.err;
    dir.Write("Span.gdp", "[^GDP]\r\nName=Span\r\nCopyright=2025-2026\r\nLevels=0\r\n");
    auto span = RunProgram({kTools, "gallery", "Span.gdp", "out"}, dir.Folder());
    EXPECT_THAT(dir.Read("out/index.html"), HasSubstr("Copyright 2025-2026"));
}

}  // namespace
}  // namespace gdl
