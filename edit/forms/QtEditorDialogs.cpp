#include "QtEditorDialogs.h"

#include <QWidget>
#include <QWindow>

#include "Pmadds.h"
#include "Pmdes.h"
#include "Pmhint.h"

namespace gdl {

QtEditorDialogs::QtEditorDialogs()
    : addS_(std::make_unique<TfAddS>()),
      hint_(std::make_unique<TfHint>()),
      des_(std::make_unique<TfDes>()) {
    for (QDialog* dialog : {static_cast<QDialog*>(addS_.get()), static_cast<QDialog*>(hint_.get()),
                            static_cast<QDialog*>(des_.get())}) {
        dialog->setWindowModality(Qt::ApplicationModal);
    }
}

QtEditorDialogs::~QtEditorDialogs() = default;

void QtEditorDialogs::SetParent(QWidget* parent) {
    parent_ = parent;
}

void QtEditorDialogs::Place(QDialog& dialog) {
    dialog.adjustSize();
    if (!parent_) return;
    dialog.winId();
    if (QWindow* window = dialog.windowHandle()) {
        window->setTransientParent(parent_->window()->windowHandle());
    }
    const QRect frame = parent_->window()->frameGeometry();
    dialog.move(frame.center() - dialog.rect().center());
}

AddSourceAnswer QtEditorDialogs::AskAddSource(const AddSourceRequest& request) {
    addS_->Prepare(request);
    Place(*addS_);
    return addS_->Ask(request);
}

std::optional<std::string> QtEditorDialogs::EditHint(const std::string& caption,
                                                     const std::string& title,
                                                     const std::string& text) {
    hint_->Prepare(caption, title, text);
    Place(*hint_);
    return hint_->Edit(caption, title, text);
}

bool QtEditorDialogs::EditDesigners(DesignersDialog& dialog) {
    des_->Bind(&dialog);
    Place(*des_);
    return des_->Edit(dialog);
}

}  // namespace gdl
