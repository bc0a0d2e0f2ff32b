// TfProj, the project window: menu, tool bar, the four pages and the status
// line. Each control runs the handler of its part of the core in one hop and
// then shows the core's View().
#pragma once

#include <QKeySequence>
#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BuildPageForm.h"
#include "Icons.h"
#include "LevelsPageForm.h"
#include "PageForms.h"
#include "ProjectWindow.h"
#include "PropertiesPageForm.h"
#include "SourcePageForm.h"

class QAction;
class QLabel;
class QMenu;
class QStackedWidget;
class QToolBar;

namespace gdl {

// One command of the window's menus, shared by its tool bar button: the menu
// item's control name and text, the handler it runs, and the view's flags
// that enable and check it.
struct WindowCommand {
    const char* name;
    const char* text;
    Command run;
    bool ProjectView::*enabled = nullptr;  // nullptr: always enabled
    bool ProjectView::*checked = nullptr;  // nullptr: not checkable
    QKeySequence shortcut = {};
};

// The window keeps the menus, the tool bar, the page control and the status
// line; each page's controls belong to that page's form.
class TfProj : public QMainWindow, public CommandRunner {
    Q_OBJECT
public:
    explicit TfProj(const EditorPorts& ports, QWidget* parent = nullptr);
    ~TfProj() override;

    ProjectWindow& Core() { return *core_; }
    const ProjectView& View() const { return core_->View(); }

    // Start-up with the command-line arguments after the program name.
    void FormActivate(const std::vector<std::string>& args);

    // Runs one command of the core, never two at once: an event that arrives
    // while a tool or the build runs (the window keeps processing events) is
    // dropped. An escaping exception is shown and the window goes on. When the
    // core asks for the window to close, it is closed.
    void Forward(const Command& command) override;

    // Shows the core's state now (the core calls this through its changed
    // callback while a long command runs).
    void Render();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct Counters {
        QLabel* levels = nullptr;
        QLabel* hidden = nullptr;
    };
    struct Bound {
        QAction* action;
        bool ProjectView::*enabled;
        bool ProjectView::*checked;
    };

    void BuildMenus();
    void BuildToolbar();
    void BuildPages();
    QWidget* PageFrame(IconId icon, const QString& heading, const QString& description,
                       const PageContent& page);
    QAction* AddCommand(QMenu* menu, const WindowCommand& command);
    void AddTool(const char* command, IconId icon, const QString& tip, const QString& name);
    void RenderWindow(const ProjectView& v);

    std::unique_ptr<ProjectWindow> core_;
    int running_ = 0;
    bool rendering_ = false;
    unsigned renderedRevision_ = 0;

    PropertiesPageForm props_{*this};
    SourcePageForm source_{*this};
    LevelsPageForm levels_{*this};
    BuildPageForm build_{*this};

    std::vector<Bound> bound_;
    std::array<QAction*, 5> mRecent_{};
    QAction* recentSeparator_ = nullptr;
    std::array<QAction*, 4> com_{};
    QToolBar* bToolbar_ = nullptr;
    QStackedWidget* gPages_ = nullptr;
    QLabel* pStatus_ = nullptr;
    std::vector<Counters> counters_;
};

}  // namespace gdl
