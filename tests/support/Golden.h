// Golden files: output compared byte for byte with a file kept under
// tests/data/, so a mistake made alike in a writer and its reader shows.
// With GDLKIT_WRITE_GOLDEN=1 a test writes the expected file instead (after a
// deliberate change of a format) and is skipped.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "FileUtil.h"

namespace gdltest {

inline std::string GoldenData(const std::string& relative) {
    return std::string(GDLKIT_SOURCE_DIR) + "/tests/data/" + relative;
}

inline bool WritingGolden() {
    const char* value = std::getenv("GDLKIT_WRITE_GOLDEN");
    return value && std::string(value) == "1";
}

// Compares actual with the golden file, or writes it when asked to.
inline void ExpectGolden(const std::string& goldenPath, const std::string& actual) {
    if (WritingGolden()) {
        std::filesystem::create_directories(std::filesystem::path(goldenPath).parent_path());
        ASSERT_TRUE(gdl::WriteFileAtomic(goldenPath, actual));
        GTEST_SKIP() << "wrote " << goldenPath;
    }
    const auto expected = gdl::ReadFileBytes(goldenPath);
    ASSERT_TRUE(expected) << goldenPath << " is missing: run with GDLKIT_WRITE_GOLDEN=1";
    EXPECT_TRUE(actual == *expected) << "differs from " << goldenPath << ":\n" << actual;
}

}  // namespace gdltest
