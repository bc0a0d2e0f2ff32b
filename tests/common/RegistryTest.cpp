#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <set>

#include "CommonFakes.h"
#include "FakeTools.h"
#include "Registry.h"
#include "RegistryHive.h"

namespace fs = std::filesystem;
using gdl::FileRegistry;
using gdl::MemoryRegistry;
using gdl::Registry;
using gdl::RegRoot;
using gdltest::ScopedEnv;
using Names = std::set<std::string>;

namespace {

constexpr char kPlaySets[] = "Software\\Vandrel\\GDLKIT\\Play\\LevelSets";

// The same behaviour is asked of the test double and of the real store.
class RegistryKinds : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam()) {
            reg_ =
                std::make_unique<FileRegistry>(dir_.Path("m/machine.reg"), dir_.Path("u/user.reg"));
        } else {
            reg_ = std::make_unique<MemoryRegistry>();
        }
    }
    Registry& Reg() { return *reg_; }
    gdltest::TempDir dir_;
    std::unique_ptr<Registry> reg_;
};

TEST_P(RegistryKinds, AnyValueNameButNulSurvives) {
    const std::vector<std::string> names = {
        "Ups/Downs", "What?",      "a=b",     "[x]",       "say \"hi\"",    "back\\slash",
        "@",         "semi;colon", " blank ", "tab\there", "line\r\nbreak", "\xA9 1999",
        ""};
    for (const auto& name : names) {
        ASSERT_TRUE(Reg().WriteValue(RegRoot::LocalMachine, kPlaySets, name, "data of " + name))
            << name;
    }
    for (const auto& name : names) {
        EXPECT_EQ(Reg().ReadValue(RegRoot::LocalMachine, kPlaySets, name), "data of " + name)
            << name;
    }
    EXPECT_EQ(Reg().ValueNames(RegRoot::LocalMachine, kPlaySets), names);
    EXPECT_FALSE(Reg().WriteValue(RegRoot::LocalMachine, kPlaySets, std::string("a\0b", 3), "x"));
}

TEST_P(RegistryKinds, KeysAndNamesIgnoreAsciiCase) {
    ASSERT_TRUE(Reg().WriteValue(RegRoot::LocalMachine, gdl::kRegKeyEdit, "Recent1", "/a.gdp"));
    EXPECT_EQ(Reg().ReadValue(RegRoot::LocalMachine, "SOFTWARE\\vandrel\\gdlkit\\EDIT", "recent1"),
              "/a.gdp");
    ASSERT_TRUE(Reg().WriteValue(RegRoot::LocalMachine, "software\\VANDREL\\GDLKIT\\edit",
                                 "RECENT1", "/b.gdp"));
    // One value, still spelled as first written.
    EXPECT_EQ(Reg().ValueNames(RegRoot::LocalMachine, gdl::kRegKeyEdit),
              std::vector<std::string>{"Recent1"});
    EXPECT_EQ(Reg().ReadValue(RegRoot::LocalMachine, gdl::kRegKeyEdit, "Recent1"), "/b.gdp");
    EXPECT_FALSE(Reg().ReadValue(RegRoot::CurrentUser, gdl::kRegKeyEdit, "Recent1"));
}

TEST_P(RegistryKinds, EnumerationKeepsFirstWrittenOrder) {
    for (const char* name : {"Zeta", "Alpha", "Mid"}) {
        ASSERT_TRUE(Reg().WriteValue(RegRoot::LocalMachine, kPlaySets, name, "1"));
    }
    ASSERT_TRUE(Reg().WriteValue(RegRoot::LocalMachine, kPlaySets, "alpha", "2"));
    ASSERT_TRUE(Reg().DeleteValue(RegRoot::LocalMachine, kPlaySets, "ZETA"));
    EXPECT_FALSE(Reg().DeleteValue(RegRoot::LocalMachine, kPlaySets, "Zeta"));
    ASSERT_TRUE(Reg().WriteValue(RegRoot::LocalMachine, kPlaySets, "Zeta", "3"));
    EXPECT_EQ(Reg().ValueNames(RegRoot::LocalMachine, kPlaySets),
              (std::vector<std::string>{"Alpha", "Mid", "Zeta"}));
}

