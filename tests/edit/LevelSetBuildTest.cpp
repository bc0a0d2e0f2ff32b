#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "CompiledLevel.h"
#include "FileUtil.h"
#include "LevelSetBuild.h"
#include "LevelSetFile.h"
#include "LevelTool.h"
#include "LynxText.h"
#include "Passwords.h"
#include "Prompts.h"
#include "TempDir.h"
#include "TextUtil.h"
#include "ToolRunner.h"

namespace {

using gdl::LevelEntry;
using gdltest::TempDir;
namespace fs = std::filesystem;

// A compiled level of exactly `size` bytes with a real header.
std::string MakeBin(std::size_t size, std::string_view name, std::uint8_t fill = 0x55) {
    gdl::CompiledLevelHeader h;
    h.width = 16;
    h.height = 9;
    h.nameCodes = gdl::EncodeLynxText(name);
    h.minutes = 3;
    h.seconds = 5;
    h.quota = 120;
    std::string bytes = gdl::SerializeCompiledLevelHeader(h);
    bytes.resize(size, static_cast<char>(fill));
    return bytes;
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
    BuildTest() : projectDir(MakeDir(root, "project/")), toolDir(MakeDir(root, "bin/")) {
        for (auto name : {"ld.exe", "ld.pif", "ldinfo.pif", "gdlstat.exe", "ldstat.pif"})
            WriteFile(toolDir + name, "x");
        runner.onRun = [this](const gdl::ToolCall& call) { return Play(call); };
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

    // Made before the level tool looks at its folder.
    static std::string MakeDir(const TempDir& root, const std::string& name) {
        fs::create_directories(root.Folder() + name);
        return root.Folder() + name;
    }

    static void WriteFile(const std::string& path, std::string_view bytes) {
        ASSERT_TRUE(gdl::WriteFileAtomic(path, bytes)) << path;
    }

    void AddLevel(std::string reference, std::string designer = "Ann", std::string password = "") {
        if (password.empty()) password = "P" + std::to_string(model.levels.size() + 100);
        LevelEntry e;
        e.reference = std::move(reference);
        e.designer = std::move(designer);
        e.password = std::move(password);
        e.hint = "hint " + e.reference;
        model.levels.push_back(e);
    }

    int Play(const gdl::ToolCall& call) {
        std::string batch =
            call.file.find('/') == std::string::npos ? tool.BatchFolder() + call.file : call.file;
        std::string text = gdl::ReadFileBytes(batch).value_or("");
        if (text.find("-m%1") != std::string::npos) {
            compiled.push_back(call.argument);
            if (onCompile) onCompile(call.argument, compiled.size());
            for (const auto& [level, bytes] : sources[call.argument])
                WriteFile(call.folder + level + ".bin", bytes);
        } else if (text.find("-s%1") != std::string::npos) {
            listed.push_back(call.argument);
            WriteFile(call.folder + call.argument + ".te1", listings[call.argument]);
        } else if (text.find("gdlstat") != std::string::npos) {
            auto te3 = gdl::ReadFileBytes(call.folder + call.argument + ".te3");
            if (!te3) return 2;
            int levels = 0;
            for (const auto& line : gdl::SplitLines(*te3))
                if (line.size() == 103) ++levels;
            std::string te4;
            for (int i = 0; i < 7; ++i) te4 += "repeated " + std::to_string(i) + "\r\n";
            WriteFile(call.folder + call.argument + ".te4",
                      te4 + "Levels listed: " + std::to_string(levels) + "\r\n");
        }
        return 0;
    }

    gdl::BuildResult Build() {
        return gdl::RunLevelSetBuild(model, settings, tool, prompts, random, view);
    }
    std::optional<gdl::LevelSetContents> Output() const {
        auto bytes = gdl::ReadFileBytes(settings.outputPath);
        if (!bytes) return std::nullopt;
        return gdl::ParseLevelSet(*bytes);
    }
    bool OutputExists() const { return fs::exists(settings.outputPath); }
    std::vector<std::string> ErrorLines() const {
        std::vector<std::string> r;
        for (const auto& l : view.lines)
            if (l.rfind("ERROR:", 0) == 0) r.push_back(l);
        return r;
    }

    TempDir root;
    std::string projectDir, toolDir;
    gdl::RecordingToolRunner runner;
    gdl::ScriptedPrompts prompts;
    gdl::LevelTool tool{toolDir, runner, prompts};
    gdl::ScriptedRandom random;
    RecordingView view;
    gdl::ProjectModel model;
    gdl::BuildSettings settings;

    std::map<std::string, std::map<std::string, std::string>> sources;
    std::map<std::string, std::string> listings;
    std::vector<std::string> compiled;
    std::vector<std::string> listed;
    std::function<void(const std::string&, std::size_t)> onCompile;
};

TEST_F(BuildTest, OneLevelOf500BytesMakesA24892ByteSet) {
    sources["Gems"]["PIT"] = MakeBin(500, "THE PIT");
    AddLevel("Gems:PIT", "Ann", "ABCD");
    WriteFile(projectDir + "gdl.hsf", "left by the tool");

    auto result = Build();

    EXPECT_EQ(result.outcome, gdl::BuildOutcome::Done);
    EXPECT_EQ(view.lines,
              (std::vector<std::string>{"Building Level Set...", "Compiling Level 1...",
                                        "Indexing Level 1...", "Cleaning up...", "Done."}));
    EXPECT_EQ(gdl::FileSize(settings.outputPath).value_or(0), 24892u);
    auto set = Output();
    ASSERT_TRUE(set);
    EXPECT_EQ(set->index.header.name, "Gem Set");
    EXPECT_EQ(set->index.header.year, "2024");
    EXPECT_EQ(set->index.header.wizard, "WZRD");
    EXPECT_EQ(set->index.header.visibleCount, 1);
    EXPECT_EQ(set->index.header.hiddenCount, 0);
    const auto& entry = set->index.table[0];
    EXPECT_TRUE(entry.present);
    EXPECT_EQ(entry.position, 1);
    EXPECT_EQ(entry.password, "ABCD");
    EXPECT_EQ(entry.designer, "Ann");
    EXPECT_EQ(entry.size, 500u);
    EXPECT_FALSE(set->index.table[1].present);
    ASSERT_EQ(set->levels.size(), 1u);
    EXPECT_EQ(set->levels[0].first.hint, "hint Gems:PIT");
    EXPECT_EQ(set->levels[0].second, sources["Gems"]["PIT"]);
    EXPECT_TRUE(set->hasEndRecord);
    // Intermediate files are gone; the project's own files are not touched.
    EXPECT_FALSE(fs::exists(projectDir + "PIT.bin"));
    EXPECT_FALSE(fs::exists(projectDir + "gdl.hsf"));
    EXPECT_FALSE(fs::exists(projectDir + "gems.txt"));
    EXPECT_EQ(view.statusBar, (std::vector<std::string>{" Building...", " " + model.FullPath()}));
    EXPECT_EQ(view.enabled, (std::vector<bool>{false, true}));
    EXPECT_EQ(view.progressMax, 4);
    EXPECT_EQ(view.progress, 4);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(BuildTest, HiddenLevelsAreLabelledFromTheOffset) {
    for (auto name : {"A", "B", "C"}) sources["S"][name] = MakeBin(40, name);
    for (auto name : {"A", "B", "C"}) AddLevel(std::string("S:") + name);
    model.offset = 2;

    ASSERT_EQ(Build().outcome, gdl::BuildOutcome::Done);

    std::vector<std::string> expected{
        "Building Level Set...", "Compiling Level H1...", "Compiling Level 0...",
        "Compiling Level 1...",  "Indexing Level H1...",  "Indexing Level 0...",
        "Indexing Level 1...",   "Cleaning up...",        "Done."};
    EXPECT_EQ(view.lines, expected);
    auto set = Output();
    ASSERT_TRUE(set);
    EXPECT_EQ(set->index.header.hiddenCount, 2);
    EXPECT_EQ(set->index.header.visibleCount, 1);
    ASSERT_EQ(set->levels.size(), 3u);
    for (std::uint8_t n = 1; n <= 3; ++n) EXPECT_EQ(set->levels[n - 1].first.position, n);
    EXPECT_EQ(view.progressMax, 8);
}

struct ValidationCase {
    const char* title;
    std::vector<std::pair<std::string, std::string>> levels;  // designer, password
    std::vector<std::string> errors;
    std::string finalLine;
};

class ValidationTest : public BuildTest, public ::testing::WithParamInterface<ValidationCase> {};

TEST_P(ValidationTest, ListsEveryErrorAndLeavesNoSet) {
    const auto& c = GetParam();
    for (std::size_t i = 0; i < c.levels.size(); ++i) {
        std::string name = "L" + std::to_string(i + 1);
        sources["S"][name] = MakeBin(60, name);
        LevelEntry e;
        e.reference = "S:" + name;
        e.designer = c.levels[i].first;
        e.password = c.levels[i].second;
        model.levels.push_back(e);
    }
    settings.levelList = true;

    auto result = Build();

    EXPECT_EQ(result.outcome, gdl::BuildOutcome::Errors);
    EXPECT_EQ(result.errors, static_cast<int>(c.errors.size()));
    EXPECT_EQ(ErrorLines(), c.errors);
    EXPECT_EQ(view.lines.back(), c.finalLine);
    EXPECT_FALSE(OutputExists());
    for (const auto& line : view.lines) EXPECT_EQ(line.find("Indexing"), std::string::npos);
    // Compiled only in the first pass, removed again; the level list is still written.
    EXPECT_EQ(compiled, std::vector<std::string>{"S"});
    for (std::size_t i = 1; i <= c.levels.size(); ++i)
        EXPECT_FALSE(fs::exists(projectDir + "L" + std::to_string(i) + ".bin"));
    EXPECT_TRUE(fs::exists(projectDir + "gems.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValidationTest,
    ::testing::Values(
        ValidationCase{"NeitherDesignerNorPassword",
                       {{"", ""}},
                       {"ERROR: Level 1 has no Designer!", "ERROR: Level 1 has no Password!"},
                       "There are 2 errors."},
        ValidationCase{"TwoEmptyPasswordsAreNoDuplicate",
                       {{"Ann", ""}, {"Ann", ""}},
                       {"ERROR: Level 1 has no Password!", "ERROR: Level 2 has no Password!"},
                       "There are 2 errors."},
        ValidationCase{"SharedPasswordNamesTheEarlierLevel",
                       {{"Ann", "ABCD"}, {"Ann", "EFGH"}, {"Ann", "abcd"}},
                       {"ERROR: Level 3 has the same Password as Level 1!"},
                       "There is 1 error."},
        ValidationCase{"WizardCodeClash",
                       {{"Ann", "ABCD"}, {"Ann", "WZRD"}},
                       {"ERROR: Level 2 has the same Password as the Wizard Mode!"},
                       "There is 1 error."},
        ValidationCase{"ThreeErrors",
                       {{"", "ABCD"}, {"Ann", "WZRD"}, {"Bob", "ABCD"}},
                       {"ERROR: Level 1 has no Designer!",
                        "ERROR: Level 2 has the same Password as the Wizard Mode!",
                        "ERROR: Level 3 has the same Password as Level 1!"},
                       "There are 3 errors."}),
    [](const auto& info) { return std::string(info.param.title); });

TEST_F(BuildTest, DeclinedOverwriteTouchesNothing) {
    sources["S"]["A"] = MakeBin(40, "A");
    AddLevel("S:A");
    WriteFile(settings.outputPath, "old set");
    WriteFile(projectDir + "A.bin", "kept");
    WriteFile(projectDir + "gdl.hsf", "kept");
    settings.levelList = true;
    prompts.answers.push_back(gdl::Answer::No);

    auto result = Build();

    EXPECT_EQ(result.outcome, gdl::BuildOutcome::Cancelled);
    EXPECT_EQ(view.lines, std::vector<std::string>{"Build Cancelled."});
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].caption, "Confirm");
    EXPECT_EQ(prompts.shown[0].text,
              "File \"" + settings.outputPath + "\" already exists. Overwrite?");
    EXPECT_EQ(prompts.shown[0].buttons, gdl::MsgButtons::YesNo);
    EXPECT_EQ(prompts.shown[0].icon, gdl::MsgIcon::Question);
    EXPECT_EQ(gdl::ReadFileBytes(settings.outputPath), "old set");
    EXPECT_EQ(gdl::ReadFileBytes(projectDir + "A.bin"), "kept");
    EXPECT_TRUE(fs::exists(projectDir + "gdl.hsf"));
    EXPECT_FALSE(fs::exists(projectDir + "gems.txt"));
    EXPECT_TRUE(runner.calls.empty());
    EXPECT_EQ(view.enabled, (std::vector<bool>{false, true}));
    EXPECT_EQ(view.statusBar.back(), " " + model.FullPath());
}

TEST_F(BuildTest, AcceptedOverwriteReplacesTheSet) {
    sources["S"]["A"] = MakeBin(40, "A");
    AddLevel("S:A");
    WriteFile(settings.outputPath, "old set");
    prompts.answers.push_back(gdl::Answer::Yes);

    EXPECT_EQ(Build().outcome, gdl::BuildOutcome::Done);
    EXPECT_EQ(gdl::FileSize(settings.outputPath).value_or(0), 23938u + 454 + 40);
}

TEST_F(BuildTest, RandomMusicIsDrawnAnewAndManualIsKept) {
    for (auto name : {"A", "B", "C"}) {
        sources["S"][name] = MakeBin(40, name);
        AddLevel(std::string("S:") + name);
    }
    auto musicOf = [this] {
        auto set = Output();
        std::vector<int> r;
        if (set)
            for (int i = 0; i < 3; ++i) r.push_back(set->index.table[i].music);
        return r;
    };
    settings.outputPath = root.Folder() + "random.gdl";
    model.musicMode = gdl::MusicMode::Random;
    random.draws = {0, 0, 0};  // up, up, up: 0, 1, 2
    ASSERT_EQ(Build().outcome, gdl::BuildOutcome::Done);
    EXPECT_EQ(musicOf(), (std::vector<int>{0, 1, 2}));
    prompts.answers.push_back(gdl::Answer::Yes);
    random.draws = {1, 1, 0};  // down, down, up: 1, 0, 1
    ASSERT_EQ(Build().outcome, gdl::BuildOutcome::Done);
    EXPECT_EQ(musicOf(), (std::vector<int>{1, 0, 1}));
    EXPECT_EQ(model.levels[1].music, "0");

    model.musicMode = gdl::MusicMode::Manual;
    model.levels[0].music = "2";
    model.levels[1].music = "2";
    model.levels[2].music = "0";
    prompts.answers.push_back(gdl::Answer::Yes);
    random.draws = {0, 0, 0};
    ASSERT_EQ(Build().outcome, gdl::BuildOutcome::Done);
    EXPECT_EQ(musicOf(), (std::vector<int>{2, 2, 0}));
    EXPECT_EQ(random.draws.size(), 3u);
}

TEST_F(BuildTest, LevelListHasItsOpeningLinesLevelLinesAndSummary) {
    // Levels named without a source: their information comes from their own header.
    for (int i = 1; i <= 13; ++i) {
        std::string name = "LV" + std::to_string(i);
        WriteFile(projectDir + name + ".bin", MakeBin(64, "THE PIT"));
        AddLevel(name, "Ann");
    }
    model.offset = 13;
    model.levels[0].password = "QRST";
    settings.levelList = true;

    ASSERT_EQ(Build().outcome, gdl::BuildOutcome::Done);

    auto text = gdl::ReadFileBytes(projectDir + "gems.txt");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->substr(text->size() - 2), "\r\n");
    auto lines = gdl::SplitLines(*text);
    ASSERT_EQ(lines.size(), 9u + 13 + 2 + 1);
    auto opening = gdl::LevelListOpeningLines();
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 9), opening);
    EXPECT_EQ(lines[1], gdl::kLevelToolBanner1);
    EXPECT_EQ(lines[2], gdl::kLevelToolBanner2);
    EXPECT_EQ(lines[5], std::string(106, '-'));
    // H12 stands right-aligned in columns 4 to 11.
    const std::string& first = lines[9];
    ASSERT_EQ(first.size(), 103u);
    EXPECT_EQ(first.substr(0, 11), "        H12");
    EXPECT_EQ(first.substr(13, 17), "THE PIT          ");
    EXPECT_EQ(first.substr(32, 5), "16x9 ");
    EXPECT_EQ(first.substr(39, 5), "  120");
    EXPECT_EQ(first.substr(46, 5), " 3:05");
    EXPECT_EQ(first.substr(53, 8), "QRST    ");
    EXPECT_EQ(gdl::TrimBlanks(first.substr(63)), "Ann");
    EXPECT_EQ(lines[21].substr(0, 11), "          0");
    EXPECT_EQ(lines[22], "");
    EXPECT_EQ(lines[23], std::string(106, '-'));
    EXPECT_EQ(lines[24], "Levels listed: 13");
    EXPECT_FALSE(fs::exists(projectDir + "gems.te3"));
    EXPECT_FALSE(fs::exists(projectDir + "gems.te4"));
    // Levels named without a source stay, and were never compiled.
    EXPECT_TRUE(fs::exists(projectDir + "LV1.bin"));
    EXPECT_TRUE(compiled.empty());
}

