// TfProj, the project window: menu, tool bar, the four pages and the status
// line. It forwards each event to the core's handler of the same name and
// then shows the core's View().
#pragma once

#include <QMainWindow>
#include <array>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "Icons.h"
#include "ProjectWindow.h"

class QAction;
class QActionGroup;
class QCheckBox;
class QGridLayout;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStackedWidget;
class QToolBar;
class QToolButton;

namespace gdl {

class EditorDialogs;
class MemoEdit;
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

// The read-only level information boxes of a page.
struct LevelInfoBoxes {
    QLineEdit* name = nullptr;
    QLineEdit* size = nullptr;
    QLineEdit* time = nullptr;
    QLineEdit* quota = nullptr;
};

class TfProj : public QMainWindow {
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
    void eNameChange();
    void ePreDateChange();
    void eNoticeChange();
    void cCommentsChange();
    void cOffsetChange();
    void xAMusicClick(MusicMode mode);
    void eWizardChange();
    void bGenWizClick() { Call(&ProjectWindow::bGenWizClick); }
    // Source page.
    void cSourceClick();
    void cSourceDblClick() { Call(&ProjectWindow::cSourceDblClick); }
    void cContentsClick();
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
    void cLevelsClick();
    void cLevelsDblClick() { Call(&ProjectWindow::cLevelsDblClick); }
    void bUpClick() { Call(&ProjectWindow::bUpClick); }
    void bDownClick() { Call(&ProjectWindow::bDownClick); }
    void bTopClick() { Call(&ProjectWindow::bTopClick); }
    void bEndClick() { Call(&ProjectWindow::bEndClick); }
    void bRemoveClick() { Call(&ProjectWindow::bRemoveClick); }
    void bTestLClick() { Call(&ProjectWindow::bTestLClick); }
    void cDesignerChange(int index);
    void ePasswordChange();
    void eMusicChange();
    void bGenerateClick() { Call(&ProjectWindow::bGenerateClick); }
    void bMusicClick() { Call(&ProjectWindow::bMusicClick); }
    void bEditHintClick() { Call(&ProjectWindow::bEditHintClick); }
    void bDesignersClick() { Call(&ProjectWindow::bDesignersClick); }
    // Build page.
    void xBSFClick(bool checked);
    void xGLLClick(bool checked);
    void bDoBuildClick() { Call(&ProjectWindow::bDoBuildClick); }

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
    QWidget* BuildPropertiesPage();
    QWidget* BuildSourcePage();
    QWidget* BuildLevelsPage();
    QWidget* BuildBuildPage();
    QWidget* PageFrame(IconId icon, const QString& heading, const QString& description,
                       QWidget* content, QPushButton* back, QPushButton* next);
    using Handler = void (TfProj::*)();
    // A push button of a page, connected to its handler.
    struct ButtonSpec {
        const char* caption;
        const char* name;
        const char* tip;
        Handler click;
        QPushButton* TfProj::*button = nullptr;  // where ButtonGrid keeps it
    };
    QPushButton* CommandButton(QWidget* parent, const ButtonSpec& desc);
    // Makes the buttons and lays them out row by row, columns to a row.
    QGridLayout* ButtonGrid(QWidget* parent, int columns, std::initializer_list<ButtonSpec> buttons);
    QPushButton* ArrowButton(bool right, const QString& name, const QString& tip, Handler click);
    QAction* MenuAction(QMenu* menu, const QString& text, const QString& name,
                        Handler click = nullptr);
    QAction* ToolAction(IconId icon, const QString& tip, const QString& name, Handler click);

    // Runs one command of the core, never two at once: an event that arrives
    // while a tool or the build runs (the window keeps processing events) is
    // dropped. An escaping exception is shown and the window goes on. When the
    // core asks for the window to close, it is closed.
    template <class Command>
    void Forward(Command command);
    // Forward for a handler of the core that takes nothing from the window.
    void Call(void (ProjectWindow::*handler)());
    void ShowUnexpectedError(const QString& what);

    void RenderWindow(const ProjectView& v);
    void RenderProperties(const PropertiesPageView& v);
    void RenderSource(const SourcePageView& v);
    void RenderLevels(const LevelsPageView& v);
    void RenderBuild(const BuildPageView& v);

    std::unique_ptr<ProjectWindow> core_;
    int running_ = 0;
    bool rendering_ = false;
    unsigned renderedRevision_ = 0;

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

    // Properties page.
    QWidget* propsFields_ = nullptr;
    QLineEdit* eName_ = nullptr;
    QSpinBox* ePreDate_ = nullptr;
    QLineEdit* eNotice_ = nullptr;
    MemoEdit* cComments_ = nullptr;
    QSpinBox* cOffset_ = nullptr;
    QRadioButton* xAMusic_ = nullptr;
    QRadioButton* xRMusic_ = nullptr;
    QRadioButton* xMMusic_ = nullptr;
    QLineEdit* eWizard_ = nullptr;
    QPushButton* bNext1_ = nullptr;

    // Source page.
    QListWidget* cSource_ = nullptr;
    QListWidget* cContents_ = nullptr;
    QLabel* lLevelI_ = nullptr;
    QLabel* iUsage_ = nullptr;
    LevelInfoBoxes infoI_;
    QPushButton* bNewS_ = nullptr;
    QPushButton* bAddS_ = nullptr;
    QPushButton* bEditS_ = nullptr;
    QPushButton* bRemoveS_ = nullptr;
    QPushButton* bInclude_ = nullptr;
    QPushButton* bIncludeAll_ = nullptr;
    QPushButton* bExclude_ = nullptr;
    QPushButton* bExcludeAll_ = nullptr;

    // Level Set page.
    QListWidget* cLevels_ = nullptr;
    QLabel* lLevelR_ = nullptr;
    QLabel* iHidden_ = nullptr;
    LevelInfoBoxes infoR_;
    QComboBox* cDesigner_ = nullptr;
    QPushButton* bDesigners_ = nullptr;
    QLineEdit* ePassword_ = nullptr;
    QPushButton* bGenerate_ = nullptr;
    QSpinBox* eMusic_ = nullptr;
    QPushButton* bMusic_ = nullptr;
    QLabel* iTune_ = nullptr;
    QLabel* iHint_ = nullptr;
    QPushButton* bEditHint_ = nullptr;
    QPushButton* bUp_ = nullptr;
    QPushButton* bDown_ = nullptr;
    QPushButton* bTop_ = nullptr;
    QPushButton* bEnd_ = nullptr;
    QPushButton* bTestL_ = nullptr;
    QPushButton* bRemove_ = nullptr;

    // Build page.
    QLineEdit* eLevelSet_ = nullptr;
    QCheckBox* xBSF_ = nullptr;
    QCheckBox* xGLL_ = nullptr;
    QPushButton* bDoBuild_ = nullptr;
    QListWidget* cStatus_ = nullptr;
    QProgressBar* pBar_ = nullptr;
    QPushButton* bPrev4_ = nullptr;
};

}  // namespace gdl
