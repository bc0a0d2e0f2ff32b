#include "PropertiesPage.h"

#include <algorithm>

#include "Passwords.h"
#include "TextUtil.h"

namespace gdl {

void PropertiesPage::Render() {
    auto& p = s_.view.props;
    const ProjectModel& m = s_.model;
    p.name = m.name;
    p.year = m.copyrightYear;
    p.notice = m.notice;
    p.comments = m.comments;
    p.offset = m.offset;
    p.musicMode = m.musicMode;
    p.wizard = m.wizard;
}

template <class Change>
void PropertiesPage::ChangeProject(Change change) {
    if (!s_.model.open) return;
    change(s_.model);
    s_.SetModified(true);
    s_.Sync();
}

void PropertiesPage::eNameChange(const std::string& text) {
    ChangeProject([&](ProjectModel& m) { m.name = Cut(text, kMaxNameLength); });
}

void PropertiesPage::ePreDateChange(int year) {
    ChangeProject([&](ProjectModel& m) { m.copyrightYear = std::clamp(year, 0, kMaxYear); });
}

void PropertiesPage::eNoticeChange(const std::string& text) {
    ChangeProject([&](ProjectModel& m) { m.notice = Cut(text, kMaxNoticeLength); });
}

void PropertiesPage::cCommentsChange(const std::string& text) {
    ChangeProject(
        [&](ProjectModel& m) { m.comments = Cut(WithoutLineBreaks(text), kMaxCommentsLength); });
}

void PropertiesPage::cOffsetChange(int offset) {
    ChangeProject([&](ProjectModel& m) {
        m.offset = std::clamp(offset, 0, static_cast<int>(kMaxProjectEntries));
    });
}

void PropertiesPage::xAMusicClick(MusicMode mode) {
    ChangeProject([&](ProjectModel& m) {
        m.musicMode = mode;
        s_.ReassignMusic();
    });
}

void PropertiesPage::eWizardChange(const std::string& text) {
    ChangeProject([&](ProjectModel& m) { m.wizard = Cut(ToUpperAscii(text), kMaxCodeLength); });
}

void PropertiesPage::bGenWizClick() {
    if (!s_.model.open) return;
    eWizardChange(MakePassword(s_.random, s_.model.wizard, PasswordsOf(s_.model.levels)));
}

}  // namespace gdl