TEST_F(BuildTest, LevelListOfASourceComesFromItsListing) {
    sources["S"]["PIT"] = MakeBin(50, "THE PIT");
    const std::string row = gdl::RightAlign("PIT", 11) + "  " + gdl::LeftAlign("DEEP PIT", 17) +
                            "  20x10  " + gdl::RightAlign("300", 5) + "  " +
                            gdl::RightAlign("12:00", 5) + "  LZ";
    listings["S"] = std::string(gdl::kLevelToolBanner1) + "\r\n\r\n" + gdl::kLevelListHeading +
                    "\r\n" + gdl::kLevelListDashes + "\r\n" + row + "\r\n\r\n";
    AddLevel("S:PIT", "Ann", "ABCD");
    settings.levelList = true;
    fs::remove(toolDir + "gdlstat.exe");  // no summary, and no message for it

    ASSERT_EQ(Build().outcome, gdl::BuildOutcome::Done);

    auto lines = gdl::SplitLines(gdl::ReadFileBytes(projectDir + "gems.txt").value_or(""));
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[9].substr(0, 51), "          1  DEEP PIT           20x10    300  12:00");
    EXPECT_EQ(lines[11], std::string(106, '-'));
    EXPECT_EQ(listed, std::vector<std::string>{"S"});
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(BuildTest, CompilesOncePerRunOfASourceInEachPass) {
    for (auto [source, level] : {std::pair{"A", "A1"}, {"A", "A2"}, {"B", "B1"}, {"A", "A3"}}) {
        sources[source][level] = MakeBin(40, level);
        AddLevel(std::string(source) + ":" + level);
    }
    WriteFile(projectDir + "FREE.bin", MakeBin(40, "FREE"));
    AddLevel("FREE");

    ASSERT_EQ(Build().outcome, gdl::BuildOutcome::Done);
    EXPECT_EQ(compiled, (std::vector<std::string>{"A", "B", "A", "A", "B", "A"}));
    for (const auto& call : runner.calls) {
        EXPECT_EQ(call.folder, projectDir);
        EXPECT_TRUE(call.wait);
    }
}

