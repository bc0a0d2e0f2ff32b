// GDLMap's file handling without a window: the file deleted and made again,
// the watch's flag after an exception, a symbolic link, read-only files and
// folders, a huge replacement, and the journal of a GDLMap killed midway.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <new>

#include "FileSession.h"
#include "FileUtil.h"
#include "MapFakes.h"
#include "TempDir.h"

namespace gdl {
namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;

const std::string kSource =
    "; two levels\nlevel ONE\ntime 1:00\nquota 0\nmap\nXXXXX\nX@.EX\nXXXXX\nend\n\n"
    "level TWO\ntime 1:00\nquota 0\nmap\nXXXXX\nXE.@X\nXXXXX\nend\n";

void Paint(MapEditor& editor, TilePoint at, Tile tile) {
    editor.SetTool(MapTool::Pencil);
    editor.SetTile(tile);
    editor.Press(at);
    editor.Release(at);
}

// A session as GDLMap has it, its journal in the test's folder, on a manual clock.
struct Session {
    explicit Session(const gdltest::TempDir& dir)
        : files(editor, prompts, dir.Path("state"), [this] { return now; }) {}
    // Opens the file and paints a gem beside the start: a change not saved yet.
    bool OpenChanged(const std::string& path) {
        if (!files.Open(path)) return false;
        Paint(editor, {2, 1}, Tile::Gem);
        return true;
    }
    // The same, and the timer's tick has written the change to the journal.
    bool OpenJournaled(const std::string& path) {
        if (!OpenChanged(path)) return false;
        files.Tick();
        return !files.Journal().File().empty();
    }
    MapEditor editor;
    gdltest::ScriptedFilePrompts prompts;
    std::int64_t now = 1'765'000'000;
    FileSession files;
};

bool IsRoot() {
    return ::geteuid() == 0;
}

TEST(FileSession, AFileDeletedAndMadeAgainIsAskedAboutAndNotOverwritten) {
    gdltest::TempDir dir;
    dir.Write("k.lvs", kSource);
    Session s(dir);
    ASSERT_TRUE(s.OpenChanged(dir.Path("k.lvs")));
    fs::remove(dir.Path("k.lvs"));
    s.files.FileChanged();
    EXPECT_THAT(s.prompts.status, testing::ElementsAre("k.lvs was removed; Save writes it again."));
    dir.Write("k.lvs", "; made again by another program\n");
    s.files.FileChanged();
    ASSERT_EQ(s.prompts.asked.size(), 1u);
    EXPECT_THAT(s.prompts.asked[0], HasSubstr("changed by another program"));
    // No watch event at all: the save still looks first.
    dir.Write("k.lvs", "; and again, unwatched\n");
    EXPECT_FALSE(s.files.Save());
    ASSERT_EQ(s.prompts.asked.size(), 2u);
    EXPECT_THAT(s.prompts.asked[1], HasSubstr("overwrite: k.lvs was changed"));
    EXPECT_EQ(dir.Read("k.lvs"), "; and again, unwatched\n");
    // Overwritten when asked for, and after our own save a sed -i is seen.
    s.prompts.overwrite = true;
    EXPECT_TRUE(s.files.Save());
    const std::string ours = dir.Read("k.lvs");
    EXPECT_NE(ours.find("X@*EX"), std::string::npos);
    ASSERT_TRUE(WriteFileAtomic(dir.Path("k.lvs"), ours + "; sed -i\n"));
    s.files.FileChanged();
    EXPECT_EQ(s.prompts.asked.size(), 4u);
}

TEST(FileSession, TheAskingFlagIsResetWhenAQuestionThrows) {
    gdltest::TempDir dir;
    dir.Write("k.lvs", kSource);
    Session s(dir);
    ASSERT_TRUE(s.files.Open(dir.Path("k.lvs")));
    bool first = true;
    s.prompts.onAsk = [&] {
        if (std::exchange(first, false)) throw std::bad_alloc();
    };
    dir.Write("k.lvs", kSource + "; one\n");
    EXPECT_THROW(s.files.FileChanged(), std::bad_alloc);
    EXPECT_FALSE(s.files.Asking());
    dir.Write("k.lvs", kSource + "; two\n");
    s.files.FileChanged();
    EXPECT_EQ(s.prompts.asked.size(), 2u);
}

TEST(FileSession, SavingThroughASymbolicLinkWritesItsTarget) {
    gdltest::TempDir dir;
    dir.MakeFolder("real");
    dir.Write("real/k.lvs", kSource);
    fs::create_symlink("real/k.lvs", dir.Path("link.lvs"));
    Session s(dir);
    ASSERT_TRUE(s.OpenChanged(dir.Path("link.lvs")));
    ASSERT_TRUE(s.files.Save());
    EXPECT_TRUE(fs::is_symlink(dir.Path("link.lvs")));
    EXPECT_EQ(dir.Read("real/k.lvs"), s.editor.Document().Bytes());
    EXPECT_EQ(dir.Names("real"), (std::set<std::string>{"k.lvs"}));
}

TEST(FileSession, AReadOnlyFileIsMarkedRefusedAndSavedAsACopy) {
    if (IsRoot()) GTEST_SKIP() << "root may write any file: run as a plain user";
    gdltest::TempDir dir;
    dir.Write("w.lvs", kSource);
    ::chmod(dir.Path("w.lvs").c_str(), 0444);
    Session s(dir);
    ASSERT_TRUE(s.files.Open(dir.Path("w.lvs")));
    EXPECT_EQ(s.files.Title(), "w.lvs [read-only] - GDLMap");
    Paint(s.editor, {2, 1}, Tile::Gem);
    EXPECT_FALSE(s.files.Save());
    ASSERT_EQ(s.prompts.asked.size(), 1u);
    EXPECT_THAT(s.prompts.asked[0], HasSubstr("Cannot save w.lvs: w.lvs is read-only"));
    EXPECT_EQ(dir.Read("w.lvs"), kSource);
    s.prompts.saveAs = dir.Path("copy.lvs");
    EXPECT_TRUE(s.files.Save());
    EXPECT_EQ(s.editor.Path(), dir.Path("copy.lvs"));
    EXPECT_EQ(dir.Read("copy.lvs"), s.editor.Document().Bytes());
    EXPECT_EQ(s.files.Title(), "copy.lvs - GDLMap");
}

TEST(FileSession, AWritableFileInAReadOnlyFolderOffersSaveAs) {
    if (IsRoot()) GTEST_SKIP() << "root may write any folder: run as a plain user";
    gdltest::TempDir dir;
    const std::string folder = dir.MakeFolder("ro");
    dir.Write("ro/w.lvs", kSource);
    ::chmod(folder.c_str(), 0555);
    Session s(dir);
    ASSERT_TRUE(s.files.Open(dir.Path("ro/w.lvs")));
    EXPECT_EQ(s.files.Title(), "w.lvs [read-only] - GDLMap");
    Paint(s.editor, {2, 1}, Tile::Gem);
    s.prompts.saveAs = dir.Path("w.lvs");
    EXPECT_TRUE(s.files.Save());
    EXPECT_THAT(s.prompts.asked[0], HasSubstr("the folder of w.lvs is read-only"));
    EXPECT_EQ(dir.Read("ro/w.lvs"), kSource);
    EXPECT_EQ(dir.Read("w.lvs"), s.editor.Document().Bytes());
    ::chmod(folder.c_str(), 0755);
}

// Runs fn in a child and hands back what it wrote to the pipe.
template <typename Fn>
std::string InChild(Fn fn) {
    int pipeFd[2];
    if (::pipe(pipeFd) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFd[0]);
        const std::string out = fn();
        (void)!::write(pipeFd[1], out.data(), out.size());
        ::_exit(0);
    }
    ::close(pipeFd[1]);
    std::string out;
    char buf[4096];
    for (ssize_t n; (n = ::read(pipeFd[0], buf, sizeof buf)) > 0;) out.append(buf, n);
    ::close(pipeFd[0]);
    ::waitpid(pid, nullptr, 0);
    return out;
}

