// The Lynx text code: one byte per character. 0 ends a text, 1 is the blank,
// 2-11 the digits, 12-37 A-Z, 38-48 the marks ! " ' ( ) , - . : ; ?
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gdl {

inline constexpr int kLynxCodeCount = 49;
inline constexpr char kUnknownLynxChar = '\xBF';  // inverted question mark

// Code of one character; characters outside the set (lower case too) give 1.
std::uint8_t LynxCharCode(char c);
// Character of codes 1-48; anything from 49 up gives the inverted question mark.
char LynxCodeChar(std::uint8_t code);

// Reads codes until a 0 or maxCodes codes (or the end of the bytes).
std::string DecodeLynxText(std::string_view codes, std::size_t maxCodes);
// Codes of the text up to its first NUL; the result has the same length.
std::string EncodeLynxText(std::string_view text);

}  // namespace gdl
