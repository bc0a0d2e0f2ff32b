// GDLMap as a designer meets it, on an X server of the test's own: keys and
// clicks typed with xdotool, the file on disk checked after each save.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>

#include "ChildProcess.h"
#include "FakeTools.h"
#include "LevelTexts.h"
#include "LinkHeader.h"
#include "MapEditor.h"
#include "ProjectFixtures.h"
#include "RecoveryJournal.h"
#include "Registry.h"
#include "TempDir.h"
#include "XSession.h"

namespace gdl {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using gdltest::WaitForFile;

constexpr auto kDeadline = 20s;

class GdlMapRoad : public ::testing::Test {
protected:
    void SetUp() override {
        if (auto missing = gdltest::XSession::Missing(); !missing.empty()) GTEST_SKIP() << missing;
        ASSERT_TRUE(x.Start(dir.Folder())) << "no X server";
        config = std::make_unique<gdltest::ScopedEnv>("XDG_CONFIG_HOME", dir.Path("config"));
        machine = std::make_unique<gdltest::ScopedEnv>("GDLKIT_MACHINE_REG", dir.Path("m.reg"));
        // The recovery journals, too, are kept in the test's folder.
        state = std::make_unique<gdltest::ScopedEnv>("XDG_STATE_HOME", dir.Path("state"));
    }

    // GDLMap on the file of that name in the test's folder.
    void Run(const std::string& name) {
        map = std::make_unique<gdltest::ChildProcess>(
            std::vector<std::string>{gdltest::KitBin() + "GDLMap", dir.Path(name)});
    }
    // GDLMap on the file; its window once shown, with the keyboard.
    std::string Start(const std::string& name) {
        Run(name);
        return Focused(name);
    }
    // The first window whose name matches, once shown, with the keyboard; ""
    // when none came.
    std::string Focused(const std::string& name) {
        std::string window = x.WaitForWindow(name, 20);
        if (!window.empty()) x.Focus(window);
        return window;
    }
    // GDLMap's question answered with its default button; false when none
    // was asked.
    bool AnswerWithDefault() {
        if (Focused("^GDLMap$").empty()) return false;
        Keys({"Return"});
        return true;
    }
    void Keys(std::initializer_list<std::string> keys) {
        std::vector<std::string> args{"key", "--delay", "20"};
        args.insert(args.end(), keys.begin(), keys.end());
        x.Xdotool(args);
    }
    bool FileBecomes(const std::string& path, const std::function<bool(const std::string&)>& done) {
        return WaitForFile(
            path, [&](const std::optional<std::string>& bytes) { return bytes && done(*bytes); },
            kDeadline);
    }
    // The file of that name in the test's folder comes to hold these bytes,
    // or bytes other than these.
    bool ComesToHold(const std::string& name, const std::string& bytes) {
        return FileBecomes(dir.Path(name), [&](const std::string& b) { return b == bytes; });
    }
    bool ComesToDifferFrom(const std::string& name, const std::string& bytes) {
        return FileBecomes(dir.Path(name), [&](const std::string& b) { return b != bytes; });
    }
    // The sample's Caverns.lvs copied to the test's folder; its bytes.
    std::string CopyCaverns() {
        const std::string bytes =
            ReadFileBytes(gdltest::SampleFolder() + "Caverns.lvs").value_or("");
        EXPECT_FALSE(bytes.empty()) << "the sample's Caverns.lvs is missing";
        dir.Write("Caverns.lvs", bytes);
        return bytes;
    }
    // From the top left: two right, one down is the dirt of "X@:::*" at
    // (2, 1); wall typed over it.
    void WallOverTheDirt() { Keys({"Right", "Right", "Down", "numbersign"}); }
    // Closes the window (no question: everything is saved) and waits for it.
    int Quit() {
        Keys({"ctrl+q"});
        return map->Wait();
    }

