// The editor's own dialogs (TfAddS, TfHint, TfDes) behind the core's port.
#pragma once

#include <QPointer>
#include <memory>

#include "EditorDialogs.h"

class QDialog;
class QWidget;

namespace gdl {

class TfAddS;
class TfDes;
class TfHint;

class QtEditorDialogs : public EditorDialogs {
public:
    QtEditorDialogs();
    ~QtEditorDialogs() override;
    Q_DISABLE_COPY(QtEditorDialogs)

    // The window the dialogs belong to: they are centred on it and kept above it.
    void SetParent(QWidget* parent);

    AddSourceAnswer AskAddSource(const AddSourceRequest& request) override;
    std::optional<std::string> EditHint(const std::string& caption, const std::string& title,
                                        const std::string& text) override;
    bool EditDesigners(DesignersDialog& dialog) override;

    TfAddS& AddS() { return *addS_; }
    TfHint& Hint() { return *hint_; }
    TfDes& Des() { return *des_; }

private:
    void Place(QDialog& dialog);

    // Owned here rather than by the window, so either may go first.
    std::unique_ptr<TfAddS> addS_;
    std::unique_ptr<TfHint> hint_;
    std::unique_ptr<TfDes> des_;
    QPointer<QWidget> parent_;
};

}  // namespace gdl
