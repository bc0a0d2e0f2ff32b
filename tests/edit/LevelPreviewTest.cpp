// The editor's pictures of levels: a level's map from its source as it is
// now, from its compiled level, and the problems of a source.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "FileUtil.h"
#include "LevelCompile.h"
#include "LevelPreview.h"
#include "ProjectFixtures.h"
#include "TempDir.h"

namespace gdl {
namespace {

using testing::HasSubstr;

constexpr char kSource[] =
    "level GOOD\ntime 1:00\nquota 0\nmap\nXXXX\nX@EX\nXXXX\nend\n\n"
    "level BROKEN\ntime 1:00\nquota 0\nmap\nXXXX\nX@E\nXXXX\nend\n";

TEST(LevelPreviews, MapsOfSourceLevelsAndCompiledLevels) {
    gdltest::TempDir dir;
    dir.Write("caves.lvs", kSource);
    LevelPreviews previews;
    struct Case {
        const char* reference;
        int width;           // 0: no map
        const char* reason;  // in the problem when there is no map
    };
    SourceLevel bin;
    bin.levelName = "LOOSE";
    bin.width = 3;
    bin.height = 1;
    bin.tiles = {8, 0, 7};
    dir.Write("LOOSE.bin", CompileLevel(bin).bytes);
    dir.Write("JUNK.bin", "not a level");
    const Case cases[] = {
        {"caves:GOOD", 4, ""},
        {"caves:good", 4, ""},
        {"caves:BROKEN", 4, ""},  // a broken level still has its map
        {"caves:NONE", 0, "holds no level NONE"},
        {"gone:GOOD", 0, "gone.lvs"},
        {"LOOSE", 3, ""},
        {"JUNK", 0, "JUNK.bin"},
        {"MISSING", 0, "MISSING.bin could not be found"},
    };
    for (const auto& c : cases) {
        LevelPreview p = previews.OfReference(dir.Folder(), c.reference);
        EXPECT_EQ(p.tiles.width, c.width) << c.reference;
        EXPECT_THAT(p.problem, HasSubstr(c.reason)) << c.reference;
        EXPECT_EQ(p.tiles.tiles.size(), static_cast<std::size_t>(p.tiles.width) *
                                            static_cast<std::size_t>(p.tiles.height))
            << c.reference;
    }
}

TEST(LevelPreviews, ProblemsExplainALevelThatLeftTheListAndFollowTheFile) {
    gdltest::TempDir dir;
    dir.Write("caves.lvs", kSource);
    LevelPreviews previews;
    auto problems = previews.ProblemsOf(dir.Folder(), "caves");
    ASSERT_FALSE(problems.empty());
    EXPECT_THAT(problems[0], HasSubstr("BROKEN: line 15: error: "));
    // The file mended by another program: read again.
    std::string mended = kSource;
    mended.replace(mended.find("X@E\n"), 4, "X@EX\n");
    dir.Write("caves.lvs", mended);
    std::filesystem::last_write_time(
        dir.Path("caves.lvs"),
        std::filesystem::last_write_time(dir.Path("caves.lvs")) + std::chrono::seconds(2));
    EXPECT_TRUE(previews.ProblemsOf(dir.Folder(), "caves").empty());
    EXPECT_THAT(previews.ProblemsOf(dir.Folder(), "gone"),
                testing::ElementsAre(HasSubstr("gone.lvs")));
}

// The pages with the real level tool on a copy of the sample project.
TEST(PagePreviews, SourcePageShowsTheMapAndWhyALevelLeftTheList) {
    gdltest::TempDir dir;
    const std::string project = dir.MakeFolder("project");
    for (const auto& file : std::filesystem::directory_iterator(gdltest::SampleFolder()))
        std::filesystem::copy_file(file.path(), project + file.path().filename().string());
    gdltest::RealProcessWindow editor(std::string(GDLKIT_KIT_DIR) + "/");
    ProjectWindow& w = editor.Open(project + "GemQuest.gdp");
    const SourcePageView& v = w.View().source;
    ASSERT_EQ(v.sources.front(), "Caverns");
    w.Source().cSourceClick(0);
    EXPECT_TRUE(v.problems.empty());
    EXPECT_EQ(v.preview.tiles.width, 0) << "no level selected";
    w.Source().cContentsClick(0);
    EXPECT_EQ(v.preview.tiles.width, 12);
    EXPECT_EQ(v.preview.tiles.height, 8);

    // CAVE02 loses a tile of a row in another program: the level tool no
    // longer lists it, and the problems say why.
    std::string text = ReadFileBytes(project + "Caverns.lvs").value_or("");
    const auto row = text.find("X@::O::*::O::*:X");
    ASSERT_NE(row, std::string::npos);
    text.erase(row + 3, 1);
    ASSERT_TRUE(WriteFileAtomic(project + "Caverns.lvs", text));
    for (const char* ext : {".te1", ".te2"}) std::filesystem::remove(project + "Caverns" + ext);
    w.Source().cSourceClick(0);
    EXPECT_THAT(v.contents, testing::Not(testing::Contains("CAVE02")));
    ASSERT_FALSE(v.problems.empty());
    EXPECT_THAT(v.problems.front(), HasSubstr("CAVE02: line "));

    // The Level Set page: the third entry is CAVE01, 12x8.
    w.Levels().cLevelsClick(2);
    EXPECT_EQ(w.View().levels.preview.tiles.width, 12);
    EXPECT_EQ(w.View().levels.preview.problem, "");
}

}  // namespace
}  // namespace gdl
