// The Properties page of TfProj: the set-wide fields.
#pragma once

#include "PageForms.h"

class QLineEdit;
class QRadioButton;
class QSpinBox;
class QWidget;

namespace gdl {

class MemoEdit;

class PropertiesPageForm : public PageForm<PropertiesPageView> {
public:
    using PageForm::PageForm;

    PageContent Build();
    void Render(const PropertiesPageView& v);

    // Each forwards the field's new value to the core's handler of its name.
    void eNameChange();
    void ePreDateChange();
    void eNoticeChange();
    void cCommentsChange();
    void cOffsetChange();
    void xAMusicClick(MusicMode mode);
    void eWizardChange();

private:
    QWidget* propsFields_ = nullptr;
    QLineEdit* eName_ = nullptr;
    QSpinBox* ePreDate_ = nullptr;
    QLineEdit* eNotice_ = nullptr;
    MemoEdit* cComments_ = nullptr;
    QSpinBox* cOffset_ = nullptr;
    QRadioButton* xAMusic_ = nullptr;
    QRadioButton* xRMusic_ = nullptr;
    QRadioButton* xMMusic_ = nullptr;
    QLineEdit* eWizard_ = nullptr;
    QPushButton* bNext1_ = nullptr;
};

}  // namespace gdl
