// The window's file handling in one place: opening, saving, following the
// file on disk and the question when it changed, and closing.
#include <QCloseEvent>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "MapQuestions.h"
#include "MapView.h"
#include "MapWindow.h"
#include "QtText.h"

namespace gdl {

bool MapWindow::Open(const QString& path, const QString& level, QString* problem) {
    auto opened = session_.Open(PathFromQString(path), FromQString(level));
    if (!opened) {
        if (problem) *problem = ToQString(opened.Err().Message());
        return false;
    }
    WatchFile(path);
    shownRevision_ = ~0ull;
    Refresh();
    RefreshSlowPanels();
    return true;
}

void MapWindow::WatchFile(const QString& path) {
    if (!watcher_->files().isEmpty()) watcher_->removePaths(watcher_->files());
    watcher_->addPath(path);
}

bool MapWindow::Save() {
    auto saved = session_.Save();
    ReportProblem(prompts_, saved);
    Refresh();
    return saved.Ok();
}

void MapWindow::FileChanged() {
    // A save by rename replaces the file the watcher followed.
    const QString path = PathToQString(session_.Path());
    if (!watcher_->files().contains(path)) watcher_->addPath(path);
    if (asking_) return;
    asking_ = true;
    const QString name = ToQString(session_.FileName());
    switch (session_.CheckFileOnDisk()) {
        case FileChangeQuestion::None:
            break;
        case FileChangeQuestion::Gone:
            linkStatus_->setText(" " + name + " was removed; Save writes it again.");
            break;
        case FileChangeQuestion::Reload:
            if (QMessageBox::question(this, "GDLMap",
                                      name + " was changed by another program. Reload it?") ==
                QMessageBox::Yes) {
                ReportProblem(prompts_, session_.Reload());
            } else {
                session_.KeepMine();
            }
            break;
        case FileChangeQuestion::KeepOrReload: {
            QMessageBox box(QMessageBox::Warning, "GDLMap",
                            name + " was changed by another program, and you have unsaved changes.",
                            QMessageBox::NoButton, this);
            QPushButton* keep = box.addButton("&Keep Mine", QMessageBox::RejectRole);
            box.addButton("&Reload", QMessageBox::DestructiveRole);
            box.setDefaultButton(keep);
            box.exec();
            if (box.clickedButton() == keep) {
                session_.KeepMine();
            } else {
                ReportProblem(prompts_, session_.Reload());
            }
            break;
        }
    }
    asking_ = false;
    Refresh();
}

void MapWindow::closeEvent(QCloseEvent* event) {
    if (AskClose(session_, prompts_) == CloseAnswer::Stay) {
        event->ignore();
        return;
    }
    SaveSettings();
    event->accept();
}

}  // namespace gdl