TEST(FileSession, AHugeReplacementIsAnsweredUnreadInLittleMemory) {
    gdltest::TempDir dir;
    dir.Write("k.lvs", kSource);
    const std::string answer = InChild([&] {
        MapEditor editor;
        if (!editor.Open(dir.Path("k.lvs"))) return std::string("no open");
        // 3 GB, sparse: another program's file in its place.
        const std::string huge = dir.Path("huge");
        dir.Write("huge", "");
        if (::truncate(huge.c_str(), 3LL << 30) != 0) return std::string("no sparse file");
        fs::rename(huge, dir.Path("k.lvs"));
        const auto start = std::chrono::steady_clock::now();
        const FileChangeQuestion q = editor.CheckFileOnDisk();
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        return std::to_string(static_cast<int>(q)) + " " + std::to_string(usage.ru_maxrss) + " " +
               std::to_string(ms);
    });
    int question = -1;
    long rssKb = 0, ms = 0;
    ASSERT_EQ(std::sscanf(answer.c_str(), "%d %ld %ld", &question, &rssKb, &ms), 3) << answer;
    EXPECT_EQ(question, static_cast<int>(FileChangeQuestion::Reload));
    EXPECT_LT(rssKb, 100 * 1024);
    RecordProperty("answer_ms", std::to_string(ms));
    RecordProperty("max_rss_kb", std::to_string(rssKb));
}

// A child GDLMap session that edits, lets its journal be written, tells the
// text it holds, and is killed with SIGKILL before it saves.
std::string KilledSession(const gdltest::TempDir& dir) {
    int ready[2];
    if (::pipe(ready) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ready[0]);
        Session s(dir);
        if (!s.files.Open(dir.Path("k.lvs"))) ::_exit(1);
        for (int i = 0; i < 3; ++i) {
            Paint(s.editor, {2, 1}, i % 2 ? Tile::Dirt : Tile::Gem);
            ++s.now;
            s.files.Tick();
        }
        (void)s.editor.RenameLevel("RENAMED");
        s.files.Tick();
        (void)s.editor.AddLevel();
        s.files.Tick();
        const std::string bytes = s.editor.Document().Bytes();
        (void)!::write(ready[1], bytes.data(), bytes.size());
        ::close(ready[1]);
        for (;;) ::pause();
    }
    ::close(ready[1]);
    std::string bytes;
    char buf[4096];
    for (ssize_t n; (n = ::read(ready[0], buf, sizeof buf)) > 0;) bytes.append(buf, n);
    ::close(ready[0]);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return bytes;
}