TEST_F(BuildTest, CompilesAgainForAMissingLevelFile) {
    sources["A"]["A1"] = MakeBin(40, "A1");
    AddLevel("A:A1");
    AddLevel("A:A2");
    // The first compile leaves A2 out; later ones make it.
    onCompile = [this](const std::string&, std::size_t n) {
        if (n == 2) sources["A"]["A2"] = MakeBin(44, "A2");
    };

    ASSERT_EQ(Build().outcome, gdl::BuildOutcome::Done);
    EXPECT_EQ(compiled, (std::vector<std::string>{"A", "A", "A"}));
    auto set = Output();
    ASSERT_TRUE(set);
    EXPECT_EQ(set->index.table[1].size, 44u);
}

TEST_F(BuildTest, LevelThatIsNeverMadeIsAnError) {
    sources["A"]["A1"] = MakeBin(40, "A1");
    AddLevel("A:A1");
    AddLevel("A:MISSING");
    AddLevel("A:ADIR");
    fs::create_directory(projectDir + "ADIR.bin");

    auto result = Build();

    EXPECT_EQ(result.errors, 2);
    EXPECT_EQ(ErrorLines(), (std::vector<std::string>{"ERROR: Level 2 could not be compiled!",
                                                      "ERROR: Level 3 could not be compiled!"}));
    EXPECT_EQ(view.lines.back(), "There are 2 errors.");
    EXPECT_FALSE(OutputExists());
}

