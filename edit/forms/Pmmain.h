// TfProj, the project window: menu, tool bar, the four pages and the status
// line. It forwards each event to the core's handler of the same name and
// then shows the core's View().
#pragma once

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

class EditorDialogs;
class Prompts;
class Random;
class Registry;
class SoundPlayer;
class ToolRunner;

// The outside world as the window sees it.
struct EditorPorts {
    Registry& registry;
    ToolRunner& runner;
    Prompts& prompts;
    EditorDialogs& dialogs;
    SoundPlayer& sound;
    Random& random;
    std::string programFolder;  // trailing "/"
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

    // File menu and tool bar.
    void bNewClick() { Call(&ProjectWindow::bNewClick); }
    void bOpenClick() { Call(&ProjectWindow::bOpenClick); }
    void mRecentClick(int n);
    void bSaveClick() { Call(&ProjectWindow::bSaveClick); }
    void bMergeClick() { Call(&ProjectWindow::bMergeClick); }
    void bCloseClick() { Call(&ProjectWindow::bCloseClick); }
    // Project menu, tool bar and the arrow buttons.
    void bPropsClick() { Call(&ProjectWindow::bPropsClick); }
    void bSourceClick() { Call(&ProjectWindow::bSourceClick); }
    void bLevelsClick() { Call(&ProjectWindow::bLevelsClick); }
    void bBuildClick() { Call(&ProjectWindow::bBuildClick); }
    void bPlaytestClick() { Call(&ProjectWindow::bPlaytestClick); }
    // Options and Help menus.
    void ComClick(int port);
    void IncludeLevels1Click() { Call(&ProjectWindow::IncludeLevels1Click); }
    void PopulateDesigner1Click() { Call(&ProjectWindow::PopulateDesigner1Click); }
    void GeneratePassword1Click() { Call(&ProjectWindow::GeneratePassword1Click); }
    void bHelpClick() { Call(&ProjectWindow::bHelpClick); }
    void About1Click() { Call(&ProjectWindow::About1Click); }
    // Properties page.
    void eNameChange() { props_.eNameChange(); }
    void ePreDateChange() { props_.ePreDateChange(); }
    void eNoticeChange() { props_.eNoticeChange(); }
    void cCommentsChange() { props_.cCommentsChange(); }
    void cOffsetChange() { props_.cOffsetChange(); }
    void xAMusicClick(MusicMode mode) { props_.xAMusicClick(mode); }
    void eWizardChange() { props_.eWizardChange(); }
    void bGenWizClick() { Call(&ProjectWindow::bGenWizClick); }
    // Source page.
    void cSourceClick() { source_.cSourceClick(); }
    void cSourceDblClick() { Call(&ProjectWindow::cSourceDblClick); }
    void cContentsClick() { source_.cContentsClick(); }
    void cContentsDblClick() { Call(&ProjectWindow::cContentsDblClick); }
    void bNewSClick() { Call(&ProjectWindow::bNewSClick); }
    void bAddSClick() { Call(&ProjectWindow::bAddSClick); }
    void bEditSClick() { Call(&ProjectWindow::bEditSClick); }
    void bRemoveSClick() { Call(&ProjectWindow::bRemoveSClick); }
    void bIncludeClick() { Call(&ProjectWindow::bIncludeClick); }
    void bIncludeAllClick() { Call(&ProjectWindow::bIncludeAllClick); }
    void bExcludeClick() { Call(&ProjectWindow::bExcludeClick); }
    void bExcludeAllClick() { Call(&ProjectWindow::bExcludeAllClick); }
    // Level Set page.
    void cLevelsClick() { levels_.cLevelsClick(); }
    void cLevelsDblClick() { Call(&ProjectWindow::cLevelsDblClick); }
    void bUpClick() { Call(&ProjectWindow::bUpClick); }
    void bDownClick() { Call(&ProjectWindow::bDownClick); }
    void bTopClick() { Call(&ProjectWindow::bTopClick); }
    void bEndClick() { Call(&ProjectWindow::bEndClick); }
    void bRemoveClick() { Call(&ProjectWindow::bRemoveClick); }
    void bTestLClick() { Call(&ProjectWindow::bTestLClick); }
    void cDesignerChange(int index) { levels_.cDesignerChange(index); }
    void ePasswordChange() { levels_.ePasswordChange(); }
    void eMusicChange() { levels_.eMusicChange(); }
    void bGenerateClick() { Call(&ProjectWindow::bGenerateClick); }
    void bMusicClick() { Call(&ProjectWindow::bMusicClick); }
    void bEditHintClick() { Call(&ProjectWindow::bEditHintClick); }
    void bDesignersClick() { Call(&ProjectWindow::bDesignersClick); }
    // Build page.
    void xBSFClick(bool checked) { build_.xBSFClick(checked); }
    void xGLLClick(bool checked) { build_.xGLLClick(checked); }
    void bDoBuildClick() { Call(&ProjectWindow::bDoBuildClick); }

    // Runs one command of the core, never two at once: an event that arrives
    // while a tool or the build runs (the window keeps processing events) is
    // dropped. An escaping exception is shown and the window goes on. When the
    // core asks for the window to close, it is closed.
    void Forward(const std::function<void(ProjectWindow&)>& command) override;

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

    void BuildMenus();
    void BuildToolbar();
    void BuildPages();
    QWidget* PageFrame(IconId icon, const QString& heading, const QString& description,
                       const PageContent& page);
    using Handler = void (TfProj::*)();
    QAction* MenuAction(QMenu* menu, const QString& text, const QString& name,
                        Handler click = nullptr);
    QAction* ToolAction(IconId icon, const QString& tip, const QString& name, Handler click);
    void RenderWindow(const ProjectView& v);

    std::unique_ptr<ProjectWindow> core_;
    int running_ = 0;
    bool rendering_ = false;
    unsigned renderedRevision_ = 0;

    PropertiesPageForm props_{*this};
    SourcePageForm source_{*this};
    LevelsPageForm levels_{*this};
    BuildPageForm build_{*this};

    // Menu items and tool buttons, under their control names.
    QAction* mergeProject1_ = nullptr;
    QAction* saveProject1_ = nullptr;
    std::array<QAction*, 5> mRecent_{};
    QAction* recentSeparator_ = nullptr;
    QAction* projectProperties1_ = nullptr;
    QAction* sourceLevels1_ = nullptr;
    QAction* levelSet1_ = nullptr;
    QAction* buildLevelSet1_ = nullptr;
    QAction* mPlaytest_ = nullptr;
    std::array<QAction*, 4> com_{};
    QAction* includeLevels1_ = nullptr;
    QAction* populateDesigner1_ = nullptr;
    QAction* generatePassword1_ = nullptr;
    QToolBar* bToolbar_ = nullptr;
    QAction* tMerge_ = nullptr;
    QAction* tSave_ = nullptr;
    QAction* tProps_ = nullptr;
    QAction* tSource_ = nullptr;
    QAction* tLevels_ = nullptr;
    QAction* tBuild_ = nullptr;
    QAction* tPlaytest_ = nullptr;

    QStackedWidget* gPages_ = nullptr;
    QLabel* pStatus_ = nullptr;
    std::vector<Counters> counters_;
};

}  // namespace gdl
