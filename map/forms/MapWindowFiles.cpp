// The window's file handling in one place: opening, saving, following the
// file on disk and the question when it changed, the recovery journal's
// timer, and closing. The rules are FileSession's; this part only wires the
// watch and the timer to it.
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QTimer>

#include "FilePromptsQt.h"
#include "FileUtil.h"
#include "MapQuestions.h"
#include "MapView.h"
#include "MapWindow.h"
#include "QtText.h"

namespace gdl {

namespace {

constexpr int kFilePollMs = 1000;

}  // namespace

void MapWindow::BuildFileHandling() {
    filePrompts_ = std::make_unique<FilePromptsQt>(
        this, [this](const QString& text) { linkStatus_->setText(text); });
    files_ = std::make_unique<FileSession>(session_, *filePrompts_);
    watcher_ = new QFileSystemWatcher(this);
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, &MapWindow::FileChanged);
    // The folder too: a file deleted and made again is seen.
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &MapWindow::FileChanged);
    // The journal follows the edits, and the disk is looked at again, once a second.
    filePoll_ = new QTimer(this);
    filePoll_->setInterval(kFilePollMs);
    connect(filePoll_, &QTimer::timeout, this, [this] {
        files_->Tick();
        if (!files_->Asking() && !QApplication::activeModalWidget()) FileChanged();
    });
    filePoll_->start();
}

bool MapWindow::Open(const QString& path, const QString& level, QString* problem) {
    return OpenPath(PathFromQString(path), level, problem);
}

bool MapWindow::OpenPath(const std::string& path, const QString& level, QString* problem) {
    auto opened = files_->Open(path, FromQString(level));
    if (!opened) {
        if (problem) *problem = DisplayText(opened.Err().Message());
        return false;
    }
    Watch();
    shownRevision_ = ~0ull;
    Refresh();
    RefreshSlowPanels();
    return true;
}

// Watches the file and its folder again when the watch lost them: a save by
// rename, or a delete, ends the watch of the old file.
void MapWindow::Watch() {
    const QString path = PathToQString(session_.Path());
    const QString folder = PathToQString(FolderOf(session_.Path()));
    if (!watcher_->files().contains(path) && QFileInfo::exists(path)) {
        if (!watcher_->files().isEmpty()) watcher_->removePaths(watcher_->files());
        watcher_->addPath(path);
    }
    if (!watcher_->directories().contains(folder)) {
        if (!watcher_->directories().isEmpty()) watcher_->removePaths(watcher_->directories());
        watcher_->addPath(folder);
    }
}

bool MapWindow::Save() {
    const bool saved = files_->Save();
    if (!watcher_->files().isEmpty()) watcher_->removePaths(watcher_->files());
    Watch();
    Refresh();
    return saved;
}

void MapWindow::SaveAs() {
    files_->SaveAs();
    if (!watcher_->files().isEmpty()) watcher_->removePaths(watcher_->files());
    Watch();
    Refresh();
}

void MapWindow::FileChanged() {
    files_->FileChanged();
    Watch();
    Refresh();
}

void MapWindow::closeEvent(QCloseEvent* event) {
    const CloseAnswer answer = AskClose(session_, prompts_, [this] { return Save(); });
    if (answer == CloseAnswer::Stay) {
        event->ignore();
        return;
    }
    if (answer == CloseAnswer::Discard) files_->Discarded();
    SaveSettings();
    event->accept();
}

}  // namespace gdl