TEST_F(BuildTest, UnreadableLevelIsAnError) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    WriteFile(projectDir + "LOCKED.bin", MakeBin(40, "LOCKED"));
    ::chmod((projectDir + "LOCKED.bin").c_str(), 0);
    AddLevel("LOCKED");

    EXPECT_EQ(Build().errors, 1);
    EXPECT_EQ(ErrorLines(), std::vector<std::string>{"ERROR: Level 1 could not be compiled!"});
    EXPECT_FALSE(OutputExists());
}

TEST_F(BuildTest, LevelChangingBetweenThePassesIsAnError) {
    sources["A"]["A1"] = MakeBin(40, "A1");
    AddLevel("A:A1");
    WriteFile(projectDir + "FREE.bin", MakeBin(40, "FREE"));
    AddLevel("FREE");
    sources["B"]["B1"] = MakeBin(40, "B1");
    AddLevel("B:B1");
    // The second pass's compiles grow A's level and remove FREE.
    onCompile = [this](const std::string& source, std::size_t n) {
        if (n <= 2) return;
        if (source == "A") sources["A"]["A1"] = MakeBin(41, "A1");
        fs::remove(projectDir + "FREE.bin");
    };

    auto result = Build();

    EXPECT_EQ(ErrorLines(),
              (std::vector<std::string>{"ERROR: Level 1 changed size during the build!",
                                        "ERROR: Level 2 could not be compiled!"}));
    EXPECT_EQ(result.errors, 2);
    EXPECT_EQ(view.lines.back(), "There are 2 errors.");
    EXPECT_FALSE(OutputExists());
}