    gdltest::TempDir dir;
    gdltest::XSession x;
    std::unique_ptr<gdltest::ScopedEnv> config, machine, state;
    std::unique_ptr<gdltest::ChildProcess> map;
};

TEST_F(GdlMapRoad, KeyboardRoadChangesOneByteAndUndoGivesTheOriginalBack) {
    const std::string original = CopyCaverns();
    ASSERT_FALSE(Start("Caverns.lvs").empty()) << "no window";

    WallOverTheDirt();
    Keys({"ctrl+s"});
    ASSERT_TRUE(ComesToDifferFrom("Caverns.lvs", original));
    const std::string saved = dir.Read("Caverns.lvs");
    EXPECT_EQ(gdltest::ByteDifferences(saved, original), 1);
    EXPECT_EQ(saved[original.find("X@:::*") + 2], '#');

    Keys({"ctrl+z", "ctrl+s"});
    ASSERT_TRUE(ComesToHold("Caverns.lvs", original))
        << "Ctrl+Z and Ctrl+S give the original back byte for byte";
    EXPECT_EQ(Quit(), 0);
}

TEST_F(GdlMapRoad, AGdlMapKilledWithSigkillLeavesItsChangesToRecover) {
    const std::string original = CopyCaverns();
    const std::string journals = dir.Path("state/gdlkit/recovery/");
    fs::create_directories(journals);
    ASSERT_FALSE(Start("Caverns.lvs").empty()) << "no window";
    WallOverTheDirt();  // unsaved
    std::string expected = original;
    expected[original.find("X@:::*") + 2] = '#';
    auto journalHolds = [&](const std::string& bytes) {
        for (const auto& e : fs::directory_iterator(journals)) {
            auto read = ReadJournal(ReadFileBytes(e.path().string()).value_or(""));
            if (read && read->bytes == bytes) return true;
        }
        return false;
    };
    ASSERT_TRUE(WaitForFile(
        journals + "any", [&](const std::optional<std::string>&) { return journalHolds(expected); },
        kDeadline))
        << "the journal follows the change within about 2 s";
    map->Signal(SIGKILL);
    map->Wait();
    EXPECT_EQ(dir.Read("Caverns.lvs"), original);

    // Opened again: the offer comes first; Recover is its default button.
    Run("Caverns.lvs");
    ASSERT_TRUE(AnswerWithDefault()) << "no recovery offer";
    ASSERT_FALSE(Focused("Caverns.lvs\\*").empty()) << "the recovered changes are unsaved changes";
    Keys({"ctrl+s"});
    ASSERT_TRUE(ComesToHold("Caverns.lvs", expected)) << "recovered byte for byte";
    EXPECT_EQ(Quit(), 0);
}

TEST_F(GdlMapRoad, AFileDeletedAndMadeAgainIsAskedAboutAndWatchedAfterASave) {
    const std::string original = CopyCaverns();
    ASSERT_FALSE(Start("Caverns.lvs").empty()) << "no window";
    WallOverTheDirt();
    ASSERT_FALSE(x.WaitForWindow("Caverns.lvs\\*", 20).empty());
    fs::remove(dir.Path("Caverns.lvs"));
    dir.Write("other.tmp", "; made again by another program\n");
    fs::rename(dir.Path("other.tmp"), dir.Path("Caverns.lvs"));
    // Asked: Keep Mine (the default) lets the next save write ours.
    ASSERT_TRUE(AnswerWithDefault()) << "the file made again is asked about";
    const std::string window = Focused("Caverns.lvs\\*");
    ASSERT_FALSE(window.empty());
    Keys({"ctrl+s"});
    ASSERT_TRUE(FileBecomes(dir.Path("Caverns.lvs"),
                            [&](const std::string& b) { return b.size() == original.size(); }));
    // Watched after our own save: a sed -i is asked about too.
    dir.Write("sed.tmp", original + "; sed -i\n");
    fs::rename(dir.Path("sed.tmp"), dir.Path("Caverns.lvs"));
    // Reload, the default without unsaved changes.
    ASSERT_TRUE(AnswerWithDefault()) << "the change after our save is asked about";
    ASSERT_FALSE(x.WaitForWindow("^Caverns.lvs - GDLMap$", 20).empty()) << "reloaded";
    x.Focus(window);
    EXPECT_EQ(Quit(), 0);
}

TEST_F(GdlMapRoad, APencilStrokeAndAFillWithTheMouseAreEachOneUndo) {
    // A big floor: wherever the map lands in the window, its middle is floor.
    std::string source = "level ROOM\ntime 1:00\nquota 0\nmap\n" + std::string(30, 'X') + "\n";
    for (int row = 1; row < 19; ++row) source += "X" + std::string(28, '.') + "X\n";
    source += std::string(30, 'X') + "\nend\n";
    source.replace(source.find("X...") + 1, 1, "@");
    source.replace(source.rfind("...X") + 2, 1, "E");
    dir.Write("room.lvs", source);
    const std::string window = Start("room.lvs");
    ASSERT_FALSE(window.empty()) << "no window";

    auto geometry = x.Xdotool({"getwindowgeometry", "--shell", window}).out;
    auto value = [&](const std::string& key) {
        auto at = geometry.find(key + "=");
        return at == std::string::npos ? 0 : std::atoi(geometry.c_str() + at + key.size() + 1);
    };
    // The map lies right of the levels panel, above the problems.
    const int cx = value("WIDTH") * 3 / 5, cy = value("HEIGHT") * 2 / 5;
    ASSERT_GT(cx, 0);

    // The pencil (the tool at start) drawn down through the middle of the map.
    x.Xdotool({"mousemove", "--window", window, std::to_string(cx), std::to_string(cy - 40),
               "mousedown", "1", "mousemove", "--window", window, std::to_string(cx),
               std::to_string(cy), "mousemove", "--window", window, std::to_string(cx + 20),
               std::to_string(cy + 40), "mouseup", "1"});
    Keys({"ctrl+s"});
    ASSERT_TRUE(ComesToDifferFrom("room.lvs", source));
    EXPECT_GE(gdltest::ByteDifferences(dir.Read("room.lvs"), source), 3)
        << "a stroke of several tiles";
    Keys({"ctrl+z", "ctrl+s"});
    ASSERT_TRUE(ComesToHold("room.lvs", source)) << "one Ctrl+Z takes the whole stroke back";

    // Flood fill (F) of the floor from the middle, then its undo.
    Keys({"f"});
    x.Xdotool(
        {"mousemove", "--window", window, std::to_string(cx), std::to_string(cy), "click", "1"});
    Keys({"ctrl+s"});
    ASSERT_TRUE(ComesToDifferFrom("room.lvs", source));
    EXPECT_EQ(gdltest::ByteDifferences(dir.Read("room.lvs"), source), 28 * 18 - 2)
        << "every floor tile";
    Keys({"ctrl+z", "ctrl+s"});
    ASSERT_TRUE(ComesToHold("room.lvs", source));
    EXPECT_EQ(Quit(), 0);
}

TEST_F(GdlMapRoad, CtrlTSendsTheLevelShownWithItsUnsavedEditsToTheLynx) {
    gdltest::ChildProcess sim(
        {gdltest::KitBin() + "lynxsim", "--script", "wait-level; answer; wait-level; answer"});
    auto device = sim.ReadLine(5s);
    ASSERT_TRUE(device && device->rfind("/dev/", 0) == 0) << device.value_or("no device");
    FileRegistry registry(dir.Path("m.reg"), dir.Path("config/gdlkit/user.reg"));
    ASSERT_TRUE(registry.WriteValue(RegRoot::LocalMachine, kRegKeyGlobal, "Com2", *device));
    gdltest::ScopedEnv port("LD_COM", "2");
    const std::string original = CopyCaverns();
    ASSERT_FALSE(Start("Caverns.lvs").empty()) << "no window";

    // The second level, with one tile changed and not saved.
    Keys({"Page_Down", "Right", "Right", "Down", "asterisk", "ctrl+t"});
    auto level = sim.ReadLineWith("\"event\":\"level\"", kDeadline);
    ASSERT_TRUE(level) << "nothing reached the Lynx";
    EXPECT_THAT(*level, testing::HasSubstr("\"title\":\"PC LEVEL CAVE02\""));
    EXPECT_THAT(*level, testing::HasSubstr("\"kind\":1,\"fresh\":128,\"music\":0"));
    EXPECT_THAT(*level, testing::HasSubstr("\"headerChecksumOk\":true"));
    EXPECT_THAT(*level, testing::HasSubstr("\"dataChecksumOk\":true"));
    // The unsaved edit went along: the bytes sent are the compiled edit.
    MapEditor edited;
    ASSERT_TRUE(edited.Open(dir.Path("Caverns.lvs"), "CAVE02").Ok());
    edited.SetCursor({2, 1});
    ASSERT_TRUE(edited.TypeSymbol('*'));
    const std::string compiled = edited.CompileShownLevel().Value();
    EXPECT_THAT(*level,
                testing::HasSubstr("\"length\":" + std::to_string(compiled.size() - 7) + ","));
    EXPECT_THAT(*level,
                testing::HasSubstr("\"dataChecksum\":" +
                                   std::to_string(DataChecksum(LevelBytesToSend(compiled))) + ","));
    // Again, once the first send has ended: a Ctrl+T while it is still
    // under way is refused, so it is pressed until one goes out.
    std::optional<std::string> again;
    const auto until = std::chrono::steady_clock::now() + kDeadline;
    while (!again && std::chrono::steady_clock::now() < until) {
        Keys({"ctrl+t"});
        again = sim.ReadLineWith("\"event\":\"level\"", 1s);
    }
    ASSERT_TRUE(again) << "the second send did not reach the Lynx";
    EXPECT_THAT(*again, testing::HasSubstr("\"dataChecksumOk\":true"));
    // Closing asks about the unsaved edit: Discard.
    Keys({"ctrl+q"});
    ASSERT_FALSE(Focused("^GDLMap$").empty()) << "no close question";
    Keys({"alt+d"});
    EXPECT_EQ(map->Wait(), 0);
    EXPECT_EQ(dir.Read("Caverns.lvs"), original);
}

// GDLEdit's Edit road: ldedit.bat, ld.exe, GDLMap on a desktop; a level
// added there is in the Source page's list as soon as GDLMap has closed.
TEST_F(GdlMapRoad, ALevelAddedFromGdlEditsEditIsListedAfterGdlMapCloses) {
    const std::string project = dir.MakeFolder("project");
    for (const auto& file : fs::directory_iterator(gdltest::SampleFolder()))
        fs::copy_file(file.path(), project + file.path().filename().string());
    gdltest::RealProcessWindow editor(std::string(GDLKIT_KIT_DIR) + "/");
    ProjectWindow& w = editor.Open(project + "GemQuest.gdp");
    w.Source().cSourceClick(0);
    const auto before = w.View().source.contents;
    ASSERT_FALSE(before.empty());
    const std::string original = ReadFileBytes(project + "Caverns.lvs").value_or("");

    gdltest::WindowUser designer(x, kDeadline, [&] {
        const std::string window = x.WaitForWindow("Caverns.lvs", 30);
        if (window.empty()) return window;
        x.Focus(window);
        Keys({"ctrl+shift+n", "ctrl+s"});
        FileBecomes(project + "Caverns.lvs", [&](const std::string& b) { return b != original; });
        Keys({"ctrl+q"});
        return window;
    });
    w.Source().bEditSClick();
    const std::string window = designer.Returned();
    ASSERT_FALSE(window.empty()) << "GDLMap did not show";
    // The template's name is the first free "LEVELn"; it follows the level
    // shown (the first) in the source and in the list.
    const auto after = w.View().source.contents;
    ASSERT_EQ(after.size(), before.size() + 1);
    EXPECT_EQ(after[0], before[0]);
    EXPECT_THAT(after[1], testing::StartsWith("LEVEL"));
    EXPECT_THAT(ReadFileBytes(project + "Caverns.lvs").value_or(""),
                testing::HasSubstr("level " + after[1]));
}

}  // namespace
}  // namespace gdl
