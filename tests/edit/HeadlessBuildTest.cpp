#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <sstream>
#include <tuple>

#include "EditorFakes.h"
#include "FileUtil.h"
#include "HeadlessBuild.h"
#include "LevelInfo.h"
#include "LevelReference.h"
#include "LevelSetBuild.h"
#include "LevelSetFile.h"
#include "LevelTexts.h"
#include "Passwords.h"
#include "ProjectFile.h"
#include "ProjectFixtures.h"
#include "Registry.h"
#include "RunProgram.h"
#include "TextUtil.h"
#include "ToolRunner.h"

namespace {

using gdltest::TempDir;
namespace fs = std::filesystem;

struct ParseCase {
    std::vector<std::string> args;
    gdl::CommandKind kind;
    gdl::HeadlessOptions options;
};

TEST(HeadlessCommandLine, Parses) {
    using K = gdl::CommandKind;
    const std::vector<ParseCase> cases{
        {{}, K::Gui, {}},
        {{"proj.gdp"}, K::Gui, {}},
        {{"SRC.LVS"}, K::Gui, {}},
        {{"--help"}, K::Help, {}},
        {{"--build", "p.gdp", "--help"}, K::Help, {}},
        {{"--version"}, K::Version, {}},
        {{"--build", "p.gdp"}, K::Build, {"p.gdp", "", false, false, false}},
        {{"--level-list", "--build", "p.gdp", "--output", "o.gdl", "--source-folder",
          "--overwrite"},
         K::Build,
         {"p.gdp", "o.gdl", true, true, true}},
        {{"--build"}, K::UsageError, {}},
        {{"--build", "--level-list"}, K::UsageError, {}},
        {{"--build", "a.gdp", "--build", "b.gdp"}, K::UsageError, {}},
        {{"--build", "a.gdp", "--output"}, K::UsageError, {}},
        {{"--build", "a.gdp", "--output", "x", "--output", "y"}, K::UsageError, {}},
        {{"--build", "a.gdp", "extra"}, K::UsageError, {}},
        {{"--build", "a.gdp", "--fast"}, K::UsageError, {}},
        {{"--output", "o.gdl"}, K::UsageError, {}},
        {{"p.gdp", "--overwrite"}, K::UsageError, {}},
    };
    for (const auto& c : cases) {
        std::string joined;
        for (const auto& a : c.args) joined += a + " ";
        SCOPED_TRACE(joined);
        auto parsed = gdl::ParseCommandLine(c.args);
        EXPECT_EQ(parsed.kind, c.kind);
        if (c.kind == K::UsageError) {
            EXPECT_FALSE(parsed.error.empty());
        }
        auto fields = [](const gdl::HeadlessOptions& o) {
            return std::tie(o.project, o.output, o.sourceFolder, o.levelList, o.overwrite);
        };
        if (c.kind == K::Build) {
            EXPECT_EQ(fields(parsed.options), fields(c.options));
        }
    }
}

TEST(HeadlessCommandLine, HelpVersionAndUsageErrors) {
    std::ostringstream out, err;
    EXPECT_EQ(gdl::RunCommandLine(gdl::ParseCommandLine({"--help"}), out, err), 0);
    EXPECT_NE(out.str().find("--build PROJECT.gdp [--output FILE] [--source-folder] "
                             "[--level-list] [--overwrite]"),
              std::string::npos);
    out.str("");
    EXPECT_EQ(gdl::RunCommandLine(gdl::ParseCommandLine({"--version"}), out, err), 0);
    EXPECT_EQ(out.str(), std::string("GDLEdit ") + gdl::kGdlEditVersion + "\n");
    out.str("");
    EXPECT_EQ(gdl::RunCommandLine(gdl::ParseCommandLine({"--build"}), out, err), 2);
    EXPECT_TRUE(out.str().empty());
    EXPECT_NE(err.str().find("Usage:"), std::string::npos);
}

// A kit folder (bin with the level tool's files, levels), a project beside it,
// a registry in memory and a level tool played by the test.
class HeadlessTest : public ::testing::Test {
protected:
    HeadlessTest() {
        gdltest::WriteMarkers(bin, {"ld.exe", "ld.pif", "ldinfo.pif"});
        for (auto name : {"ONE", "TWO"})
            fake.sources["Src"][name] = gdltest::CompiledLevelBytes(100, name);
        fake.Attach(runner);
        model.name = "Headless Set";
        model.wizard = "MAGE";
        model.folder = project;
        model.fileName = "test.gdp";
        model.sources = {"Src"};
        model.levels = {{"Src:ONE", "Dee", "AAAA", "0", ""}, {"Src:TWO", "Dee", "BBBB", "0", ""}};
        Save();
    }

