// TfPlay, the player's main window: widgets under the design's names, each
// event forwarded to the PlayerWindow handler of the same name, then the
// core's view rendered.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <string>

#include "PlayerWindow.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QProgressBar;
class QToolButton;

namespace gdl {

class CodeEdit;
class PanelText;

class TfPlay : public QMainWindow {
    Q_OBJECT
public:
    explicit TfPlay(QWidget* parent = nullptr);
    // The core comes after the window: its ports need the window first.
    void SetCore(PlayerWindow* core) { core_ = core; }
    PlayerWindow* Core() const { return core_; }

    // Runs a handler of the core, shows an escaping error, renders the view
    // and closes the window when the core asks.
    void Run(const std::function<void()>& handler);
    void Render();
    // Renders and paints at once, while the window thread is busy.
    void RepaintNow();
    // zCom's post function: a notification of the watch thread runs as a
    // handler of this window, from its event loop.
    std::function<void(std::function<void()>)> PostFunction();

    void FormActivate() {
        Run([this] { core_->FormActivate(); });
    }
    void Timer1Timer() {
        Run([this] { core_->Timer1Timer(); });
    }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QFrame* MakePanel(const char* name, int left, int top, int width, int height);
    QToolButton* MakeButton(QFrame* panel, const char* name, const char* colour,
                            void (PlayerWindow::*click)());
    QAction* MakeAction(QMenu* menu, const char* name, const QString& caption,
                        const QKeySequence& shortcut, void (PlayerWindow::*click)());
    void BuildMenus();
    void RenderMenus(const PlayerView& v);

    PlayerWindow* core_ = nullptr;
    bool closing_ = false;
    std::map<std::string, QFrame*> panels_;
    std::map<std::string, PanelText*> texts_;
    std::map<std::string, QToolButton*> buttons_;
    std::map<std::string, QAction*> actions_;
    QMenu* Level1 = nullptr;
    QMenu* WLevel1 = nullptr;
    CodeEdit* ePW = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* iStat = nullptr;
    QLabel* Panel14Text = nullptr;
    QProgressBar* pSend = nullptr;
};

}  // namespace gdl
