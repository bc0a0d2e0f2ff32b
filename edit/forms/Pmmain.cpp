#include "Pmmain.h"

#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <array>
#include <exception>
#include <memory>
#include <utility>

#include "FormWidgets.h"
#include "QtText.h"

namespace gdl {
namespace {

constexpr int kPageIconSize = 40;

// Indexes of gPages, in the order of Page.
constexpr int PageIndex(Page page) {
    return static_cast<int>(page);
}

QLabel* Caption(const QString& text, QWidget* parent, QWidget* buddy = nullptr) {
    auto* label = new QLabel(text, parent);
    if (buddy) label->setBuddy(buddy);
    return label;
}

// A box the user cannot type into, painted in the window's colour so that it
// does not invite typing.
QLineEdit* ReadOnlyBox(QWidget* parent, const QString& name, int width = 0) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::ClickFocus);
    QPalette look = box->palette();
    look.setColor(QPalette::Base, look.color(QPalette::Window));
    box->setPalette(look);
    if (width > 0) box->setFixedWidth(width);
    return box;
}

QPushButton* Button(QWidget* parent, const QString& caption, const QString& name,
                    const QString& tip = {}) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    if (!tip.isEmpty()) button->setToolTip(tip);
    return button;
}

QListWidget* List(QWidget* parent, const QString& name) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(true);
    return list;
}

QLineEdit* CodeBox(QWidget* parent, const QString& name) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setMaxLength(static_cast<int>(kMaxCodeLength));
    box->setValidator(new UpperCaseValidator(box));
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("WWWW")) + 16);
    return box;
}

void SetText(QLineEdit* box, const QString& text) {
    if (box->text() != text) box->setText(text);
}

void SetText(QLabel* label, const QString& text) {
    if (label->text() != text) label->setText(text);
}

void SetValue(QSpinBox* box, int value) {
    if (box->value() != value) box->setValue(value);
}

// Room between fields that share a row; the style's own spacing is none here.
constexpr int kRowSpacing = 6;

// Widgets side by side, kept to the left.
QHBoxLayout* LeftRow(std::initializer_list<QWidget*> widgets) {
    auto* row = new QHBoxLayout;
    row->setSpacing(kRowSpacing);
    for (QWidget* widget : widgets) row->addWidget(widget);
    row->addStretch();
    return row;
}

// The level label beside "Level:".
QLabel* LevelNumber(QWidget* parent, const QString& name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setMinimumWidth(60);
    return label;
}

// eName, eSize, eTime and eQuota followed by the page's letter.
LevelInfoBoxes MakeInfoBoxes(QWidget* parent, QChar page) {
    return {ReadOnlyBox(parent, QStringLiteral("eName") + page),
            ReadOnlyBox(parent, QStringLiteral("eSize") + page, 70),
            ReadOnlyBox(parent, QStringLiteral("eTime") + page, 70),
            ReadOnlyBox(parent, QStringLiteral("eQuota") + page, 70)};
}

// The three number boxes under their captions.
std::array<std::pair<QString, QLineEdit*>, 3> Numbers(const LevelInfoBoxes& boxes) {
    return {{{QStringLiteral("Size:"), boxes.size},
             {QStringLiteral("Time:"), boxes.time},
             {QStringLiteral("Quota:"), boxes.quota}}};
}

void ShowInfo(const LevelInfoBoxes& boxes, const std::string& name, const std::string& size,
              const std::string& time, const std::string& quota) {
    SetText(boxes.name, ToQString(name));
    SetText(boxes.size, ToQString(size));
    SetText(boxes.time, ToQString(time));
    SetText(boxes.quota, ToQString(quota));
}

