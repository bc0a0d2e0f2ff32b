// The file session's questions as GDLMap's message boxes and file dialog.
#pragma once

#include <QPointer>
#include <functional>

#include "FileSession.h"

class QWidget;

namespace gdl {

class FilePromptsQt : public FilePrompts {
public:
    // status shows a line in the window's status bar.
    FilePromptsQt(QWidget* parent, std::function<void(const QString&)> status)
        : parent_(parent), status_(std::move(status)) {}

    ChangedAnswer AskChanged(const std::string& text, bool unsavedEdits) override;
    bool AskOverwrite(const std::string& text) override;
    std::optional<std::string> AskSaveAs(const std::string& reason,
                                         const std::string& proposed) override;
    RecoverAnswer AskRecover(const std::string& text) override;
    void Tell(const std::string& text) override;
    void Status(const std::string& text) override;

private:
    QPointer<QWidget> parent_;
    std::function<void(const QString&)> status_;
};

}  // namespace gdl