TEST_F(BuildTest, OutputThatCannotBeCreatedIsAnError) {
    sources["A"]["A1"] = MakeBin(40, "A1");
    AddLevel("A:A1", "");
    for (std::string path : {root.Folder() + "no/such/folder/out.gdl", root.Folder() + "adir"}) {
        SCOPED_TRACE(path);
        fs::create_directory(root.Folder() + "adir");
        settings.outputPath = path;
        compiled.clear();

        auto result = Build();

        EXPECT_EQ(ErrorLines(),
                  (std::vector<std::string>{"ERROR: Unable to write \"" + path + "\"!",
                                            "ERROR: Level 1 has no Designer!"}));
        EXPECT_EQ(result.errors, 2);
        EXPECT_TRUE(prompts.shown.empty());
        EXPECT_EQ(compiled, std::vector<std::string>{"A"});
        EXPECT_FALSE(fs::exists(projectDir + "A1.bin"));
    }
    EXPECT_TRUE(fs::is_directory(root.Folder() + "adir"));
}

TEST_F(BuildTest, OutputThatCannotBeWrittenIsAnErrorAndRemoved) {
    sources["A"]["A1"] = MakeBin(4000, "A1");
    AddLevel("A:A1");
    // The header and table fit; the level does not.
    struct Limit {
        rlimit old{};
        void (*oldHandler)(int) = nullptr;
        Limit() {
            oldHandler = ::signal(SIGXFSZ, SIG_IGN);
            ::getrlimit(RLIMIT_FSIZE, &old);
            rlimit small = old;
            small.rlim_cur = 24000;
            ::setrlimit(RLIMIT_FSIZE, &small);
        }
        ~Limit() {
            ::setrlimit(RLIMIT_FSIZE, &old);
            ::signal(SIGXFSZ, oldHandler);
        }
    };
    gdl::BuildResult result;
    {
        Limit limit;
        result = Build();
    }
    EXPECT_EQ(ErrorLines(),
              std::vector<std::string>{"ERROR: Unable to write \"" + settings.outputPath + "\"!"});
    EXPECT_EQ(result.outcome, gdl::BuildOutcome::Errors);
    EXPECT_EQ(view.lines.back(), "There is 1 error.");
    EXPECT_FALSE(OutputExists());
}

