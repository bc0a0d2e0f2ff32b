#include "QtPrompts.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

#include "QtText.h"

namespace gdl {
namespace {

QMessageBox::Icon ToQtIcon(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Question:
            return QMessageBox::Question;
        case MsgIcon::Error:
            return QMessageBox::Critical;
        case MsgIcon::Information:
            return QMessageBox::Information;
        case MsgIcon::Warning:
            return QMessageBox::Warning;
        case MsgIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// The core writes CR LF line breaks, as the original message boxes wanted.
QString MessageText(const std::string& text) {
    return DisplayText(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString PatternsToQt(const QString& patterns) {
    QStringList out;
    for (const QString& pattern : patterns.split(u';', Qt::SkipEmptyParts)) {
        const QString p = pattern.trimmed();
        if (p.isEmpty()) continue;
        out << (p == QStringLiteral("*.*") ? QStringLiteral("*") : p);
    }
    return out.isEmpty() ? QStringLiteral("*") : out.join(u' ');
}

// The description without its own "(...)" part, which Qt would otherwise
// read as the patterns.
QString DescriptionOf(const QString& description) {
    QString d = description.trimmed();
    const qsizetype open = d.lastIndexOf(u'(');
    if (open > 0 && d.endsWith(u')')) d = d.left(open).trimmed();
    return d;
}

}  // namespace

QString ToQtNameFilters(std::string_view filter) {
    const QStringList parts = ToQString(filter).split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = DescriptionOf(parts[i]);
        if (description.isEmpty()) description = parts[i + 1].trimmed();
        filters << description + QStringLiteral(" (") + PatternsToQt(parts[i + 1]) + u')';
    }
    return filters.join(QStringLiteral(";;"));
}

void QtPrompts::ShowMessage(const std::string& caption, const std::string& text, MsgIcon icon) {
    QMessageBox box(ToQtIcon(icon), ToQString(caption), MessageText(text), QMessageBox::Ok,
                    parent_);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

Answer QtPrompts::Ask(const std::string& caption, const std::string& text, MsgButtons buttons,
                      MsgIcon icon) {
    QMessageBox::StandardButtons qtButtons = QMessageBox::Ok;
    if (buttons == MsgButtons::YesNo) qtButtons = QMessageBox::Yes | QMessageBox::No;
    if (buttons == MsgButtons::YesNoCancel) {
        qtButtons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    const bool save = buttons == MsgButtons::SaveDiscardCancel;
    if (save) qtButtons = QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
    QMessageBox box(ToQtIcon(icon), ToQString(caption), MessageText(text), qtButtons, parent_);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(buttons == MsgButtons::Ok ? QMessageBox::Ok
                         : save                    ? QMessageBox::Save
                                                   : QMessageBox::Yes);
    // Closing the box is the safe answer: Cancel where offered, else No.
    if (buttons == MsgButtons::YesNo) box.setEscapeButton(QMessageBox::No);
    if (buttons == MsgButtons::YesNoCancel || save) box.setEscapeButton(QMessageBox::Cancel);
    if (save) {
        // The same words on every desktop, with their keys.
        box.button(QMessageBox::Save)->setText("&Save");
        box.button(QMessageBox::Discard)->setText("&Discard");
    }
    switch (box.exec()) {
        case QMessageBox::Yes:
        case QMessageBox::Save:
            return Answer::Yes;
        case QMessageBox::No:
        case QMessageBox::Discard:
            return Answer::No;
        case QMessageBox::Ok:
            return Answer::Ok;
        default:
            return Answer::Cancel;
    }
}

std::optional<std::string> QtPrompts::OpenFileDialog(const FileDialogRequest& request) {
    return RunFileDialog(request, false);
}

std::optional<std::string> QtPrompts::SaveFileDialog(const FileDialogRequest& request) {
    return RunFileDialog(request, true);
}

std::optional<std::string> QtPrompts::RunFileDialog(const FileDialogRequest& request, bool save) {
    QFileDialog dialog(parent_, ToQString(request.title));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save || !request.mustExist ? QFileDialog::AnyFile
                                                  : QFileDialog::ExistingFile);
    if (!request.overwritePrompt) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QString filters = ToQtNameFilters(request.filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters.split(QStringLiteral(";;")));
    QString ext = ToQString(request.defaultExt);
    if (ext.startsWith(u'.')) ext.remove(0, 1);
    if (!ext.isEmpty()) dialog.setDefaultSuffix(ext);
    const QString folder = PathToQString(request.folder);
    if (!folder.isEmpty() && QDir(folder).exists())
        dialog.setDirectory(QDir(folder).absolutePath());
    if (!request.fileName.empty()) dialog.selectFile(PathToQString(request.fileName));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return std::nullopt;
    return PathFromQString(QDir::cleanPath(chosen.front()));
}

}  // namespace gdl
