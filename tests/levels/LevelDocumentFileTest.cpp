// The level document and its file: every source of the tree saved byte for
// byte, line ends and spacing kept, binary and huge files refused unread,
// and atomic saves.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "LevelDocument.h"
#include "LevelDocumentSupport.h"
#include "TempDir.h"

namespace gdl {
namespace {

using gdltest::kHandWrittenSource;
using gdltest::Load;
using gdltest::Must;

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(LevelDocument, EverySourceOfTheTreeSavesByteForByte) {
    int seen = 0;
    for (const char* dir : {"samples", "tests", "tools/ld"}) {
        for (const auto& e : std::filesystem::recursive_directory_iterator(
                 std::string(GDLKIT_SOURCE_DIR) + "/" + dir)) {
            const auto ext = e.path().extension();
            if (ext != ".lvs" && e.path().filename() != "resource.001") continue;
            const std::string bytes = ReadAll(e.path());
            auto doc = LevelDocument::FromFile(e.path().string());
            ASSERT_TRUE(doc.Ok()) << doc.Err().Message();
            EXPECT_EQ(doc->Bytes(), bytes) << e.path();
            EXPECT_GT(doc->LevelCount(), 0u) << e.path();
            ++seen;
        }
    }
    EXPECT_GE(seen, 8);
}

TEST(LevelDocument, KeepsLineEndsSpacingAndMarks) {
    for (std::string text : {
             std::string("level A\r\ntime 1:00\r\nquota 0\r\nmap\r\n@E\r\nend"),
             std::string("\xEF\xBB\xBF; bom\rlevel A\rtime 1:00\rquota 0\rmap\r@E\rend\r\r"),
             std::string("  level A   \n\ttime\t1:00 \r\nquota   0\nmap\n  @E  \n end\n\n\n"),
             std::string("; only a comment"),
             std::string(""),
             std::string("\n\n\r\n"),
         }) {
        LevelDocument doc = Load(text);
        EXPECT_EQ(doc.Bytes(), text);
        EXPECT_TRUE(doc.IsClean());
    }
}

TEST(LevelDocument, RefusesBinaryAndHugeFilesUnread) {
    gdltest::TempDir dir;
    dir.Write("binary.lvs", std::string("level A\n\0\x01\x02", 11));
    auto binary = LevelDocument::FromFile(dir.Path("binary.lvs"));
    ASSERT_FALSE(binary.Ok());
    EXPECT_EQ(binary.Err().Kind(), ErrorKind::BadFormat);
    EXPECT_NE(binary.Err().Message().find("binary"), std::string::npos);
    // A sparse file: refused by its size, so it is never read.
    { std::ofstream(dir.Path("huge.lvs")) << "x"; }
    std::filesystem::resize_file(dir.Path("huge.lvs"), kMaxSourceBytes + 1);
    auto huge = LevelDocument::FromFile(dir.Path("huge.lvs"));
    ASSERT_FALSE(huge.Ok());
    EXPECT_NE(huge.Err().Message().find("too large"), std::string::npos);
    auto missing = LevelDocument::FromFile(dir.Path("none.lvs"));
    ASSERT_FALSE(missing.Ok());
    EXPECT_EQ(missing.Err().Kind(), ErrorKind::System);
    auto folder = LevelDocument::FromFile(dir.Folder());
    EXPECT_FALSE(folder.Ok());
}

TEST(LevelDocument, SavesAtomicallyAndKeepsTheOldFileOnFailure) {
    gdltest::TempDir dir;
    dir.Write("a.lvs", kHandWrittenSource);
    auto doc = LevelDocument::FromFile(dir.Path("a.lvs"));
    ASSERT_TRUE(doc.Ok());
    doc->Apply(Must(SetQuota(*doc, 0, 1)));
    doc->Apply(Must(SetQuota(*doc, 0, 0)));
    EXPECT_FALSE(doc->IsClean());
    ASSERT_TRUE(doc->SaveTo(dir.Path("a.lvs")).Ok());
    EXPECT_TRUE(doc->IsClean());
    EXPECT_EQ(dir.Read("a.lvs"), doc->Bytes());
    EXPECT_EQ(dir.Names(), std::set<std::string>{"a.lvs"});
    // A folder that cannot be written: an error, the old file untouched.
    std::string ro = dir.MakeFolder("ro");
    dir.Write("ro/b.lvs", "old");
    ::chmod(ro.c_str(), 0500);
    auto saved = doc->SaveTo(ro + "b.lvs");
    ::chmod(ro.c_str(), 0700);
    if (::geteuid() != 0) {
        ASSERT_FALSE(saved.Ok());
        EXPECT_EQ(saved.Err().Kind(), ErrorKind::System);
        EXPECT_EQ(dir.Read("ro/b.lvs"), "old");
    }
    auto nowhere = doc->SaveTo(dir.Path("no/such/folder/c.lvs"));
    EXPECT_FALSE(nowhere.Ok());
}

}  // namespace
}  // namespace gdl
