#include "LevelsPage.h"

#include <algorithm>

#include "EditorDialogs.h"
#include "LevelReference.h"
#include "Passwords.h"
#include "SourcePage.h"
#include "TextUtil.h"

namespace gdl {

void LevelsPage::Render() {
    auto& l = s_.view.levels;
    l.levels.clear();
    for (const auto& entry : s_.model.levels) l.levels.push_back(entry.reference);
    l.designers = s_.model.designers;
    const LevelEntry* entry = s_.SelectedEntry();
    bool selected = entry != nullptr;
    if (!selected) {
        l.selected = -1;
        l.levelLabel.clear();
        l.hiddenVisible = false;
        l.eNameR.clear();
        l.eSizeR.clear();
        l.eTimeR.clear();
        l.eQuotaR.clear();
        l.designerSelected = -1;
        l.designerHint.clear();
        l.password.clear();
        l.music = 0;
        l.hasHint = false;
        l.hintTooltip.clear();
    } else {
        int p = l.selected;
        l.levelLabel = LevelLabel(p + 1, s_.model.offset);
        l.hiddenVisible = p + 1 - s_.model.offset <= 0;
        auto d = std::find(s_.model.designers.begin(), s_.model.designers.end(), entry->designer);
        l.designerSelected =
            d == s_.model.designers.end() ? -1 : static_cast<int>(d - s_.model.designers.begin());
        l.designerHint = l.designerSelected >= 0 ? entry->designer : std::string();
        l.password = entry->password;
        std::optional<long long> music = ParseDecimal(entry->music);
        l.music = music && *music >= 0 && *music <= kMaxMusic ? static_cast<int>(*music) : 0;
        l.hasHint = !entry->hint.empty();
        l.hintTooltip = l.hasHint ? "Hint: " + Quoted(entry->hint) : std::string();
    }
    int last = static_cast<int>(s_.model.levels.size()) - 1;
    l.bTopEnabled = l.bUpEnabled = selected && l.selected > 0;
    l.bDownEnabled = l.bEndEnabled = selected && l.selected < last;
    l.bTestLEnabled = l.bRemoveEnabled = l.cDesignerEnabled = l.ePasswordEnabled = selected;
    l.bMusicEnabled = l.bGenerateEnabled = l.bEditHintEnabled = selected;
    l.musicEnabled = selected && s_.model.musicMode == MusicMode::Manual;
}

void LevelsPage::RefreshLevelsInfo() {
    auto& l = s_.view.levels;
    const LevelEntry* entry = s_.SelectedEntry();
    LevelInfo info;
    if (entry) info = s_.ReadInfo(entry->reference).info;
    l.eNameR = info.Name;
    l.eSizeR = info.Size;
    l.eTimeR = info.Time;
    l.eQuotaR = info.Quota;
    l.preview =
        entry ? s_.previews.OfReference(s_.projectFolder, entry->reference) : LevelPreview{};
}

void LevelsPage::SelectLevel(int index) {
    s_.view.levels.selected =
        index >= 0 && index < static_cast<int>(s_.model.levels.size()) ? index : -1;
    RefreshLevelsInfo();
    s_.Sync();
}

void LevelsPage::cLevelsClick(int index) {
    SelectLevel(index);
}

void LevelsPage::MoveSelected(int to) {
    int from = s_.view.levels.selected;
    if (!s_.SelectedEntry() || to < 0 || to >= static_cast<int>(s_.model.levels.size()) ||
        to == from)
        return;
    LevelEntry entry = std::move(s_.model.levels[static_cast<std::size_t>(from)]);
    s_.model.levels.erase(s_.model.levels.begin() + from);
    s_.model.levels.insert(s_.model.levels.begin() + to, std::move(entry));
    s_.view.levels.selected = to;
    s_.LevelListChanged();
    SelectLevel(to);
}

void LevelsPage::bUpClick() {
    MoveSelected(s_.view.levels.selected - 1);
}
void LevelsPage::bDownClick() {
    MoveSelected(s_.view.levels.selected + 1);
}
void LevelsPage::bTopClick() {
    MoveSelected(0);
}
void LevelsPage::bEndClick() {
    MoveSelected(static_cast<int>(s_.model.levels.size()) - 1);
}

void LevelsPage::bRemoveClick() {
    if (!s_.SelectedEntry()) return;
    s_.EraseLevel(static_cast<std::size_t>(s_.view.levels.selected));
    s_.view.levels.selected = -1;
    s_.LevelListChanged();
    RefreshLevelsInfo();
    source_.RefreshLevelDetails();
    s_.Sync();
}

template <class Change>
void LevelsPage::ChangeSelectedEntry(Change change) {
    LevelEntry* entry = s_.SelectedEntry();
    if (!entry) return;
    change(*entry);
    s_.SetModified(true);
    s_.Sync();
}

void LevelsPage::cDesignerChange(const std::string& text) {
    if (!s_.SelectedEntry()) {
        s_.view.levels.designerHint.clear();
        s_.Touch();
        return;
    }
    // The drop-down offers only the designer list.
    if (!text.empty() && !Contains(s_.model.designers, text)) return;
    ChangeSelectedEntry([&](LevelEntry& e) { e.designer = text; });
}

void LevelsPage::ePasswordChange(const std::string& text) {
    ChangeSelectedEntry(
        [&](LevelEntry& e) { e.password = Cut(ToUpperAscii(text), kMaxCodeLength); });
}

void LevelsPage::eMusicChange(int music) {
    if (s_.model.musicMode != MusicMode::Manual) return;
    ChangeSelectedEntry(
        [&](LevelEntry& e) { e.music = std::to_string(std::clamp(music, 0, kMaxMusic)); });
}

void LevelsPage::bGenerateClick() {
    if (!s_.SelectedEntry()) return;
    ePasswordChange(MakePassword(s_.random, s_.model.wizard, PasswordsOf(s_.model.levels)));
}

void LevelsPage::bMusicClick() {
    s_.ToggleMusic();
}

void LevelsPage::bEditHintClick() {
    LevelEntry* entry = s_.SelectedEntry();
    if (!entry) return;
    std::optional<std::string> hint = s_.dialogs.EditHint(
        "Hint for Level " + s_.view.levels.levelLabel, s_.view.levels.eNameR, entry->hint);
    if (!hint) return;
    // The dialog may have been left again: the entry is looked up anew.
    ChangeSelectedEntry(
        [&](LevelEntry& e) { e.hint = Cut(WithoutLineBreaks(*hint), kMaxHintLength); });
}

void LevelsPage::bDesignersClick() {
    if (!s_.model.open) return;
    designers_.Open(s_.model.designers);
    if (!s_.dialogs.EditDesigners(designers_)) return;
    designers_.Apply(s_.model.levels, s_.model.designers, s_.populateDesigner);
    s_.SetModified(true);
    RefreshLevelsInfo();
    s_.Sync();
}

}  // namespace gdl
