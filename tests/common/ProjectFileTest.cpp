#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <set>

#include "ProjectFile.h"
#include "TempDir.h"

namespace gdl {
namespace {

constexpr int kYear = 2031;

const std::string kExample =
    "[^GDP]\r\n"
    "Name=My Levels\r\n"
    "Copyright=2000\r\n"
    "Notice=A. Designer\r\n"
    "Comments=Ten easy levels\r\n"
    "Offset=1\r\n"
    "AssignMusic=Automatic\r\n"
    "Wizard=\r\n"
    "[Source]\r\n"
    "1=MyLevel1\r\n"
    "[Levels]\r\n"
    "1=MyLevel1:SECRET\r\n"
    "2=MyLevel1:FIRST\r\n"
    "[Level.MyLevel1:SECRET]\r\n"
    "Designer=A. Designer\r\n"
    "Password=\r\n"
    "Music=0\r\n"
    "Hint=Look behind the wall\r\n"
    "[Level.MyLevel1:FIRST]\r\n"
    "Designer=A. Designer\r\n"
    "Password=\r\n"
    "Music=1\r\n"
    "Hint=\r\n";

ProjectModel ExampleModel() {
    ProjectModel m;
    m.name = "My Levels";
    m.copyrightYear = 2000;
    m.notice = "A. Designer";
    m.comments = "Ten easy levels";
    m.offset = 1;
    m.musicMode = MusicMode::Automatic;
    m.sources = {"MyLevel1"};
    m.levels = {{"MyLevel1:SECRET", "A. Designer", "", "0", "Look behind the wall"},
                {"MyLevel1:FIRST", "A. Designer", "", "1", ""}};
    return m;
}

ProjectModel Load(const std::string& text) {
    ProjectModel m;
    EXPECT_TRUE(LoadProjectFromIni(m, IniFile::FromBytes(text), kYear));
    return m;
}

void ExpectSameStoredFields(const ProjectModel& a, const ProjectModel& b) {
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.copyrightYear, b.copyrightYear);
    EXPECT_EQ(a.notice, b.notice);
    EXPECT_EQ(a.comments, b.comments);
    EXPECT_EQ(a.offset, b.offset);
    EXPECT_EQ(a.musicMode, b.musicMode);
    EXPECT_EQ(a.wizard, b.wizard);
    EXPECT_EQ(a.sources, b.sources);
    EXPECT_EQ(a.levels, b.levels);
}

TEST(ProjectFile, ExampleIsWrittenByteForByte) {
    EXPECT_EQ(ProjectToBytes(ExampleModel()), kExample);

    gdltest::TempDir dir;
    ProjectModel m = ExampleModel();
    m.folder = dir.Folder();
    m.fileName = "my.gdp";
    m.modified = true;
    ASSERT_TRUE(SaveProject(m));
    EXPECT_FALSE(m.modified);
    EXPECT_EQ(dir.Read("my.gdp"), kExample);
}

TEST(ProjectFile, LoadThenSaveGivesTheSameBytes) {
    gdltest::TempDir dir;
    dir.Write("in.gdp", kExample);
    ProjectModel m;
    ASSERT_TRUE(LoadProject(m, dir.Path("in.gdp")));
    EXPECT_EQ(m.folder, dir.Folder());
    EXPECT_EQ(m.fileName, "in.gdp");
    EXPECT_TRUE(m.open);
    EXPECT_FALSE(m.modified);
    ExpectSameStoredFields(m, ExampleModel());
    EXPECT_EQ(m.designers, std::vector<std::string>{"A. Designer"});
    EXPECT_EQ(m.HiddenLevels(), 1);
    EXPECT_EQ(m.NumberedLevels(), 1);

    m.fileName = "out.gdp";
    ASSERT_TRUE(SaveProject(m));
    EXPECT_EQ(dir.Read("out.gdp"), kExample);
}

TEST(ProjectFile, SaveReplacesAHandEditedFileWhole) {
    gdltest::TempDir dir;
    dir.Write("p.gdp",
              "[Extra]\r\nx=1\r\n[^GDP]\r\nName=Old\r\nStale=1\r\n[Level.Gone:X]\r\nHint=h\r\n");
    ProjectModel m = ExampleModel();
    m.folder = dir.Folder();
    m.fileName = "p.gdp";
    ASSERT_TRUE(SaveProject(m));
    EXPECT_EQ(dir.Read("p.gdp"), kExample);
    // Written beside the file and renamed over it: nothing else is left behind.
    EXPECT_EQ(dir.Names(), std::set<std::string>{"p.gdp"});
}

TEST(ProjectFile, FailedSaveKeepsTheModifiedFlag) {
    gdltest::TempDir dir;
    ProjectModel m = ExampleModel();
    m.folder = dir.Path("missing/");
    m.fileName = "p.gdp";
    m.modified = true;
    EXPECT_FALSE(SaveProject(m));
    EXPECT_TRUE(m.modified);
}

struct MusicCase {
    const char* line;  // nullptr: no key
    MusicMode expected;
};

TEST(ProjectFile, AssignMusicReadRules) {
    const MusicCase cases[] = {{"AssignMusic=RANDOM", MusicMode::Random},
                               {"AssignMusic=random", MusicMode::Random},
                               {"AssignMusic=Manual", MusicMode::Manual},
                               {"AssignMusic= mAnUaL ", MusicMode::Manual},
                               {"AssignMusic=Automatic", MusicMode::Automatic},
                               {"AssignMusic=", MusicMode::Automatic},
                               {"AssignMusic=Sometimes", MusicMode::Automatic},
                               {nullptr, MusicMode::Manual}};
    for (const auto& c : cases) {
        std::string text = "[^GDP]\r\nName=N\r\n";
        if (c.line) text += std::string(c.line) + "\r\n";
        EXPECT_EQ(Load(text).musicMode, c.expected) << (c.line ? c.line : "(missing)");
    }
}

TEST(ProjectFile, NumbersReadWithFallbacks) {
    struct {
        const char* lines;
        int year;
        int offset;
    } cases[] = {
        {"", kYear, 0},
        {"Copyright=1999\r\nOffset=3", 1999, 3},
        {"Copyright= 1999 \r\nOffset= 3 ", 1999, 3},
        {"Copyright=MCMXCIX\r\nOffset=three", kYear, 0},
        {"Copyright=\r\nOffset=", kYear, 0},
        {"Copyright=19x9\r\nOffset=2x", kYear, 0},
        {"Copyright=99999999999\r\nOffset=99999999999", kYear, 2147483647},
        {"Offset=-4", kYear, 0},
    };
    for (const auto& c : cases) {
        ProjectModel m = Load("[^GDP]\r\nName=N\r\n" + std::string(c.lines) + "\r\n");
        EXPECT_EQ(m.copyrightYear, c.year) << c.lines;
        EXPECT_EQ(m.offset, c.offset) << c.lines;
    }
}

// What is shown, saved and built is what the window's fields take: a
// hand-edited value beyond a field's limit is cut when the project loads.
TEST(ProjectFile, OverlongValuesAreCutOnLoad) {
    const std::string name(45, 'N'), notice(70, 'o'), comments(600, 'c'), hint(400, 'h');
    ProjectModel m =
        Load("[^GDP]\r\nName=" + name + "\r\nNotice=" + notice + "\r\nComments=" + comments +
             "\r\nWizard=wizard\r\n[Levels]\r\n1=A:X\r\n2=A:Y\r\n"
             "[Level.A:X]\r\nPassword=abcdef\r\nHint=" +
             hint + "\r\n[Level.A:Y]\r\nPassword=ABCDxy\r\n");
    EXPECT_EQ(m.name, name.substr(0, 40));
    EXPECT_EQ(m.notice, notice.substr(0, 60));
    EXPECT_EQ(m.comments, comments.substr(0, 512));
    EXPECT_EQ(m.wizard, "WIZA");
    ASSERT_EQ(m.levels.size(), 2u);
    // Two codes that differ only after the fourth character are one code.
    EXPECT_EQ(m.levels[0].password, "ABCD");
    EXPECT_EQ(m.levels[1].password, "ABCD");
    EXPECT_EQ(m.levels[0].hint, hint.substr(0, 320));
}

TEST(ProjectFile, ARelativePathLoadsAsTheFullPath) {
    gdltest::TempDir dir;
    dir.Write("rel.gdp", "[^GDP]\r\nName=Rel\r\n");
    dir.MakeFolder("sub");
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.Folder());
    ProjectModel m;
    const bool loaded = LoadProject(m, "./sub/../rel.gdp");
    std::filesystem::current_path(cwd);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(m.FullPath(), dir.Path("rel.gdp"));
}

