// Message boxes and file dialogs of the real program.
#pragma once

#include <QPointer>
#include <QString>
#include <string_view>

#include "Prompts.h"

class QWidget;

namespace gdl {

// "Desc (*.x)|*.x|All files (*.*)|*.*" as Qt name filters
// ("Desc (*.x);;All files (*)"). "*.*" means every file, as it did on the
// original platform; ";"-separated patterns become blank-separated.
QString ToQtNameFilters(std::string_view filter);

class QtPrompts : public Prompts {
public:
    explicit QtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    // Dialogs are centred on this window once it exists.
    void SetParent(QWidget* parent) { parent_ = parent; }

    void ShowMessage(const std::string& caption, const std::string& text, MsgIcon icon) override;
    Answer Ask(const std::string& caption, const std::string& text, MsgButtons buttons,
               MsgIcon icon) override;
    std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override;
    std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) override;

private:
    std::optional<std::string> RunFileDialog(const FileDialogRequest& request, bool save);
    QPointer<QWidget> parent_;
};

}  // namespace gdl
