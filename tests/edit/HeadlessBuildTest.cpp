#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "CompiledLevel.h"
#include "FileUtil.h"
#include "HeadlessBuild.h"
#include "LevelInfo.h"
#include "LevelReference.h"
#include "LevelSetFile.h"
#include "LynxText.h"
#include "Passwords.h"
#include "ProjectFile.h"
#include "Registry.h"
#include "TempDir.h"
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
        if (c.kind != K::Build) continue;
        EXPECT_EQ(parsed.options.project, c.options.project);
        EXPECT_EQ(parsed.options.output, c.options.output);
        EXPECT_EQ(parsed.options.sourceFolder, c.options.sourceFolder);
        EXPECT_EQ(parsed.options.levelList, c.options.levelList);
        EXPECT_EQ(parsed.options.overwrite, c.options.overwrite);
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

std::string CompiledLevel(std::size_t size, std::string_view name) {
    gdl::CompiledLevelHeader h;
    h.width = 8;
    h.height = 8;
    h.nameCodes = gdl::EncodeLynxText(name);
    h.minutes = 1;
    h.quota = 10;
    std::string bytes = gdl::SerializeCompiledLevelHeader(h);
    bytes.resize(size, '\x33');
    return bytes;
}

// A kit folder (bin with the level tool's files, levels), a project beside it,
// a registry in memory and a level tool played by the test.
class HeadlessTest : public ::testing::Test {
protected:
    HeadlessTest()
        : bin(root.Folder() + "kit/bin/"),
          levels(root.Folder() + "kit/levels/"),
          project(root.Folder() + "proj/") {
        for (const auto& d : {bin, levels, project}) fs::create_directories(d);
        for (auto name : {"ld.exe", "ld.pif", "ldinfo.pif"}) gdl::WriteFileAtomic(bin + name, "x");
        runner.onRun = [this](const gdl::ToolCall& call) {
            // Every compile makes both levels of the one source.
            if (call.argument == "Src") {
                for (auto name : {"ONE", "TWO"})
                    gdl::WriteFileAtomic(call.folder + name + ".bin", CompiledLevel(100, name));
            }
            return 0;
        };
        model.name = "Headless Set";
        model.wizard = "MAGE";
        model.folder = project;
        model.fileName = "test.gdp";
        model.sources = {"Src"};
        for (auto [ref, pw] : {std::pair{"Src:ONE", "AAAA"}, {"Src:TWO", "BBBB"}}) {
            gdl::LevelEntry e;
            e.reference = ref;
            e.designer = "Dee";
            e.password = pw;
            model.levels.push_back(e);
        }
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
    std::string bin, levels, project;
    gdl::MemoryRegistry registry;
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

    model.levels[1].password = "MAGE";
    Save();
    EXPECT_EQ(Run({"--build", project + "test.gdp", "--output", output, "--overwrite"}), 1);
    EXPECT_NE(out.str().find("ERROR: Level 2 has the same Password as the Wizard Mode!\n"
                             "Cleaning up...\nThere is 1 error.\n"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(output));
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

const std::string kKitBin = std::string(GDLKIT_KIT_DIR) + "/bin/";
const std::string kSample = std::string(GDLKIT_SOURCE_DIR) + "/samples/GemQuest/";

struct Process {
    int code = -1;
    std::string out, err;
};

// Runs the kit's GDLEdit, copied with its tools into folder/kit/bin so that no
// other test's run shares its batch files, with a registry of its own.
Process RunGdlEdit(const TempDir& dir, const std::string& args) {
    const std::string env = "XDG_CONFIG_HOME='" + dir.Path("config") + "' XDG_CACHE_HOME='" +
                            dir.Path("cache") + "' GDLKIT_MACHINE_REG='" + dir.Path("machine.reg") +
                            "' ";
    const std::string cmd = env + "'" + dir.Path("kit/bin/") + "GDLEdit' " + args + " >'" +
                            dir.Path("out") + "' 2>'" + dir.Path("err") + "' </dev/null";
    int status = std::system(cmd.c_str());
    Process p;
    p.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    p.out = dir.Read("out");
    p.err = dir.Read("err");
    return p;
}

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir.Path("kit/bin"));
        fs::create_directories(dir.Path("kit/levels"));
        for (auto name :
             {"GDLEdit", "ld.exe", "ld.pif", "ldinfo.pif", "gdlstat.exe", "ldstat.pif"}) {
            if (!fs::exists(kKitBin + name)) GTEST_SKIP() << "kit lacks " << name;
            fs::copy_file(kKitBin + name, dir.Path("kit/bin/") + name);
        }
        std::error_code ec;
        fs::create_directories(dir.Path("GemQuest"));
        for (const auto& file : fs::directory_iterator(kSample, ec)) {
            const std::string name = file.path().filename().string();
            if (file.path().extension() == ".gdp") projectName = name;
            fs::copy_file(file.path(), dir.Path("GemQuest/" + name));
        }
        if (projectName.empty()) GTEST_SKIP() << "no sample project in " << kSample;
        projectPath = dir.Path("GemQuest/" + projectName);
        ASSERT_TRUE(gdl::LoadProject(model, projectPath));
    }

    TempDir dir;
    std::string projectName, projectPath;
    gdl::ProjectModel model;
};

TEST_F(EndToEndTest, SampleProjectBuildsToASetThatDecodesBack) {
    auto p = RunGdlEdit(dir, "--build '" + projectPath + "' --source-folder --level-list");
    ASSERT_EQ(p.code, 0) << p.out << p.err;
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
    ASSERT_EQ(RunGdlEdit(dir, "--build '" + projectPath + "'").code, 0);
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
    const std::string build = "--build '" + projectPath + "' --output '" + output + "'";
    ASSERT_EQ(RunGdlEdit(dir, build).code, 0);
    auto first = gdl::ReadFileBytes(output);

    auto cancelled = RunGdlEdit(dir, build);
    EXPECT_EQ(cancelled.code, 3);
    EXPECT_EQ(cancelled.out, "Build Cancelled.\n");
    EXPECT_EQ(gdl::ReadFileBytes(output), first);
    EXPECT_EQ(RunGdlEdit(dir, build + " --overwrite").code, 0);

    ASSERT_FALSE(model.levels.empty());
    model.levels[0].designer.clear();
    ASSERT_TRUE(gdl::SaveProject(model));
    auto errors = RunGdlEdit(dir, build + " --overwrite");
    EXPECT_EQ(errors.code, 1);
    EXPECT_NE(errors.out.find("has no Designer!"), std::string::npos);
    EXPECT_FALSE(fs::exists(output));

    EXPECT_EQ(RunGdlEdit(dir, "--build").code, 2);
    EXPECT_EQ(RunGdlEdit(dir, "--build '" + dir.Path("GemQuest") + "'").code, 2);
    auto version = RunGdlEdit(dir, "--version");
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, std::string("GDLEdit ") + gdl::kGdlEditVersion + "\n");
}

}  // namespace