    void Save() { ASSERT_TRUE(gdl::SaveProject(model)); }

    int Run(std::vector<std::string> args) {
        out.str("");
        err.str("");
        auto command = gdl::ParseCommandLine(args);
        EXPECT_EQ(command.kind, gdl::CommandKind::Build);
        gdl::HeadlessContext context{registry, bin, runner, random};
        return gdl::RunHeadlessBuild(command.options, context, out, err);
    }

    TempDir root;
    std::string bin = root.MakeFolder("kit/bin"), levels = root.MakeFolder("kit/levels"),
                project = root.MakeFolder("proj");
    gdl::MemoryRegistry registry;
    gdltest::FakeLevelTool fake;
    gdl::RecordingToolRunner runner;
    gdl::ScriptedRandom random;
    gdl::ProjectModel model;
    std::ostringstream out, err;
};

TEST_F(HeadlessTest, BuildsToTheBuildPagesPaths) {
    EXPECT_EQ(Run({"--build", project + "test.gdp"}), 0) << err.str();
    EXPECT_EQ(out.str(),
              "Building Level Set...\nCompiling Level 1...\nCompiling Level 2...\n"
              "Indexing Level 1...\nIndexing Level 2...\nCleaning up...\nDone.\n");
    EXPECT_TRUE(err.str().empty());
    // The registry was seeded from the program's folder, as an installer would.
    EXPECT_EQ(gdl::FileSize(levels + "test.gdl").value_or(0), 23938u + 2 * (454 + 100));

    EXPECT_EQ(Run({"--build", project + "test.gdp", "--source-folder", "--level-list"}), 0);
    EXPECT_TRUE(fs::exists(project + "test.gdl"));
    EXPECT_TRUE(fs::exists(project + "test.txt"));
    EXPECT_FALSE(fs::exists(project + "ONE.bin"));

    const std::string output = root.Folder() + "elsewhere.gdl";
    EXPECT_EQ(Run({"--build", project + "test.gdp", "--output", output}), 0);
    auto set = gdl::ParseLevelSet(gdl::ReadFileBytes(output).value_or(""));
    ASSERT_TRUE(set);
    EXPECT_EQ(set->index.header.name, "Headless Set");
    EXPECT_EQ(set->index.table[1].password, "BBBB");
}

TEST_F(HeadlessTest, ExitCodesForErrorsAndCancel) {
    const std::string output = root.Folder() + "o.gdl";
    EXPECT_EQ(Run({"--build", project + "test.gdp", "--output", output}), 0);

    EXPECT_EQ(Run({"--build", project + "test.gdp", "--output", output}), 3);
    EXPECT_EQ(out.str(), "Build Cancelled.\n");
    EXPECT_NE(err.str().find("File \"" + output + "\" already exists. Overwrite?"),
              std::string::npos);
    EXPECT_TRUE(fs::exists(output));

    EXPECT_EQ(Run({"--build", project + "test.gdp", "--output", output, "--overwrite"}), 0);

    const auto built = gdl::ReadFileBytes(output);
    ASSERT_TRUE(built);
    model.levels[1].password = "MAGE";
    Save();
    EXPECT_EQ(Run({"--build", project + "test.gdp", "--output", output, "--overwrite"}), 1);
    EXPECT_NE(out.str().find("ERROR: Level 2 has the same Password as the Wizard Mode!\n"
                             "Cleaning up...\nThere is 1 error.\n"),
              std::string::npos);
    // The failed rebuild leaves the set it would have replaced.
    EXPECT_EQ(gdl::ReadFileBytes(output), built);
}

TEST_F(HeadlessTest, ExitCodeTwoForWhatCannotBeBuilt) {
    gdl::WriteFileAtomic(project + "plain.ini", "[^GDP]\r\nName=\r\n");
    EXPECT_EQ(Run({"--build", project + "plain.ini"}), 2);
    EXPECT_NE(err.str().find("is not a GDLEdit project"), std::string::npos);
    EXPECT_TRUE(out.str().empty());

    EXPECT_EQ(Run({"--build", project + "missing.gdp"}), 2);
    EXPECT_NE(err.str().find("missing.gdp"), std::string::npos);

    // The install folder names a kit whose level tool lacks its ".pif".
    fs::create_directories(root.Folder() + "broken/bin");
    gdl::WriteFileAtomic(root.Folder() + "broken/bin/ld.exe", "x");
    registry.WriteValue(gdl::RegRoot::LocalMachine, gdl::kRegKeyRoot, "", root.Folder() + "broken");
    EXPECT_EQ(Run({"--build", project + "test.gdp"}), 2);
    EXPECT_NE(err.str().find(root.Folder() + "broken/bin/ld.pif"), std::string::npos);
    EXPECT_NE(err.str().find("could not be found"), std::string::npos);
    EXPECT_TRUE(runner.calls.empty());
}

TEST_F(HeadlessTest, NotInstalledWithoutRegistryOrTools) {
    gdl::MemoryRegistry empty;
    std::string lonely = root.Folder() + "lonely/";
    fs::create_directories(lonely);
    gdl::HeadlessContext context{empty, lonely, runner, random};
    gdl::HeadlessOptions options;
    options.project = project + "test.gdp";
    EXPECT_EQ(gdl::RunHeadlessBuild(options, context, out, err), 2);
    EXPECT_EQ(err.str(),
              "The software has not been properly installed.\n\nPlease re-install the software "
              "from your Trovemark CD.\n");
}

// ---- The built programs, end to end -------------------------------------------------

// Runs the kit's GDLEdit, copied with its tools into folder/kit/bin so that no
// other test's run shares its batch files, with a registry of its own.
gdltest::ProgramResult RunGdlEdit(const TempDir& dir, std::vector<std::string> args) {
    args.insert(args.begin(), dir.Path("kit/bin/GDLEdit"));
    return gdltest::RunProgram(args, dir.Folder(), "",
                               {{"XDG_CONFIG_HOME", dir.Path("config")},
                                {"XDG_DATA_HOME", dir.Path("data")},
                                {"GDLKIT_MACHINE_REG", dir.Path("machine.reg")}});
}

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string bin = dir.MakeFolder("kit/bin");
        dir.MakeFolder("kit/levels");
        for (auto name :
             {"GDLEdit", "ld.exe", "ld.pif", "ldinfo.pif", "gdlstat.exe", "ldstat.pif"}) {
            if (!fs::exists(gdltest::KitBin() + name)) GTEST_SKIP() << "kit lacks " << name;
            fs::copy_file(gdltest::KitBin() + name, bin + name);
        }
        const std::string sample = gdltest::SampleFolder(), quest = dir.MakeFolder("GemQuest");
        std::error_code ec;
        for (const auto& file : fs::directory_iterator(sample, ec)) {
            const std::string name = file.path().filename().string();
            if (file.path().extension() == ".gdp") projectName = name;
            fs::copy_file(file.path(), quest + name);
        }
        if (projectName.empty()) GTEST_SKIP() << "no sample project in " << sample;
        projectPath = dir.Path("GemQuest/" + projectName);
        ASSERT_TRUE(gdl::LoadProject(model, projectPath));
    }

    TempDir dir;
    std::string projectName, projectPath;
    gdl::ProjectModel model;
};

