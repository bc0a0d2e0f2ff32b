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
    EditorPorts corePorts = ports;
    corePorts.changed = [this] {
        // The core is in the middle of a long command: show its progress and
        // let the window paint. User input that arrives now is dropped by
        // Forward, as a click on a busy window would be.
        if (View().revision != renderedRevision_) Render();
        QCoreApplication::processEvents();
    };
    core_ = std::make_unique<ProjectWindow>(corePorts);
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

QAction* TfProj::AddCommand(QMenu* menu, const WindowCommand& command) {
    QAction* action = menu->addAction(QString::fromLatin1(command.text));
    action->setObjectName(QString::fromLatin1(command.name));
    action->setShortcut(command.shortcut);
    action->setCheckable(command.checked != nullptr);
    connect(action, &QAction::triggered, this, [this, run = command.run] { Forward(run); });
    bound_.push_back({action, command.enabled, command.checked});
    return action;
}

// The tool bar button of a menu command: the same action, with an icon.
void TfProj::AddTool(const char* command, IconId icon, const QString& tip, const QString& name) {
    auto* action = findChild<QAction*>(QString::fromLatin1(command));
    action->setIcon(MakeIcon(icon));
    action->setIconVisibleInMenu(false);
    action->setToolTip(tip);
    bToolbar_->addAction(action);
    if (QWidget* button = bToolbar_->widgetForAction(action)) button->setObjectName(name);
}

void TfProj::BuildMenus() {
    using V = ProjectView;
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    for (const WindowCommand& c : {
             WindowCommand{"NewProject1", "&New Project...", On(&ProjectFiles::bNewClick), nullptr,
                           nullptr, QKeySequence(Qt::CTRL | Qt::Key_N)},
             WindowCommand{"OpenProject1", "&Open Project...", On(&ProjectFiles::bOpenClick),
                           nullptr, nullptr, QKeySequence(Qt::CTRL | Qt::Key_O)},
             WindowCommand{"MergeProject1", "&Merge Project...", On(&ProjectFiles::bMergeClick),
                           &V::mergeEnabled, nullptr, QKeySequence(Qt::CTRL | Qt::Key_M)},
             WindowCommand{"SaveProject1", "&Save Project", On(&ProjectFiles::bSaveClick),
                           &V::saveEnabled, nullptr, QKeySequence(Qt::CTRL | Qt::Key_S)},
         })
        AddCommand(file, c);
    file->addSeparator()->setObjectName(QStringLiteral("N1"));
    for (int n = 1; n <= 5; ++n) {
        const QByteArray name = QStringLiteral("mRecent%1").arg(n).toLatin1();
        QAction* recent = AddCommand(file, {name.constData(), name.constData(),
                                            [n](ProjectWindow& w) { w.Files().mRecentClick(n); }});
        recent->setVisible(false);
        mRecent_[static_cast<std::size_t>(n - 1)] = recent;
    }
    recentSeparator_ = file->addSeparator();
    recentSeparator_->setObjectName(QStringLiteral("N2"));
    recentSeparator_->setVisible(false);
    AddCommand(file, {"Exit1", "E&xit", On(&ProjectFiles::bCloseClick)});

    QMenu* project = menuBar()->addMenu(QStringLiteral("&Project"));
    project->setObjectName(QStringLiteral("Project1"));
    AddCommand(project, {"ProjectProperties1", "Project &Properties", On(&PageControl::bPropsClick),
                         &V::propsEnabled});
    AddCommand(project, {"SourceLevels1", "&Source Levels", On(&PageControl::bSourceClick),
                         &V::sourceEnabled});
    AddCommand(project,
               {"LevelSet1", "&Level Set", On(&PageControl::bLevelsClick), &V::levelsEnabled});
    project->addSeparator();
    AddCommand(project, {"BuildLevelSet1", "&Build Level Set", On(&PageControl::bBuildClick),
                         &V::buildEnabled});
    AddCommand(project, {"mPlaytest", "Play&test Level Set", On(&Playtest::bPlaytestClick),
                         &V::playtestEnabled});

    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("Options1"));
    auto* ports = new QActionGroup(this);
    ports->setExclusive(true);
    for (int n = 1; n <= 4; ++n) {
        const QByteArray name = (QStringLiteral("Com%1").arg(n) + u'1').toLatin1();
        const QByteArray text = QStringLiteral("Com &%1").arg(n).toLatin1();
        QAction* com = AddCommand(options, {name.constData(), text.constData(),
                                            [n](ProjectWindow& w) { w.Options().ComClick(n); }});
        com->setCheckable(true);
        ports->addAction(com);
        com_[static_cast<std::size_t>(n - 1)] = com;
    }
    options->addSeparator();
    QMenu* automation = options->addMenu(QStringLiteral("&Automation"));
    automation->setObjectName(QStringLiteral("Automation1"));
    AddCommand(automation,
               {"IncludeLevels1", "&Include Levels", On(&EditorOptions::IncludeLevels1Click),
                nullptr, &V::includeLevelsChecked});
    AddCommand(automation,
               {"PopulateDesigner1", "&Populate Designer",
                On(&EditorOptions::PopulateDesigner1Click), nullptr, &V::populateDesignerChecked});
    AddCommand(automation,
               {"GeneratePassword1", "&Generate Password",
                On(&EditorOptions::GeneratePassword1Click), nullptr, &V::generatePasswordChecked});

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    AddCommand(help, {"Index1", "&Index", On(&EditorOptions::bHelpClick), nullptr, nullptr,
                      QKeySequence(Qt::Key_F1)});
    AddCommand(help, {"About1", "&About", On(&EditorOptions::About1Click), nullptr, nullptr,
                      QKeySequence(Qt::Key_F2)});
}

