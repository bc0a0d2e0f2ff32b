// The editor's folders and the sample offer: an install folder the user may
// not write sends builds and new projects to the user's own kit folder, and
// the first start with no recent project offers the sample, copied there.
// A writable install folder is used as it is, with no offer.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "FakeTools.h"
#include "InstallFolders.h"
#include "ProjectFixtures.h"
#include "ReadOnlyFolder.h"
#include "Registry.h"
#include "SampleOffer.h"

namespace gdl {
namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;

constexpr const char* kSampleFiles[] = {"GemQuest.gdp", "Caverns.lvs", "Depths.lvs", "Secrets.lvs"};

class SampleOfferTest : public ::testing::Test {
protected:
    void SetUp() override {
        gdltest::WriteMarkers(kit.MakeFolder("bin"), {"ld.exe", "ld.pif", "ldinfo.pif"});
        kit.MakeFolder("levels");
        kit.MakeFolder("source");
        const std::string samples = kit.MakeFolder("samples/GemQuest");
        for (const char* file : kSampleFiles)
            fs::copy_file(std::string(GDLKIT_SOURCE_DIR) + "/samples/GemQuest/" + file,
                          samples + file);
    }
    // The install folder as a package leaves it: nobody may write it.
    bool MakeReadOnly() {
        for (const char* folder : {"bin", "levels", "source", ""})
            readOnly.push_back(std::make_unique<gdltest::ReadOnlyFolder>(kit.Path(folder)));
        return !readOnly.back()->Writable();
    }

    gdltest::TempDir kit, home;
    gdltest::ScopedEnv data{"XDG_DATA_HOME", home.Path("data")};
    gdltest::ScopedEnv noPath{"PATH", home.MakeFolder("empty")};
    std::vector<std::unique_ptr<gdltest::ReadOnlyFolder>> readOnly;
};

TEST_F(SampleOfferTest, AReadOnlyInstallOffersTheSampleInTheUsersFolder) {
    if (!MakeReadOnly()) GTEST_SKIP() << "no way to make a folder read-only here";
    gdltest::RealProcessWindow editor(kit.Folder());
    editor.prompts.answers.push_back(Answer::Yes);
    editor.window->FormActivate({});

    const std::string user = home.Path("data/gdlkit/");
    EXPECT_EQ(editor.window->BuildFolder(), user + "levels/");
    // The file dialogs start in the sample's folder, inside the user's source/.
    EXPECT_EQ(editor.window->ProjectFolder(), user + "source/GemQuest/");
    EXPECT_TRUE(fs::is_directory(user + "levels"));
    ASSERT_FALSE(editor.prompts.shown.empty());
    EXPECT_EQ(editor.prompts.shown[0].kind, "ask");
    EXPECT_EQ(editor.prompts.shown[0].caption, "Confirm");
    EXPECT_EQ(editor.prompts.shown[0].text, SampleOfferQuestion(user + "source/GemQuest/"));
    const std::string copy = user + "source/GemQuest/";
    for (const char* file : kSampleFiles) EXPECT_TRUE(fs::exists(copy + file)) << file;
    ASSERT_TRUE(editor.window->Model().open);
    EXPECT_EQ(editor.window->Model().FullPath(), copy + "GemQuest.gdp");
    EXPECT_EQ(editor.window->Model().name, "GemQuest");
    // The batch file with the user's port is the user's.
    EXPECT_TRUE(fs::exists(user + "ldedit.bat"));
    EXPECT_FALSE(fs::exists(kit.Path("bin/ldedit.bat")));

    // Asked once: the next start has the recent project, or the mark.
    gdltest::RealProcessWindow next(kit.Folder());
    next.registry.WriteValue(
        RegRoot::CurrentUser, kRegKeyEdit, kSampleOfferedValue,
        editor.registry.ReadValue(RegRoot::CurrentUser, kRegKeyEdit, kSampleOfferedValue)
            .value_or(""));
    next.window->FormActivate({});
    EXPECT_TRUE(next.prompts.shown.empty());
    EXPECT_FALSE(next.window->Model().open);
}

TEST_F(SampleOfferTest, NoCopiesNothingAndAnOldCopyIsKept) {
    if (!MakeReadOnly()) GTEST_SKIP() << "no way to make a folder read-only here";
    gdltest::RealProcessWindow declined(kit.Folder());
    declined.prompts.answers.push_back(Answer::No);
    declined.window->FormActivate({});
    EXPECT_FALSE(declined.window->Model().open);
    EXPECT_FALSE(fs::exists(home.Path("data/gdlkit/source/GemQuest")));

    // A copy the user changed stays as it is.
    const std::string copy = home.MakeFolder("data/gdlkit/source/GemQuest");
    home.Write("data/gdlkit/source/GemQuest/Caverns.lvs", "mine");
    gdltest::RealProcessWindow again(kit.Folder());
    again.prompts.answers.push_back(Answer::Yes);
    again.window->FormActivate({});
    EXPECT_EQ(home.Read("data/gdlkit/source/GemQuest/Caverns.lvs"), "mine");
    EXPECT_TRUE(fs::exists(copy + "GemQuest.gdp"));
}

TEST_F(SampleOfferTest, AWritableInstallBehavesAsBefore) {
    gdltest::RealProcessWindow editor(kit.Folder());
    editor.window->FormActivate({});
    EXPECT_TRUE(editor.prompts.shown.empty());
    EXPECT_EQ(editor.window->BuildFolder(), kit.Path("levels/"));
    EXPECT_EQ(editor.window->ProjectFolder(), kit.Path("source/"));
    EXPECT_FALSE(fs::exists(home.Path("data")));
}

TEST(InstallFolders, TheSampleIsFoundBesideAPackageOrInABuildTree) {
    gdltest::TempDir prefix;
    EXPECT_EQ(SampleProjectFolder(prefix.MakeFolder("lib/gdlkit")), "");
    prefix.MakeFolder("share/gdlkit/samples/GemQuest");
    prefix.Write("share/gdlkit/samples/GemQuest/GemQuest.gdp", "[^GDP]\r\n");
    EXPECT_EQ(SampleProjectFolder(prefix.Path("lib/gdlkit")),
              prefix.Path("share/gdlkit/samples/GemQuest/"));
    prefix.MakeFolder("kit/samples/GemQuest");
    prefix.Write("kit/samples/GemQuest/GemQuest.gdp", "[^GDP]\r\n");
    EXPECT_EQ(SampleProjectFolder(prefix.Path("kit/")), prefix.Path("kit/samples/GemQuest/"));
}

}  // namespace
}  // namespace gdl