TEST_F(BuildTest, NamesWithASlashStayInsideTheProjectFolder) {
    const std::string outside = root.Folder() + "outside.bin";
    WriteFile(outside, MakeBin(40, "OUTSIDE"));
    WriteFile(root.Folder() + "evil.te2", "[x]\r\nName=EVIL\r\n");
    sources["A"]["A1"] = MakeBin(40, "A1");
    AddLevel("A:../outside");
    AddLevel("../outside");
    AddLevel("../evil:A1");
    settings.levelList = true;

    auto result = Build();

    EXPECT_EQ(result.errors, 3);
    EXPECT_EQ(ErrorLines(),
              (std::vector<std::string>{"ERROR: Level 1 has an invalid Level Reference!",
                                        "ERROR: Level 2 has an invalid Level Reference!",
                                        "ERROR: Level 3 has an invalid Level Reference!"}));
    EXPECT_EQ(gdl::ReadFileBytes(outside), MakeBin(40, "OUTSIDE"));
    EXPECT_EQ(compiled, std::vector<std::string>{"A"});
    EXPECT_TRUE(listed.empty());
    auto list = gdl::ReadFileBytes(projectDir + "gems.txt").value_or("");
    EXPECT_EQ(list.find("OUTSIDE"), std::string::npos);
    EXPECT_NE(list.find("*level error*"), std::string::npos);
}

