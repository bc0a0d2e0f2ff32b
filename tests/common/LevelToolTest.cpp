#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "CommonFakes.h"
#include "FakeTools.h"
#include "LevelTool.h"
#include "Prompts.h"
#include "ReadOnlyFolder.h"
#include "ToolRunner.h"

namespace fs = std::filesystem;
using gdl::LevelTool;
using gdltest::WriteScript;

namespace {

class LevelToolTest : public ::testing::Test {
protected:
    void InstallAll() {
        gdltest::WriteMarkers(bin_, {"ld.pif", "ldinfo.pif", "ldstat.pif"});
        // The fake level tool lists to standard output and compiles into LEVEL.bin.
        WriteScript(dir_, "bin/ld.exe",
                    "printf '%s|' \"$LD_COM\" \"$#\" \"$@\" >> calls.txt\n"
                    "case \"$1\" in -s*) echo \"listing ${1#-s}\";; -m*) : > \"${1#-m}.bin\";; "
                    "esac");
        WriteScript(dir_, "bin/gdlstat.exe", "tr a-z A-Z");
    }
    gdltest::TempDir dir_;
    const std::string bin_ = dir_.MakeFolder("bin"), project_ = dir_.MakeFolder("project");
    gdltest::ScopedEnv cache_{"XDG_DATA_HOME", dir_.Path("data")};
    gdl::ScriptedPrompts prompts_;
};

TEST_F(LevelToolTest, WritesTheBatchFilesByteForByte) {
    gdl::RecordingToolRunner runner;
    InstallAll();
    LevelTool tool(bin_, runner, prompts_);
    ASSERT_EQ(tool.BatchFolder(), bin_);
    const std::string q = "\"" + bin_;
    for (int port = 1; port <= 4; ++port) {
        ASSERT_TRUE(tool.WriteEditBatch(port));
        EXPECT_EQ(dir_.Read("bin/ldedit.bat"),
                  "@set LD_COM=" + std::to_string(port) + "\r\n@" + q + "ld.exe\" %1");
        EXPECT_EQ(tool.Port(), port);
    }
    EXPECT_FALSE(tool.WriteEditBatch(5));
    EXPECT_FALSE(tool.WriteEditBatch(0));
    EXPECT_EQ(tool.Port(), 4);

    ASSERT_TRUE(tool.List("lev", project_));
    EXPECT_EQ(dir_.Read("bin/ldinfo.bat"), "@" + q + "ld.exe\" -s%1 > %1.te1");
    ASSERT_TRUE(tool.Compile("lev", project_));
    EXPECT_EQ(dir_.Read("bin/ldinfo.bat"), "@" + q + "ld.exe\" -m%1");
    ASSERT_TRUE(tool.Stats("proj", project_));
    EXPECT_EQ(dir_.Read("bin/ldstat.bat"), "@" + q + "gdlstat.exe\" -g < %1.te3 > %1.te4");
}

TEST_F(LevelToolTest, CommandsRunTheirBatchAsDesigned) {
    gdl::RecordingToolRunner runner;
    InstallAll();
    LevelTool tool(bin_, runner, prompts_);
    ASSERT_TRUE(tool.WriteEditBatch(2));
    tool.Edit("lev", project_, true);
    tool.Edit("lev", project_, false);
    tool.List("lev", project_);
    tool.Compile("lev", project_);
    tool.Stats("proj", project_);
    struct Expected {
        std::string batch, argument;
        bool shown, wait;
    };
    const std::vector<Expected> expected = {{"ldedit.bat", "lev", true, true},
                                            {"ldedit.bat", "lev", true, false},
                                            {"ldinfo.bat", "lev", false, true},
                                            {"ldinfo.bat", "lev", false, true},
                                            {"ldstat.bat", "proj", false, true}};
    ASSERT_EQ(runner.calls.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(runner.calls[i].file, bin_ + expected[i].batch) << i;
        EXPECT_EQ(runner.calls[i].argument, expected[i].argument) << i;
        EXPECT_EQ(runner.calls[i].folder, project_) << i;
        EXPECT_EQ(runner.calls[i].shown, expected[i].shown) << i;
        EXPECT_EQ(runner.calls[i].wait, expected[i].wait) << i;
    }
    EXPECT_TRUE(prompts_.shown.empty());
}

TEST_F(LevelToolTest, RealToolsLeaveTheirResultsInTheProjectFolder) {
    InstallAll();
    gdltest::WriteFakeTerminal(dir_.Path("term"));
    gdltest::ScopedEnv terminal("GDLKIT_TERMINAL", dir_.Path("term"));
    gdl::PosixToolRunner runner;
    LevelTool tool(bin_, runner, prompts_);
    ASSERT_TRUE(tool.WriteEditBatch(3));
    EXPECT_TRUE(tool.List("my lev", project_));
    EXPECT_EQ(dir_.Read("project/my lev.te1"), "listing my lev\n");
    EXPECT_TRUE(tool.Compile("my lev", project_));
    EXPECT_TRUE(dir_.Exists("project/my lev.bin"));
    EXPECT_TRUE(tool.Edit("my lev", project_, true));
    EXPECT_EQ(dir_.Read("project/calls.txt"), "|1|-smy lev||1|-mmy lev|3|1|my lev|");
    dir_.Write("project/proj.te3", "level list\n");
    EXPECT_TRUE(tool.Stats("proj", project_));
    EXPECT_EQ(dir_.Read("project/proj.te4"), "LEVEL LIST\n");
}

TEST_F(LevelToolTest, CheckToolFilesNamesTheLastMissingFileOnce) {
    gdl::RecordingToolRunner runner;
    LevelTool tool(bin_, runner, prompts_);
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "ldinfo.pif"},
        {{"ldinfo.pif"}, "ldinfo.bat"},
        {{"ldinfo.pif", "ldinfo.bat"}, "ld.pif"},
        {{"ldinfo.pif", "ldinfo.bat", "ld.pif"}, "ld.exe"},
    };
    for (const auto& [present, lastMissing] : cases) {
        for (const auto& name : present) dir_.Write("bin/" + name, "");
        prompts_.shown.clear();
        EXPECT_FALSE(tool.CheckToolFiles({"ld.exe", "ld.pif", "ldinfo.bat", "ldinfo.pif"}, true));
        ASSERT_EQ(prompts_.shown.size(), 1u) << lastMissing;
        EXPECT_EQ(prompts_.shown[0].caption, "File Error");
        EXPECT_EQ(prompts_.shown[0].icon, gdl::MsgIcon::Error);
        EXPECT_EQ(prompts_.shown[0].text,
                  "The file " + bin_ + lastMissing +
                      " could not be found.\r\nThis file is required in order for GDLEdit to "
                      "function properly.\r\n\r\nPlease re-install the software from your "
                      "Trovemark CD.");
    }
    dir_.Write("bin/ld.exe", "");
    prompts_.shown.clear();
    EXPECT_TRUE(tool.CheckToolFiles({"ld.exe", "ld.pif", "ldinfo.bat", "ldinfo.pif"}, true));
    EXPECT_FALSE(tool.CheckToolFiles({"ld.exe", "gdlstat.exe"}, false));
    EXPECT_TRUE(tool.CheckToolFiles({"ld.exe", "", "ld.pif", ""}, true));
    EXPECT_TRUE(prompts_.shown.empty());

    LevelTool player(bin_, runner, prompts_, "GDLPlay");
    EXPECT_FALSE(player.CheckToolFiles({"ld.exe", "gdlplay.hlp"}, true));
    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_NE(prompts_.shown[0].text.find("in order for GDLPlay to"), std::string::npos);
}

