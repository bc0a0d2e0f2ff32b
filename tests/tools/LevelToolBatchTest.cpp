// End to end as the editor drives the tools: gdl::LevelTool writes the batch
// files, PosixToolRunner runs them through the batch runner, and the real
// ld.exe and gdlstat.exe do the work in a temp project folder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "CommonFakes.h"
#include "FakeTools.h"
#include "FileUtil.h"
#include "LevelInfo.h"
#include "LevelTexts.h"
#include "LevelTool.h"
#include "Prompts.h"
#include "TextUtil.h"
#include "ToolRunner.h"

namespace gdl {
namespace {

using testing::HasSubstr;

const char* const kSources[] = {"Caverns", "Depths", "Secrets"};

class BatchEndToEnd : public testing::Test {
protected:
    // A tool folder of our own that links to the built programs, so batch
    // files written by parallel tests never meet in the kit's folder.
    void SetUp() override {
        gdltest::LinkKitFiles(tools_.Folder(),
                              {"ld.exe", "gdlstat.exe", "ld.pif", "ldinfo.pif", "ldstat.pif"});
        for (const char* source : kSources)
            std::filesystem::copy_file(gdltest::SampleFolder() + source + ".lvs",
                                       project_.Path(std::string(source) + ".lvs"));
    }
    LevelInfoResult Read(const std::string& source, const std::string& level) {
        return ReadLevelInfo(project_.Folder(), source, level,
                             [&](const std::string& s) { tool_.List(s, project_.Folder()); });
    }

    gdltest::TempDir tools_;
    gdltest::TempDir project_;
    ScriptedPrompts prompts_;
    PosixToolRunner runner_;
    LevelTool tool_{tools_.Folder(), runner_, prompts_};
};

TEST_F(BatchEndToEnd, ListingThenCompilingGivesTheSameFigures) {
    std::size_t levels = 0;
    for (const char* source : kSources) {
        ASSERT_TRUE(tool_.List(source, project_.Folder())) << source;
        auto listing = ReadFileBytes(project_.Path(std::string(source) + ".te1"));
        ASSERT_TRUE(listing) << source;
        auto listed = ParseLevelListing(SplitLines(*listing));
        ASSERT_FALSE(listed.empty()) << source;

        ASSERT_TRUE(tool_.Compile(source, project_.Folder())) << source;
        for (const auto& level : listed) {
            auto compiled = LevelInfoFromCompiled(project_.Read(level.key + ".bin"));
            EXPECT_TRUE(compiled.found) << level.key;
            EXPECT_EQ(compiled.info, level.info) << level.key;
            // The editor's view through its ".te2" cache agrees as well.
            EXPECT_EQ(Read(source, level.key).info, level.info) << level.key;
        }
        levels += listed.size();
    }
    EXPECT_EQ(levels, 14u);
    EXPECT_TRUE(project_.Exists("gdl.hsf"));
    EXPECT_TRUE(prompts_.shown.empty());
}

TEST_F(BatchEndToEnd, CacheIsMadeOnFirstNeed) {
    LevelInfoResult info = Read("Caverns", "CAVE05");
    EXPECT_TRUE(info.found);
    EXPECT_EQ(info.info, (LevelInfo{"KEY KEEPER", "24x12", "3:00", "10"}));
    EXPECT_TRUE(project_.Exists("Caverns.te1"));
    EXPECT_TRUE(project_.Exists("Caverns.te2"));
}

TEST_F(BatchEndToEnd, StatisticsOfALevelList) {
    std::vector<std::string> rows;
    for (const char* level : {"CAVE01", "CAVE02", "CAVE03"}) {
        std::string label = std::to_string(rows.size() + 1);
        rows.push_back(
            gdltest::LevelListRow(label, Read("Caverns", level).info, "PW" + label, "Ada Stone"));
    }
    project_.Write("GemQuest.te3", gdltest::LevelList(rows));

    ASSERT_TRUE(tool_.Stats("GemQuest", project_.Folder()));
    std::string summary = project_.Read("GemQuest.te4");
    EXPECT_THAT(summary, HasSubstr("Levels:           3 (3 numbered, 0 hidden)"));
    EXPECT_THAT(summary, HasSubstr("Total time:       6:00"));
}

TEST_F(BatchEndToEnd, EditingThroughTheEditBatch) {
    gdltest::WriteScript(project_, "editor.sh", "printf '; edited\\n' >> \"$1\"");
    gdltest::WriteFakeTerminal(project_.Path("term.sh"));
    gdltest::ScopedEnv visual("VISUAL", project_.Path("editor.sh"));
    gdltest::ScopedEnv terminal("GDLKIT_TERMINAL", project_.Path("term.sh"));
    // Without a desktop: on one, the map editor beside ld.exe would take the edit.
    gdltest::ScopedEnv display("DISPLAY"), wayland("WAYLAND_DISPLAY");
    display.Unset();
    wayland.Unset();

    ASSERT_TRUE(tool_.WriteEditBatch(3));
    ASSERT_TRUE(tool_.Edit("Secrets", project_.Folder(), true));
    EXPECT_THAT(project_.Read("Secrets.lvs"), HasSubstr("; edited\n"));
    // Run from a terminal the editor opens in place; otherwise in the window
    // whose title carries the port from the batch file.
    if (!::isatty(STDIN_FILENO)) {
        EXPECT_THAT(project_.Read("title"), HasSubstr("COM3"));
    }
}

}  // namespace
}  // namespace gdl