TEST_P(RegistryKinds, ParentKeysExistWithTheirChildren) {
    EXPECT_FALSE(Reg().KeyExists(RegRoot::LocalMachine, gdl::kRegKeyRoot));
    ASSERT_TRUE(Reg().WriteValue(RegRoot::LocalMachine, gdl::kRegKeyGlobal, "Port", "2"));
    EXPECT_TRUE(Reg().KeyExists(RegRoot::LocalMachine, gdl::kRegKeyRoot));
    EXPECT_TRUE(Reg().KeyExists(RegRoot::LocalMachine, "software\\vandrel\\gdlkit\\GLOBAL\\"));
    EXPECT_FALSE(Reg().KeyExists(RegRoot::LocalMachine, "Software\\Vandrel\\GDLK"));
    EXPECT_FALSE(Reg().KeyExists(RegRoot::CurrentUser, gdl::kRegKeyRoot));
    ASSERT_TRUE(Reg().CreateKey(RegRoot::CurrentUser, "Software\\Vandrel\\GDLKIT\\Play"));
    EXPECT_TRUE(Reg().KeyExists(RegRoot::CurrentUser, gdl::kRegKeyRoot));
    EXPECT_TRUE(Reg().ValueNames(RegRoot::CurrentUser, "Software\\Vandrel\\GDLKIT\\Play").empty());
}

INSTANTIATE_TEST_SUITE_P(MemoryAndFile, RegistryKinds, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "File" : "Memory"; });

// Lookups go through an index: values appended straight to a key, removed
// from its middle or spelled in another case are still found where they are.
TEST(RegistryHive, LookupsFollowEveryChangeOfTheValues) {
    gdl::RegistryHive hive;
    auto& key = hive.Create(kPlaySets);
    for (int i = 0; i < 1000; ++i) key.values.push_back({"Set " + std::to_string(i), "d"});
    ASSERT_TRUE(key.FindValue("SET 999"));
    key.values.push_back({"Late", "late data"});
    ASSERT_TRUE(key.FindValue("late"));
    EXPECT_EQ(key.FindValue("late")->data, "late data");
    ASSERT_TRUE(key.EraseValue("set 0"));
    EXPECT_FALSE(key.FindValue("Set 0"));
    ASSERT_TRUE(key.FindValue("Set 500"));
    EXPECT_EQ(key.FindValue("Set 500")->name, "Set 500");
    // A hand-edited file that names one value twice keeps the first spelling
    // with the last data.
    auto parsed = gdl::ParseHive("REGEDIT4\r\n[K]\r\n\"Ab\"=\"1\"\r\n\"aB\"=\"2\"\r\n");
    ASSERT_TRUE(parsed);
    ASSERT_EQ(parsed->keys[0].values.size(), 1u);
    EXPECT_EQ(parsed->keys[0].values[0].name, "Ab");
    EXPECT_EQ(parsed->keys[0].values[0].data, "2");
}

TEST(FileRegistry, RootsLiveInSeparateFilesAndAreReadEveryTime) {
    gdltest::TempDir dir;
    FileRegistry editor(dir.Path("machine.reg"), dir.Path("user.reg"));
    FileRegistry player(dir.Path("machine.reg"), dir.Path("user.reg"));
    ASSERT_TRUE(editor.WriteValue(RegRoot::LocalMachine, gdl::kRegKeyGlobal, "Port", "3"));
    ASSERT_TRUE(editor.WriteValue(RegRoot::CurrentUser, "Software\\Vandrel\\GDLKIT\\Play", "",
                                  "/sets/one.gdl"));

    EXPECT_EQ(player.ReadValue(RegRoot::LocalMachine, gdl::kRegKeyGlobal, "Port"), "3");
    EXPECT_EQ(player.ReadValue(RegRoot::CurrentUser, "Software\\Vandrel\\GDLKIT\\Play", ""),
              "/sets/one.gdl");
    EXPECT_FALSE(player.ReadValue(RegRoot::CurrentUser, gdl::kRegKeyGlobal, "Port"));

    std::string machine = dir.Read("machine.reg");
    std::string user = dir.Read("user.reg");
    EXPECT_EQ(machine.rfind("REGEDIT4\r\n", 0), 0u);
    EXPECT_NE(machine.find("\"Port\"=\"3\""), std::string::npos);
    EXPECT_EQ(machine.find("one.gdl"), std::string::npos);
    EXPECT_NE(user.find("@=\"/sets/one.gdl\""), std::string::npos);
    EXPECT_EQ(user.find("Port"), std::string::npos);
}

