// The page's registry: the design's keys and values kept in two storage items.
#include <gtest/gtest.h>

#include <map>

#include "Chooser.h"
#include "Registry.h"
#include "StartUp.h"
#include "StorageRegistry.h"

namespace gdl {
namespace {

class MapStore : public KeyValueStore {
public:
    std::map<std::string, std::string> items;
    bool refuse = false;
    std::optional<std::string> Get(const std::string& item) const override {
        auto it = items.find(item);
        if (it == items.end()) return std::nullopt;
        return it->second;
    }
    bool Set(const std::string& item, const std::string& value) override {
        if (refuse) return false;
        items[item] = value;
        return true;
    }
};

class StorageRegistryTest : public ::testing::Test {
protected:
    MapStore store;
    StorageRegistry registry{store};
};

TEST_F(StorageRegistryTest, EachRootIsOneItemInTheRegistrysTextFormat) {
    ASSERT_TRUE(
        registry.WriteValue(RegRoot::LocalMachine, kRegKeyPlayOptions, "SavePassword", "1"));
    ASSERT_TRUE(registry.WriteValue(RegRoot::CurrentUser,
                                    "Software\\Vandrel\\GDLKIT\\Play\\Passwords", "MYSET", "AB12"));
    ASSERT_EQ(store.items.size(), 2u);
    const std::string& machine = store.items.at(kStorageMachineItem);
    EXPECT_NE(machine.find("[Software\\Vandrel\\GDLKIT\\Play\\Options]"), std::string::npos)
        << machine;
    EXPECT_NE(machine.find("\"SavePassword\"=\"1\""), std::string::npos) << machine;
    EXPECT_EQ(store.items.at(kStorageUserItem).find("SavePassword"), std::string::npos);
    EXPECT_EQ(registry.ReadValue(RegRoot::CurrentUser, "software\\vandrel\\gdlkit\\play\\PASSWORDS",
                                 "myset"),
              "AB12");
    EXPECT_EQ(registry.ReadValue(RegRoot::LocalMachine,
                                 "Software\\Vandrel\\GDLKIT\\Play\\Passwords", "MYSET"),
              std::nullopt);
}

TEST_F(StorageRegistryTest, TheListOfSetsKeepsItsOrderAcrossAReload) {
    for (const char* name : {"Zeta", "Alpha", "Ups/Downs"})
        ASSERT_TRUE(registry.WriteValue(RegRoot::LocalMachine, kRegKeyLevelSets, name,
                                        std::string("/sets/") + name + ".gdl"));
    ASSERT_TRUE(registry.DeleteValue(RegRoot::LocalMachine, kRegKeyLevelSets, "alpha"));
    StorageRegistry reloaded{store};
    EXPECT_EQ(reloaded.ValueNames(RegRoot::LocalMachine, kRegKeyLevelSets),
              (std::vector<std::string>{"Zeta", "Ups/Downs"}));
}

TEST_F(StorageRegistryTest, AnItemItCannotReadIsNeverReplaced) {
    store.items[kStorageMachineItem] = "[unclosed\n\"x\"=";
    EXPECT_EQ(registry.ReadValue(RegRoot::LocalMachine, kRegKeyPlayOptions, "AutoLoad"),
              std::nullopt);
    EXPECT_FALSE(registry.WriteValue(RegRoot::LocalMachine, kRegKeyPlayOptions, "AutoLoad", "1"));
    EXPECT_FALSE(registry.CreateKey(RegRoot::LocalMachine, kRegKeyLevelSets));
    EXPECT_EQ(store.items[kStorageMachineItem], "[unclosed\n\"x\"=");
}

TEST_F(StorageRegistryTest, AStorageThatRefusesTheWriteIsAFailedWrite) {
    store.refuse = true;
    EXPECT_FALSE(registry.WriteValue(RegRoot::CurrentUser, "Software\\Vandrel\\GDLKIT\\Play", "",
                                     "/sets/a.gdl"));
    EXPECT_TRUE(store.items.empty());
}

}  // namespace
}  // namespace gdl