TEST(RecoveryJournal, AKilledSessionIsRecoveredByteForByte) {
    gdltest::TempDir dir;
    dir.Write("k.lvs", kSource);
    const std::string expected = KilledSession(dir);
    ASSERT_FALSE(expected.empty());
    ASSERT_NE(expected, kSource);
    EXPECT_EQ(dir.Read("k.lvs"), kSource);
    Session s(dir);
    ASSERT_TRUE(s.files.Open(dir.Path("k.lvs")));
    ASSERT_EQ(s.prompts.asked.size(), 1u);
    EXPECT_THAT(s.prompts.asked[0],
                HasSubstr("Recover the unsaved changes of " + JournalDate(1'765'000'003)));
    // What would change: ONE painted and renamed, a level added.
    EXPECT_THAT(s.prompts.asked[0], HasSubstr("Added: RENAMED, LEVEL3; removed: ONE"));
    EXPECT_EQ(s.editor.Document().Bytes(), expected);
    EXPECT_TRUE(s.editor.Modified());
    EXPECT_EQ(dir.Read("k.lvs"), kSource);
    // Offered once: taken (or dropped), the journal is gone.
    Session again(dir);
    ASSERT_TRUE(again.files.Open(dir.Path("k.lvs")));
    EXPECT_TRUE(again.prompts.asked.empty());
}

TEST(RecoveryJournal, AFileChangedSinceIsOfferedAsACopy) {
    gdltest::TempDir dir;
    dir.Write("k.lvs", kSource);
    const std::string expected = KilledSession(dir);
    dir.Write("k.lvs", kSource + "; changed by another program\n");
    Session s(dir);
    ASSERT_TRUE(s.files.Open(dir.Path("k.lvs")));
    ASSERT_EQ(s.prompts.asked.size(), 1u);
    EXPECT_THAT(s.prompts.asked[0], HasSubstr("saves them as a copy"));
    EXPECT_EQ(s.editor.Document().Bytes(), kSource + "; changed by another program\n");
    EXPECT_FALSE(s.editor.Modified());
    EXPECT_EQ(dir.Read("k.recovered.lvs"), expected);
    ASSERT_EQ(s.prompts.told.size(), 1u);
    EXPECT_THAT(s.prompts.told[0], HasSubstr("k.recovered.lvs"));
}

// File -> Reload drops the edits: their journal goes too, and a new one
// starts from the file as it is on disk now.
TEST(RecoveryJournal, AReloadDropsTheJournalOfTheEditsItDrops) {
    gdltest::TempDir dir;
    dir.Write("k.lvs", kSource);
    Session s(dir);
    ASSERT_TRUE(s.OpenJournaled(dir.Path("k.lvs")));
    const std::string journal = s.files.Journal().File();
    dir.Write("k.lvs", kSource + "; changed here\n");
    ASSERT_TRUE(s.files.Reload());
    EXPECT_FALSE(s.editor.Modified());
    EXPECT_EQ(s.editor.Document().Bytes(), kSource + "; changed here\n");
    EXPECT_FALSE(fs::exists(journal)) << "the dropped edits are not offered again";
    // Painted again: the journal's base is the file as reloaded.
    Paint(s.editor, {2, 1}, Tile::Gem);
    s.files.Tick();
    ASSERT_FALSE(s.files.Journal().File().empty());
    auto written = ReadJournal(ReadFileBytes(s.files.Journal().File()).value_or(""));
    ASSERT_TRUE(written);
    EXPECT_EQ(written->base, kSource + "; changed here\n");
    EXPECT_EQ(written->bytes, s.editor.Document().Bytes());
}

TEST(RecoveryJournal, DiscardDropsItAndARunningGdlMapsJournalIsNotOffered) {
    gdltest::TempDir dir;
    dir.Write("k.lvs", kSource);
    Session running(dir);
    ASSERT_TRUE(running.OpenJournaled(dir.Path("k.lvs")));
    EXPECT_THAT(running.files.Journal().File(), testing::StartsWith(dir.Path("state/")));
    Session second(dir);
    ASSERT_TRUE(second.files.Open(dir.Path("k.lvs")));
    EXPECT_TRUE(second.prompts.asked.empty());
    Paint(second.editor, {2, 1}, Tile::Dirt);
    second.files.Tick();
    EXPECT_NE(second.files.Journal().File(), running.files.Journal().File());
    // Saved: the journal goes.
    const std::string journal = running.files.Journal().File();
    running.prompts.overwrite = true;
    ASSERT_TRUE(running.files.Save());
    EXPECT_FALSE(fs::exists(journal));
    second.files.Discarded();
    EXPECT_TRUE(second.files.Journal().File().empty());
}

}  // namespace
}  // namespace gdl
