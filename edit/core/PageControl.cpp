#include "PageControl.h"

#include "LevelsPage.h"
#include "ProjectSession.h"

namespace gdl {

void PageControl::ShowIfOpen(Page page) {
    if (s_.model.open) gPagesPageChanged(page);
}

void PageControl::bPropsClick() {
    ShowIfOpen(Page::Properties);
}
void PageControl::bSourceClick() {
    ShowIfOpen(Page::Source);
}
void PageControl::bLevelsClick() {
    ShowIfOpen(Page::Levels);
}
void PageControl::bBuildClick() {
    ShowIfOpen(Page::Build);
}

void PageControl::gPagesPageChanged(Page page) {
    if (page != Page::Default && !s_.model.open) return;
    if (page != s_.view.page) s_.StopMusicIfPlaying();
    s_.view.page = page;
    if (page == Page::Levels) levels_.RefreshLevelsInfo();
    s_.Sync();
}

}  // namespace gdl
