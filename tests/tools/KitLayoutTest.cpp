// The build tree's kit folder is a complete install folder.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>

#include "FileUtil.h"
#include "LevelSource.h"
#include "LevelToolCommands.h"
#include "RunProgram.h"
#include "TempDir.h"

namespace gdl {
namespace {

const std::string kBin = gdltest::KitBin();

TEST(KitLayout, ToolFolderHoldsEveryFileTheProgramsCheck) {
    for (const char* name :
         {"ld.exe", "ld.pif", "ldinfo.pif", "ldstat.pif", "gdlstat.exe", "GDLTools.exe",
          "resource.001", "music0.wav", "music1.wav", "music2.wav"})
        EXPECT_TRUE(FileExists(kBin + name)) << name;
    EXPECT_TRUE(FileExists(kBin + "../docs/docs.htm"));
}

TEST(KitLayout, TemplateIsAValidSourceThatCompiles) {
    auto text = ReadFileBytes(kBin + "resource.001");
    ASSERT_TRUE(text);
    ParsedSource parsed = ParseLevelSource(*text);
    EXPECT_TRUE(parsed.messages.empty()) << parsed.messages[0].text;
    EXPECT_EQ(parsed.levels.size(), 1u);

    // As the editor uses it: copied to a new source and compiled.
    gdltest::TempDir dir;
    dir.Write("Pack1.lvs", *text);
    auto r = gdltest::RunProgram({kBin + "ld.exe", "-mPack1"}, dir.Folder());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(dir.Exists(parsed.levels[0].levelName + ".bin"));
}

std::uint32_t Le(const std::string& b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

TEST(KitLayout, TunesArePlainPcmWavesOfTwoToFourSeconds) {
    std::set<std::string> seen;
    for (int n = 0; n < 3; ++n) {
        std::string name = "music" + std::to_string(n) + ".wav";
        auto wav = ReadFileBytes(kBin + name);
        ASSERT_TRUE(wav) << name;
        ASSERT_GE(wav->size(), 44u) << name;
        EXPECT_EQ(wav->substr(0, 4), "RIFF");
        EXPECT_EQ(Le(*wav, 4, 4), wav->size() - 8);
        EXPECT_EQ(wav->substr(8, 8), "WAVEfmt ");
        EXPECT_EQ(Le(*wav, 20, 2), 1u) << "PCM";
        std::uint32_t channels = Le(*wav, 22, 2), rate = Le(*wav, 24, 4), bits = Le(*wav, 34, 2);
        EXPECT_EQ(wav->substr(36, 4), "data");
        std::uint32_t data = Le(*wav, 40, 4);
        EXPECT_EQ(data, wav->size() - 44);
        double seconds = static_cast<double>(data) / (rate * channels * bits / 8);
        EXPECT_GE(seconds, 2.0) << name;
        EXPECT_LE(seconds, 4.0) << name;
        EXPECT_TRUE(seen.insert(wav->substr(44)).second) << name << " repeats another tune";
    }
}

struct CommandCase {
    const char* tool;
    std::vector<std::string> args;
    int status;
    const char* inOut;  // expected in standard output, or ""
    const char* inErr;  // expected in standard error, or ""
};

TEST(KitLayout, ToolsAnswerHelpVersionAndUsageErrors) {
    const CommandCase cases[] = {
        {"ld.exe", {"--help"}, 0, "ld.exe -sNAME", ""},
        {"ld.exe", {"--version"}, 0, "ld.exe (GDLKIT) ", ""},
        {"ld.exe", {}, 2, "", "Usage"},
        {"ld.exe", {"-x"}, 2, "", "unknown option -x"},
        {"gdlstat.exe", {"--help"}, 0, "gdlstat.exe -g", ""},
        {"gdlstat.exe", {"--version"}, 0, "gdlstat.exe (GDLKIT) ", ""},
        {"gdlstat.exe", {}, 2, "", ""},
        {"gdlstat.exe", {"-x"}, 2, "", ""},
        {"GDLTools.exe", {"--help"}, 0, "", ""},
        {"GDLTools.exe", {"--version"}, 0, "GDLTools.exe (GDLKIT) ", ""},
        {"GDLTools.exe", {"--frobnicate"}, 2, "", ""},
        {"GDLMap", {"--help"}, 0, "GDLMap FILE.lvs [--level NAME]", ""},
        {"GDLMap", {"--version"}, 0, "GDLMap (GDLKIT) ", ""},
        {"GDLMap", {}, 2, "", "no source named"},
        {"GDLMap", {"a.lvs", "b.lvs"}, 2, "", "unexpected argument b.lvs"},
    };
    gdltest::TempDir dir;
    for (const auto& c : cases) {
        std::vector<std::string> argv{kBin + c.tool};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        SCOPED_TRACE(std::string(c.tool) + " " + (c.args.empty() ? "" : c.args[0]));
        auto r = gdltest::RunProgram(argv, dir.Folder());
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.out.find(c.inOut), std::string::npos) << r.out;
        EXPECT_NE(r.err.find(c.inErr), std::string::npos) << r.err;
    }
}

}  // namespace
}  // namespace gdl
