#include "Pmmain.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>
#include <exception>
#include <memory>
#include <utility>

#include "FormWidgets.h"
#include "Guarded.h"
#include "QtText.h"

namespace gdl {
namespace {

constexpr int kPageIconSize = 40;

// Indexes of gPages, in the order of Page.
constexpr int PageIndex(Page page) {
    return static_cast<int>(page);
}

}  // namespace

TfProj::TfProj(const EditorPorts& ports, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("fProj"));
    core_ =
        std::make_unique<ProjectWindow>(ports.registry, ports.runner, ports.prompts, ports.dialogs,
                                        ports.sound, ports.random, ports.programFolder, [this] {
                                            // The core is in the middle of a long command: show its
                                            // progress and let the window paint. User input that
                                            // arrives now is dropped by Forward, as a click on a
                                            // busy window would be.
                                            if (View().revision != renderedRevision_) Render();
                                            QCoreApplication::processEvents();
                                        });
    setWindowTitle(QString::fromLatin1(kAppTitle));
    setWindowIcon(MakeIcon(IconId::App));

    BuildMenus();
    BuildToolbar();
    BuildPages();

    pStatus_ = new QLabel(this);
    pStatus_->setObjectName(QStringLiteral("pStatus"));
    pStatus_->setTextFormat(Qt::PlainText);
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->setSizeGripEnabled(false);
    statusBar()->addWidget(pStatus_, 1);

    Render();

    // A fixed border: the layouts decide the size once, the user never does.
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    adjustSize();
    setFixedSize(size());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

TfProj::~TfProj() = default;

// ---------------------------------------------------------------------------
// Construction

QAction* TfProj::MenuAction(QMenu* menu, const QString& text, const QString& name, Handler click) {
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    if (click) connect(action, &QAction::triggered, this, click);
    return action;
}

QAction* TfProj::ToolAction(IconId icon, const QString& tip, const QString& name, Handler click) {
    QAction* action = bToolbar_->addAction(MakeIcon(icon), tip);
    action->setToolTip(tip);
    action->setObjectName(name + QStringLiteral("Action"));
    if (QWidget* button = bToolbar_->widgetForAction(action)) button->setObjectName(name);
    connect(action, &QAction::triggered, this, click);
    return action;
}

void TfProj::BuildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    MenuAction(file, QStringLiteral("&New Project..."), QStringLiteral("NewProject1"),
               &TfProj::bNewClick)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    MenuAction(file, QStringLiteral("&Open Project..."), QStringLiteral("OpenProject1"),
               &TfProj::bOpenClick)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    mergeProject1_ = MenuAction(file, QStringLiteral("&Merge Project..."),
                                QStringLiteral("MergeProject1"), &TfProj::bMergeClick);
    mergeProject1_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    saveProject1_ = MenuAction(file, QStringLiteral("&Save Project"),
                               QStringLiteral("SaveProject1"), &TfProj::bSaveClick);
    saveProject1_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    file->addSeparator()->setObjectName(QStringLiteral("N1"));
    for (int i = 0; i < 5; ++i) {
        const QString name = QStringLiteral("mRecent%1").arg(i + 1);
        mRecent_[static_cast<std::size_t>(i)] = MenuAction(file, name, name);
        mRecent_[static_cast<std::size_t>(i)]->setVisible(false);
        connect(mRecent_[static_cast<std::size_t>(i)], &QAction::triggered, this,
                [this, i] { mRecentClick(i + 1); });
    }
    recentSeparator_ = file->addSeparator();
    recentSeparator_->setObjectName(QStringLiteral("N2"));
    recentSeparator_->setVisible(false);
    MenuAction(file, QStringLiteral("E&xit"), QStringLiteral("Exit1"), &TfProj::bCloseClick);

