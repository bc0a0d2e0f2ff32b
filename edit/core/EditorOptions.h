// The Options and Help menus: the port the level tool and the player use, the
// three automation options, the user guide and the companion's about page.
#pragma once

namespace gdl {

class ProjectSession;

class EditorOptions {
public:
    explicit EditorOptions(ProjectSession& session) : s_(session) {}

    // At start-up: the port and the options as the registry holds them.
    void Load();

    void ComClick(int port);  // 1 .. 4
    void IncludeLevels1Click();
    void PopulateDesigner1Click();
    void GeneratePassword1Click();
    void bHelpClick();
    void About1Click();

private:
    void ToggleAutomation(const char* valueName, bool& option, bool& checked);
    ProjectSession& s_;
};

}  // namespace gdl
