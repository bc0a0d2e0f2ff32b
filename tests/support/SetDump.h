// A level set file as text, field by field, for golden files that a person
// can read in a diff.
#pragma once

#include <cstdio>
#include <sstream>
#include <string>

#include "LevelSetFile.h"

namespace gdltest {

inline std::string HexOf(const std::string& bytes) {
    std::string hex;
    char b[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(b, sizeof b, "%02X", static_cast<unsigned char>(bytes[i]));
        hex += b;
        hex += (i + 1) % 32 == 0 ? '\n' : ' ';
    }
    if (!hex.empty() && hex.back() == ' ') hex.back() = '\n';
    return hex;
}

inline std::string DumpLevelSet(const gdl::LevelSetContents& set) {
    std::ostringstream out;
    const gdl::LevelSetHeader& h = set.index.header;
    out << "name: " << h.name << "\nyear: " << h.year << "\nnotice: " << h.notice
        << "\nwizard: " << h.wizard << "\ncomments: " << h.comments
        << "\nhidden: " << int(h.hiddenCount) << "\nvisible: " << int(h.visibleCount) << "\n";
    for (std::size_t i = 0; i < set.index.table.size(); ++i) {
        const gdl::LevelTableEntry& e = set.index.table[i];
        if (!e.present) continue;
        out << "entry " << i + 1 << ": position " << int(e.position) << ", password " << e.password
            << ", designer " << e.designer << ", music " << int(e.music) << ", size " << e.size
            << "\n";
    }
    for (const auto& [record, compiled] : set.levels) {
        out << "record: kind " << int(record.kind) << ", position " << int(record.position)
            << ", hint " << record.hint << "\n"
            << HexOf(compiled);
    }
    out << "end record: " << (set.hasEndRecord ? "yes" : "no") << "\n";
    return out.str();
}

}  // namespace gdltest
