// The Build page of TfProj: the level set file, the build's options, its
// status lines and progress.
#pragma once

#include "PageForms.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QProgressBar;

namespace gdl {

class BuildPageForm : public PageForm<BuildPageView> {
public:
    using PageForm::PageForm;

    PageContent Build();
    void Render(const BuildPageView& v);

    void xBSFClick(bool checked);
    void xGLLClick(bool checked);

private:
    QLineEdit* eLevelSet_ = nullptr;
    QCheckBox* xBSF_ = nullptr;
    QCheckBox* xGLL_ = nullptr;
    QListWidget* cStatus_ = nullptr;
    QProgressBar* pBar_ = nullptr;
    QPushButton* bPrev4_ = nullptr;
};

}  // namespace gdl
