// Builds checked-in projects with the kit's own tools and compares the level
// set and the level list byte for byte with the files kept beside them, so a
// mistake made alike in the writer and the reader of a format shows.
// tests/data/build/NAME/ holds NAME.gdp, its sources and expected/NAME.gdl
// and expected/NAME.txt. With GDLKIT_WRITE_GOLDEN=1 the test writes the
// expected files instead (after a deliberate change of a format).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "EditorFakes.h"
#include "FakeTools.h"
#include "FileUtil.h"
#include "Golden.h"
#include "LevelSetBuild.h"
#include "LevelSetFile.h"
#include "LevelTool.h"
#include "Passwords.h"
#include "ProjectFile.h"
#include "Prompts.h"
#include "TempDir.h"
#include "ToolRunner.h"

namespace {

namespace fs = std::filesystem;

class QuietView : public gdl::BuildView {
public:
    std::vector<std::string> lines;
    void SetStatusBar(const std::string&) override {}
    void ClearStatusLines() override { lines.clear(); }
    void AddStatusLine(const std::string& line) override { lines.push_back(line); }
    void SetProgressMax(int) override {}
    void SetProgress(int) override {}
    void SetBuildControlsEnabled(bool) override {}
};

std::string GoldenFolder(const std::string& name) {
    return gdltest::GoldenData("build/" + name + "/");
}

class GoldenBuildTest : public ::testing::TestWithParam<const char*> {};

TEST_P(GoldenBuildTest, BuildsTheExpectedSetAndList) {
    ASSERT_TRUE(gdl::FileExists(gdltest::KitBin() + "ld.exe")) << "build the kit tools first";
    const std::string name = GetParam();
    const std::string golden = GoldenFolder(name);

    gdltest::TempDir root;
    const std::string bin = root.MakeFolder("bin"), project = root.MakeFolder("project");
    const std::string out = root.MakeFolder("out");
    gdltest::LinkKitFiles(bin, {"ld.exe", "ld.pif", "ldinfo.pif", "gdlstat.exe", "ldstat.pif"});
    for (const auto& entry : fs::directory_iterator(golden))
        if (entry.is_regular_file())
            fs::copy_file(entry.path(), project + entry.path().filename().string());

    gdl::ProjectModel model;
    ASSERT_TRUE(gdl::LoadProject(model, project + name + ".gdp"));
    gdl::PosixToolRunner runner;
    gdl::ScriptedPrompts prompts;
    gdl::LevelTool tool(bin, runner, prompts);
    gdl::ScriptedRandom random;
    QuietView view;
    gdl::BuildSettings settings;
    settings.outputPath = out + name + ".gdl";
    settings.levelList = true;
    settings.toolOutput = &runner;

    auto result = gdl::RunLevelSetBuild(model, settings, tool, prompts, random, view);
    ASSERT_EQ(result.outcome, gdl::BuildOutcome::Done) << ::testing::PrintToString(view.lines);

    const auto set = gdl::ReadFileBytes(settings.outputPath);
    const auto list = gdl::ReadFileBytes(project + name + ".txt");
    ASSERT_TRUE(set);
    ASSERT_TRUE(list);
    const std::string expectedSet = golden + "expected/" + name + ".gdl";
    const std::string expectedList = golden + "expected/" + name + ".txt";
    if (gdltest::WritingGolden()) {
        fs::create_directories(golden + "expected");
        ASSERT_TRUE(gdl::WriteFileAtomic(expectedSet, *set));
        ASSERT_TRUE(gdl::WriteFileAtomic(expectedList, *list));
        GTEST_SKIP() << "wrote " << expectedSet << " and " << expectedList;
    }
    EXPECT_TRUE(*set == gdl::ReadFileBytes(expectedSet))
        << "the level set differs from " << expectedSet;
    EXPECT_TRUE(*list == gdl::ReadFileBytes(expectedList))
        << "the level list differs from " << expectedList;
    // The kept set reads back as the project it came from.
    auto contents = gdl::ParseLevelSet(*set);
    ASSERT_TRUE(contents);
    EXPECT_EQ(contents->index.header.name, model.name);
    ASSERT_EQ(contents->levels.size(), model.levels.size());
    for (std::size_t i = 0; i < model.levels.size(); ++i) {
        EXPECT_EQ(contents->index.table[i].password, model.levels[i].password);
        EXPECT_EQ(contents->index.table[i].designer, model.levels[i].designer);
    }
}

INSTANTIATE_TEST_SUITE_P(Projects, GoldenBuildTest, ::testing::Values("GemQuest", "small"));

}  // namespace
