// The level set chooser: the list of known sets in the machine registry, the
// details of the selected set, and files offered for the list.
#include <gtest/gtest.h>

#include <string>

#include "Chooser.h"
#include "CommonFakes.h"
#include "IniFile.h"
#include "PlayerFixtures.h"

namespace gdl {
namespace {

using gdltest::NumberedLevels;

class ChooserTest : public ::testing::Test {
protected:
    void List(const std::string& name, const std::string& path) {
        registry.WriteValue(RegRoot::LocalMachine, kRegKeyLevelSets, name, path);
    }
    std::string Listed(const std::string& name) const {
        return registry.ReadValue(RegRoot::LocalMachine, kRegKeyLevelSets, name).value_or("");
    }
    std::string WriteSet(const std::string& file, const std::string& name,
                         const std::string& comments = "") {
        gdltest::SetText set;
        set.name = name;
        set.comments = comments;
        WriteFileAtomic(dir.Path(file), gdltest::LevelSetFileBytes(set, NumberedLevels(1)));
        return dir.Path(file);
    }

    gdltest::TempDir dir;
    MemoryRegistry registry;
    ScriptedPrompts prompts;
    RecordingToolRunner runner;
    Chooser chooser{registry, prompts, runner};
};

TEST_F(ChooserTest, EmptyListOpensTheFileDialogAtOnce) {
    chooser.Prepare("/kit/", dir.Folder(), "old.gdl");
    chooser.FormActivate();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].kind, "open");
    EXPECT_EQ(prompts.shown[0].caption, "Load Other Level Set");
    EXPECT_EQ(prompts.shown[0].request.folder, dir.Folder());
    EXPECT_TRUE(prompts.shown[0].request.mustExist);
    EXPECT_EQ(chooser.View().result, ModalResult::None);
    EXPECT_FALSE(chooser.View().bOKEnabled);
}

TEST_F(ChooserTest, OtherFileIsOfferedUnlessItsNameIsListedInAnyCase) {
    struct Case {
        std::string setName;
        bool asked;
    };
    const Case cases[] = {{"MY SET", false}, {"my set", false}, {"Other Set", true}};
    for (const Case& c : cases) {
        registry = {};
        List("My Set", "/old/path.gdl");
        prompts = {};
        const std::string path = WriteSet("new.gdl", c.setName);
        prompts.paths = {path};
        prompts.answers = {Answer::Yes};
        chooser.FormActivate();
        chooser.bOtherClick();
        EXPECT_EQ(prompts.shown.size(), c.asked ? 2u : 1u) << c.setName;
        EXPECT_EQ(Listed("My Set"), "/old/path.gdl");
        EXPECT_EQ(Listed(c.setName), c.asked ? path : "/old/path.gdl");
        if (c.asked) {
            EXPECT_EQ(prompts.shown[1].text, "Add Other Set to Level Set List?");
        }
        EXPECT_EQ(chooser.View().result, ModalResult::Ok);
        EXPECT_EQ(chooser.FileName(), path);
    }
}

TEST_F(ChooserTest, RemovingTheOnlyEntryLeavesNothingToChoose) {
    List("My Set", WriteSet("set.gdl", "My Set"));
    chooser.FormActivate();
    EXPECT_TRUE(chooser.View().bOKEnabled && chooser.View().popupEnabled);
    prompts.answers = {Answer::Yes};
    chooser.Remove1Click();
    EXPECT_EQ(prompts.shown.at(0).text, "Remove My Set from Level Set List?");
    EXPECT_TRUE(chooser.View().cLevelSets.empty());
    EXPECT_EQ(chooser.View().Label2, "");
    EXPECT_EQ(chooser.View().Label3, "");
    EXPECT_FALSE(chooser.View().bOKEnabled);
    EXPECT_FALSE(chooser.View().popupEnabled);
    EXPECT_TRUE(registry.ValueNames(RegRoot::LocalMachine, kRegKeyLevelSets).empty());
    chooser.bOKClick();
    EXPECT_EQ(chooser.View().result, ModalResult::None);
}

TEST_F(ChooserTest, DetailsShowTheCopyrightLineAndAtMost512CharactersOfComments) {
    const std::string project =
        gdltest::WriteProjectSet(dir.Folder(), "set.gdp", {}, NumberedLevels(1));
    WritePrivateProfileString("^GDP", "Copyright", "", project);
    WritePrivateProfileString("^GDP", "Comments", "Project comments", project);
    const std::string comments(600, 'c');
    List("Set", WriteSet("set.gdl", "Set", comments));
    List("Project", project);
    chooser.FormActivate();
    EXPECT_EQ(chooser.View().Label2,
              "Copyright \xA9"
              "2024 Notice");
    EXPECT_EQ(chooser.View().Label3, comments.substr(0, 512));
    chooser.Select(1);
    chooser.cLevelSetsClick();
    EXPECT_EQ(chooser.View().Label2, "Copyright \xA9 Notice");
    EXPECT_EQ(chooser.View().Label3, "Project comments");
    chooser.bOKClick();
    EXPECT_EQ(chooser.View().result, ModalResult::Ok);
    EXPECT_EQ(chooser.FileName(), project);
}

}  // namespace
}  // namespace gdl
