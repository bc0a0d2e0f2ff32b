// The Level Set page of TfProj: the order of the levels and each entry's data.
#pragma once

#include "PageForms.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;

namespace gdl {

class MapView;

class LevelsPageForm : public PageForm<LevelsPageView> {
public:
    using PageForm::PageForm;

    PageContent Build();
    void Render(const LevelsPageView& v);

    // Each forwards the control's new state to the core's handler of its name.
    void cLevelsClick();
    void cDesignerChange(int index);
    void ePasswordChange();
    void eMusicChange();

private:
    QListWidget* cLevels_ = nullptr;
    QLabel* lLevelR_ = nullptr;
    QLabel* iHidden_ = nullptr;
    LevelInfoBoxes infoR_;
    QComboBox* cDesigner_ = nullptr;
    QLineEdit* ePassword_ = nullptr;
    QSpinBox* eMusic_ = nullptr;
    QPushButton* bMusic_ = nullptr;
    QLabel* iTune_ = nullptr;
    QLabel* iHint_ = nullptr;
    MapView* mapR_ = nullptr;
};

}  // namespace gdl
