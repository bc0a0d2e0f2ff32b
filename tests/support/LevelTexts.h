// What the level tool gives the kit, made up by tests: compiled level bytes,
// the listing (".te1") and the level list the statistics tool reads (".te3").
#pragma once

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

}  // namespace gdltest