TEST(ProjectFile, ListsEndAtTheFirstGap) {
    ProjectModel m = Load(
        "[^GDP]\r\nName=N\r\n"
        "[Source]\r\n1=A\r\n2=B\r\n4=D\r\n"
        "[Levels]\r\n1=A:X\r\n2=\r\n3=B:Y\r\n");
    EXPECT_EQ(m.sources, (std::vector<std::string>{"A", "B"}));
    ASSERT_EQ(m.levels.size(), 1u);
    EXPECT_EQ(m.levels[0].reference, "A:X");
}

TEST(ProjectFile, SourcesAreBaseNames) {
    ProjectModel m = Load(
        "[^GDP]\r\nName=N\r\n[Source]\r\n"
        "1=sub/Foo.lvs\r\n2=C:\\levels\\Bar.LVS\r\n3=A.b.c\r\n4=..\r\n5=Plain\r\n");
    EXPECT_EQ(m.sources, (std::vector<std::string>{"Foo", "Bar", "A", "Plain"}));
}

TEST(ProjectFile, AtMost255SourcesAndLevelsEitherWay) {
    ProjectModel big;
    big.name = "Big";
    for (int i = 1; i <= 300; ++i) {
        big.sources.push_back("S" + std::to_string(i));
        big.levels.push_back({"S1:L" + std::to_string(i), "", "", "0", ""});
    }
    std::string bytes = ProjectToBytes(big);
    IniFile ini = IniFile::FromBytes(bytes);
    EXPECT_EQ(ini.ReadString("Source", "255"), "S255");
    EXPECT_EQ(ini.ReadString("Source", "256", "-"), "-");
    EXPECT_EQ(ini.ReadString("Levels", "255"), "S1:L255");
    EXPECT_EQ(ini.ReadString("Levels", "256", "-"), "-");
    EXPECT_FALSE(ini.HasSection("Level.S1:L256"));

    // A hand-made file with more keys is read up to the 255th.
    std::string text = "[^GDP]\r\nName=N\r\n[Source]\r\n";
    for (int i = 1; i <= 300; ++i) text += std::to_string(i) + "=S" + std::to_string(i) + "\r\n";
    text += "[Levels]\r\n";
    for (int i = 1; i <= 300; ++i) text += std::to_string(i) + "=S1:L" + std::to_string(i) + "\r\n";
    ProjectModel m = Load(text);
    EXPECT_EQ(m.sources.size(), 255u);
    EXPECT_EQ(m.levels.size(), 255u);
    EXPECT_EQ(m.levels.back().reference, "S1:L255");
}

