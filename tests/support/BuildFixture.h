// The build's fixture: a project folder, a tool folder with the tool's files
// present, a level tool whose runs the test plays, and a view that records
// every line.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>

#include "EditorFakes.h"
#include "FakeTools.h"
#include "FileLock.h"
#include "FileUtil.h"
#include "LevelReference.h"
#include "LevelSetBuild.h"
#include "LevelSetFile.h"
#include "LevelTexts.h"
#include "LevelTool.h"
#include "Passwords.h"
#include "ProjectFixtures.h"
#include "Prompts.h"
#include "ReadOnlyFolder.h"
#include "TextUtil.h"
#include "ToolRunner.h"

namespace gdltest {

using Lines = std::vector<std::string>;

inline std::string MakeBin(std::size_t size, std::string_view name) {
    return gdltest::CompiledLevelBytes(size, name);
}

class RecordingView : public gdl::BuildView {
public:
    std::vector<std::string> lines;
    std::vector<std::string> statusBar;
    std::vector<bool> enabled;
    int progressMax = -1;
    int progress = -1;
    void SetStatusBar(const std::string& text) override { statusBar.push_back(text); }
    void ClearStatusLines() override { lines.clear(); }
    void AddStatusLine(const std::string& line) override { lines.push_back(line); }
    void SetProgressMax(int maximum) override { progressMax = maximum; }
    void SetProgress(int position) override { progress = position; }
    void SetBuildControlsEnabled(bool on) override { enabled.push_back(on); }
};

// A project folder, a tool folder with the tool's files present, and a level
// tool whose runs are played by the test: a compile writes the source's levels.
class BuildTest : public ::testing::Test {
protected:
    BuildTest() {
        gdltest::WriteMarkers(toolDir,
                              {"ld.exe", "ld.pif", "ldinfo.pif", "gdlstat.exe", "ldstat.pif"});
        fake.Attach(runner);
        model.name = "Gem Set";
        model.copyrightYear = 2024;
        model.notice = "A. Designer";
        model.wizard = "WZRD";
        model.musicMode = gdl::MusicMode::Manual;
        model.folder = projectDir;
        model.fileName = "gems.gdp";
        model.open = true;
        settings.outputPath = root.Folder() + "out.gdl";
    }

    static void WriteFile(const std::string& path, std::string_view bytes) {
        ASSERT_TRUE(gdl::WriteFileAtomic(path, bytes)) << path;
    }

    void AddLevel(std::string reference, std::string designer = "Ann", std::string password = "") {
        if (password.empty()) password = "P" + std::to_string(model.levels.size() + 100);
        gdl::LevelEntry e;
        e.reference = std::move(reference);
        e.designer = std::move(designer);
        e.password = std::move(password);
        e.hint = "hint " + e.reference;
        model.levels.push_back(e);
    }
    // Levels of one source, compiled from it.
    void AddSourceLevels(const std::string& source, const Lines& levels, std::size_t size = 40) {
        for (const auto& level : levels) {
            fake.sources[source][level] = MakeBin(size, level);
            AddLevel(source + ":" + level);
        }
    }

    gdl::BuildResult Build() {
        return gdl::RunLevelSetBuild(model, settings, tool, prompts, random, view);
    }
    std::optional<gdl::LevelSetContents> Output() const {
        auto bytes = gdl::ReadFileBytes(settings.outputPath);
        if (!bytes) return std::nullopt;
        return gdl::ParseLevelSet(*bytes);
    }
    // The files in the output's folder, folders left out.
    Lines FilesBesideOutput() const {
        Lines names;
        for (const auto& f : std::filesystem::directory_iterator(root.Folder()))
            if (!f.is_directory()) names.push_back(f.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // The build failed with exactly these error lines and left no level set.
    void ExpectErrors(const gdl::BuildResult& result, const Lines& errors) const {
        ExpectErrorsKeepingOutput(result, errors);
        EXPECT_FALSE(std::filesystem::is_regular_file(settings.outputPath));
    }
    // As ExpectErrors, with an old set at the output path that stays.
    void ExpectErrorsKeepingOutput(const gdl::BuildResult& result, const Lines& errors) const {
        Lines found;
        for (const auto& l : view.lines)
            if (l.rfind("ERROR:", 0) == 0) found.push_back(l);
        EXPECT_EQ(found, errors);
        EXPECT_EQ(result.outcome, gdl::BuildOutcome::Errors);
        EXPECT_EQ(result.errors, static_cast<int>(errors.size()));
        EXPECT_EQ(view.lines.back(), gdl::FinalBuildLine(static_cast<int>(errors.size())));
    }

    gdltest::TempDir root;
    std::string projectDir = root.MakeFolder("project"), toolDir = root.MakeFolder("bin");
    gdltest::FakeLevelTool fake;
    gdl::RecordingToolRunner runner;
    gdl::ScriptedPrompts prompts;
    gdl::LevelTool tool{toolDir, runner, prompts};
    gdl::ScriptedRandom random;
    RecordingView view;
    gdl::ProjectModel model;
    gdl::BuildSettings settings;
};

}  // namespace gdltest
