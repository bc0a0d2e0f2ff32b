#include "Progression.h"

#include "FileUtil.h"
#include "IniFile.h"
#include "LevelSetFile.h"
#include "PathJoin.h"
#include "PlatformPath.h"
#include "Prompts.h"
#include "Registry.h"
#include "TextUtil.h"

namespace gdl {

namespace {
// Held in the set's difference coding, so it never stands in clear in the program.
constexpr char kMasterCoded[] = "\xD8\xA9\x9E\x9C";
}  // namespace

std::string MasterCode() {
    return DecodeSetText(kMasterCoded, kWizardChars);
}

void Progression::SaveLastLevelSet(const std::string& path) {
    if (c_.state.cd) return;
    c_.ports.registry.WriteValue(RegRoot::CurrentUser, kRegKeyPlay, "", path);
}

std::string Progression::LoadLastLevelSet() {
    if (c_.state.cd) return {};
    std::string path =
        c_.ports.registry.ReadValue(RegRoot::CurrentUser, kRegKeyPlay, "").value_or("");
    if (path.empty())
        path = c_.ports.registry.ReadValue(RegRoot::LocalMachine, kRegKeyPlay, "").value_or("");
    return path;
}

void Progression::TakeSetPath(const std::string& path) {
    c_.state.setFolder = FolderOf(path);
    c_.state.setFileName = FileNameOf(path);
    c_.state.kind = KindOfPath(path, c_.state.kind);
}

void Progression::StartLevelSet() {
    PlayerState& s = c_.state;
    PlayerView& v = c_.view;
    v.Panel14.text.clear();
    v.iStat = Lamp::Off;
    if (s.firstPlay) {
        v.Panel8.visible = s.wizard;
        v.ePWVisible = !s.wizard;
        v.Panel9.visible = !s.wizard;
        v.SpeedButton1 = {kPlayCaption, true};
        v.SpeedButton2.enabled = false;
        v.Play1.caption = kPlayMenu;
        v.Next1.enabled = false;
    }
    if (v.AutoLoadLevelSet1.checked) SaveLastLevelSet(JoinPath(s.setFolder, s.setFileName));
    s.index = 1;
    s.levelReady = true;
    reader_.ReadSetTitle();
    if (v.SavePassword1.checked) reader_.FindLevelByCode(LoadSavedCode(s.setFileName));
    reader_.PrepareLevel();
}

void Progression::PlayStep() {
    PlayerState& s = c_.state;
    PlayerView& v = c_.view;
    if (s.firstPlay) {
        s.freshStart = 128;
        if (s.wizard) {
            s.newLevel = 0;
            s.replayCounter = -1;
            v.Hint1.visible = false;
        } else {
            s.newLevel = 1;
            s.replayCounter = 0;
            v.Hint1.enabled = false;
        }
        v.Panel8.visible = true;
        v.ePWVisible = false;
        v.Panel9.visible = false;
        v.SpeedButton1.enabled = true;
        v.Play1.enabled = true;
        if (!s.wizard) {
            reader_.FindLevelByCode(v.ePW);
            reader_.PrepareLevel();
        }
        s.firstPlay = false;
        if (!s.wizard) {
            v.SpeedButton1.caption = kReplayCaption;
            v.Play1.caption = kReplayMenu;
            v.SpeedButton2.enabled = true;
            v.Next1.enabled = true;
        }
        return;
    }
    if (s.wizard) {
        s.freshStart = 128;
        return;
    }
    s.freshStart = 0;
    if (s.replayCounter < 0) return;
    if (++s.replayCounter < 3) return;
    s.replayCounter = -1;
    if (v.Label1.empty()) return;
    v.Hint1.enabled = true;
    if (c_.ports.prompts.Ask(kHintCaption, kHintQuestion, MsgButtons::YesNo, MsgIcon::Question) ==
        Answer::Yes)
        Hint1Click();
}

bool Progression::Next() {
    PlayerState& s = c_.state;
    s.replayCounter = 0;
    c_.view.Hint1.enabled = false;
    s.newLevel = 1;
    ++s.index;
    reader_.PrepareLevel();
    return s.levelReady || s.endOfGame;
}

void Progression::WizardMove(int step) {
    PlayerState& s = c_.state;
    s.replayCounter = -1;
    c_.view.Hint1.visible = false;
    s.index += step;
    if (reader_.LevelExists()) {
        reader_.PrepareLevel();
    } else {
        s.index -= step;
    }
}

void Progression::WizardBack() {
    WizardMove(-1);
}
void Progression::WizardNext() {
    WizardMove(+1);
}

void Progression::Restart() {
    PlayerState& s = c_.state;
    if (c_.ports.prompts.Ask(kRestartCaption, kRestartQuestion, MsgButtons::YesNo,
                             MsgIcon::Question) != Answer::Yes)
        return;
    const std::string& typed = c_.view.ePW;
    if ((!s.wizardCode.empty() && typed == s.wizardCode) || typed == MasterCode()) {
        EnterWizardMode();
        c_.ports.prompts.ShowMessage(kWizardCaption, kWizardEngaged, MsgIcon::Information);
        return;
    }
    s.firstPlay = true;
    StartLevelSet();
}

void Progression::EnterWizardMode() {
    PlayerState& s = c_.state;
    PlayerView& v = c_.view;
    s.wizard = true;
    v.caption = s.cd ? kCaptionCdWizard : kCaptionWizard;
    v.Panel6.visible = false;
    v.Panel5.left = kMovedPanelLeft;
    v.Panel12.visible = true;
    v.Panel13.visible = true;
    v.Level1.visible = false;
    v.WLevel1.visible = true;
    v.SavePassword1.visible = false;
    v.ePW = "????";
    v.Panel8.text = "CODE: ????";
    s.firstPlay = true;
    s.replayCounter = -1;
    v.Hint1.visible = false;
    v.N2.visible = false;
    StartLevelSet();
}

void Progression::EnterTestMode(long long level) {
    PlayerState& s = c_.state;
    PlayerView& v = c_.view;
    s.wizard = true;
    s.test = true;
    v.caption = kCaptionTest;
    v.Panel6.visible = false;
    v.Panel5.left = kMovedPanelLeft;
    v.Panel8.visible = true;
    v.ePWVisible = false;
    v.Panel9.visible = false;
    s.firstPlay = true;
    s.replayCounter = -1;
    for (MenuItemView* item :
         {&v.Load1, &v.Restart1, &v.Next1, &v.SavePassword1, &v.AutoLoadLevelSet1, &v.N2, &v.Hint1})
        item->visible = false;
    v.Panel7.visible = false;
    v.Panel10.visible = false;
    v.Panel11.left = kMovedPanelLeft;
    s.index = level;
    s.levelReady = true;
    reader_.PrepareLevel();
}

void Progression::EnterCdMode() {
    PlayerView& v = c_.view;
    c_.state.cd = true;
    v.caption = kCaptionCd;
    c_.state.firstPlay = true;
    v.Load1.enabled = false;
    v.SpeedButton3.enabled = false;
    v.SavePassword1.enabled = false;
    v.AutoLoadLevelSet1.enabled = false;
    v.Play1.enabled = true;
}

void Progression::Load() {
    PlayerState& s = c_.state;
    auto chosen = c_.ports.dialogs.ShowLoad(s.installFolder, s.setFolder, s.setFileName);
    if (chosen) {
        TakeSetPath(*chosen);
        s.firstPlay = true;
        StartLevelSet();
    }
    if (s.setFileName.empty()) c_.view.closeRequested = true;
}

void Progression::Quit() {
    PlayerState& s = c_.state;
    if (!s.wizard && c_.view.SavePassword1.checked) SaveCode(s.setFileName, c_.view.ePW);
    if (c_.view.AutoLoadLevelSet1.checked) SaveLastLevelSet(JoinPath(s.setFolder, s.setFileName));
    c_.view.closeRequested = true;
}

void Progression::SaveCode(const std::string& fileName, const std::string& code) {
    PlayerState& s = c_.state;
    if (s.cd || s.wizard) return;
    const std::string base = BaseName(fileName);
    Registry& reg = c_.ports.registry;
    reg.CreateKey(RegRoot::CurrentUser, kRegKeyPasswords);
    long long saved =
        ParseDecimal(reg.ReadValue(RegRoot::CurrentUser, kRegKeyPasswords, base + "?").value_or(""))
            .value_or(0);
    if (saved >= s.index) return;
    reg.WriteValue(RegRoot::CurrentUser, kRegKeyPasswords, base + "?", std::to_string(s.index));
    reg.WriteValue(RegRoot::CurrentUser, kRegKeyPasswords, base, code);
}

std::string Progression::LoadSavedCode(const std::string& fileName) {
    if (c_.state.cd || c_.state.wizard) return {};
    return c_.ports.registry.ReadValue(RegRoot::CurrentUser, kRegKeyPasswords, BaseName(fileName))
        .value_or("");
}

void Progression::Hint1Click() {
    c_.ports.dialogs.ShowHint("Hint for Level " + c_.state.label, c_.view.Panel3.text,
                              c_.view.Label1);
}

void Progression::FormClose() {
    c_.state.levelData.clear();
    c_.state.levelData.shrink_to_fit();
    if (c_.state.kind == SetKind::Project) RemoveProjectOutputs();
}

void Progression::RemoveProjectOutputs() {
    const std::string& folder = c_.state.setFolder;
    IniFile ini = IniFile::Load(reader_.ProjectPath());
    if (!ini.ReadString("^GDP", "Name").empty()) {
        for (int k = 1; k <= kMaxCleanupLevels; ++k) {
            std::string value = ini.ReadString("Levels", std::to_string(k));
            if (value.empty()) break;
            // The value's file name part, cut at its first full stop, then
            // what follows a colon: always a plain name inside the folder.
            std::string name = FileNameOf(value);
            name = name.substr(0, name.find('.'));
            name = LevelNameOfValue(name);
            if (IsPlainFileName(name))
                DeleteFileQuiet(PlatformPath(JoinPath(folder, name + ".bin")));
        }
    }
    DeleteFileQuiet(PlatformPath(JoinPath(folder, kHsfFile)));
}

}  // namespace gdl
