// What the level tool gives the kit, made up by tests: compiled level bytes,
// the listing (".te1") and the level list the statistics tool reads (".te3").
#pragma once

#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "CompiledLevel.h"
#include "LevelInfo.h"
#include "LevelTool.h"
#include "LynxText.h"
#include "TextUtil.h"

namespace gdltest {

// A compiled level of exactly `size` bytes behind a real 16x9, 3:05, quota
// 120 header.
inline std::string CompiledLevelBytes(std::size_t size, std::string_view name, char fill = 'U') {
    gdl::CompiledLevelHeader h;
    h.width = 16;
    h.height = 9;
    h.nameCodes = gdl::EncodeLynxText(name);
    h.minutes = 3;
    h.seconds = 5;
    h.quota = 120;
    std::string bytes = gdl::SerializeCompiledLevelHeader(h);
    bytes.resize(size, fill);
    return bytes;
}

// One table line of a listing, in its fixed columns.
inline std::string ListingRow(const std::string& key, const std::string& name,
                              const std::string& size = "16x9", const std::string& quota = "120",
                              const std::string& time = "3:05") {
    return gdl::RightAlign(key, 11) + "  " + gdl::LeftAlign(name, 17) + "  " +
           gdl::RightAlign(size, 5) + "  " + gdl::RightAlign(quota, 5) + "  " +
           gdl::RightAlign(time, 5) + "    45%";
}

inline const std::string kListingSeparator =
    "   --------  -----------------  -----  -----  -----  -----";

// A whole listing: banner, heading, separator, the table and a summary.
inline std::string Listing(const std::vector<std::string>& rows) {
    std::string text = std::string(gdl::kLevelToolBanner1) + "\r\n\r\n      Level  Name\r\n" +
                       kListingSeparator + "\r\n";
    for (const auto& row : rows) text += row + "\r\n";
    return text + "\r\n" + std::to_string(rows.size()) + " levels\r\n";
}

// A listing of levels named LONG + key, all 16x9, quota 120, 3:05.
inline std::string ListingOf(const std::vector<std::string>& keys) {
    std::vector<std::string> rows;
    for (const auto& key : keys) rows.push_back(ListingRow(key, "LONG " + key));
    return Listing(rows);
}

// One line of the build's level list: label in columns 4-11, level
// information 14-51, code 54-61, designer 64-103.
inline std::string LevelListRow(const std::string& label, const gdl::LevelInfo& info,
                                const std::string& code, const std::string& designer) {
    return "   " + gdl::RightAlign(label, 8) + "  " +
           gdl::LeftAlign(gdl::FormatLevelInfoLine(info), 38) + "  " + gdl::LeftAlign(code, 8) +
           "  " + gdl::LeftAlign(designer, 40);
}

inline const std::string kLevelListRule(106, '-');

// The level list as the build hands it to the statistics tool.
inline std::string LevelList(const std::vector<std::string>& rows) {
    std::vector<std::string> lines{
        "",
        gdl::kLevelToolBanner1,
        gdl::kLevelToolBanner2,
        "",
        "Statistics for all levels:",
        kLevelListRule,
        "",
        "   Name      Long Name          Size   Quota  Time   Compression",
        "   --------  -----------------  -----  -----  -----  ---------------"};
    lines.insert(lines.end(), rows.begin(), rows.end());
    lines.push_back("");
    lines.push_back(kLevelListRule);
    return gdl::JoinLinesCrLf(lines);
}

// A source of two small levels: ONE under a comment, with its long name, a
// gem to collect and steel walls; TWO with no quota, its start beside the
// exit.
inline constexpr char kTwoLevelSource[] =
    "; two levels\n"
    "level ONE\n"
    "name  First\n"
    "time  1:00\n"
    "quota 1\n"
    "map\n"
    "XXXXXX\n"
    "X@.*.X\n"
    "X::::X\n"
    "X...EX\n"
    "XXXXXX\n"
    "end\n"
    "\n"
    "level TWO\n"
    "time  2:00\n"
    "quota 0\n"
    "map\n"
    "XXXX\n"
    "X@EX\n"
    "XXXX\n"
    "end\n";

// A level source of `levels` levels of width x height: rooms of dirt behind
// walls, gems, boulders, water, a key and its door, a comment each.
inline std::string LevelSourceText(int levels, int width, int height) {
    std::mt19937 rng(17);
    std::ostringstream out;
    out << "; bench source\n\n";
    for (int n = 0; n < levels; ++n) {
        out << "; level " << n << "\nlevel B" << n << "\nname  Bench Level " << n << "\nsize  "
            << width << "x" << height << "\ntime  5:00\nquota 10\nmap\n";
        for (int y = 0; y < height; ++y) {
            std::string row(static_cast<std::size_t>(width), ':');
            for (int x = 0; x < width; ++x) {
                unsigned r = rng() % 100;
                if (x == 0 || y == 0 || x == width - 1 || y == height - 1)
                    row[x] = 'X';
                else if (y % 7 == 0 && x % 9 != 4)
                    row[x] = '#';
                else if (r < 8)
                    row[x] = '*';
                else if (r < 12)
                    row[x] = 'O';
                else if (r < 14)
                    row[x] = '~';
                else if (r < 30)
                    row[x] = '.';
            }
            if (y == 1) row.replace(1, 3, "@aA");
            if (y == height - 2) row[static_cast<std::size_t>(width - 2)] = 'E';
            out << row << '\n';
        }
        out << "end\n\n";
    }
    return out.str();
}

// Bytes that differ between two texts of the same length; -1 when the
// lengths differ.
inline int ByteDifferences(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return -1;
    int n = 0;
    for (std::size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
    return n;
}

}  // namespace gdltest
