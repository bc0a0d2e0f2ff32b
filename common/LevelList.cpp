#include "LevelList.h"

#include "FileUtil.h"
#include "LevelTool.h"
#include "PathJoin.h"
#include "TextUtil.h"

namespace gdl {

std::vector<std::string> LevelListOpeningLines() {
    return {"", kLevelToolBanner1,    kLevelToolBanner2,
            "", kLevelListStatistics, std::string(kLevelListRuleWidth, '-'),
            "", kLevelListHeading,    kLevelListDashes};
}

std::string FormatLevelListLine(std::string_view label, std::string_view infoLine,
                                std::string_view password, std::string_view designer) {
    return "   " + RightAlign(label, 8) + "  " + LeftAlign(infoLine, 38) + "  " +
           LeftAlign(password, 8) + "  " + LeftAlign(designer, 40);
}

bool FinishLevelList(std::vector<std::string>& lines, const std::string& projectFolder,
                     const std::string& projectBase, LevelTool& tool) {
    lines.emplace_back();
    lines.emplace_back(kLevelListRuleWidth, '-');

    const std::string base = JoinPath(projectFolder, projectBase);
    const std::string te3 = base + ".te3";
    const std::string te4 = base + ".te4";
    // A stale summary from an earlier run must never be taken for this one.
    DeleteFileQuiet(te4);
    bool ran = WriteFileAtomic(te3, JoinLinesCrLf(lines)) && tool.Stats(projectBase, projectFolder);
    DeleteFileQuiet(te3);
    if (ran) {
        if (auto summary = ReadFileBytes(te4)) {
            auto summaryLines = SplitLines(*summary);
            for (std::size_t i = kSummaryLinesDropped; i < summaryLines.size(); ++i)
                lines.push_back(std::move(summaryLines[i]));
        }
    }
    DeleteFileQuiet(te4);
    return WriteFileAtomic(base + ".txt", JoinLinesCrLf(lines));
}

}  // namespace gdl
