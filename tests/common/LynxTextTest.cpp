// The Lynx text code, the compiled level header, the text helpers and level
// references.
#include <gtest/gtest.h>

#include "CompiledLevel.h"
#include "LevelReference.h"
#include "LynxText.h"
#include "TextUtil.h"

namespace gdl {
namespace {

std::string Codes(std::initializer_list<int> codes) {
    std::string s;
    for (int c : codes) s += static_cast<char>(c);
    return s;
}

TEST(LynxText, EveryCodeBothWays) {
    const std::string chars = " 0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ!\"'(),-.:;?";
    ASSERT_EQ(chars.size(), 48u);
    for (std::size_t i = 0; i < chars.size(); ++i) {
        const auto code = static_cast<std::uint8_t>(i + 1);
        EXPECT_EQ(LynxCharCode(chars[i]), code) << chars[i];
        EXPECT_EQ(LynxCodeChar(code), chars[i]) << int{code};
    }
}

TEST(LynxText, CharactersOutsideTheSetEncodeAsBlank) {
    for (char c : {'a', 'z', '_', '@', '~', '\t', '\xE9', '\xBF', '\x7F', '/'})
        EXPECT_EQ(LynxCharCode(c), 1) << int{static_cast<unsigned char>(c)};
    EXPECT_EQ(EncodeLynxText("Level 1"), Codes({23, 1, 1, 1, 1, 1, 3}));
}

TEST(LynxText, EncodeStopsAtNul) {
    EXPECT_EQ(EncodeLynxText(std::string("AB\0CD", 5)), Codes({12, 13}));
    EXPECT_EQ(EncodeLynxText(""), "");
}

TEST(LynxText, Decode) {
    struct {
        std::string codes;
        std::size_t max;
        std::string expected;
    } cases[] = {
        {Codes({12, 1, 2, 38}), 17, "A 0!"},
        {Codes({12, 0, 13}), 17, "A"},
        {Codes({0, 12}), 17, ""},
        {Codes({49, 255, 12, 128}), 17,
         "\xBF\xBF"
         "A\xBF"},
        {std::string(17, '\x0C'), 17, std::string(17, 'A')},
        {std::string(20, '\x0C'), 17, std::string(17, 'A')},
        {Codes({12, 13}), 17, "AB"},  // input ends before the limit
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeLynxText(c.codes, c.max), c.expected);
    for (int code = 49; code <= 255; ++code) EXPECT_EQ(LynxCodeChar(code), '\xBF') << code;
    EXPECT_EQ(LynxCodeChar(0), '\xBF');
}

std::string HeaderBytes() {
    std::string b = Codes({0x01, 0x00, 0xF0, 0x12, 7, 8, 9, 16, 9});
    b += Codes({31, 19, 16, 1, 27, 20, 31, 0});  // "THE PIT"
    b.resize(26, '\0');
    b += Codes({0x55, 3, 5, 0x2C, 0x01, 0xAA});
    return b;
}

TEST(CompiledLevel, ParsesTheHeaderFields) {
    auto h = ParseCompiledLevelHeader(HeaderBytes());
    ASSERT_TRUE(h);
    EXPECT_EQ(h->format, (std::array<std::uint8_t, 3>{7, 8, 9}));
    EXPECT_EQ(h->width, 16);
    EXPECT_EQ(h->height, 9);
    EXPECT_EQ(DecodeLynxText(h->nameCodes, 17), "THE PIT");
    EXPECT_EQ(h->spare, 0x55);
    EXPECT_EQ(h->minutes, 3);
    EXPECT_EQ(h->seconds, 5);
    EXPECT_EQ(h->quota, 300);
    EXPECT_EQ(SerializeCompiledLevelHeader(*h), HeaderBytes().substr(0, 31));
}

TEST(CompiledLevel, RefusesShortOrUnmarkedInput) {
    std::string b = HeaderBytes();
    EXPECT_TRUE(ParseCompiledLevelHeader(b.substr(0, 31)));
    EXPECT_FALSE(ParseCompiledLevelHeader(b.substr(0, 30)));
    EXPECT_FALSE(ParseCompiledLevelHeader(""));
    for (std::size_t i = 0; i < 4; ++i) {
        std::string bad = b;
        bad[i] = static_cast<char>(bad[i] ^ 0x40);
        EXPECT_FALSE(ParseCompiledLevelHeader(bad)) << i;
        EXPECT_FALSE(HasCompiledLevelMark(bad)) << i;
    }
    EXPECT_TRUE(HasCompiledLevelMark(b.substr(0, 4)));
    EXPECT_FALSE(HasCompiledLevelMark(b.substr(0, 3)));
}

TEST(CompiledLevel, NameOfSeventeenCodesWithoutEnd) {
    std::string b = HeaderBytes();
    b.replace(9, 17, std::string(17, '\x0D'));
    auto h = ParseCompiledLevelHeader(b);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->nameCodes, std::string(17, '\x0D'));
}

TEST(TextUtil, TrimBlanks) {
    EXPECT_EQ(TrimBlanks(" \t\x01 a b \r\n\x1F"), "a b");
    EXPECT_EQ(TrimBlanks("\xA0x\xA0"), "\xA0x\xA0");  // no-break space is text
    EXPECT_EQ(TrimBlanks("   "), "");
}

TEST(TextUtil, ParseDecimal) {
    struct {
        const char* text;
        std::optional<long long> value;
    } cases[] = {{"0", 0},
                 {" 42 ", 42},
                 {"-7", -7},
                 {"+7", 7},
                 {"", {}},
                 {"-", {}},
                 {"4 2", {}},
                 {"12a", {}},
                 {"0x10", {}},
                 {"\xB2", {}},
                 {"999999999999999999999", {}}};
    for (const auto& c : cases) EXPECT_EQ(ParseDecimal(c.text), c.value) << c.text;
}

TEST(TextUtil, CaseFoldsAsciiOnly) {
    EXPECT_TRUE(EqualsNoCase("Level.A:b", "LEVEL.a:B"));
    EXPECT_FALSE(EqualsNoCase("\xE9", "\xC9"));
    EXPECT_FALSE(EqualsNoCase("ab", "abc"));
    EXPECT_EQ(ToUpperAscii("ab\xE9z"), "AB\xE9Z");
    EXPECT_EQ(ToLowerAscii("AB\xC9Z"), "ab\xC9z");
}

TEST(TextUtil, Alignment) {
    EXPECT_EQ(LeftAlign("ab", 4), "ab  ");
    EXPECT_EQ(LeftAlign("abcdef", 4), "abcd");
    EXPECT_EQ(RightAlign("ab", 4), "  ab");
    EXPECT_EQ(RightAlign("123456", 5), "23456");
    EXPECT_EQ(RightAlign("", 2), "  ");
}

TEST(TextUtil, SplitLines) {
    using Lines = std::vector<std::string>;
    struct {
        const char* what;
        std::string text;
        Lines lines;
    } cases[] = {
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"LF", "a\nb\n", {"a", "b"}},
        {"lone CR", "a\rb\r", {"a", "b"}},
        {"no last line end", "a\r\nb", {"a", "b"}},
        {"empty lines kept", "a\r\n\r\n\nb", {"a", "", "", "b"}},
        {"LF CR is two line ends", "a\n\rb", {"a", "", "b"}},
        {"empty text", "", {}},
        {"only a line end", "\r\n", {""}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitLines(c.text), c.lines) << c.what;
    EXPECT_EQ(JoinLinesCrLf({"a", "", "b"}), "a\r\n\r\nb\r\n");
}

TEST(LevelReference, SplitsAtTheFirstColon) {
    struct {
        const char* ref;
        const char* source;
        const char* level;
    } cases[] = {{"Src:LEVEL", "Src", "LEVEL"},
                 {"Src:A:B", "Src", "A:B"},
                 {"LEVEL", "", "LEVEL"},
                 {":LEVEL", "", "LEVEL"},
                 {"Src:", "Src", ""}};
    for (const auto& c : cases) {
        LevelRef r = SplitReference(c.ref);
        EXPECT_EQ(r.source, c.source) << c.ref;
        EXPECT_EQ(r.level, c.level) << c.ref;
    }
}

TEST(LevelReference, Labels) {
    struct {
        long long position, offset;
        const char* label;
    } cases[] = {{1, 0, "1"}, {3, 3, "0"}, {2, 3, "H1"}, {1, 3, "H2"}, {12, 2, "10"}};
    for (const auto& c : cases) EXPECT_EQ(LevelLabel(c.position, c.offset), c.label);
}

}  // namespace
}  // namespace gdl
