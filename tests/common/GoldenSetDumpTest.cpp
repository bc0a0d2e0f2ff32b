// The level sets the golden builds keep, read back field by field: the dump
// under tests/data/dump/ is what a reader of the format must see in them.
#include <gtest/gtest.h>

#include "FileUtil.h"
#include "Golden.h"
#include "LevelSetFile.h"
#include "SetDump.h"

namespace {

class GoldenSetDumpTest : public ::testing::TestWithParam<const char*> {};

TEST_P(GoldenSetDumpTest, ReadsAsDumped) {
    const std::string name = GetParam();
    const auto bytes =
        gdl::ReadFileBytes(gdltest::GoldenData("build/" + name + "/expected/" + name + ".gdl"));
    ASSERT_TRUE(bytes);
    std::string error;
    const auto set = gdl::ParseLevelSet(*bytes, &error);
    ASSERT_TRUE(set) << error;
    gdltest::ExpectGolden(gdltest::GoldenData("dump/" + name + ".txt"),
                          gdltest::DumpLevelSet(*set));
}

INSTANTIATE_TEST_SUITE_P(Sets, GoldenSetDumpTest, ::testing::Values("GemQuest", "small"));

}  // namespace
