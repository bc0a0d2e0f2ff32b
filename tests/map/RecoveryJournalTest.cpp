// The recovery journal's file: what its reader makes of whole, cut and
// damaged journals.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "FileUtil.h"
#include "RecoveryJournal.h"
#include "TempDir.h"

namespace gdl {
namespace {

// A journal as GDLMap writes it: base "abcdef", then three changes.
std::string WrittenJournal(const gdltest::TempDir& dir) {
    RecoveryJournal journal(dir.Path("state"));
    journal.Start(dir.Path("k.lvs"), "abcdef");
    EXPECT_TRUE(journal.Record("abXdef", 10));
    EXPECT_TRUE(journal.Record("abXdefgh", 11));
    EXPECT_TRUE(journal.Record("Xdefgh", 12));
    const std::string bytes = dir.Read("state/" + journal.File().substr(dir.Path("state/").size()));
    return bytes;
}

TEST(JournalReader, ReadsEveryWholeChange) {
    gdltest::TempDir dir;
    auto j = ReadJournal(WrittenJournal(dir));
    ASSERT_TRUE(j) << j.Err().Message();
    EXPECT_EQ(j->base, "abcdef");
    EXPECT_EQ(j->bytes, "Xdefgh");
    EXPECT_EQ(j->changes, 3u);
    EXPECT_EQ(j->time, 12);
    EXPECT_FALSE(j->cutShort);
}

struct Damage {
    const char* what;
    std::size_t cutFromEnd;  // bytes taken off the end
    int flipFromEnd;         // a byte changed this far from the end (0: none)
    std::string bytes;       // the text the reader gives
};

class DamagedJournal : public testing::TestWithParam<Damage> {};

TEST_P(DamagedJournal, KeepsTheChangesBeforeTheDamage) {
    gdltest::TempDir dir;
    std::string bytes = WrittenJournal(dir);
    bytes.resize(bytes.size() - GetParam().cutFromEnd);
    if (GetParam().flipFromEnd > 0) bytes[bytes.size() - GetParam().flipFromEnd] ^= 0x55;
    auto j = ReadJournal(bytes);
    ASSERT_TRUE(j);
    EXPECT_EQ(j->bytes, GetParam().bytes) << GetParam().what;
    EXPECT_TRUE(j->cutShort);
}

INSTANTIATE_TEST_SUITE_P(Reader, DamagedJournal,
                         testing::Values(Damage{"the last record cut short", 3, 0, "abXdefgh"},
                                         Damage{"a check sum wrong", 0, 2, "abXdefgh"},
                                         Damage{"only its header left of a record", 24, 0,
                                                "abXdefgh"}));

TEST(RecoveryJournal, AJournalWithoutAChangeIsNotOfferedAndGoes) {
    gdltest::TempDir dir;
    std::string file, bytes;
    {
        RecoveryJournal journal(dir.Path("state"));
        journal.Start(dir.Path("k.lvs"), "abc");
        ASSERT_TRUE(journal.Record("abd", 1));
        file = journal.File();
        bytes = ReadFileBytes(file).value_or("");
    }
    // Its header and base only (the change's record is 26 bytes), as a kill
    // before the first change was written leaves it.
    ASSERT_TRUE(WriteFileAtomic(file, bytes.substr(0, bytes.size() - 26)));
    RecoveryJournal later(dir.Path("state"));
    EXPECT_TRUE(later.Orphans(dir.Path("k.lvs")).empty());
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST(JournalReader, RefusesWhatIsNoJournal) {
    EXPECT_FALSE(ReadJournal(""));
    EXPECT_FALSE(ReadJournal("level ONE\n"));
    EXPECT_FALSE(ReadJournal("GDLKIT recovery journal 1\n"));
}

}  // namespace
}  // namespace gdl