TEST_F(EndToEndTest, SampleProjectBuildsToASetThatDecodesBack) {
    auto p = RunGdlEdit(dir, {"--build", projectPath, "--source-folder", "--level-list"});
    ASSERT_EQ(p.status, 0) << p.out << p.err;
    EXPECT_EQ(gdl::SplitLines(p.out).back(), "Done.");

    const std::string base = gdl::BaseName(projectName);
    auto bytes = gdl::ReadFileBytes(dir.Path("GemQuest/" + base + ".gdl"));
    ASSERT_TRUE(bytes);
    std::string error;
    auto set = gdl::ParseLevelSet(*bytes, &error);
    ASSERT_TRUE(set) << error;
    const auto& h = set->index.header;
    const std::size_t n = model.levels.size();
    EXPECT_EQ(h.name, model.name.substr(0, 40));
    EXPECT_EQ(h.year, std::to_string(model.copyrightYear));
    EXPECT_EQ(h.notice, model.notice);
    EXPECT_EQ(h.wizard, model.wizard);
    EXPECT_EQ(h.comments, model.comments);
    EXPECT_EQ(h.hiddenCount, std::min<std::size_t>(model.offset, n));
    EXPECT_EQ(h.visibleCount, n > std::size_t(model.offset) ? n - model.offset : 0);
    ASSERT_EQ(set->levels.size(), n);
    EXPECT_TRUE(set->hasEndRecord);

    auto list =
        gdl::SplitLines(gdl::ReadFileBytes(dir.Path("GemQuest/" + base + ".txt")).value_or(""));
    ASSERT_GE(list.size(), 9 + n + 2);
    for (std::size_t j = 0; j < n; ++j) {
        SCOPED_TRACE(model.levels[j].reference);
        const auto& t = set->index.table[j];
        EXPECT_TRUE(t.present);
        EXPECT_EQ(t.position, j + 1);
        EXPECT_EQ(t.password, model.levels[j].password);
        EXPECT_EQ(t.designer, model.levels[j].designer);
        if (model.musicMode == gdl::MusicMode::Automatic) {
            EXPECT_EQ(t.music, j % 3);
        } else if (model.musicMode == gdl::MusicMode::Manual) {
            EXPECT_EQ(std::to_string(t.music), model.levels[j].music);
        }
        const auto& [record, level] = set->levels[j];
        EXPECT_EQ(record.hint, model.levels[j].hint);
        EXPECT_EQ(level.size(), t.size);
        // The level list's columns agree with the compiled level that went in.
        auto info = gdl::LevelInfoFromCompiled(level.substr(0, 32));
        ASSERT_TRUE(info.found);
        const std::string& line = list[9 + j];
        EXPECT_EQ(line.substr(0, 11),
                  "   " + gdl::RightAlign(gdl::LevelLabel(j + 1, model.offset), 8));
        EXPECT_EQ(line.substr(13, 38), gdl::FormatLevelInfoLine(info.info));
        EXPECT_EQ(gdl::TrimBlanks(line.substr(53, 8)), model.levels[j].password);
    }
    // The registry was seeded with the kit folder, whose levels folder is the default.
    EXPECT_NE(dir.Read("machine.reg").find(dir.Path("kit/")), std::string::npos);
    ASSERT_EQ(RunGdlEdit(dir, {"--build", projectPath}).status, 0);
    EXPECT_EQ(gdl::ReadFileBytes(dir.Path("kit/levels/" + base + ".gdl")), bytes);

    // Only the project's own files are left in its folder, plus the set and the list.
    for (const auto& file : fs::directory_iterator(dir.Path("GemQuest"))) {
        auto ext = file.path().extension().string();
        EXPECT_TRUE(ext != ".bin" && ext != ".te3" && ext != ".te4" && ext != ".bat")
            << file.path();
    }
}