    QMenu* project = menuBar()->addMenu(QStringLiteral("&Project"));
    project->setObjectName(QStringLiteral("Project1"));
    projectProperties1_ = MenuAction(project, QStringLiteral("Project &Properties"),
                                     QStringLiteral("ProjectProperties1"), &TfProj::bPropsClick);
    sourceLevels1_ = MenuAction(project, QStringLiteral("&Source Levels"),
                                QStringLiteral("SourceLevels1"), &TfProj::bSourceClick);
    levelSet1_ = MenuAction(project, QStringLiteral("&Level Set"), QStringLiteral("LevelSet1"),
                            &TfProj::bLevelsClick);
    project->addSeparator();
    buildLevelSet1_ = MenuAction(project, QStringLiteral("&Build Level Set"),
                                 QStringLiteral("BuildLevelSet1"), &TfProj::bBuildClick);
    mPlaytest_ = MenuAction(project, QStringLiteral("Play&test Level Set"),
                            QStringLiteral("mPlaytest"), &TfProj::bPlaytestClick);

    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("Options1"));
    auto* ports = new QActionGroup(this);
    ports->setExclusive(true);
    for (int i = 0; i < 4; ++i) {
        QAction* com = MenuAction(options, QStringLiteral("Com &%1").arg(i + 1),
                                  QStringLiteral("Com%1").arg(i + 1) + u'1');
        com->setCheckable(true);
        ports->addAction(com);
        com_[static_cast<std::size_t>(i)] = com;
        connect(com, &QAction::triggered, this, [this, i] { ComClick(i + 1); });
    }
    options->addSeparator();
    QMenu* automation = options->addMenu(QStringLiteral("&Automation"));
    automation->setObjectName(QStringLiteral("Automation1"));
    includeLevels1_ = MenuAction(automation, QStringLiteral("&Include Levels"),
                                 QStringLiteral("IncludeLevels1"), &TfProj::IncludeLevels1Click);
    populateDesigner1_ =
        MenuAction(automation, QStringLiteral("&Populate Designer"),
                   QStringLiteral("PopulateDesigner1"), &TfProj::PopulateDesigner1Click);
    generatePassword1_ =
        MenuAction(automation, QStringLiteral("&Generate Password"),
                   QStringLiteral("GeneratePassword1"), &TfProj::GeneratePassword1Click);
    for (QAction* option : {includeLevels1_, populateDesigner1_, generatePassword1_}) {
        option->setCheckable(true);
    }

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    MenuAction(help, QStringLiteral("&Index"), QStringLiteral("Index1"), &TfProj::bHelpClick)
        ->setShortcut(QKeySequence(Qt::Key_F1));
    MenuAction(help, QStringLiteral("&About"), QStringLiteral("About1"), &TfProj::About1Click)
        ->setShortcut(QKeySequence(Qt::Key_F2));
}

void TfProj::BuildToolbar() {
    bToolbar_ = addToolBar(QStringLiteral("Tools"));
    bToolbar_->setObjectName(QStringLiteral("bToolbar"));
    bToolbar_->setMovable(false);
    bToolbar_->setFloatable(false);
    bToolbar_->setIconSize(QSize(24, 24));
    bToolbar_->toggleViewAction()->setEnabled(false);
    setContextMenuPolicy(Qt::NoContextMenu);

    ToolAction(IconId::NewProject, QStringLiteral("New Project"), QStringLiteral("bNew"),
               &TfProj::bNewClick);
    ToolAction(IconId::OpenProject, QStringLiteral("Open Project"), QStringLiteral("bOpen"),
               &TfProj::bOpenClick);
    tMerge_ = ToolAction(IconId::MergeProject, QStringLiteral("Merge Project"),
                         QStringLiteral("bMerge"), &TfProj::bMergeClick);
    tSave_ = ToolAction(IconId::SaveProject, QStringLiteral("Save Project"),
                        QStringLiteral("bSave"), &TfProj::bSaveClick);
    bToolbar_->addSeparator();
    tProps_ = ToolAction(IconId::Properties, QStringLiteral("Project Properties"),
                         QStringLiteral("bProps"), &TfProj::bPropsClick);
    tSource_ = ToolAction(IconId::Source, QStringLiteral("Source Levels"),
                          QStringLiteral("bSource"), &TfProj::bSourceClick);
    tLevels_ = ToolAction(IconId::Levels, QStringLiteral("Level Set"), QStringLiteral("bLevels"),
                          &TfProj::bLevelsClick);
    bToolbar_->addSeparator();
    tBuild_ = ToolAction(IconId::Build, QStringLiteral("Build Level Set"), QStringLiteral("bBuild"),
                         &TfProj::bBuildClick);
    tPlaytest_ = ToolAction(IconId::Playtest, QStringLiteral("Playtest Level Set"),
                            QStringLiteral("bPlaytest"), &TfProj::bPlaytestClick);
    bToolbar_->addSeparator();
    ToolAction(IconId::Help, QStringLiteral("Help"), QStringLiteral("bHelp"), &TfProj::bHelpClick);
    ToolAction(IconId::Exit, QStringLiteral("Exit"), QStringLiteral("bClose"),
               &TfProj::bCloseClick);
}