void TfProj::BuildToolbar() {
    bToolbar_ = addToolBar(QStringLiteral("Tools"));
    bToolbar_->setObjectName(QStringLiteral("bToolbar"));
    bToolbar_->setMovable(false);
    bToolbar_->setFloatable(false);
    bToolbar_->setIconSize(QSize(24, 24));
    bToolbar_->toggleViewAction()->setEnabled(false);
    setContextMenuPolicy(Qt::NoContextMenu);

    AddTool("NewProject1", IconId::NewProject, QStringLiteral("New Project"),
            QStringLiteral("bNew"));
    AddTool("OpenProject1", IconId::OpenProject, QStringLiteral("Open Project"),
            QStringLiteral("bOpen"));
    AddTool("MergeProject1", IconId::MergeProject, QStringLiteral("Merge Project"),
            QStringLiteral("bMerge"));
    AddTool("SaveProject1", IconId::SaveProject, QStringLiteral("Save Project"),
            QStringLiteral("bSave"));
    bToolbar_->addSeparator();
    AddTool("ProjectProperties1", IconId::Properties, QStringLiteral("Project Properties"),
            QStringLiteral("bProps"));
    AddTool("SourceLevels1", IconId::Source, QStringLiteral("Source Levels"),
            QStringLiteral("bSource"));
    AddTool("LevelSet1", IconId::Levels, QStringLiteral("Level Set"), QStringLiteral("bLevels"));
    bToolbar_->addSeparator();
    AddTool("BuildLevelSet1", IconId::Build, QStringLiteral("Build Level Set"),
            QStringLiteral("bBuild"));
    AddTool("mPlaytest", IconId::Playtest, QStringLiteral("Playtest Level Set"),
            QStringLiteral("bPlaytest"));
    bToolbar_->addSeparator();
    AddTool("Index1", IconId::Help, QStringLiteral("Help"), QStringLiteral("bHelp"));
    AddTool("Exit1", IconId::Exit, QStringLiteral("Exit"), QStringLiteral("bClose"));
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

    struct PageOf {
        const char* name;
        IconId icon;
        const char* heading;
        const char* description;
        PageContent content;
    };
    for (const PageOf& p : {
             PageOf{"tProps", IconId::Properties, "Project Properties",
                    "On this page you can define all of the properties that apply to the entire "
                    "level set.",
                    props_.Build()},
             PageOf{"tSource", IconId::Source, "Source Levels",
                    "On this page you can add level source files to the project, edit levels, "
                    "and select which levels will be included in the level set.",
                    source_.Build()},
             PageOf{"tLevels", IconId::Levels, "Level Set",
                    "On this page you can select the order of the levels in the level set and "
                    "enter additional information about individual levels.",
                    levels_.Build()},
             PageOf{"tBuild", IconId::Build, "Build Level Set",
                    "On this page you can build the level set file that will be used by the "
                    "player software.",
                    build_.Build()},
         }) {
        QWidget* page = PageFrame(p.icon, QString::fromLatin1(p.heading),
                                  QString::fromLatin1(p.description), p.content);
        page->setObjectName(QString::fromLatin1(p.name));
        gPages_->addWidget(page);
    }

    setCentralWidget(gPages_);
}

void TfProj::Forward(const Command& command) {
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
        close = core.Files().FormCloseQuery();
        if (close) core.Files().FormClose();
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
    for (const Bound& b : bound_) {
        if (b.enabled) b.action->setEnabled(v.*b.enabled);
        if (b.checked) b.action->setChecked(v.*b.checked);
    }
    for (std::size_t i = 0; i < com_.size(); ++i) com_[i]->setChecked(v.comChecked[i]);
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
