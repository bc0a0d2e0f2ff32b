#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "Error.h"

namespace gdl {
namespace {

Result<int> Half(int n) {
    if (n % 2) return Error::Caller(std::to_string(n) + " is odd");
    return n / 2;
}

TEST(ErrorTest, ResultCarriesValueOrError) {
    auto ok = Half(8);
    ASSERT_TRUE(ok.Ok());
    EXPECT_EQ(*ok, 4);
    auto bad = Half(7);
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.Err().Kind(), ErrorKind::Caller);
    EXPECT_EQ(bad.Err().Message(), "7 is odd");
}

TEST(ErrorTest, SystemKeepsErrnoAndItsText) {
    auto e = Error::System("open /dev/ttyUSB0", EACCES);
    EXPECT_EQ(e.Kind(), ErrorKind::System);
    EXPECT_EQ(e.Errno(), EACCES);
    EXPECT_EQ(e.Message(), std::string("open /dev/ttyUSB0: ") + std::strerror(EACCES));
}

TEST(ErrorTest, BadFormatNamesFileAndLine) {
    struct Case {
        const char* file;
        int line;
        const char* expected;
    } cases[] = {
        {"a.lvs", 12, "a.lvs:12: expected MAP, got END"},
        {"a.gdl", 0, "a.gdl: expected MAP, got END"},
        {"", 0, "expected MAP, got END"},
    };
    for (const auto& c : cases) {
        auto e = Error::BadFormat(c.file, c.line, "expected MAP, got END");
        EXPECT_EQ(e.Message(), c.expected);
        EXPECT_EQ(e.Line(), c.line);
    }
}

TEST(ErrorTest, VoidResult) {
    Result<void> fine;
    EXPECT_TRUE(fine.Ok());
    Result<void> failed = Error::Unsupported("no modem lines");
    EXPECT_FALSE(failed.Ok());
    EXPECT_EQ(failed.Err().Kind(), ErrorKind::Unsupported);
}

}  // namespace
}  // namespace gdl