QWidget* TfProj::PageFrame(IconId icon, const QString& heading, const QString& description,
                           const PageContent& content) {
    auto* page = new QWidget;
    auto* picture = MakePicture(page, IconPixmap(icon, kPageIconSize), QString());

    auto* title = new QLabel(heading, page);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.35);
    title->setFont(titleFont);
    auto* text = new QLabel(description, page);
    text->setWordWrap(true);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(title);
    texts->addWidget(text);
    texts->addStretch();

    auto* countersBox = new QFrame(page);
    countersBox->setFrameShape(QFrame::StyledPanel);
    countersBox->setFixedWidth(150);
    auto* countersLayout = new QVBoxLayout(countersBox);
    countersLayout->setContentsMargins(8, 4, 8, 4);
    countersLayout->setSpacing(1);
    countersLayout->addWidget(new QLabel(QStringLiteral("Level Set contains:"), countersBox));
    Counters counters;
    const int n = static_cast<int>(counters_.size()) + 1;
    counters.levels = new QLabel(countersBox);
    counters.levels->setObjectName(QStringLiteral("lLevels%1").arg(n));
    counters.hidden = new QLabel(countersBox);
    counters.hidden->setObjectName(QStringLiteral("lHidden%1").arg(n));
    for (QLabel* counter : {counters.levels, counters.hidden}) {
        counter->setIndent(10);
        countersLayout->addWidget(counter);
    }
    counters_.push_back(counters);

    auto* header = new QHBoxLayout;
    header->addWidget(picture, 0, Qt::AlignTop);
    header->addSpacing(6);
    header->addLayout(texts, 1);
    header->addSpacing(6);
    header->addWidget(countersBox, 0, Qt::AlignTop);

    auto* rule = new QFrame(page);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    auto* arrows = new QHBoxLayout;
    arrows->addStretch();
    for (QPushButton* arrow : {content.back, content.next}) {
        if (!arrow) continue;
        arrow->setParent(page);
        arrows->addWidget(arrow);
    }

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(header);
    layout->addWidget(rule);
    content.content->setParent(page);
    layout->addWidget(content.content, 1);
    layout->addLayout(arrows);
    return page;
}

void TfProj::BuildPages() {
    gPages_ = new QStackedWidget(this);
    gPages_->setObjectName(QStringLiteral("gPages"));
    gPages_->setMinimumWidth(740);

    auto* defaultPage = new QWidget;
    defaultPage->setObjectName(QStringLiteral("tDefault"));
    defaultPage->setAutoFillBackground(true);
    QPalette workspace = defaultPage->palette();
    workspace.setColor(QPalette::Window, workspace.color(QPalette::Mid));
    defaultPage->setPalette(workspace);
    gPages_->addWidget(defaultPage);

    QWidget* props = PageFrame(
        IconId::Properties, QStringLiteral("Project Properties"),
        QStringLiteral("On this page you can define all of the properties that apply to the "
                       "entire level set."),
        props_.Build());
    props->setObjectName(QStringLiteral("tProps"));
    gPages_->addWidget(props);
    QWidget* source = PageFrame(
        IconId::Source, QStringLiteral("Source Levels"),
        QStringLiteral("On this page you can add level source files to the project, edit "
                       "levels, and select which levels will be included in the level set."),
        source_.Build());
    source->setObjectName(QStringLiteral("tSource"));
    gPages_->addWidget(source);
    QWidget* levels = PageFrame(
        IconId::Levels, QStringLiteral("Level Set"),
        QStringLiteral("On this page you can select the order of the levels in the level set "
                       "and enter additional information about individual levels."),
        levels_.Build());
    levels->setObjectName(QStringLiteral("tLevels"));
    gPages_->addWidget(levels);
    QWidget* build = PageFrame(
        IconId::Build, QStringLiteral("Build Level Set"),
        QStringLiteral("On this page you can build the level set file that will be used by "
                       "the player software."),
        build_.Build());
    build->setObjectName(QStringLiteral("tBuild"));
    gPages_->addWidget(build);

    setCentralWidget(gPages_);
}