TEST(FileRegistry, CreatesMissingFoldersAndLeavesNoTemporaryFiles) {
    gdltest::TempDir dir;
    FileRegistry reg(dir.Path("a/b/machine.reg"), dir.Path("c/user.reg"));
    ASSERT_TRUE(reg.WriteValue(RegRoot::LocalMachine, gdl::kRegKeyGlobal, "Port", "0"));
    ASSERT_TRUE(reg.WriteValue(RegRoot::LocalMachine, gdl::kRegKeyGlobal, "Port", "1"));
    ASSERT_TRUE(reg.WriteValue(RegRoot::CurrentUser, gdl::kRegKeyRoot, "x", "y"));
    EXPECT_EQ(dir.Names("a/b"), Names{"machine.reg"});
    EXPECT_EQ(dir.Names("c"), Names{"user.reg"});
}

// The files a registry must refuse to overwrite: it would lose what they hold.
TEST(FileRegistry, CorruptFileReadsEmptyAndIsNeverOverwritten) {
    const std::vector<std::string> corrupt = {
        "garbage\r\n",
        "\"Port\"=\"1\"\r\n",
        "REGEDIT4\r\n\"Port\"=\"1\"\r\n",
        "REGEDIT4\r\n[Software\\Vandrel\\GDLKIT\\global]\r\n\"Port\"=\"1\r\n",
        "REGEDIT4\r\n[Software\\Vandrel\\GDLKIT\\global]\r\n\"Port\"=dword:00000001\r\n",
        "REGEDIT4\r\n[Software\\Vandrel\\GDLKIT\\global]\r\n\"Po\\qrt\"=\"1\"\r\n",
        "REGEDIT4\r\n[Software\\Vandrel\\GDLKIT\\global\r\n",
        "REGEDIT4\r\n[Software\\Vandrel\\GDLKIT\\global]\r\n\"Port\"=\"1\" trailing\r\n",
        std::string("REGEDIT4\r\n[Software\\Vandrel\\GDLKIT\\global]\r\n\"P\\x00\"=\"1\"\r\n"),
    };
    for (const auto& bytes : corrupt) {
        gdltest::TempDir dir;
        dir.Write("machine.reg", bytes);
        FileRegistry reg(dir.Path("machine.reg"), dir.Path("user.reg"));
        EXPECT_FALSE(reg.ReadValue(RegRoot::LocalMachine, gdl::kRegKeyGlobal, "Port")) << bytes;
        EXPECT_FALSE(reg.KeyExists(RegRoot::LocalMachine, gdl::kRegKeyGlobal)) << bytes;
        EXPECT_TRUE(reg.ValueNames(RegRoot::LocalMachine, gdl::kRegKeyGlobal).empty()) << bytes;
        EXPECT_FALSE(reg.WriteValue(RegRoot::LocalMachine, gdl::kRegKeyGlobal, "Port", "2"))
            << bytes;
        EXPECT_FALSE(reg.CreateKey(RegRoot::LocalMachine, gdl::kRegKeyEdit)) << bytes;
        EXPECT_FALSE(reg.DeleteValue(RegRoot::LocalMachine, gdl::kRegKeyGlobal, "Port")) << bytes;
        EXPECT_EQ(dir.Read("machine.reg"), bytes);
        // The other root is a file of its own and goes on working.
        EXPECT_TRUE(reg.WriteValue(RegRoot::CurrentUser, gdl::kRegKeyGlobal, "Port", "2"));
    }
}

TEST(FileRegistry, AcceptsHandEditedFiles) {
    gdltest::TempDir dir;
    dir.Write(
        "machine.reg",
        "\n  REGEDIT4\n; written by hand\n\n[\\Software\\Vandrel\\GDLKIT\\]\n@=\"/opt/kit/\"\n"
        "  \"Ups/Downs\" = \"x\"  \n");
    FileRegistry reg(dir.Path("machine.reg"), dir.Path("user.reg"));
    EXPECT_EQ(reg.ReadValue(RegRoot::LocalMachine, gdl::kRegKeyRoot, ""), "/opt/kit/");
    EXPECT_EQ(reg.ReadValue(RegRoot::LocalMachine, gdl::kRegKeyRoot, "Ups/Downs"), "x");
    dir.Write("machine.reg", "");
    EXPECT_TRUE(reg.WriteValue(RegRoot::LocalMachine, gdl::kRegKeyRoot, "", "/opt/kit/"));
}

