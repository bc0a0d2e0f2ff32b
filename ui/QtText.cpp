#include "QtText.h"

#include <QFile>
#include <QStringDecoder>
#include <array>

namespace gdl {
namespace {

// Windows-1252 bytes 0x80 to 0x9F; the rest of the code page is Latin-1.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char ByteFor(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
    }
    return '?';
}

}  // namespace

QString ToQString(std::string_view text) {
    QString out;
    out.reserve(static_cast<qsizetype>(text.size()));
    for (char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        const char32_t c = byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : byte;
        out.append(QChar(static_cast<char16_t>(c)));
    }
    return out;
}

std::string FromQString(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (char32_t c : text.toUcs4()) out.push_back(ByteFor(c));
    return out;
}

std::string PathFromQString(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString PathToQString(std::string_view path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

QString DisplayText(std::string_view text) {
    bool highBytes = false;
    for (char ch : text) highBytes = highBytes || static_cast<unsigned char>(ch) >= 0x80;
    if (!highBytes) return ToQString(text);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    return utf8.hasError() ? ToQString(text) : decoded;
}

QString WrapToolTip(const QString& text, int width) {
    if (width < 1 || text.size() <= width) return text;
    QStringList lines;
    for (const QString& paragraph : text.split(u'\n')) {
        QString line;
        for (QString word : paragraph.split(u' ')) {
            if (!line.isEmpty() && line.size() + 1 + word.size() > width) {
                lines << line;
                line.clear();
            }
            if (!line.isEmpty()) line += u' ';
            while (line.size() + word.size() > width) {
                const int room = width - static_cast<int>(line.size());
                lines << line + word.left(room);
                line.clear();
                word = word.mid(room);
            }
            line += word;
        }
        lines << line;
    }
    return lines.join(u'\n');
}

}  // namespace gdl
