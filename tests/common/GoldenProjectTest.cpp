// A project file as people leave it (edited by hand, or by an older editor)
// loaded and saved again: the saved bytes are kept under
// tests/data/project/expected/, so a change in what the editor writes back
// shows.
#include <gtest/gtest.h>

#include "FileUtil.h"
#include "Golden.h"
#include "ProjectFile.h"
#include "TempDir.h"

namespace {

class GoldenProjectTest : public ::testing::TestWithParam<const char*> {};

TEST_P(GoldenProjectTest, LoadedAndSavedAsKept) {
    const std::string name = GetParam();
    gdl::ProjectModel model;
    ASSERT_TRUE(gdl::LoadProject(model, gdltest::GoldenData("project/" + name + ".gdp")));
    const std::string saved = gdl::ProjectToBytes(model);
    gdltest::ExpectGolden(gdltest::GoldenData("project/expected/" + name + ".gdp"), saved);

    // What was saved loads as the same project and saves to the same bytes.
    gdltest::TempDir dir;
    dir.Write("again.gdp", saved);
    gdl::ProjectModel again;
    ASSERT_TRUE(gdl::LoadProject(again, dir.Path("again.gdp")));
    EXPECT_EQ(gdl::ProjectToBytes(again), saved);
}

INSTANTIATE_TEST_SUITE_P(Projects, GoldenProjectTest, ::testing::Values("hand", "gemquest"));

}  // namespace
