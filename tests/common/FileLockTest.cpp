// The lock two builds of one project folder share: the second waits for the
// first within its limit, and says so when the limit passes.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "FileLock.h"
#include "TempDir.h"

namespace {

using std::chrono::milliseconds;

TEST(FileLock, ASecondHolderWaitsThenGivesUpWithEwouldblock) {
    gdltest::TempDir dir;
    auto first = gdl::FileLock::Acquire(dir.Folder(), milliseconds(0));
    ASSERT_TRUE(first) << first.Err().Message();
    auto second = gdl::FileLock::Acquire(dir.Folder(), milliseconds(50));
    ASSERT_FALSE(second);
    EXPECT_EQ(second.Err().Kind(), gdl::ErrorKind::System);
    EXPECT_EQ(second.Err().Errno(), EWOULDBLOCK);

    // A waiter that is still waiting when the holder lets go gets the lock.
    bool got = false;
    std::thread waiter(
        [&] { got = gdl::FileLock::Acquire(dir.Folder(), milliseconds(60000)).Ok(); });
    first = gdl::FileLock();
    waiter.join();
    EXPECT_TRUE(got);
    // The abandoned wait of the second holder let go as well.
    EXPECT_TRUE(gdl::FileLock::Acquire(dir.Folder(), milliseconds(60000)));
}

TEST(FileLock, AMissingPathIsASystemErrorOfItsOwn) {
    auto lock = gdl::FileLock::Acquire("/nonexistent/folder", milliseconds(0));
    ASSERT_FALSE(lock);
    EXPECT_EQ(lock.Err().Errno(), ENOENT);
}

}  // namespace