QPixmap UsagePixmap(UsageIcon usage) {
    switch (usage) {
        case UsageIcon::Included:
            return IconPixmap(IconId::Included, 20);
        case UsageIcon::NotIncluded:
            return IconPixmap(IconId::NotIncluded, 20);
        case UsageIcon::Error:
            return IconPixmap(IconId::InfoError, 20);
        case UsageIcon::None:
            break;
    }
    return {};
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

QPushButton* TfProj::CommandButton(QWidget* parent, const ButtonSpec& desc) {
    QPushButton* button = Button(parent, QString::fromLatin1(desc.caption),
                                 QString::fromLatin1(desc.name), QString::fromLatin1(desc.tip));
    connect(button, &QPushButton::clicked, this, desc.click);
    return button;
}

QGridLayout* TfProj::ButtonGrid(QWidget* parent, int columns,
                                std::initializer_list<ButtonSpec> buttons) {
    auto* grid = new QGridLayout;
    int i = 0;
    for (const ButtonSpec& desc : buttons) {
        QPushButton* button = CommandButton(parent, desc);
        this->*desc.button = button;
        grid->addWidget(button, i / columns, i % columns);
        ++i;
    }
    return grid;
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

QPushButton* TfProj::ArrowButton(bool right, const QString& name, const QString& tip,
                                 Handler click) {
    auto* button = Button(nullptr, QString(), name, tip);
    button->setIcon(MakeIcon(right ? IconId::ArrowRight : IconId::ArrowLeft));
    button->setIconSize(QSize(20, 20));
    button->setFixedSize(36, 28);
    connect(button, &QPushButton::clicked, this, click);
    return button;
}

QWidget* TfProj::PageFrame(IconId icon, const QString& heading, const QString& description,
                           QWidget* content, QPushButton* back, QPushButton* next) {
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
    for (QPushButton* arrow : {back, next}) {
        if (!arrow) continue;
        arrow->setParent(page);
        arrows->addWidget(arrow);
    }

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(header);
    layout->addWidget(rule);
    content->setParent(page);
    layout->addWidget(content, 1);
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

    QWidget* props = BuildPropertiesPage();
    props->setObjectName(QStringLiteral("tProps"));
    gPages_->addWidget(props);
    QWidget* source = BuildSourcePage();
    source->setObjectName(QStringLiteral("tSource"));
    gPages_->addWidget(source);
    QWidget* levels = BuildLevelsPage();
    levels->setObjectName(QStringLiteral("tLevels"));
    gPages_->addWidget(levels);
    QWidget* build = BuildBuildPage();
    build->setObjectName(QStringLiteral("tBuild"));
    gPages_->addWidget(build);

    setCentralWidget(gPages_);
}

QWidget* TfProj::BuildPropertiesPage() {
    propsFields_ = new QWidget;
    propsFields_->setObjectName(QStringLiteral("propsFields"));

    eName_ = new QLineEdit(propsFields_);
    eName_->setObjectName(QStringLiteral("eName"));
    eName_->setMaxLength(static_cast<int>(kMaxNameLength));
    auto* eCopyright = ReadOnlyBox(propsFields_, QStringLiteral("eCopyright"));
    eCopyright->setText(QStringLiteral("Copyright \u00A9"));
    eCopyright->setFixedWidth(eCopyright->fontMetrics().horizontalAdvance(eCopyright->text()) + 16);
    ePreDate_ = new QSpinBox(propsFields_);
    ePreDate_->setObjectName(QStringLiteral("ePreDate"));
    ePreDate_->setRange(0, kMaxYear);
    ePreDate_->setValue(2000);
    eNotice_ = new QLineEdit(propsFields_);
    eNotice_->setObjectName(QStringLiteral("eNotice"));
    eNotice_->setMaxLength(static_cast<int>(kMaxNoticeLength));
    cComments_ = new MemoEdit(static_cast<int>(kMaxCommentsLength), propsFields_);
    cComments_->setObjectName(QStringLiteral("cComments"));
    cComments_->setFixedHeight(cComments_->fontMetrics().lineSpacing() * 5 + 12);
    cOffset_ = new QSpinBox(propsFields_);
    cOffset_->setObjectName(QStringLiteral("cOffset"));
    cOffset_->setRange(0, static_cast<int>(kMaxProjectEntries));
    cOffset_->setFixedWidth(80);
    struct MusicChoice {
        QRadioButton*& button;
        const char* caption;
        const char* name;
        MusicMode mode;
    };
    auto* musicGroup = new QButtonGroup(propsFields_);
    auto* musicRow = new QHBoxLayout;
    for (const MusicChoice& choice :
         {MusicChoice{xAMusic_, "&Automatic", "xAMusic", MusicMode::Automatic},
          MusicChoice{xRMusic_, "&Random", "xRMusic", MusicMode::Random},
          MusicChoice{xMMusic_, "&Manual", "xMMusic", MusicMode::Manual}}) {
        choice.button = new QRadioButton(QString::fromLatin1(choice.caption), propsFields_);
        choice.button->setObjectName(QString::fromLatin1(choice.name));
        musicGroup->addButton(choice.button);
        const MusicMode mode = choice.mode;
        connect(choice.button, &QRadioButton::clicked, this, [this, mode] { xAMusicClick(mode); });
        if (musicRow->count() > 0) musicRow->addSpacing(12);
        musicRow->addWidget(choice.button);
    }
    musicRow->addStretch();
    xAMusic_->setChecked(true);
    eWizard_ = CodeBox(propsFields_, QStringLiteral("eWizard"));
    QPushButton* bGenWiz = CommandButton(
        propsFields_,
        {"&Generate", "bGenWiz", "Generate Wizard Mode Password", &TfProj::bGenWizClick});

    auto* noticeRow = new QHBoxLayout;
    noticeRow->setSpacing(kRowSpacing);
    noticeRow->addWidget(eCopyright);
    noticeRow->addWidget(ePreDate_);
    noticeRow->addWidget(eNotice_, 1);

    auto* grid = new QGridLayout(propsFields_);
    grid->setContentsMargins(0, 6, 0, 0);
    grid->setVerticalSpacing(10);
    int row = 0;
    grid->addWidget(Caption(QStringLiteral("Project &Name:"), propsFields_, eName_), row, 0);
    grid->addWidget(eName_, row++, 1);
    grid->addWidget(Caption(QStringLiteral("N&otice:"), propsFields_, eNotice_), row, 0);
    grid->addLayout(noticeRow, row++, 1);
    grid->addWidget(Caption(QStringLiteral("&Comments:"), propsFields_, cComments_), row, 0,
                    Qt::AlignTop);
    grid->addWidget(cComments_, row++, 1);
    grid->addWidget(Caption(QStringLiteral("Hidden &Levels:"), propsFields_, cOffset_), row, 0);
    grid->addLayout(LeftRow({cOffset_}), row++, 1);
    grid->addWidget(Caption(QStringLiteral("M&usic:"), propsFields_, xAMusic_), row, 0);
    grid->addLayout(musicRow, row++, 1);
    grid->addWidget(Caption(QStringLiteral("&Wizard Mode:"), propsFields_, eWizard_), row, 0);
    grid->addLayout(LeftRow({eWizard_, bGenWiz}), row++, 1);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);

    connect(eName_, &QLineEdit::textEdited, this, &TfProj::eNameChange);
    connect(ePreDate_, &QSpinBox::valueChanged, this, &TfProj::ePreDateChange);
    connect(eNotice_, &QLineEdit::textEdited, this, &TfProj::eNoticeChange);
    connect(cComments_, &MemoEdit::textEdited, this, &TfProj::cCommentsChange);
    connect(cOffset_, &QSpinBox::valueChanged, this, &TfProj::cOffsetChange);
    connect(eWizard_, &QLineEdit::textEdited, this, &TfProj::eWizardChange);

    bNext1_ = ArrowButton(true, QStringLiteral("bNext1"), QStringLiteral("Source Levels Page"),
                          &TfProj::bSourceClick);
    return PageFrame(IconId::Properties, QStringLiteral("Project Properties"),
                     QStringLiteral("On this page you can define all of the properties that "
                                    "apply to the entire level set."),
                     propsFields_, nullptr, bNext1_);
}

QWidget* TfProj::BuildSourcePage() {
    auto* content = new QWidget;

    cSource_ = List(content, QStringLiteral("cSource"));
    cContents_ = List(content, QStringLiteral("cContents"));
    QGridLayout* sourceButtons = ButtonGrid(
        content, 2,
        {{"&New", "bNewS", "Create New Source", &TfProj::bNewSClick, &TfProj::bNewS_},
         {"&Add", "bAddS", "Add Source to Project", &TfProj::bAddSClick, &TfProj::bAddS_},
         {"&Edit", "bEditS", "Edit Source", &TfProj::bEditSClick, &TfProj::bEditS_},
         {"&Remove", "bRemoveS", "Remove Source from Project", &TfProj::bRemoveSClick,
          &TfProj::bRemoveS_}});
    QGridLayout* levelButtons =
        ButtonGrid(content, 2,
                   {{"&Include", "bInclude", "Include Level in Level Set", &TfProj::bIncludeClick,
                     &TfProj::bInclude_},
                    {"In&clude All", "bIncludeAll", "Include All Levels in Level Set",
                     &TfProj::bIncludeAllClick, &TfProj::bIncludeAll_},
                    {"E&xclude", "bExclude", "Exclude Level from Level Set", &TfProj::bExcludeClick,
                     &TfProj::bExclude_},
                    {"Exc&lude All", "bExcludeAll", "Exclude All Levels from Level Set",
                     &TfProj::bExcludeAllClick, &TfProj::bExcludeAll_}});

    auto* sourceColumn = new QVBoxLayout;
    sourceColumn->addWidget(Caption(QStringLiteral("Source Files:"), content));
    sourceColumn->addWidget(cSource_, 1);
    sourceColumn->addLayout(sourceButtons);
    auto* levelColumn = new QVBoxLayout;
    levelColumn->addWidget(Caption(QStringLiteral("Levels in Source:"), content));
    levelColumn->addWidget(cContents_, 1);
    levelColumn->addLayout(levelButtons);

    auto* details = new QGroupBox(QStringLiteral("Level"), content);
    lLevelI_ = LevelNumber(details, QStringLiteral("lLevelI"));
    iUsage_ = MakePicture(details, IconPixmap(IconId::NotIncluded, 20), QStringLiteral("iUsage"));
    iUsage_->hide();
    infoI_ = MakeInfoBoxes(details, u'I');
    auto* form = new QGridLayout(details);
    int row = 0;
    form->addWidget(Caption(QStringLiteral("Level:"), details), row, 0);
    form->addLayout(LeftRow({lLevelI_, iUsage_}), row++, 1);
    form->addWidget(Caption(QStringLiteral("Name:"), details), row, 0);
    form->addWidget(infoI_.name, row++, 1);
    for (const auto& [caption, box] : Numbers(infoI_)) {
        form->addWidget(Caption(caption, details), row, 0);
        form->addWidget(box, row++, 1, Qt::AlignLeft);
    }
    form->setRowStretch(row, 1);
    details->setFixedWidth(210);

    auto* layout = new QHBoxLayout(content);
    layout->setContentsMargins(0, 6, 0, 0);
    layout->addLayout(sourceColumn, 1);
    layout->addLayout(levelColumn, 1);
    layout->addWidget(details);

    ConnectListClick(cSource_, this, [this] { cSourceClick(); });
    connect(cSource_, &QListWidget::itemDoubleClicked, this, &TfProj::cSourceDblClick);
    ConnectListClick(cContents_, this, [this] { cContentsClick(); });
    connect(cContents_, &QListWidget::itemDoubleClicked, this, &TfProj::cContentsDblClick);

    auto* bPrev2 = ArrowButton(false, QStringLiteral("bPrev2"),
                               QStringLiteral("Project Properties Page"), &TfProj::bPropsClick);
    auto* bNext2 = ArrowButton(true, QStringLiteral("bNext2"), QStringLiteral("Level Set Page"),
                               &TfProj::bLevelsClick);
    return PageFrame(IconId::Source, QStringLiteral("Source Levels"),
                     QStringLiteral("On this page you can add level source files to the project, "
                                    "edit levels, and select which levels will be included in "
                                    "the level set."),
                     content, bPrev2, bNext2);
}

QWidget* TfProj::BuildLevelsPage() {
    auto* content = new QWidget;

    cLevels_ = List(content, QStringLiteral("cLevels"));
    QGridLayout* listButtons =
        ButtonGrid(content, 3,
                   {{"&Up", "bUp", "Move Level Up", &TfProj::bUpClick, &TfProj::bUp_},
                    {"&Down", "bDown", "Move Level Down", &TfProj::bDownClick, &TfProj::bDown_},
                    {"&Test", "bTestL", "Test Level", &TfProj::bTestLClick, &TfProj::bTestL_},
                    {"T&op", "bTop", "Move Level to Top", &TfProj::bTopClick, &TfProj::bTop_},
                    {"E&nd", "bEnd", "Move Level to End", &TfProj::bEndClick, &TfProj::bEnd_},
                    {"&Remove", "bRemove", "Remove Level from Level Set", &TfProj::bRemoveClick,
                     &TfProj::bRemove_}});
    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(Caption(QStringLiteral("Levels in Level Set:"), content));
    listColumn->addWidget(cLevels_, 1);
    listColumn->addLayout(listButtons);

    auto* details = new QGroupBox(QStringLiteral("Level"), content);
    lLevelR_ = LevelNumber(details, QStringLiteral("lLevelR"));
    iHidden_ = MakePicture(details, IconPixmap(IconId::Hidden, 20), QStringLiteral("iHidden"));
    iHidden_->setToolTip(
        QStringLiteral("This level can only be accessed by entering its password"));
    iHidden_->hide();
    infoR_ = MakeInfoBoxes(details, u'R');
    cDesigner_ = new QComboBox(details);
    cDesigner_->setObjectName(QStringLiteral("cDesigner"));
    cDesigner_->setEditable(false);
    cDesigner_->setMinimumContentsLength(16);
    cDesigner_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    bDesigners_ = CommandButton(details, {"&Add/Edit Designers", "bDesigners", "Add/Edit Designers",
                                          &TfProj::bDesignersClick});
    ePassword_ = CodeBox(details, QStringLiteral("ePassword"));
    bGenerate_ = CommandButton(
        details, {"&Generate", "bGenerate", "Generate Password", &TfProj::bGenerateClick});
    eMusic_ = new QSpinBox(details);
    eMusic_->setObjectName(QStringLiteral("eMusic"));
    eMusic_->setRange(0, kMaxMusic);
    eMusic_->setFixedWidth(64);
    bMusic_ = CommandButton(details,
                            {"Play &Music", "bMusic", "Play Selected Music", &TfProj::bMusicClick});
    bMusic_->setMinimumWidth(
        bMusic_->fontMetrics().horizontalAdvance(QStringLiteral("Stop Music")) + 24);
    iTune_ = MakePicture(details, IconPixmap(IconId::MusicNote, 22), QStringLiteral("iTune"));
    iTune_->hide();
    iHint_ = MakePicture(details, IconPixmap(IconId::HintNo, 24), QStringLiteral("iHint"));
    bEditHint_ =
        CommandButton(details, {"&Edit...", "bEditHint", "Edit Hint", &TfProj::bEditHintClick});

    auto* numbers = new QHBoxLayout;
    numbers->setSpacing(6);
    for (const auto& [caption, box] : Numbers(infoR_)) {
        if (numbers->count() > 0) numbers->addSpacing(8);
        numbers->addWidget(Caption(caption, details));
        numbers->addWidget(box);
    }
    numbers->addStretch();
    auto* designerRow = new QHBoxLayout;
    designerRow->setSpacing(kRowSpacing);
    designerRow->addWidget(cDesigner_, 1);
    designerRow->addWidget(bDesigners_);

    auto* form = new QGridLayout(details);
    form->setVerticalSpacing(8);
    int row = 0;
    form->addWidget(Caption(QStringLiteral("Level:"), details), row, 0);
    form->addLayout(LeftRow({lLevelR_, iHidden_}), row++, 1);
    form->addWidget(Caption(QStringLiteral("Name:"), details), row, 0);
    form->addWidget(infoR_.name, row++, 1);
    form->addLayout(numbers, row++, 0, 1, 2);
    auto* rule = new QFrame(details);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    form->addWidget(rule, row++, 0, 1, 2);
    form->addWidget(Caption(QStringLiteral("Designer:"), details), row, 0);
    form->addLayout(designerRow, row++, 1);
    form->addWidget(Caption(QStringLiteral("Password:"), details), row, 0);
    form->addLayout(LeftRow({ePassword_, bGenerate_}), row++, 1);
    form->addWidget(Caption(QStringLiteral("Music:"), details), row, 0);
    form->addLayout(LeftRow({eMusic_, bMusic_, iTune_}), row++, 1);
    form->addWidget(Caption(QStringLiteral("Hint:"), details), row, 0);
    form->addLayout(LeftRow({iHint_, bEditHint_}), row++, 1);
    form->setRowStretch(row, 1);
    form->setColumnStretch(1, 1);

    auto* layout = new QHBoxLayout(content);
    layout->setContentsMargins(0, 6, 0, 0);
    layout->addLayout(listColumn, 2);
    layout->addWidget(details, 3);

    ConnectListClick(cLevels_, this, [this] { cLevelsClick(); });
    connect(cLevels_, &QListWidget::itemDoubleClicked, this, &TfProj::cLevelsDblClick);
    connect(cDesigner_, &QComboBox::activated, this, &TfProj::cDesignerChange);
    connect(ePassword_, &QLineEdit::textEdited, this, &TfProj::ePasswordChange);
    connect(eMusic_, &QSpinBox::valueChanged, this, &TfProj::eMusicChange);

    auto* bPrev3 = ArrowButton(false, QStringLiteral("bPrev3"),
                               QStringLiteral("Source Levels Page"), &TfProj::bSourceClick);
    auto* bNext3 = ArrowButton(true, QStringLiteral("bNext3"),
                               QStringLiteral("Build Level Set Page"), &TfProj::bBuildClick);
    return PageFrame(IconId::Levels, QStringLiteral("Level Set"),
                     QStringLiteral("On this page you can select the order of the levels in the "
                                    "level set and enter additional information about individual "
                                    "levels."),
                     content, bPrev3, bNext3);
}

QWidget* TfProj::BuildBuildPage() {
    auto* content = new QWidget;

    eLevelSet_ = ReadOnlyBox(content, QStringLiteral("eLevelSet"));
    xBSF_ = new QCheckBox(QStringLiteral("Build in &Source Folder"), content);
    xBSF_->setObjectName(QStringLiteral("xBSF"));
    xGLL_ = new QCheckBox(QStringLiteral("&Generate Level List (text)"), content);
    xGLL_->setObjectName(QStringLiteral("xGLL"));
    bDoBuild_ = CommandButton(content, {"&Build", "bDoBuild", "", &TfProj::bDoBuildClick});
    bDoBuild_->setIcon(MakeIcon(IconId::Build));
    bDoBuild_->setMinimumWidth(90);
    cStatus_ = List(content, QStringLiteral("cStatus"));
    cStatus_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    cStatus_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    pBar_ = new QProgressBar(content);
    pBar_->setObjectName(QStringLiteral("pBar"));
    pBar_->setTextVisible(false);
    pBar_->setFixedHeight(14);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(Caption(QStringLiteral("Level Set File:"), content));
    fileRow->addWidget(eLevelSet_, 1);
    auto* optionsRow = new QHBoxLayout;
    auto* checks = new QVBoxLayout;
    checks->addWidget(xBSF_);
    checks->addWidget(xGLL_);
    optionsRow->addLayout(checks);
    optionsRow->addStretch();
    optionsRow->addWidget(bDoBuild_, 0, Qt::AlignBottom);

    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 6, 0, 0);
    layout->addLayout(fileRow);
    layout->addLayout(optionsRow);
    layout->addWidget(cStatus_, 1);
    layout->addWidget(pBar_);

    connect(xBSF_, &QCheckBox::clicked, this, &TfProj::xBSFClick);
    connect(xGLL_, &QCheckBox::clicked, this, &TfProj::xGLLClick);

    bPrev4_ = ArrowButton(false, QStringLiteral("bPrev4"), QStringLiteral("Level Set Page"),
                          &TfProj::bLevelsClick);
    return PageFrame(IconId::Build, QStringLiteral("Build Level Set"),
                     QStringLiteral("On this page you can build the level set file that will be "
                                    "used by the player software."),
                     content, bPrev4_, nullptr);
}

