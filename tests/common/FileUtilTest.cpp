#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "FakeTools.h"
#include "FileUtil.h"

namespace fs = std::filesystem;

namespace {

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

TEST(WriteFileAtomic, ReplacesWholeKeepingPermissionsAndLeavesNothingBeside) {
    gdltest::TempDir dir;
    const std::string path = dir.Path("user.reg");
    const mode_t mask = ::umask(022);
    ::umask(mask);
    struct Case {
        const char* bytes;
        mode_t modeBefore;  // 0: no file before
        mode_t modeAfter;
        gdl::Durability durability;
    };
    const Case cases[] = {
        {"new", 0, static_cast<mode_t>(0666 & ~mask), gdl::Durability::Disk},
        {"longer than the first", 0600, 0600, gdl::Durability::Cache},
        {"", 0640, 0640, gdl::Durability::Disk},
    };
    for (const auto& c : cases) {
        if (c.modeBefore != 0) ::chmod(path.c_str(), c.modeBefore);
        ASSERT_TRUE(gdl::WriteFileAtomic(path, c.bytes, c.durability)) << c.bytes;
        EXPECT_EQ(dir.Read("user.reg"), c.bytes);
        EXPECT_EQ(ModeOf(path), c.modeAfter) << c.bytes;
        EXPECT_EQ(dir.Names(), std::set<std::string>{"user.reg"});
    }
}

TEST(WriteFileAtomic, AFailedWriteKeepsTheOldFile) {
    gdltest::TempDir dir;
    ASSERT_TRUE(gdl::WriteFileAtomic(dir.Path("set.gdl"), "old"));
    {
        gdltest::FileSizeLimit limit(16);  // a full disk, for root as well
        EXPECT_FALSE(gdl::WriteFileAtomic(dir.Path("set.gdl"), std::string(4096, 'x')));
    }
    EXPECT_EQ(dir.Read("set.gdl"), "old");
    EXPECT_EQ(dir.Names(), std::set<std::string>{"set.gdl"});
    EXPECT_FALSE(gdl::WriteFileAtomic(dir.Path("no folder/set.gdl"), "x"));
}

TEST(WriteFileAtomic, WritesTheTargetOfASymbolicLink) {
    gdltest::TempDir dir;
    dir.MakeFolder("real");
    dir.Write("real/k.lvs", "old");
    fs::create_symlink("real/k.lvs", dir.Path("link.lvs"));
    fs::create_symlink("link.lvs", dir.Path("chain.lvs"));
    fs::create_symlink("real/new.lvs", dir.Path("dangling.lvs"));
    for (const char* name : {"link.lvs", "chain.lvs"}) {
        ASSERT_TRUE(gdl::WriteFileAtomic(dir.Path(name), name, gdl::Durability::Disk));
        EXPECT_EQ(dir.Read("real/k.lvs"), name);
        EXPECT_TRUE(fs::is_symlink(dir.Path(name)));
    }
    ASSERT_TRUE(gdl::WriteFileAtomic(dir.Path("dangling.lvs"), "made"));
    EXPECT_EQ(dir.Read("real/new.lvs"), "made");
    EXPECT_TRUE(fs::is_symlink(dir.Path("dangling.lvs")));
    EXPECT_EQ(dir.Names("real"), (std::set<std::string>{"k.lvs", "new.lvs"}));
}

pid_t DeadPid() {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

TEST(WriteFileAtomic, RemovesTheTemporaryFilesOfDeadWritersOnly) {
    gdltest::TempDir dir;
    const std::string dead = "k.lvs.tmp" + std::to_string(DeadPid()) + "-7";
    const std::string live = "k.lvs.tmp" + std::to_string(::getppid()) + "-7";
    dir.Write(dead, std::string(1000, 'x'));
    dir.Write(live, "in progress");
    dir.Write("k.lvs.tmpnotes", "not ours");
    ASSERT_TRUE(gdl::WriteFileAtomic(dir.Path("k.lvs"), "new"));
    EXPECT_EQ(dir.Names(), (std::set<std::string>{"k.lvs", live, "k.lvs.tmpnotes"}));
}

TEST(WriteFileAtomic, AWriterKilledMidwayLeavesNoTemporaryFile) {
    gdltest::TempDir dir;
    const std::string path = dir.Path("k.lvs");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ready[0]);
        const std::string big(16u << 20, 'k');
        for (bool first = true;; first = false) {
            if (!gdl::WriteFileAtomic(path, big)) ::_exit(1);
            if (first) (void)!::write(ready[1], "!", 1);
        }
    }
    ::close(ready[1]);
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ::close(ready[0]);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    EXPECT_EQ(gdl::FileSize(path), std::optional<std::uintmax_t>(16u << 20));
    // Killed while writing: nothing beside; in the moment before its rename:
    // the next save takes it away.
    ASSERT_TRUE(gdl::WriteFileAtomic(path, "after"));
    EXPECT_EQ(dir.Names(), std::set<std::string>{"k.lvs"});
}

}  // namespace