// The real runner and batch files, with shell scripts standing in for the tools.
TEST_F(BuildTest, RunsTheToolsAsProcesses) {
    gdl::PosixToolRunner posix;
    gdl::LevelTool realTool(toolDir, posix, prompts);
    WriteFile(toolDir + "ld.exe",
              "#!/bin/sh\ncase \"$1\" in -m*) cp \"$(dirname \"$0\")/made/${1#-m}/\"*.bin . ;; "
              "esac\n");
    WriteFile(toolDir + "gdlstat.exe", "#!/bin/sh\nprintf '1\\n2\\n3\\n4\\n5\\n6\\n7\\n'\nwc -l\n");
    for (auto name : {"ld.exe", "gdlstat.exe"})
        fs::permissions(toolDir + name, fs::perms::owner_all, fs::perm_options::add);
    fs::create_directories(toolDir + "made/Src");
    WriteFile(toolDir + "made/Src/ONE.bin", MakeBin(300, "ONE"));
    WriteFile(toolDir + "made/Src/TWO.bin", MakeBin(200, "TWO"));
    AddLevel("Src:ONE");
    AddLevel("Src:TWO");
    settings.levelList = true;

    auto result = gdl::RunLevelSetBuild(model, settings, realTool, prompts, random, view);

    EXPECT_EQ(result.outcome, gdl::BuildOutcome::Done) << ::testing::PrintToString(view.lines);
    auto set = Output();
    ASSERT_TRUE(set);
    ASSERT_EQ(set->levels.size(), 2u);
    EXPECT_EQ(set->levels[0].second, MakeBin(300, "ONE"));
    EXPECT_EQ(set->levels[1].second, MakeBin(200, "TWO"));
    EXPECT_FALSE(fs::exists(projectDir + "ONE.bin"));
    auto lines = gdl::SplitLines(gdl::ReadFileBytes(projectDir + "gems.txt").value_or(""));
    ASSERT_EQ(lines.size(), 9u + 2 + 2 + 1);
    EXPECT_EQ(gdl::TrimBlanks(lines.back()), "13");
    EXPECT_FALSE(fs::exists(projectDir + "gems.te3"));
    EXPECT_FALSE(fs::exists(projectDir + "gems.te4"));
}

TEST(BuildTexts, FinalLineAndOutputPath) {
    EXPECT_EQ(gdl::FinalBuildLine(0), "Done.");
    EXPECT_EQ(gdl::FinalBuildLine(1), "There is 1 error.");
    EXPECT_EQ(gdl::FinalBuildLine(12), "There are 12 errors.");
    EXPECT_EQ(gdl::ComposeOutputPath("/kit/levels/", "/p/", "a.gdl", false), "/kit/levels/a.gdl");
    EXPECT_EQ(gdl::ComposeOutputPath("/kit/levels/", "/p/", "a.gdl", true), "/p/a.gdl");
    EXPECT_EQ(gdl::ComposeOutputPath("", "/p/", "a.gdl", false), "/p/a.gdl");
}

TEST(BuildTexts, LevelListColumns) {
    const std::string heading = gdl::kLevelListHeading;
    EXPECT_EQ(heading.find("Name"), 3u);
    EXPECT_EQ(heading.find("Long Name"), 13u);
    EXPECT_EQ(heading.find("Size"), 32u);
    EXPECT_EQ(heading.find("Quota"), 39u);
    EXPECT_EQ(heading.find("Time"), 46u);
    EXPECT_EQ(heading.find("Compression"), 53u);
    EXPECT_EQ(std::string(gdl::kLevelListDashes).substr(0, 11), "   --------");
    std::string line = gdl::FormatLevelListLine("H1", "info", "ABCDEFGHIJ", std::string(50, 'd'));
    EXPECT_EQ(line.size(), 103u);
    EXPECT_EQ(line.substr(53, 10), "ABCDEFGH  ");
    EXPECT_EQ(line.substr(63), std::string(40, 'd'));
}

}  // namespace