TEST(ProjectFile, PerLevelDataAndDesignerList) {
    ProjectModel m = Load(
        "[^GDP]\r\nName=N\r\n[Levels]\r\n1=A:X\r\n2=A:Y\r\n3=A:Z\r\n4=A:X\r\n"
        "[level.a:x]\r\ndesigner=Ann\r\nPASSWORD=ABCD\r\nMusic=2\r\nHint=Go \"left\"\r\n"
        "[Level.A:Y]\r\nDesigner=Bob\r\nMusic=\r\n"
        "[Level.A:Z]\r\nDesigner=Ann\r\n");
    ASSERT_EQ(m.levels.size(), 4u);
    EXPECT_EQ(m.levels[0], (LevelEntry{"A:X", "Ann", "ABCD", "2", "Go \"left\""}));
    EXPECT_EQ(m.levels[1], (LevelEntry{"A:Y", "Bob", "", "", ""}));
    EXPECT_EQ(m.levels[2].music, "0");  // missing key: the default
    // A duplicate reference loads a second entry with the same data.
    EXPECT_EQ(m.levels[3], m.levels[0]);
    EXPECT_EQ(m.designers, (std::vector<std::string>{"Ann", "Bob"}));
    EXPECT_EQ(m.FindLevel("A:Z"), 2);
    EXPECT_EQ(m.FindLevel("a:z"), -1);
}

TEST(ProjectFile, NonProjectLeavesTheModelUntouched) {
    gdltest::TempDir dir;
    dir.Write("noname.gdp", "[^GDP]\r\nName=\r\nOffset=5\r\n[Levels]\r\n1=A:B\r\n");
    dir.Write("binary.gdp", std::string("\x01\x00\xF0\x12\x00\xFF[^GDP\x00", 12));
    dir.Write("other.ini", "[GDP]\r\nName=N\r\n");
    for (const char* name : {"noname.gdp", "binary.gdp", "other.ini", "missing.gdp"}) {
        ProjectModel m = ExampleModel();
        m.folder = "/keep/";
        m.fileName = "keep.gdp";
        m.designers = {"D"};
        m.open = true;
        m.modified = true;
        EXPECT_FALSE(LoadProject(m, dir.Path(name))) << name;
        ExpectSameStoredFields(m, ExampleModel());
        EXPECT_EQ(m.folder, "/keep/");
        EXPECT_EQ(m.fileName, "keep.gdp");
        EXPECT_EQ(m.designers, std::vector<std::string>{"D"});
        EXPECT_TRUE(m.modified);
    }
}

