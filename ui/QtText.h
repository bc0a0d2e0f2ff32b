// Conversion between the core's 8-bit Windows-1252 texts and QString.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace gdl {

// Every byte maps to one character; the five bytes Windows-1252 leaves
// undefined map to the C1 controls of the same number, so they survive a
// round trip.
QString ToQString(std::string_view text);
// Characters without a Windows-1252 byte become "?".
std::string FromQString(const QString& text);

// Paths are the file system's own bytes (UTF-8 on Linux), not Windows-1252:
// a chosen file must open whatever its name. For showing a text that holds a
// path, bytes that form valid UTF-8 with non-ASCII characters are read as
// UTF-8, anything else as Windows-1252.
std::string PathFromQString(const QString& path);
QString PathToQString(std::string_view path);
QString DisplayText(std::string_view text);

// A tooltip broken into lines of at most width characters: at blanks where
// it has them, inside a word that is longer than a line. Its own line breaks
// stay.
inline constexpr int kToolTipWidth = 60;
QString WrapToolTip(const QString& text, int width = kToolTipWidth);

}  // namespace gdl
