#include "Playtest.h"

#include "FileUtil.h"
#include "PathJoin.h"
#include "PlatformPath.h"
#include "Prompts.h"
#include "ToolRunner.h"

namespace gdl {

std::string Playtest::PlaytestPath() const {
    // The player runs in the project folder: the path must not depend on ours.
    return FullFolder(s_.projectFolder) + kPlaytestFile;
}

bool Playtest::WritePlaytestProject() {
    const std::string path = PlaytestPath();
    // A copy left from an earlier run must never be played instead.
    DeleteFileQuiet(path);
    return SaveProjectAs(s_.model, path);
}

int Playtest::SelectedLevelIndex() const {
    return s_.view.levels.selected - s_.model.offset + 1;
}

void Playtest::RunPlaytest(const std::vector<std::string>& levelArguments) {
    const std::string path = PlaytestPath();
    if (!WritePlaytestProject()) {
        s_.prompts.ShowMessage(kCaptionFileError,
                               "Unable to save project file " + Quoted(path) + ".", MsgIcon::Error);
        return;
    }
    const std::string player = JoinPath(s_.toolFolder, kPlayerProgram);
    // The player's own start failure is not reported: it simply does not run.
    if (levelArguments.empty()) {
        s_.runner.RunTool(player, ShortPath(path), s_.projectFolder, true, true);
    } else {
        // Separate words, so that a path with blanks stays one argument.
        std::vector<std::string> arguments{ShortPath(path)};
        arguments.insert(arguments.end(), levelArguments.begin(), levelArguments.end());
        s_.runner.RunToolArgs(player, arguments, s_.projectFolder, true, true);
    }
    DeleteFileQuiet(path);
    s_.Touch();
}

void Playtest::bPlaytestClick() {
    if (!s_.model.open || s_.model.NumberedLevels() <= 0) return;
    RunPlaytest({});
}

void Playtest::bTestLClick() {
    if (!s_.model.open) return;
    RunPlaytest({std::to_string(SelectedLevelIndex())});
}

}  // namespace gdl