TEST(ProjectFile, LoadReplacesTheWholeModel) {
    ProjectModel m = ExampleModel();
    m.designers = {"Old"};
    m.modified = true;
    ASSERT_TRUE(LoadProjectFromIni(m, IniFile::FromBytes("[^GDP]\r\nName=New\r\n"), kYear));
    EXPECT_TRUE(m.sources.empty());
    EXPECT_TRUE(m.levels.empty());
    EXPECT_TRUE(m.designers.empty());
    EXPECT_EQ(m.notice, "");
    EXPECT_EQ(m.copyrightYear, kYear);
    EXPECT_FALSE(m.modified);
}

TEST(ProjectFile, EmptyNameIsSavedButNotRecognised) {
    ProjectModel m = ExampleModel();
    m.name.clear();
    std::string bytes = ProjectToBytes(m);
    EXPECT_EQ(bytes.substr(0, 16), "[^GDP]\r\nName=\r\nC");
    EXPECT_NE(bytes.find("[Level.MyLevel1:FIRST]"), std::string::npos);
    ProjectModel other;
    EXPECT_FALSE(LoadProjectFromIni(other, IniFile::FromBytes(bytes), kYear));
}

TEST(ProjectFile, EmptyItemsDoNotHideTheOnesBehindThem) {
    ProjectModel m = ExampleModel();
    m.sources = {"A", "", "B"};
    m.levels.insert(m.levels.begin() + 1, LevelEntry{});
    ProjectModel back = Load(ProjectToBytes(m));
    EXPECT_EQ(back.sources, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(back.levels, ExampleModel().levels);
}

TEST(ProjectFile, TextsWithLineBreaksCannotAddSections) {
    ProjectModel m = ExampleModel();
    m.comments = "one\r\n[Levels]\r\n1=Evil:X";
    m.levels[1].reference = "MyLevel1:A\r\n[^GDP]";
    m.levels[1].hint = "h\nName=Other";
    ProjectModel back = Load(ProjectToBytes(m));
    EXPECT_EQ(back.name, "My Levels");
    EXPECT_EQ(back.comments, "one  [Levels]  1=Evil:X");
    ASSERT_EQ(back.levels.size(), 2u);
    EXPECT_EQ(back.levels[0].reference, "MyLevel1:SECRET");
    EXPECT_EQ(back.levels[1].reference, "MyLevel1:A  [^GDP]");
    EXPECT_EQ(back.levels[1].hint, "h Name=Other");
}

TEST(ProjectFile, LevelCounters) {
    struct {
        int offset;
        std::size_t count;
        int numbered, hidden;
    } cases[] = {{0, 3, 3, 0}, {1, 3, 2, 1}, {3, 3, 0, 3}, {7, 3, 0, 3}, {2, 0, 0, 0}};
    for (const auto& c : cases) {
        ProjectModel m;
        m.offset = c.offset;
        m.levels.resize(c.count);
        EXPECT_EQ(m.NumberedLevels(), c.numbered) << c.offset << "/" << c.count;
        EXPECT_EQ(m.HiddenLevels(), c.hidden) << c.offset << "/" << c.count;
    }
}

TEST(ProjectFile, MusicModeNamesRoundTrip) {
    for (MusicMode mode : {MusicMode::Automatic, MusicMode::Random, MusicMode::Manual}) {
        ProjectModel m = ExampleModel();
        m.musicMode = mode;
        EXPECT_EQ(Load(ProjectToBytes(m)).musicMode, mode) << MusicModeName(mode);
    }
}

}  // namespace
}  // namespace gdl

TEST(ReadProject, SaysWhyThereIsNoProject) {
    gdltest::TempDir dir;
    dir.Write("not.gdp", "[Other]\r\nKey=1\r\n");
    dir.Write("good.gdp", "[^GDP]\r\nName=Good\r\n");
    const auto good = gdl::ReadProject(dir.Path("good.gdp"));
    ASSERT_TRUE(good);
    EXPECT_EQ(good->name, "Good");
    const auto notProject = gdl::ReadProject(dir.Path("not.gdp"));
    ASSERT_FALSE(notProject);
    EXPECT_EQ(notProject.Err().Kind(), gdl::ErrorKind::BadFormat);
    EXPECT_EQ(notProject.Err().File(), dir.Path("not.gdp"));
    const auto missing = gdl::ReadProject(dir.Path("missing.gdp"));
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.Err().Kind(), gdl::ErrorKind::System);
    EXPECT_EQ(missing.Err().Errno(), ENOENT);
}