TEST_F(LevelToolTest, MissingFilesKeepTheToolFromRunning) {
    gdl::RecordingToolRunner runner;
    InstallAll();
    fs::remove(dir_.Path("bin/gdlstat.exe"));
    fs::remove(dir_.Path("bin/ldinfo.pif"));
    LevelTool tool(bin_, runner, prompts_);
    EXPECT_FALSE(tool.Stats("proj", project_));
    EXPECT_TRUE(prompts_.shown.empty());  // statistics are optional: no message
    EXPECT_FALSE(tool.List("lev", project_));
    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_NE(prompts_.shown[0].text.find(bin_ + "ldinfo.pif"), std::string::npos);
    EXPECT_FALSE(tool.Edit("lev", project_, true));  // ldedit.bat never written
    EXPECT_TRUE(runner.calls.empty());

    // Stats also reports a tool that is present but cannot be started.
    dir_.Write("bin/gdlstat.exe", "");
    gdl::PosixToolRunner real;
    LevelTool realTool(bin_, real, prompts_);
    dir_.Write("project/proj.te3", "x");
    EXPECT_FALSE(realTool.Stats("proj", project_));
}

TEST_F(LevelToolTest, BatchFilesMoveToTheUsersKitFolderWhenTheToolFolderRefusesThem) {
    InstallAll();
    gdl::RecordingToolRunner runner;
    // A folder in the batch file's place makes the write fail even for root.
    fs::create_directory(dir_.Path("bin/ldinfo.bat"));
    LevelTool tool(bin_, runner, prompts_);
    ASSERT_TRUE(tool.List("lev", project_));
    EXPECT_EQ(tool.BatchFolder(), dir_.Path("data/gdlkit/"));
    EXPECT_EQ(dir_.Read("data/gdlkit/ldinfo.bat"), "@\"" + bin_ + "ld.exe\" -s%1 > %1.te1");
    ASSERT_EQ(runner.calls.size(), 1u);
    EXPECT_EQ(runner.calls[0].file, dir_.Path("data/gdlkit/ldinfo.bat"));
    EXPECT_EQ(tool.ToolFilePath("ld.exe"), bin_ + "ld.exe");

    LevelTool absent(dir_.Path("no such folder/"), runner, prompts_);
    EXPECT_EQ(absent.BatchFolder(), dir_.Path("data/gdlkit/"));
}