TEST(FileRegistry, FailedWriteKeepsTheOldFileAndLeavesNothingBehind) {
    gdltest::TempDir dir;
    FileRegistry reg(dir.Path("machine.reg"), dir.Path("user.reg"));
    ASSERT_TRUE(reg.WriteValue(RegRoot::LocalMachine, gdl::kRegKeyGlobal, "Port", "1"));
    const std::string before = dir.Read("machine.reg");

    {
        // The new file's write fails halfway.
        gdltest::FileSizeLimit limit(before.size() + 8);
        EXPECT_FALSE(reg.WriteValue(RegRoot::LocalMachine, gdl::kRegKeyEdit, "Recent1",
                                    std::string(4096, 'x')));
    }
    EXPECT_EQ(dir.Read("machine.reg"), before);
    EXPECT_EQ(dir.Names(), Names{"machine.reg"});
    EXPECT_EQ(reg.ReadValue(RegRoot::LocalMachine, gdl::kRegKeyGlobal, "Port"), "1");
}

TEST(FileRegistry, ReadOnlyFolderRefusesTheWrite) {
    gdltest::TempDir dir;
    fs::create_directory(dir.Path("ro"));
    FileRegistry reg(dir.Path("ro/machine.reg"), dir.Path("user.reg"));
    ASSERT_TRUE(reg.WriteValue(RegRoot::LocalMachine, gdl::kRegKeyGlobal, "Port", "1"));
    const std::string before = dir.Read("ro/machine.reg");
    fs::permissions(dir.Path("ro"), fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(dir.Path("ro").c_str(), W_OK) == 0) {
        fs::permissions(dir.Path("ro"), fs::perms::owner_all);
        GTEST_SKIP() << "permissions do not bind this user";
    }
    EXPECT_FALSE(reg.WriteValue(RegRoot::LocalMachine, gdl::kRegKeyGlobal, "Port", "2"));
    fs::permissions(dir.Path("ro"), fs::perms::owner_all);
    EXPECT_EQ(dir.Read("ro/machine.reg"), before);
    EXPECT_EQ(dir.Names("ro"), Names{"machine.reg"});
}

TEST(FileRegistry, PathsComeFromTheEnvironment) {
    ScopedEnv config("XDG_CONFIG_HOME", "/cfg");
    ScopedEnv machine("GDLKIT_MACHINE_REG", "/etc/gdlkit/machine.reg");
    ScopedEnv home("HOME");
    FileRegistry a = FileRegistry::FromEnvironment();
    EXPECT_EQ(a.PathOf(RegRoot::LocalMachine), "/etc/gdlkit/machine.reg");
    EXPECT_EQ(a.PathOf(RegRoot::CurrentUser), "/cfg/gdlkit/user.reg");

    machine.Unset();
    config.Unset();
    home.Set("/home/lynx");
    FileRegistry b = FileRegistry::FromEnvironment();
    EXPECT_EQ(b.PathOf(RegRoot::LocalMachine), "/home/lynx/.config/gdlkit/machine.reg");
    EXPECT_EQ(b.PathOf(RegRoot::CurrentUser), "/home/lynx/.config/gdlkit/user.reg");
}

TEST(SeedInstallFolder, RecordsTheParentOfAToolFolderOnlyOnce) {
    gdltest::TempDir dir;
    fs::create_directory(dir.Path("kit"));
    fs::create_directory(dir.Path("kit/bin"));
    MemoryRegistry reg;
    EXPECT_FALSE(gdl::SeedInstallFolder(reg, dir.Path("kit/bin/")));  // no tool files yet
    dir.Write("kit/bin/ld.exe", "");
    EXPECT_FALSE(gdl::SeedInstallFolder(reg, dir.Path("kit/bin/")));  // ld.pif missing
    dir.Write("kit/bin/ld.pif", "");
    EXPECT_TRUE(gdl::SeedInstallFolder(reg, dir.Path("kit/bin")));
    EXPECT_EQ(reg.ReadValue(RegRoot::LocalMachine, gdl::kRegKeyRoot, ""), dir.Path("kit/"));
    reg.WriteValue(RegRoot::LocalMachine, gdl::kRegKeyRoot, "", "/elsewhere/");
    EXPECT_FALSE(gdl::SeedInstallFolder(reg, dir.Path("kit/bin/")));
    EXPECT_EQ(reg.ReadValue(RegRoot::LocalMachine, gdl::kRegKeyRoot, ""), "/elsewhere/");
}

}  // namespace
