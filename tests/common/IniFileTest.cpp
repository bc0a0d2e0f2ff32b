#include <gtest/gtest.h>

#include <filesystem>

#include "IniFile.h"
#include "TempDir.h"

namespace gdl {
namespace {

struct ReadCase {
    const char* what;
    std::string file;
    std::string section;
    std::string key;
    std::string expected;  // "<def>" when the default must come back
};

class IniRead : public testing::TestWithParam<ReadCase> {};

TEST_P(IniRead, FindsValueAsProfileFunctionsDo) {
    const ReadCase& c = GetParam();
    IniFile ini = IniFile::FromBytes(c.file);
    EXPECT_EQ(ini.ReadString(c.section, c.key, "<def>"), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, IniRead,
    testing::Values(
        ReadCase{"names ignore case", "[Level.A:x]\r\nDesigner=Jo\r\n", "LEVEL.a:X", "DESIGNER",
                 "Jo"},
        ReadCase{"blanks around names", "[  S  ]\r\n  k  =v\r\n", "S", "k", "v"},
        ReadCase{"blanks around the asked names", "[S]\r\nk=v\r\n", " S ", " k ", "v"},
        ReadCase{"split at the first =", "[S]\r\nk=a=b\r\n", "S", "k", "a=b"},
        ReadCase{"line without = is no key", "[S]\r\nk\r\n", "S", "k", "<def>"},
        ReadCase{"key before any section", "k=v\r\n[S]\r\n", "", "k", "<def>"},
        ReadCase{"key before any section, asked in S", "k=v\r\n[S]\r\n", "S", "k", "<def>"},
        ReadCase{"header name ends at the last ]", "[a]b] rest\r\nk=v\r\n", "a]b", "k", "v"},
        ReadCase{"rest of header line ignored", "[S] ; note\r\nk=v\r\n", "S", "k", "v"},
        ReadCase{"[ without ] is not a header", "[S]\r\n[T\r\nk=v\r\n", "S", "k", "v"},
        ReadCase{"[ without ] opens nothing", "[S]\r\n[T\r\nk=v\r\n", "T", "k", "<def>"},
        ReadCase{"blanks before [", "  \t[S]\r\nk=v\r\n", "S", "k", "v"},
        ReadCase{"value trimmed of blanks, tabs and controls", "[S]\r\nk= \t a  b \x01\x7f\x1f\r\n",
                 "S", "k", "a  b \x01\x7f"},
        ReadCase{"double quotes removed", "[S]\r\nk=\" a b \"\r\n", "S", "k", " a b "},
        ReadCase{"single quotes removed", "[S]\r\nk='x'\r\n", "S", "k", "x"},
        ReadCase{"quotes removed after trimming", "[S]\r\nk=  \"x\"  \r\n", "S", "k", "x"},
        ReadCase{"only one pair removed", "[S]\r\nk=\"\"x\"\"\r\n", "S", "k", "\"x\""},
        ReadCase{"unmatched quotes kept", "[S]\r\nk=\"x'\r\n", "S", "k", "\"x'"},
        ReadCase{"a lone quote kept", "[S]\r\nk=\"\r\n", "S", "k", "\""},
        ReadCase{"empty quotes give empty", "[S]\r\nk=\"\"\r\n", "S", "k", ""},
        ReadCase{"empty value is not missing", "[S]\r\nk=\r\n", "S", "k", ""},
        ReadCase{"first duplicate key wins", "[S]\r\nk=1\r\nK=2\r\n", "S", "k", "1"},
        ReadCase{"only the first duplicate section", "[S]\r\nk=1\r\n[T]\r\n[s]\r\nj=2\r\n", "S",
                 "j", "<def>"},
        ReadCase{"LF lines", "[S]\nk=v\nj=w\n", "S", "j", "w"},
        ReadCase{"lone CR lines", "[S]\rk=v\rj=w", "S", "j", "w"},
        ReadCase{"mixed line ends", "[S]\r\nk=v\rj=w\nm=x", "S", "m", "x"},
        ReadCase{"no last line end", "[S]\r\nk=v", "S", "k", "v"},
        ReadCase{"missing section", "[S]\r\nk=v\r\n", "T", "k", "<def>"},
        ReadCase{"upper half bytes pass", "[\xC4rger]\r\n\xE9t\xE9=\xA9 2000\r\n", "\xC4rger",
                 "\xE9t\xE9", "\xA9 2000"},
        ReadCase{"upper half bytes do not fold", "[\xC4]\r\nk=v\r\n", "\xE4", "k", "<def>"}));

TEST(IniFile, ValuesAreCutTo2047Characters) {
    std::string longValue(3000, 'x');
    IniFile ini = IniFile::FromBytes("[S]\r\nk=" + longValue + "\r\n");
    EXPECT_EQ(ini.ReadString("S", "k"), std::string(kIniMaxValue, 'x'));
}

struct WriteCase {
    const char* what;
    std::string before;
    std::string section;
    std::string key;
    std::string value;
    std::string after;
};

class IniWrite : public testing::TestWithParam<WriteCase> {};

TEST_P(IniWrite, ChangesOnlyWhatIsSet) {
    const WriteCase& c = GetParam();
    IniFile ini = IniFile::FromBytes(c.before);
    EXPECT_TRUE(ini.WriteString(c.section, c.key, c.value)) << c.what;
    EXPECT_EQ(ini.ToBytes(), c.after) << c.what;
    EXPECT_EQ(ini.ReadString(c.section, c.key, "<def>"),
              IniFile::FromBytes(c.after).ReadString(c.section, c.key, "<def>"))
        << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, IniWrite,
    testing::Values(
        WriteCase{"empty file", "", "S", "k", "v", "[S]\r\nk=v\r\n"},
        WriteCase{"existing key keeps its line", "[S]\r\n  K = old \r\nj=1\r\n", "s", "k", "new",
                  "[S]\r\n  K =new\r\nj=1\r\n"},
        WriteCase{"new key after the last non-empty line of its section",
                  "[A]\r\na=1\r\n\r\n[B]\r\nb=1\r\n", "A", "c", "2",
                  "[A]\r\na=1\r\nc=2\r\n\r\n[B]\r\nb=1\r\n"},
        WriteCase{"new key in the last section", "[A]\r\na=1\r\n[B]\r\nb=1", "B", "c", "2",
                  "[A]\r\na=1\r\n[B]\r\nb=1\r\nc=2\r\n"},
        WriteCase{"new key in a section without keys", "[A]\r\n\r\n[B]\r\n", "A", "k", "v",
                  "[A]\r\nk=v\r\n\r\n[B]\r\n"},
        WriteCase{"new section at the end", "[A]\r\na=1\r\n", "B", "b", "2",
                  "[A]\r\na=1\r\n[B]\r\nb=2\r\n"},
        WriteCase{"lines without = are kept", "; note\r\n[A]\r\nfree text\r\n", "A", "a", "1",
                  "; note\r\n[A]\r\nfree text\r\na=1\r\n"},
        WriteCase{"every line gets CR LF", "[A]\na=1\rb=2", "A", "a", "3", "[A]\r\na=3\r\nb=2\r\n"},
        WriteCase{"only the first duplicate section", "[A]\r\na=1\r\n[A]\r\na=2\r\n", "A", "b", "3",
                  "[A]\r\na=1\r\nb=3\r\n[A]\r\na=2\r\n"},
        WriteCase{"a key before any section is not the section's", "a=1\r\n[A]\r\n", "A", "a", "2",
                  "a=1\r\n[A]\r\na=2\r\n"},
        WriteCase{"line breaks in a value become blanks", "", "S", "k", "a\r\n[X]\nb",
                  "[S]\r\nk=a  [X] b\r\n"},
        WriteCase{"upper half bytes pass", "", "\xC4", "\xE9", "\xA9\xFF",
                  "[\xC4]\r\n\xE9=\xA9\xFF\r\n"},
        WriteCase{"section name with ] round trips", "", "a]b", "k", "v", "[a]b]\r\nk=v\r\n"},
        WriteCase{"section name with [ round trips", "", "[x]", "k", "v", "[[x]]\r\nk=v\r\n"},
        // The reader trims and unquotes, so such values are written quoted.
        WriteCase{"blanks at the ends kept in quotes", "", "S", "k", " a b ",
                  "[S]\r\nk=\" a b \"\r\n"},
        WriteCase{"a line break at the end kept as a blank", "", "S", "k", "x\n",
                  "[S]\r\nk=\"x \"\r\n"},
        WriteCase{"a quoted value keeps its quotes", "", "S", "k", "'x'", "[S]\r\nk=\"'x'\"\r\n"},
        WriteCase{"double quotes kept too", "", "S", "k", "\"\"", "[S]\r\nk=\"\"\"\"\r\n"},
        WriteCase{"an unmatched quote needs none", "", "S", "k", "\"x", "[S]\r\nk=\"x\r\n"},
        // Found by the project fuzz target: a quoted source name beginning
        // with NUL bytes was saved bare and read back without them.
        WriteCase{"control bytes at an end kept in quotes", "", "Source", "2",
                  std::string("\0\0E\0CAV", 7),
                  "[Source]\r\n2=\"" + std::string("\0\0E\0CAV", 7) + "\"\r\n"}));

// Whatever is written reads back as given, in memory and from the saved bytes.
TEST(IniFile, WrittenValuesReadBackAsGiven) {
    const std::string values[] = {
        " a", "b ", "'c'", "\"d\"", "\"", "'", "\t", std::string(1, '\0'), "  \"e\"  ", "f"};
    IniFile ini;
    for (const auto& v : values) {
        ASSERT_TRUE(ini.WriteString("S", "k", v));
        EXPECT_EQ(ini.ReadString("S", "k"), v);
        EXPECT_EQ(IniFile::FromBytes(ini.ToBytes()).ReadString("S", "k"), v);
    }
}

TEST(IniFile, RefusesNamesItCannotHold) {
    const std::string before = "[S]\r\nk=v\r\n";
    struct {
        std::string section, key, value = "x";
    } refused[] = {
        {"S", ""},
        {"S", "a=b"},
        {"S", "[x]"},
        {"S", "a\nb"},
        {"a\rb", "k"},
        // A key beginning with "[" reads back as a section once a "]" follows.
        {"S", "[x", "y]"},
        {"S", "  [x", "]"},
        {"S", "[x", "y"},
        // Found by the INI fuzz target: the value's line breaks became blanks.
        {"Level.Cls.  the only way in, and the boul ",
         "[^ders inside stayl.Sges hold six gems; wade into the pool for W",
         "ait for them\r\n to pass before you step into a corrido\xff\xff"
         "Cel.Dept+++hs:DEEP01]\r\nDesigner=Ada Stone\r\n"},
    };
    for (const auto& r : refused) {
        IniFile ini = IniFile::FromBytes(before);
        EXPECT_FALSE(ini.WriteString(r.section, r.key, r.value)) << r.section << "/" << r.key;
        EXPECT_EQ(ini.ToBytes(), before);
    }
}

TEST(IniFile, ManyWritesKeepSectionsApart) {
    IniFile ini;
    for (int s = 0; s < 20; ++s) {
        for (int k = 0; k < 5; ++k) {
            // Interleaved on purpose: every write lands in an earlier section.
            for (int t = 0; t <= s; ++t)
                ini.WriteString("S" + std::to_string(t), "k" + std::to_string(k),
                                std::to_string(t * 100 + k));
        }
    }
    IniFile reread = IniFile::FromBytes(ini.ToBytes());
    for (int t = 0; t < 20; ++t)
        for (int k = 0; k < 5; ++k)
            EXPECT_EQ(reread.ReadString("S" + std::to_string(t), "k" + std::to_string(k)),
                      std::to_string(t * 100 + k));
    EXPECT_EQ(reread.Lines().size(), 20u * 6u);
}

TEST(IniFile, ProfileCallsOverFiles) {
    gdltest::TempDir dir;
    std::string path = dir.Path("p.ini");
    EXPECT_EQ(GetPrivateProfileString("S", "k", "none", path), "none");
    ASSERT_TRUE(WritePrivateProfileString("S", "k", "v", path));
    ASSERT_TRUE(WritePrivateProfileString("S", "j", "w", path));
    EXPECT_EQ(dir.Read("p.ini"), "[S]\r\nk=v\r\nj=w\r\n");
    EXPECT_EQ(GetPrivateProfileString("s", "J", "", path), "w");
}

TEST(IniFile, WriteFailsWithoutLosingAnything) {
    gdltest::TempDir dir;
    std::filesystem::create_directory(dir.Path("folder"));
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", dir.Path("folder")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path("folder")));
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", dir.Path("missing/p.ini")));
}

}  // namespace
}  // namespace gdl
