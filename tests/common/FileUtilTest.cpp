#include <gtest/gtest.h>
#include <sys/stat.h>

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

}  // namespace