TEST_F(EndToEndTest, ExitCodes) {
    const std::string output = dir.Path("set.gdl");
    const std::vector<std::string> build = {"--build", projectPath, "--output", output};
    std::vector<std::string> overwrite = build;
    overwrite.push_back("--overwrite");
    ASSERT_EQ(RunGdlEdit(dir, build).status, 0);
    auto first = gdl::ReadFileBytes(output);

    auto cancelled = RunGdlEdit(dir, build);
    EXPECT_EQ(cancelled.status, 3);
    EXPECT_EQ(cancelled.out, "Build Cancelled.\n");
    EXPECT_EQ(gdl::ReadFileBytes(output), first);
    EXPECT_EQ(RunGdlEdit(dir, overwrite).status, 0);
    const auto rebuilt = gdl::ReadFileBytes(output);
    ASSERT_TRUE(rebuilt);

    ASSERT_FALSE(model.levels.empty());
    model.levels[0].designer.clear();
    ASSERT_TRUE(gdl::SaveProject(model));
    auto errors = RunGdlEdit(dir, overwrite);
    EXPECT_EQ(errors.status, 1);
    EXPECT_NE(errors.out.find("has no Designer!"), std::string::npos);
    // The failed rebuild leaves the set it would have replaced.
    EXPECT_EQ(gdl::ReadFileBytes(output), rebuilt);

    EXPECT_EQ(RunGdlEdit(dir, {"--build"}).status, 2);
    EXPECT_EQ(RunGdlEdit(dir, {"--build", dir.Path("GemQuest")}).status, 2);
    auto version = RunGdlEdit(dir, {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("GDLEdit ") + gdl::kGdlEditVersion + "\n");
}

// Builds of one project started together never interleave: each ends in
// "Done." or in the clear in-use error, and the set is whole after every round.
TEST_F(EndToEndTest, ConcurrentBuildsOfOneProjectLeaveAWholeSet) {
    const std::vector<std::string> build = {"--build", projectPath, "--source-folder",
                                            "--overwrite"};
    const std::string set = dir.Path("GemQuest/" + gdl::BaseName(projectName) + ".gdl");
    const std::string busyLine = gdl::BeingBuiltLine(projectName);
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<std::future<gdltest::ProgramResult>> runs;
        for (int i = 0; i < 3; ++i)
            runs.push_back(std::async(std::launch::async, [&] { return RunGdlEdit(dir, build); }));
        for (auto& run : runs) {
            const gdltest::ProgramResult r = run.get();
            const auto lines = gdl::SplitLines(r.out);
            ASSERT_FALSE(lines.empty()) << r.err;
            if (r.status == 0) {
                EXPECT_EQ(lines.back(), "Done.") << r.out;
            } else {
                EXPECT_EQ(r.status, 1) << r.out << r.err;
                EXPECT_EQ(lines, (std::vector<std::string>{busyLine, "There is 1 error."}));
            }
        }
        auto bytes = gdl::ReadFileBytes(set);
        ASSERT_TRUE(bytes);
        std::string error;
        auto parsed = gdl::ParseLevelSet(*bytes, &error);
        ASSERT_TRUE(parsed) << error;
        EXPECT_EQ(parsed->levels.size(), model.levels.size());
    }
    // Nothing but the project's files and the set is left.
    for (const auto& file : fs::directory_iterator(dir.Path("GemQuest"))) {
        const std::string name = file.path().filename().string();
        EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
        EXPECT_NE(file.path().extension(), ".bin") << name;
    }
}

// --output naming the project file or one of its sources is refused with one
// error line, even with --overwrite, and the file stays as it was.
TEST_F(EndToEndTest, OutputNamingTheProjectOrASourceIsRefused) {
    ASSERT_FALSE(model.sources.empty());
    const std::string source = model.folder + model.sources[0] + ".lvs";
    for (const std::string& output : {projectPath, source}) {
        SCOPED_TRACE(output);
        const auto before = gdl::ReadFileBytes(output);
        ASSERT_TRUE(before);
        auto r = RunGdlEdit(dir, {"--build", projectPath, "--output", output, "--overwrite"});
        EXPECT_EQ(r.status, 1) << r.out << r.err;
        EXPECT_EQ(r.out, gdl::OutputIsInputLine(output, output) + "\nThere is 1 error.\n");
        EXPECT_EQ(gdl::ReadFileBytes(output), before);
    }
}

}  // namespace
