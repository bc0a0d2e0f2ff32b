// TfAddS: asks whether a source (or a merged project's sources) from another
// folder is copied, moved or left alone. The caller sets the texts and buttons.
#pragma once

#include <QDialog>

#include "EditorDialogs.h"

class QLabel;
class QPushButton;

namespace gdl {

class TfAddS : public QDialog {
    Q_OBJECT
public:
    explicit TfAddS(QWidget* parent = nullptr);

    // Shows the request and waits; closing the dialog answers Cancel.
    AddSourceAnswer Ask(const AddSourceRequest& request);
    // Fills the texts and buttons without showing the dialog.
    void Prepare(const AddSourceRequest& request);

private:
    QLabel* label1_;
    QLabel* label2_;
    QPushButton* bCopy_;
    QPushButton* bMove_;
    QPushButton* bCancel_;
    AddSourceAnswer answer_ = AddSourceAnswer::Cancel;
};

}  // namespace gdl
