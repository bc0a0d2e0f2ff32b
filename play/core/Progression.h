// The play progression: which level is current, codes, PLAY and RE-PLAY,
// NEXT, the hint offer, the end of a set, restart, the three modes, saved
// codes and the clean-up after a project.
#pragma once

#include <string>
#include <string_view>

#include "PlayerState.h"
#include "Reader.h"
#include "RegistryKeys.h"

namespace gdl {

inline constexpr char kPlayCaption[] = "PLAY";
inline constexpr char kReplayCaption[] = "RE-PLAY";
inline constexpr char kPlayMenu[] = "&Play";
inline constexpr char kReplayMenu[] = "Re-&Play";
inline constexpr char kHintQuestion[] =
    "You seem to be having trouble with this level. Would you like a hint?";
inline constexpr char kHintCaption[] = "Level Hint";
inline constexpr char kRestartQuestion[] = "Are you sure?";
inline constexpr char kRestartCaption[] = "Restart Level Set";
inline constexpr char kWizardEngaged[] = "Wizard Mode Engaged.";
inline constexpr char kWizardCaption[] = "Wizard Mode";
inline constexpr char kCaptionWizard[] = "GDL Level Set Player (Wizard Mode)";
inline constexpr char kCaptionCdWizard[] = "GDL Level Set Player (CD - Wizard Mode)";
inline constexpr char kCaptionTest[] = "GDL Level Set Player (Test Mode)";
inline constexpr char kCaptionCd[] = "GDL Level Set Player (CD)";
inline constexpr char kHsfFile[] = "gdl.hsf";
inline constexpr int kMaxCleanupLevels = 998;

// The built-in master code, as the player holds it: difference-coded.
std::string MasterCode();

class Progression {
public:
    Progression(PlayerContext& context, Reader& reader) : c_(context), reader_(reader) {}

    void StartLevelSet();
    // The progression step of the play action.
    void PlayStep();
    // NEXT up to the preparation; true when PLAY should run at once.
    bool Next();
    void WizardBack();
    void WizardNext();
    void Restart();
    void Load();
    void Quit();
    void EnterWizardMode();
    void EnterTestMode(long long level);
    void EnterCdMode();
    void SaveCode(const std::string& fileName, const std::string& code);
    std::string LoadSavedCode(const std::string& fileName);
    void Hint1Click();
    void FormClose();

    void SaveLastLevelSet(const std::string& path);
    std::string LoadLastLevelSet();
    // Takes a chosen path as the set: folder, file name and kind.
    void TakeSetPath(const std::string& path);

private:
    void WizardMove(int step);
    void RemoveProjectOutputs();
    PlayerContext& c_;
    Reader& reader_;
};

}  // namespace gdl