// ---------------------------------------------------------------------------
// Forwarding

template <class Command>
void TfProj::Forward(Command command) {
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
        try {
            command(*core_);
        } catch (const std::exception& e) {
            ShowUnexpectedError(QString::fromLocal8Bit(e.what()));
        } catch (...) {
            ShowUnexpectedError(QStringLiteral("An unknown error occurred."));
        }
    }
    Render();
    if (View().closeRequested) close();
}

void TfProj::Call(void (ProjectWindow::*handler)()) {
    Forward([handler](ProjectWindow& core) { (core.*handler)(); });
}

void TfProj::ShowUnexpectedError(const QString& what) {
    QMessageBox box(QMessageBox::Critical, QString::fromLatin1(kAppTitle), what, QMessageBox::Ok,
                    this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
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
void TfProj::eNameChange() {
    Forward([this](ProjectWindow& core) { core.eNameChange(FromQString(eName_->text())); });
}
void TfProj::ePreDateChange() {
    Forward([this](ProjectWindow& core) { core.ePreDateChange(ePreDate_->value()); });
}
void TfProj::eNoticeChange() {
    Forward([this](ProjectWindow& core) { core.eNoticeChange(FromQString(eNotice_->text())); });
}
void TfProj::cCommentsChange() {
    Forward([this](ProjectWindow& core) {
        core.cCommentsChange(FromQString(cComments_->toPlainText()));
    });
}
void TfProj::cOffsetChange() {
    Forward([this](ProjectWindow& core) { core.cOffsetChange(cOffset_->value()); });
}
void TfProj::xAMusicClick(MusicMode mode) {
    Forward([mode](ProjectWindow& core) { core.xAMusicClick(mode); });
}
void TfProj::eWizardChange() {
    Forward([this](ProjectWindow& core) { core.eWizardChange(FromQString(eWizard_->text())); });
}
void TfProj::cSourceClick() {
    Forward([this](ProjectWindow& core) { core.cSourceClick(SelectedRow(cSource_)); });
}
void TfProj::cContentsClick() {
    Forward([this](ProjectWindow& core) { core.cContentsClick(SelectedRow(cContents_)); });
}
void TfProj::cLevelsClick() {
    Forward([this](ProjectWindow& core) { core.cLevelsClick(SelectedRow(cLevels_)); });
}
void TfProj::cDesignerChange(int index) {
    Forward([this, index](ProjectWindow& core) {
        core.cDesignerChange(index >= 0 ? FromQString(cDesigner_->itemText(index)) : std::string());
    });
}
void TfProj::ePasswordChange() {
    Forward([this](ProjectWindow& core) { core.ePasswordChange(FromQString(ePassword_->text())); });
}
void TfProj::eMusicChange() {
    Forward([this](ProjectWindow& core) { core.eMusicChange(eMusic_->value()); });
}
void TfProj::xBSFClick(bool checked) {
    Forward([checked](ProjectWindow& core) { core.xBSFClick(checked); });
}
void TfProj::xGLLClick(bool checked) {
    Forward([checked](ProjectWindow& core) { core.xGLLClick(checked); });
}

// ---------------------------------------------------------------------------
// Rendering

void TfProj::Render() {
    if (rendering_) return;
    const ProjectView& v = View();
    rendering_ = true;
    RenderWindow(v);
    RenderProperties(v.props);
    RenderSource(v.source);
    RenderLevels(v.levels);
    RenderBuild(v.build);
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

void TfProj::RenderProperties(const PropertiesPageView& v) {
    propsFields_->setVisible(v.fieldsVisible);
    SetText(eName_, ToQString(v.name));
    SetValue(ePreDate_, v.year);
    SetText(eNotice_, ToQString(v.notice));
    cComments_->SetTextQuiet(ToQString(v.comments));
    SetValue(cOffset_, v.offset);
    xAMusic_->setChecked(v.musicMode == MusicMode::Automatic);
    xRMusic_->setChecked(v.musicMode == MusicMode::Random);
    xMMusic_->setChecked(v.musicMode == MusicMode::Manual);
    SetText(eWizard_, ToQString(v.wizard));
    bNext1_->setEnabled(v.bNext1Enabled);
}

void TfProj::RenderSource(const SourcePageView& v) {
    SyncList(cSource_, v.sources);
    SelectRow(cSource_, v.sourceSelected);
    SyncList(cContents_, v.contents);
    SelectRow(cContents_, v.contentsSelected);
    SetText(lLevelI_, ToQString(v.levelLabel));
    if (v.usage == UsageIcon::None) {
        iUsage_->hide();
    } else {
        iUsage_->setPixmap(UsagePixmap(v.usage));
        iUsage_->show();
    }
    iUsage_->setToolTip(ToQString(v.usageHint));
    ShowInfo(infoI_, v.eNameI, v.eSizeI, v.eTimeI, v.eQuotaI);
    bNewS_->setEnabled(v.bNewSEnabled);
    bAddS_->setEnabled(v.bAddSEnabled);
    bEditS_->setEnabled(v.bEditSEnabled);
    bRemoveS_->setEnabled(v.bRemoveSEnabled);
    bInclude_->setEnabled(v.bIncludeEnabled);
    bIncludeAll_->setEnabled(v.bIncludeAllEnabled);
    bExclude_->setEnabled(v.bExcludeEnabled);
    bExcludeAll_->setEnabled(v.bExcludeAllEnabled);
}

void TfProj::RenderLevels(const LevelsPageView& v) {
    SyncList(cLevels_, v.levels);
    SelectRow(cLevels_, v.selected);
    SetText(lLevelR_, ToQString(v.levelLabel));
    iHidden_->setVisible(v.hiddenVisible);
    ShowInfo(infoR_, v.eNameR, v.eSizeR, v.eTimeR, v.eQuotaR);

    QStringList designers;
    for (const std::string& d : v.designers) designers << ToQString(d);
    QStringList shown;
    for (int i = 0; i < cDesigner_->count(); ++i) shown << cDesigner_->itemText(i);
    if (shown != designers) {
        cDesigner_->clear();
        cDesigner_->addItems(designers);
    }
    if (cDesigner_->currentIndex() != v.designerSelected) {
        cDesigner_->setCurrentIndex(v.designerSelected);
    }
    cDesigner_->setToolTip(ToQString(v.designerHint));
    SetText(ePassword_, ToQString(v.password));
    SetValue(eMusic_, v.music);
    eMusic_->setEnabled(v.musicEnabled);
    iHint_->setPixmap(IconPixmap(v.hasHint ? IconId::HintYes : IconId::HintNo, 24));
    iHint_->setToolTip(ToQString(v.hintTooltip));
    bMusic_->setText(ToQString(v.bMusicCaption));
    bMusic_->setToolTip(ToQString(v.bMusicHint));
    iTune_->setVisible(v.iTuneVisible);
    bUp_->setEnabled(v.bUpEnabled);
    bDown_->setEnabled(v.bDownEnabled);
    bTop_->setEnabled(v.bTopEnabled);
    bEnd_->setEnabled(v.bEndEnabled);
    bTestL_->setEnabled(v.bTestLEnabled);
    bRemove_->setEnabled(v.bRemoveEnabled);
    cDesigner_->setEnabled(v.cDesignerEnabled);
    ePassword_->setEnabled(v.ePasswordEnabled);
    bMusic_->setEnabled(v.bMusicEnabled);
    bGenerate_->setEnabled(v.bGenerateEnabled);
    bEditHint_->setEnabled(v.bEditHintEnabled);
    bDesigners_->setEnabled(v.bDesignersEnabled);
}

void TfProj::RenderBuild(const BuildPageView& v) {
    SetText(eLevelSet_, DisplayText(v.eLevelSet));
    eLevelSet_->setToolTip(DisplayText(v.eLevelSetHint));
    xBSF_->setChecked(v.xBSFChecked);
    xBSF_->setEnabled(v.xBSFEnabled);
    xGLL_->setChecked(v.xGLLChecked);
    SyncList(cStatus_, v.cStatus, &DisplayText);
    SelectRow(cStatus_, v.cStatusSelected);
    if (QListWidgetItem* item = cStatus_->currentItem()) cStatus_->scrollToItem(item);
    if (pBar_->maximum() != v.pBarMax) pBar_->setRange(0, std::max(0, v.pBarMax));
    if (pBar_->value() != v.pBarPosition) pBar_->setValue(v.pBarPosition);
    bDoBuild_->setEnabled(v.bDoBuildEnabled);
    bPrev4_->setEnabled(v.bPrev4Enabled);
}

}  // namespace gdl
