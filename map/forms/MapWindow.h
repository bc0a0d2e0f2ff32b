// GDLMap's window: the map canvas, the palette and tools, the levels,
// problems and undo history panels over one MapEditor session. It maps
// widgets to the session and shows the session's state; the rules are the
// session's.
#pragma once

#include <QMainWindow>
#include <memory>

#include "FileSession.h"
#include "MapEditor.h"

class QAction;
class QActionGroup;
class QComboBox;
class QFileSystemWatcher;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QScrollArea;
class QSpinBox;
class QTimer;
class QToolButton;

namespace gdl {

class MapView;
class LynxTestSend;
class FilePromptsQt;

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

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildActions();
    void BuildPanels();
    void KeyTyped(QKeyEvent* event);
    void Refresh();
    void RefreshLevels();
    void RefreshPanels();
    void RefreshProperties();
    void Report(const Result<void>& result);
    bool Save();
    void FileChanged();
    void ExportPng();
    void ReplaceAll();
    void TestOnLynx();
    void ApplyProperties();
    void ApplyResize();

    MapEditor session_;
    MapView* view_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QFileSystemWatcher* watcher_ = nullptr;
    QTimer* panels_ = nullptr;
    QListWidget* levels_ = nullptr;
    QListWidget* problems_ = nullptr;
    QListWidget* history_ = nullptr;
    QLineEdit* eLevelName_ = nullptr;
    QLineEdit* eLongName_ = nullptr;
    QSpinBox* eMinutes_ = nullptr;
    QSpinBox* eSeconds_ = nullptr;
    QSpinBox* eQuota_ = nullptr;
    QSpinBox* eWidth_ = nullptr;
    QSpinBox* eHeight_ = nullptr;
    QComboBox* cAnchor_ = nullptr;
    QLabel* hover_ = nullptr;
    QLabel* linkStatus_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QActionGroup* tools_ = nullptr;
    std::vector<QToolButton*> palette_;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
    QAction* paste_ = nullptr;
    std::unique_ptr<LynxTestSend> send_;
    std::vector<TileGrid> thumbnails_;  // the tiles each level's picture shows
    std::uint64_t shownRevision_ = ~0ull;
    int shownLevel_ = -2;
    bool refreshing_ = false;
    // The file: open, save, watch, journal (the rules are FileSession's).
    void BuildFileHandling();
    void Watch();
    std::unique_ptr<FilePromptsQt> filePrompts_;
    std::unique_ptr<FileSession> files_;
    QTimer* filePoll_ = nullptr;
};

}  // namespace gdl
