// The playtest and the level test: the project as it stands in the window,
// unsaved edits included, played by the player from a temporary copy.
#pragma once

#include <string>
#include <vector>

#include "ProjectSession.h"

namespace gdl {

class Playtest {
public:
    explicit Playtest(ProjectSession& session) : s_(session) {}

    // The whole set from its start: writes the temporary project, starts the
    // player on it, waits for the player to end and deletes the file again.
    void bPlaytestClick();
    // The same in the player's test mode, starting at the selected level.
    void bTestLClick();

    // Full path of the temporary project file.
    std::string PlaytestPath() const;
    // Writes the window's project to PlaytestPath(); the project's own file,
    // its modified flag and the recent list stay as they are.
    bool WritePlaytestProject();
    // The level index the player takes for the selected entry: item index -
    // Offset + 1, so hidden levels get 0 or less and no selection -Offset.
    int SelectedLevelIndex() const;

private:
    // Starts the player on the temporary project with these arguments after
    // its path (none for the whole set), waits and cleans up.
    void RunPlaytest(const std::vector<std::string>& levelArguments);

    ProjectSession& s_;
};

}  // namespace gdl
