// Small text helpers shared by the programs and the tools. Texts are 8-bit
// Windows-1252 bytes held in std::string; only ASCII letters fold case.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gdl {

// A blank, a tab or another control character: a byte <= 0x20.
inline bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

// Removes blanks, tabs and other control characters (bytes <= 0x20) from both ends.
std::string TrimBlanks(std::string_view s);

std::string ToUpperAscii(std::string_view s);
std::string ToLowerAscii(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);

// A decimal integer with an optional sign and blanks around it; nothing else.
std::optional<long long> ParseDecimal(std::string_view s);

// Appends blanks and keeps the first w characters.
std::string LeftAlign(std::string_view s, std::size_t w);
// Puts blanks in front and keeps the last w characters.
std::string RightAlign(std::string_view s, std::size_t w);

// Text from a file made safe for a terminal: every control byte but line
// feed and tab (ESC, BEL, CR, DEL ...) is shown as \xHH, so no text can move
// the cursor, retitle the window or clear the screen.
std::string ShowControls(std::string_view text);

// Splits text into lines; LF, CR LF and a lone CR all end a line. A last line
// without a line end counts; a final line end does not start an empty line.
std::vector<std::string> SplitLines(std::string_view text);
// Every line followed by CR LF, as a string list is saved.
std::string JoinLinesCrLf(const std::vector<std::string>& lines);

}  // namespace gdl
