// The Source page of TfProj: the project's sources and the levels in each.
#pragma once

#include "PageForms.h"

class QLabel;
class QListWidget;

namespace gdl {

class MapView;

class SourcePageForm : public PageForm<SourcePageView> {
public:
    using PageForm::PageForm;

    PageContent Build();
    void Render(const SourcePageView& v);

    // Forward the list's selected row to the core's handler of the name.
    void cSourceClick();
    void cContentsClick();

private:
    QListWidget* cSource_ = nullptr;
    QListWidget* cContents_ = nullptr;
    QLabel* lLevelI_ = nullptr;
    QLabel* iUsage_ = nullptr;
    LevelInfoBoxes infoI_;
    MapView* mapI_ = nullptr;
    QLabel* lEditing_ = nullptr;
    QListWidget* problemsI_ = nullptr;
};

}  // namespace gdl