using gdltest::ReadOnlyFolder;

TEST_F(LevelToolTest, AReadOnlyToolFolderRunsItsBatchFilesFromTheUsersKitFolder) {
    InstallAll();
    gdltest::ScopedEnv cache("XDG_DATA_HOME", dir_.Path("home/.local/share"));
    const std::string expected = dir_.Path("home/.local/share/gdlkit/");
    ASSERT_EQ(gdl::UserBatchFolder(), expected);
    ReadOnlyFolder readOnly(bin_);
    if (readOnly.Writable()) GTEST_SKIP() << "no way to make a folder read-only here";
    gdl::PosixToolRunner runner;
    LevelTool tool(bin_, runner, prompts_);
    EXPECT_EQ(tool.BatchFolder(), expected);
    EXPECT_FALSE(dir_.Exists("home"));  // nothing made before it is needed

    EXPECT_TRUE(tool.List("lev", project_));
    EXPECT_EQ(dir_.Read("project/lev.te1"), "listing lev\n");
    EXPECT_TRUE(tool.Compile("lev", project_));
    EXPECT_TRUE(dir_.Exists("project/lev.bin"));
    EXPECT_TRUE(tool.WriteEditBatch(2));
    EXPECT_EQ(dir_.Read("home/.local/share/gdlkit/ldedit.bat"),
              "@set LD_COM=2\r\n@\"" + bin_ + "ld.exe\" %1");
    EXPECT_TRUE(prompts_.shown.empty());
    EXPECT_FALSE(fs::exists(bin_ + "ldinfo.bat"));

    // A kit folder that cannot be made (a file in its way) is the missing batch file.
    dir_.Write("blocked", "a file");
    cache.Set(dir_.Path("blocked/data"));
    LevelTool blocked(bin_, runner, prompts_);
    EXPECT_FALSE(blocked.List("lev", project_));
    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_NE(prompts_.shown[0].text.find(dir_.Path("blocked/data/gdlkit/ldinfo.bat")),
              std::string::npos);
}

// A tool folder others may write too is no place for one user's port: each
// user's batch files are their own.
TEST_F(LevelToolTest, ASharedWritableToolFolderKeepsTheBatchFilesPerUser) {
    InstallAll();
    if (::geteuid() != 0) GTEST_SKIP() << "giving the folder to another user needs root";
    ASSERT_EQ(::chown(bin_.c_str(), 65534, 65534), 0);
    fs::permissions(bin_, fs::perms::all);
    gdl::RecordingToolRunner runner;
    LevelTool tool(bin_, runner, prompts_);
    EXPECT_EQ(tool.BatchFolder(), dir_.Path("data/gdlkit/"));
    ASSERT_TRUE(tool.WriteEditBatch(3));
    EXPECT_EQ(dir_.Read("data/gdlkit/ldedit.bat"), "@set LD_COM=3\r\n@\"" + bin_ + "ld.exe\" %1");
    EXPECT_FALSE(fs::exists(bin_ + "ldedit.bat"));
}

TEST_F(LevelToolTest, RelativeToolFolderStillFindsTheToolFromTheProjectFolder) {
    InstallAll();
    fs::path old = fs::current_path();
    fs::current_path(dir_.Folder());
    gdl::PosixToolRunner runner;
    LevelTool tool("bin", runner, prompts_);
    bool listed = tool.List("lev", project_);
    fs::current_path(old);
    EXPECT_TRUE(listed);
    EXPECT_EQ(dir_.Read("project/lev.te1"), "listing lev\n");
    EXPECT_EQ(dir_.Read("bin/ldinfo.bat"), "@\"" + bin_ + "ld.exe\" -s%1 > %1.te1");
}

TEST_F(LevelToolTest, ToolFolderNamesAreQuotedSafely) {
    gdl::RecordingToolRunner runner;
    EXPECT_EQ(gdl::CompileBatchText("/opt/100% kit/"), "@\"/opt/100%% kit/ld.exe\" -m%1");

    fs::create_directory(dir_.Path("100% kit"));
    WriteScript(dir_, "100% kit/ld.exe", "echo \"$1\" > compiled.txt");
    dir_.Write("100% kit/ld.pif", "");
    dir_.Write("100% kit/ldinfo.pif", "");
    gdl::PosixToolRunner real;
    LevelTool percent(dir_.Path("100% kit/"), real, prompts_);
    EXPECT_TRUE(percent.Compile("lev", project_));
    EXPECT_EQ(dir_.Read("project/compiled.txt"), "-mlev\n");

    // A double quote cannot be written inside a batch file's quotes.
    fs::create_directory(dir_.Path("say \"kit\""));
    LevelTool quoted(dir_.Path("say \"kit\"/"), runner, prompts_);
    EXPECT_FALSE(quoted.WriteEditBatch(1));
    EXPECT_FALSE(quoted.List("lev", project_));
    EXPECT_TRUE(runner.calls.empty());
}

}  // namespace
