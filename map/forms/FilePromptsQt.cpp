#include "FilePromptsQt.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "QtText.h"

namespace gdl {

namespace {

constexpr char kTitle[] = "GDLMap";

// Two buttons of our own words; true for the first.
bool Choose(QWidget* parent, QMessageBox::Icon icon, const std::string& text, const char* first,
            const char* second) {
    QMessageBox box(icon, kTitle, DisplayText(text), QMessageBox::NoButton, parent);
    QPushButton* one = box.addButton(first, QMessageBox::AcceptRole);
    QPushButton* two = box.addButton(second, QMessageBox::RejectRole);
    box.setDefaultButton(one);
    box.setEscapeButton(two);
    box.exec();
    return box.clickedButton() == one;
}

}  // namespace

ChangedAnswer FilePromptsQt::AskChanged(const std::string& text, bool unsavedEdits) {
    if (!unsavedEdits)
        return Choose(parent_, QMessageBox::Question, text, "&Reload", "&Keep Mine")
                   ? ChangedAnswer::Reload
                   : ChangedAnswer::KeepMine;
    return Choose(parent_, QMessageBox::Warning, text, "&Keep Mine", "&Reload")
               ? ChangedAnswer::KeepMine
               : ChangedAnswer::Reload;
}

bool FilePromptsQt::AskOverwrite(const std::string& text) {
    return Choose(parent_, QMessageBox::Warning, text, "&Overwrite", "Cancel");
}

std::optional<std::string> FilePromptsQt::AskSaveAs(const std::string& reason,
                                                    const std::string& proposed) {
    if (!Choose(parent_, QMessageBox::Warning, reason, "Save &As...", "Cancel"))
        return std::nullopt;
    const QString path = QFileDialog::getSaveFileName(parent_, "Save As", PathToQString(proposed),
                                                      "Level sources (*.lvs)");
    if (path.isEmpty()) return std::nullopt;
    return PathFromQString(path);
}

RecoverAnswer FilePromptsQt::AskRecover(const std::string& text) {
    return Choose(parent_, QMessageBox::Question, text, "&Recover", "&Discard")
               ? RecoverAnswer::Recover
               : RecoverAnswer::Discard;
}

void FilePromptsQt::Tell(const std::string& text) {
    QMessageBox::warning(parent_, kTitle, DisplayText(text));
}

void FilePromptsQt::Status(const std::string& text) {
    if (status_) status_(" " + DisplayText(text));
}

}  // namespace gdl