// ---------------------------------------------------------------------------
// Forwarding

void TfProj::Forward(const std::function<void(ProjectWindow&)>& command) {
    if (running_ > 0 || rendering_) return;
    struct Running {
        int& depth;
        explicit Running(int& d) : depth(d) { ++depth; }
        ~Running() { --depth; }
        Running(const Running&) = delete;
        Running& operator=(const Running&) = delete;
    };
    {
        Running running(running_);
        RunGuarded(this, [&] { command(*core_); });
    }
    Render();
    if (View().closeRequested) close();
}

void TfProj::closeEvent(QCloseEvent* event) {
    // A command is still running (a tool or the build, with the window
    // processing events): closing now would pull the project from under it.
    if (running_ > 0) {
        event->ignore();
        return;
    }
    bool close = false;
    Forward([&close](ProjectWindow& core) {
        close = core.FormCloseQuery();
        if (close) core.FormClose();
    });
    if (close) {
        event->accept();
    } else {
        event->ignore();
    }
}

void TfProj::FormActivate(const std::vector<std::string>& args) {
    Forward([&args](ProjectWindow& core) { core.FormActivate(args); });
}

void TfProj::mRecentClick(int n) {
    Forward([n](ProjectWindow& core) { core.mRecentClick(n); });
}
void TfProj::ComClick(int port) {
    Forward([port](ProjectWindow& core) { core.ComClick(port); });
}
// ---------------------------------------------------------------------------
// Rendering

void TfProj::Render() {
    if (rendering_) return;
    const ProjectView& v = View();
    rendering_ = true;
    RenderWindow(v);
    props_.Render(v.props);
    source_.Render(v.source);
    levels_.Render(v.levels);
    build_.Render(v.build);
    renderedRevision_ = v.revision;
    rendering_ = false;
}

void TfProj::RenderWindow(const ProjectView& v) {
    const QString caption = ToQString(v.caption);
    if (windowTitle() != caption) setWindowTitle(caption);
    SetText(pStatus_, DisplayText(v.statusText));
    if (gPages_->currentIndex() != PageIndex(v.page)) gPages_->setCurrentIndex(PageIndex(v.page));

    bToolbar_->setEnabled(v.toolbarEnabled);
    menuBar()->setEnabled(v.toolbarEnabled);
    for (QAction* a : {mergeProject1_, tMerge_}) a->setEnabled(v.mergeEnabled);
    for (QAction* a : {saveProject1_, tSave_}) a->setEnabled(v.saveEnabled);
    for (QAction* a : {projectProperties1_, tProps_}) a->setEnabled(v.propsEnabled);
    for (QAction* a : {sourceLevels1_, tSource_}) a->setEnabled(v.sourceEnabled);
    for (QAction* a : {levelSet1_, tLevels_}) a->setEnabled(v.levelsEnabled);
    for (QAction* a : {buildLevelSet1_, tBuild_}) a->setEnabled(v.buildEnabled);
    for (QAction* a : {mPlaytest_, tPlaytest_}) a->setEnabled(v.playtestEnabled);
    for (std::size_t i = 0; i < com_.size(); ++i) com_[i]->setChecked(v.comChecked[i]);
    includeLevels1_->setChecked(v.includeLevelsChecked);
    populateDesigner1_->setChecked(v.populateDesignerChecked);
    generatePassword1_->setChecked(v.generatePasswordChecked);
    for (std::size_t i = 0; i < mRecent_.size(); ++i) {
        const std::string& caption = v.recent[i].caption;
        // "&N " stays a mnemonic; an "&" in the path shows as itself.
        const std::size_t prefix = std::min<std::size_t>(3, caption.size());
        mRecent_[i]->setText(
            ToQString(std::string_view(caption).substr(0, prefix)) +
            EscapeMnemonics(DisplayText(std::string_view(caption).substr(prefix))));
        mRecent_[i]->setVisible(v.recent[i].visible);
    }
    recentSeparator_->setVisible(v.recentSeparatorVisible);

    const QString levels = ToQString(v.levelsCounter);
    const QString hidden = ToQString(v.hiddenCounter);
    for (const Counters& c : counters_) {
        SetText(c.levels, levels);
        SetText(c.hidden, hidden);
    }
}

}  // namespace gdl
