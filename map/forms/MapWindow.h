// GDLMap's window: the map canvas, the palette and tools, and the levels,
// properties, problems and undo history panels over one MapEditor session.
// Every control reaches its command through one Forward, which runs it
// guarded and then shows the session once; the rules are the session's.
//
// MapWindow.cpp builds the window and shows the session,
// MapWindowCommands.cpp binds the command and tool tables to actions,
// MapWindowFiles.cpp holds the file handling (open, save, the watch, close).
#pragma once

#include <QMainWindow>
#include <memory>
#include <vector>

#include "FileSession.h"
#include "MapCommands.h"
#include "MapEditor.h"
#include "MapSettings.h"
#include "QtPrompts.h"
#include "Registry.h"

class QAction;
class QFileSystemWatcher;
class QLabel;
class QProgressBar;
class QTimer;
class QToolButton;

namespace gdl {

class FilePromptsQt;
class HistoryPanel;
class LevelsPanel;
class LynxTestSend;
class MapView;
class ProblemsPanel;
class PropertiesPanel;
class ReplaceDialog;

class MapWindow : public QMainWindow {
    Q_OBJECT
public:
    MapWindow();
    ~MapWindow() override;

    // Opens the source; false (with the reason) when it cannot be read.
    bool Open(const QString& path, const QString& level, QString* problem);
    // The same for a path of the file system's own bytes (any encoding).
    bool OpenPath(const std::string& path, const QString& level, QString* problem);
    MapEditor& Session() { return session_; }
    MapView* Canvas() const { return view_; }
    QAction* Action(MapCommand id) const { return actions_[static_cast<std::size_t>(id)]; }
    // Runs a command as its menu entry does.
    void Forward(MapCommand id);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // MapWindowCommands.cpp
    void BuildCommands();
    void BuildTools(QMenu* menu);
    void BuildPalette();
    void RunWindowCommand(MapCommand id);
    void RefreshCommands();
    // MapWindow.cpp
    void BuildStatusBar();
    void BuildPanels();
    void ConnectCanvas();
    void Run(const std::function<void()>& handler);
    void KeyTyped(QKeyEvent* event);
    void Refresh();
    void RefreshSlowPanels();
    void RefreshStatus();
    void ShowCanvas();
    void BackToMap();
    void LoadSettings();
    void SaveSettings();
    void ExportPng();
    void ReplaceAll();
    void TestOnLynx();
    // MapWindowFiles.cpp
    // (the rules are FileSession's: read-only refusal, Save As, the journal)
    void BuildFileHandling();
    bool Save();
    void SaveAs();
    void FileChanged();
    void Watch();

    MapEditor session_;
    QtPrompts prompts_;
    FileRegistry registry_;
    MapSettings settings_;
    MapView* view_ = nullptr;
    LevelsPanel* levels_ = nullptr;
    PropertiesPanel* properties_ = nullptr;
    ProblemsPanel* problems_ = nullptr;
    HistoryPanel* history_ = nullptr;
    ReplaceDialog* replace_ = nullptr;
    QFileSystemWatcher* watcher_ = nullptr;
    QTimer* slowPanels_ = nullptr;
    QLabel* hint_ = nullptr;
    QLabel* hover_ = nullptr;
    QLabel* toolText_ = nullptr;
    QLabel* zoom_ = nullptr;
    QLabel* linkStatus_ = nullptr;
    QProgressBar* progress_ = nullptr;
    std::vector<QAction*> actions_;      // by MapCommand
    std::vector<QAction*> toolActions_;  // by MapTool
    std::vector<QToolButton*> palette_;  // by tile code
    std::unique_ptr<LynxTestSend> send_;
    std::uint64_t shownRevision_ = ~0ull;
    int shownLevel_ = -2;
    std::unique_ptr<FilePromptsQt> filePrompts_;
    std::unique_ptr<FileSession> files_;
    QTimer* filePoll_ = nullptr;
    QMetaObject::Connection focusWatch_;
};

}  // namespace gdl
