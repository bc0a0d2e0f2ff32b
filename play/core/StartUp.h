// The frame of the player: the start-up from the command line and the
// registry, the level tool check, the options and the help commands.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "PlayerState.h"
#include "RegistryKeys.h"

namespace gdl {

inline constexpr char kPlayerProgramName[] = "GDLPlay";
inline constexpr char kOptSavePassword[] = "SavePassword";
inline constexpr char kOptAutoLoad[] = "AutoLoad";
inline constexpr char kOptIgnoreButtons[] = "IgnoreLynxButtons";
inline constexpr char kCdArgument[] = "-cd";
inline constexpr char kDocsFile[] = "docs.htm";
inline constexpr char kCompanionProgram[] = "GDLTools.exe";

// Install folder: the recorded one, or the player folder's parent; both with
// a trailing "/".
std::string PlayerInstallFolder(const Registry& registry, const std::string& playerFolder);

// True when every named file exists in folder (empty names after the first
// are skipped); otherwise one "File Error" box for the last missing one.
bool CheckToolFiles(Prompts& prompts, const std::string& folder,
                    std::initializer_list<std::string_view> names);

class StartUp {
public:
    explicit StartUp(PlayerContext& context) : c_(context) {}

    // Reads the folders; false (and the window asked to close) when the
    // level tool files are missing.
    bool ReadFolders();
    void ReadOptions();
    // The set of the command line, or the last one with auto-load; empty: none.
    std::string SetPathToStart(std::string lastSet) const;

    void SavePassword1Click() { Toggle(c_.view.SavePassword1, kOptSavePassword); }
    void AutoLoadLevelSet1Click() { Toggle(c_.view.AutoLoadLevelSet1, kOptAutoLoad); }
    void IgnoreLynxButtons1Click() { Toggle(c_.view.IgnoreLynxButtons1, kOptIgnoreButtons); }
    void Contents1Click();
    void About1Click();
    void Info1Click();

private:
    void ReportStartFailure(const std::string& what);
    void Toggle(MenuItemView& item, const char* value);
    bool ReadOption(const char* value) const;
    PlayerContext& c_;
};

}  // namespace gdl
