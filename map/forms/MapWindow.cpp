#include "MapWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "FilePromptsQt.h"
#include "FileUtil.h"
#include "FormWidgets.h"
#include "LevelRender.h"
#include "LynxTestSend.h"
#include "MapView.h"
#include "QtText.h"

namespace gdl {

namespace {

constexpr int kThumbTile = 3;
constexpr int kPanelDelayMs = 150;

QImage ImageOf(const TileGrid& grid, int tileSize) {
    RgbaImage rgba = RenderLevel(grid, tileSize);
    if (rgba.width == 0) return {};
    QImage image(rgba.width, rgba.height, QImage::Format_RGBA8888);
    for (int y = 0; y < rgba.height; ++y)
        std::copy_n(rgba.pixels.data() + static_cast<std::size_t>(y) * rgba.width * 4,
                    static_cast<std::size_t>(rgba.width) * 4, image.scanLine(y));
    return image;
}

QIcon SwatchOf(const TileInfo& info) {
    QPixmap swatch(20, 20);
    const Rgb c = TileRgb(static_cast<std::uint8_t>(info.tile));
    swatch.fill(QColor(c.r, c.g, c.b));
    return QIcon(swatch);
}

struct ToolEntry {
    MapTool tool;
    const char* caption;
    const char* key;
};
constexpr ToolEntry kTools[] = {
    {MapTool::Pencil, "&Pencil", "P"},
    {MapTool::Line, "&Line", "L"},
    {MapTool::Rectangle, "&Rectangle", "R"},
    {MapTool::FilledRectangle, "&Filled Rectangle", "Shift+R"},
    {MapTool::Fill, "Flood F&ill", "F"},
    {MapTool::Select, "&Select", "S"},
};

const char* const kAnchors[] = {"Top left", "Top",         "Top right", "Left",        "Centre",
                                "Right",    "Bottom left", "Bottom",    "Bottom right"};

}  // namespace

MapWindow::MapWindow() {
    view_ = new MapView;
    view_->setObjectName("map");
    view_->SetFit(true);
    scroll_ = new QScrollArea;
    scroll_->setWidget(view_);
    scroll_->setWidgetResizable(true);
    scroll_->setFocusProxy(view_);
    setCentralWidget(scroll_);

    connect(view_, &MapView::tilePressed, this, [this](int x, int y, bool secondary) {
        session_.Press({x, y}, secondary);
        Refresh();
    });
    connect(view_, &MapView::tileDragged, this, [this](int x, int y) {
        session_.Drag({x, y});
        Refresh();
    });
    connect(view_, &MapView::tileReleased, this, [this](int x, int y) {
        session_.Release({x, y});
        Refresh();
    });
    connect(view_, &MapView::tileHovered, this, [this](int x, int y, bool inside) {
        hover_->setText(inside ? ToQString(session_.HoverText({x, y})) : QString());
    });
    connect(view_, &MapView::keyTyped, this, &MapWindow::KeyTyped);

    panels_ = new QTimer(this);
    panels_->setSingleShot(true);
    panels_->setInterval(kPanelDelayMs);
    connect(panels_, &QTimer::timeout, this, [this] {
        refreshing_ = true;
        RefreshPanels();
        if (levels_->currentRow() != session_.Level()) levels_->setCurrentRow(session_.Level());
        refreshing_ = false;
    });

    hover_ = new QLabel;
    hover_->setMinimumWidth(160);
    linkStatus_ = new QLabel;
    progress_ = new QProgressBar;
    progress_->setMaximumWidth(160);
    progress_->setVisible(false);
    statusBar()->addWidget(linkStatus_, 1);
    statusBar()->addPermanentWidget(progress_);
    statusBar()->addPermanentWidget(hover_);

    send_ = std::make_unique<LynxTestSend>(this);
    connect(send_.get(), &LynxTestSend::statusChanged, this,
            [this](const QString& text, const QString& problem) {
                linkStatus_->setText(text);
                linkStatus_->setToolTip(problem);
            });
    connect(send_.get(), &LynxTestSend::progressChanged, this, [this](int done, int total) {
        progress_->setVisible(done < total);
        progress_->setMaximum(std::max(1, total));
        progress_->setValue(done);
    });

    BuildFileHandling();
    BuildActions();
    BuildPanels();
    // Roomy, but never bigger than the screen.
    QSize size(1100, 800);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize() * 9 / 10);
    resize(size);
    resizeDocks({findChild<QDockWidget*>("problemsPanel")}, {120}, Qt::Vertical);
    resizeDocks({findChild<QDockWidget*>("historyPanel")}, {170}, Qt::Horizontal);
}

MapWindow::~MapWindow() = default;

void MapWindow::BuildActions() {
    QMenu* file = menuBar()->addMenu("&File");
    QToolBar* bar = addToolBar("Tools");
    bar->setObjectName("tools");
    auto add = [this](QMenu* menu, const QString& text, const QKeySequence& key, auto handler) {
        QAction* action = menu->addAction(text);
        if (!key.isEmpty()) action->setShortcut(key);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    add(file, "&Save", QKeySequence::Save, [this] { Save(); });
    add(file, "Save &As...", QKeySequence::SaveAs, [this] {
        files_->SaveAs();
        Watch();
        Refresh();
    });
    add(file, "&Reload", QKeySequence(), [this] {
        if (session_.Modified() &&
            QMessageBox::question(this, "GDLMap", "Reload the file and lose your changes?") !=
                QMessageBox::Yes)
            return;
        Report(session_.Reload());
        Refresh();
    });
    add(file, "&Export Level as PNG...", QKeySequence("Ctrl+E"), [this] { ExportPng(); });
    file->addSeparator();
    add(file, "&Test on Lynx", QKeySequence("Ctrl+T"), [this] { TestOnLynx(); });
    file->addSeparator();
    add(file, "E&xit", QKeySequence::Quit, [this] { close(); });

    QMenu* edit = menuBar()->addMenu("&Edit");
    undo_ = add(edit, "&Undo", QKeySequence("Ctrl+Z"), [this] {
        session_.Undo();
        Refresh();
    });
    redo_ = add(edit, "&Redo", QKeySequence("Ctrl+Shift+Z"), [this] {
        session_.Redo();
        Refresh();
    });
    redo_->setShortcuts({QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")});
    edit->addSeparator();
    add(edit, "Cu&t", QKeySequence::Cut, [this] {
        session_.Cut();
        Refresh();
    });
    add(edit, "&Copy", QKeySequence::Copy, [this] {
        session_.Copy();
        Refresh();
    });
    paste_ = add(edit, "&Paste", QKeySequence::Paste, [this] {
        Report(session_.Paste());
        Refresh();
    });
    edit->addSeparator();
    add(edit, "Replace &All...", QKeySequence("Ctrl+H"), [this] { ReplaceAll(); });

    QMenu* view = menuBar()->addMenu("&View");
    add(view, "Zoom &In", QKeySequence::ZoomIn, [this] { view_->ZoomIn(); });
    view->actions().back()->setShortcuts({QKeySequence("Ctrl++"), QKeySequence("Ctrl+=")});
    add(view, "Zoom &Out", QKeySequence::ZoomOut, [this] { view_->ZoomOut(); });
    add(view, "&Fit", QKeySequence("Ctrl+0"), [this] { view_->SetFit(true); });
    QAction* grid = add(view, "&Grid", QKeySequence(), [this](bool on) { view_->SetShowGrid(on); });
    grid->setCheckable(true);
    grid->setChecked(true);
    QAction* symbols =
        add(view, "Tile &Symbols", QKeySequence(), [this](bool on) { view_->SetShowSymbols(on); });
    symbols->setCheckable(true);
    view->addSeparator();
    add(view, "&Next Level", QKeySequence(Qt::Key_PageDown), [this] {
        session_.NextLevel();
        Refresh();
    });
    add(view, "&Previous Level", QKeySequence(Qt::Key_PageUp), [this] {
        session_.PreviousLevel();
        Refresh();
    });

    QMenu* levelMenu = menuBar()->addMenu("&Level");
    add(levelMenu, "&Add Level", QKeySequence("Ctrl+Shift+N"), [this] {
        Report(session_.AddLevel());
        Refresh();
    });
    add(levelMenu, "&Duplicate Level", QKeySequence("Ctrl+Shift+D"), [this] {
        Report(session_.DuplicateLevel());
        Refresh();
    });

    QMenu* toolMenu = menuBar()->addMenu("&Tools");
    tools_ = new QActionGroup(this);
    for (const auto& entry : kTools) {
        QAction* action =
            add(toolMenu, entry.caption, QKeySequence(entry.key), [this, tool = entry.tool] {
                session_.SetTool(tool);
                Refresh();
            });
        action->setCheckable(true);
        action->setChecked(entry.tool == MapTool::Pencil);
        action->setToolTip(QString(entry.caption).remove('&'));
        tools_->addAction(action);
        bar->addAction(action);
    }
    QToolBar* tiles = new QToolBar("Palette");
    tiles->setObjectName("palette");
    addToolBar(Qt::LeftToolBarArea, tiles);
    // The palette: each tile's symbol is its key on the map.
    for (const auto& info : TileLegend()) {
        auto* button = new QToolButton;
        button->setIcon(SwatchOf(info));
        button->setText(EscapeMnemonics(QString(QChar(info.symbol))));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setToolTip(QString("%1  %2").arg(QChar(info.symbol)).arg(info.name));
        button->setCheckable(true);
        button->setObjectName(QString("tile_%1").arg(static_cast<int>(info.tile)));
        connect(button, &QToolButton::clicked, this, [this, tile = info.tile] {
            session_.SetTile(tile);
            Refresh();
            view_->setFocus();
        });
        tiles->addWidget(button);
        palette_.push_back(button);
    }
}

void MapWindow::BuildPanels() {
    // Levels: the list with thumbnails, its commands and the properties form.
    auto* levelsPanel = new QWidget;
    auto* levelsLayout = new QVBoxLayout(levelsPanel);
    levelsPanel->setMaximumWidth(320);
    levels_ = new QListWidget;
    levels_->setObjectName("levels");
    levels_->setIconSize(QSize(64, 40));
    levels_->setDragDropMode(QAbstractItemView::InternalMove);
    levelsLayout->addWidget(levels_, 1);
    connect(levels_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (refreshing_ || row < 0) return;
        session_.ShowLevel(row);
        Refresh();
    });
    connect(levels_->model(), &QAbstractItemModel::rowsMoved, this,
            [this](const QModelIndex&, int from, int, const QModelIndex&, int to) {
                if (refreshing_) return;
                const int target = to > from ? to - 1 : to;
                Report(session_.MoveLevelTo(static_cast<std::size_t>(from),
                                            static_cast<std::size_t>(target)));
                shownRevision_ = ~0ull;
                Refresh();
            });
    auto* buttons = new QHBoxLayout;
    auto button = [&](const QString& text, const QString& name, auto handler) {
        auto* b = new QPushButton(text);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, handler);
        buttons->addWidget(b);
    };
    button("&Add", "bAddLevel", [this] {
        Report(session_.AddLevel());
        Refresh();
    });
    button("D&uplicate", "bDuplicateLevel", [this] {
        Report(session_.DuplicateLevel());
        Refresh();
    });
    button("&Delete", "bDeleteLevel", [this] {
        if (session_.Level() < 0) return;
        if (QMessageBox::question(this, "GDLMap", ToQString(session_.DeleteQuestion())) !=
            QMessageBox::Yes)
            return;
        Report(session_.DeleteLevel());
        Refresh();
    });
    levelsLayout->addLayout(buttons);

    auto* form = new QFormLayout;
    eLevelName_ = new QLineEdit;
    eLevelName_->setMaxLength(static_cast<int>(kMaxLevelNameChars));
    eLongName_ = new QLineEdit;
    eLongName_->setMaxLength(static_cast<int>(kMaxLongNameChars));
    eMinutes_ = new QSpinBox;
    eMinutes_->setRange(0, kMaxMinutes);
    eSeconds_ = new QSpinBox;
    eSeconds_->setRange(0, 59);
    eQuota_ = new QSpinBox;
    eQuota_->setRange(0, kMaxQuota);
    auto* time = new QHBoxLayout;
    time->addWidget(eMinutes_);
    time->addWidget(new QLabel(":"));
    time->addWidget(eSeconds_);
    form->addRow("Level &name:", eLevelName_);
    form->addRow("&Long name:", eLongName_);
    form->addRow("Time:", time);
    form->addRow("&Quota:", eQuota_);
    for (QLineEdit* e : {eLevelName_, eLongName_})
        connect(e, &QLineEdit::editingFinished, this, &MapWindow::ApplyProperties);
    for (QSpinBox* s : {eMinutes_, eSeconds_, eQuota_})
        connect(s, &QSpinBox::editingFinished, this, &MapWindow::ApplyProperties);
    eWidth_ = new QSpinBox;
    eWidth_->setRange(1, kMaxMapSide);
    eHeight_ = new QSpinBox;
    eHeight_->setRange(1, kMaxMapSide);
    cAnchor_ = new QComboBox;
    cAnchor_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (const char* anchor : kAnchors) cAnchor_->addItem(anchor);
    auto* size = new QHBoxLayout;
    size->addWidget(eWidth_);
    size->addWidget(new QLabel("x"));
    size->addWidget(eHeight_);
    size->addWidget(cAnchor_);
    auto* resize = new QPushButton("Resi&ze");
    resize->setObjectName("bResize");
    connect(resize, &QPushButton::clicked, this, &MapWindow::ApplyResize);
    size->addWidget(resize);
    form->addRow("Size:", size);
    levelsLayout->addLayout(form);

    auto dock = [this](const QString& title, const QString& name, QWidget* widget,
                       Qt::DockWidgetArea area) {
        auto* d = new QDockWidget(title, this);
        d->setObjectName(name);
        d->setWidget(widget);
        d->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
        addDockWidget(area, d);
        return d;
    };
    dock("Levels", "levelsPanel", levelsPanel, Qt::LeftDockWidgetArea);

    problems_ = new QListWidget;
    problems_->setObjectName("problems");
    connect(problems_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        session_.GoToProblem(static_cast<std::size_t>(problems_->row(item)));
        Refresh();
        view_->setFocus();
    });
    dock("Problems", "problemsPanel", problems_, Qt::BottomDockWidgetArea);

    history_ = new QListWidget;
    history_->setObjectName("history");
    dock("Undo History", "historyPanel", history_, Qt::RightDockWidgetArea);
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
    RefreshPanels();
    return true;
}

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
    filePoll_->setInterval(1000);
    connect(filePoll_, &QTimer::timeout, this, [this] {
        files_->Tick();
        if (!files_->Asking() && !QApplication::activeModalWidget()) FileChanged();
    });
    filePoll_->start();
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

void MapWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    view_->setFocus();
}

void MapWindow::KeyTyped(QKeyEvent* event) {
    const auto mods = event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    switch (event->key()) {
        case Qt::Key_Left:
            session_.MoveCursor(-1, 0);
            break;
        case Qt::Key_Right:
            session_.MoveCursor(1, 0);
            break;
        case Qt::Key_Up:
            session_.MoveCursor(0, -1);
            break;
        case Qt::Key_Down:
            session_.MoveCursor(0, 1);
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            session_.NextRow();
            break;
        default: {
            const QString text = event->text();
            if (mods != Qt::NoModifier || text.size() != 1 ||
                !session_.TypeSymbol(text.at(0).toLatin1())) {
                event->ignore();
                return;
            }
            if (auto tile = TileFromSymbol(text.at(0).toLatin1())) session_.SetTile(*tile);
        }
    }
    Refresh();
}

void MapWindow::Refresh() {
    refreshing_ = true;
    setWindowTitle(DisplayText(files_->Title()));
    const bool changed = shownRevision_ != session_.Revision();
    if (changed || shownLevel_ != session_.Level()) {
        view_->SetGrid(session_.Grid());
        RefreshProperties();
        // The findings of a whole source take a while: while drawing they
        // follow a moment after the last change.
        panels_->start();
    }
    if (changed) {
        if (levels_->count() != static_cast<int>(session_.LevelCount())) RefreshLevels();
        history_->clear();
        const auto texts = session_.History();
        history_->addItem("(opened)");
        for (std::size_t i = 0; i < texts.size(); ++i) {
            auto* item = new QListWidgetItem(ToQString(texts[i]), history_);
            if (i >= session_.UndoCount()) item->setForeground(Qt::gray);
        }
        history_->setCurrentRow(static_cast<int>(session_.UndoCount()));
    }
    if (levels_->currentRow() != session_.Level()) levels_->setCurrentRow(session_.Level());
    shownRevision_ = session_.Revision();
    shownLevel_ = session_.Level();

    const TilePoint c = session_.Cursor();
    view_->SetCursor(MapViewPoint{c.x, c.y});
    if (auto s = session_.Selection()) {
        view_->SetSelection(std::make_pair(MapViewPoint{s->topLeft.x, s->topLeft.y},
                                           MapViewPoint{s->bottomRight.x, s->bottomRight.y}));
    } else {
        view_->SetSelection(std::nullopt);
    }
    if (auto r = session_.Rubber()) {
        view_->SetRubber(std::make_pair(MapViewPoint{r->first.x, r->first.y},
                                        MapViewPoint{r->second.x, r->second.y}));
    } else {
        view_->SetRubber(std::nullopt);
    }
    for (std::size_t i = 0; i < palette_.size(); ++i)
        palette_[i]->setChecked(static_cast<std::size_t>(session_.CurrentTile()) == i);
    for (QAction* a : tools_->actions())
        a->setChecked(a == tools_->actions().at(static_cast<int>(session_.Tool())));
    undo_->setEnabled(session_.CanUndo());
    redo_->setEnabled(session_.CanRedo());
    paste_->setEnabled(session_.CanPaste());
    refreshing_ = false;
}

void MapWindow::RefreshPanels() {
    RefreshLevels();
    problems_->clear();
    for (const auto& p : session_.Problems()) {
        auto* item = new QListWidgetItem(ToQString(p.text), problems_);
        item->setForeground(p.error ? QColor(180, 0, 0) : QColor(150, 100, 0));
    }
    std::vector<MapViewPoint> marks;
    for (auto t : session_.MarkedTiles()) marks.push_back({t.x, t.y});
    view_->SetMarks(std::move(marks));
}

void MapWindow::RefreshLevels() {
    const auto& doc = session_.Document();
    const int count = static_cast<int>(doc.LevelCount());
    while (levels_->count() > count) delete levels_->takeItem(levels_->count() - 1);
    while (levels_->count() < count) levels_->addItem(QString());
    thumbnails_.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const DocLevel& level = doc.Level(static_cast<std::size_t>(i));
        QListWidgetItem* item = levels_->item(i);
        QString text = ToQString(level.name.empty() ? "(no name)" : level.name);
        if (level.longName != level.name && !level.longName.empty())
            text += "  " + ToQString(level.longName);
        if (level.hasErrors) text += "  (errors)";
        item->setText(text);
        item->setIcon(
            QPixmap::fromImage(ImageOf(doc.Tiles(static_cast<std::size_t>(i)), kThumbTile)));
    }
}

void MapWindow::RefreshProperties() {
    const int index = session_.Level();
    for (QWidget* w : std::initializer_list<QWidget*>{eLevelName_, eLongName_, eMinutes_, eSeconds_,
                                                      eQuota_, eWidth_, eHeight_})
        w->setEnabled(index >= 0);
    if (index < 0) return;
    const DocLevel& level = session_.Document().Level(static_cast<std::size_t>(index));
    eLevelName_->setText(ToQString(level.name));
    eLongName_->setText(ToQString(level.longName));
    eMinutes_->setValue(level.minutes);
    eSeconds_->setValue(level.seconds);
    eQuota_->setValue(level.quota);
    eWidth_->setValue(std::max(1, level.width));
    eHeight_->setValue(std::max(1, level.height));
}

void MapWindow::ApplyProperties() {
    if (refreshing_ || session_.Level() < 0) return;
    const DocLevel level = session_.Document().Level(static_cast<std::size_t>(session_.Level()));
    const std::string name = FromQString(eLevelName_->text().trimmed().toUpper());
    const std::string longName = FromQString(eLongName_->text().trimmed());
    if (name != level.name) Report(session_.RenameLevel(name));
    if (FromQString(ToQString(longName).toUpper()) != level.longName)
        Report(session_.SetLongName(longName));
    if (eMinutes_->value() != level.minutes || eSeconds_->value() != level.seconds)
        Report(session_.SetTime(eMinutes_->value(), eSeconds_->value()));
    if (eQuota_->value() != level.quota) Report(session_.SetQuota(eQuota_->value()));
    Refresh();
    RefreshProperties();
}

void MapWindow::ApplyResize() {
    Report(session_.Resize(eWidth_->value(), eHeight_->value(),
                           static_cast<ResizeAnchor>(cAnchor_->currentIndex())));
    Refresh();
}

void MapWindow::Report(const Result<void>& result) {
    if (result) return;
    QMessageBox::warning(this, "GDLMap", ToQString(result.Err().Message()));
}

bool MapWindow::Save() {
    const bool saved = files_->Save();
    if (!watcher_->files().isEmpty()) watcher_->removePaths(watcher_->files());
    Watch();
    Refresh();
    return saved;
}

void MapWindow::FileChanged() {
    files_->FileChanged();
    Watch();
    Refresh();
}

void MapWindow::ExportPng() {
    if (session_.Level() < 0) return;
    const QString suggested = ToQString(session_.ShownLevelName()) + ".png";
    const QString path = QFileDialog::getSaveFileName(this, "Export Level as PNG", suggested,
                                                      "PNG pictures (*.png)");
    if (path.isEmpty()) return;
    QImage image = ImageOf(session_.Grid(), 16);
    if (image.isNull() || !image.save(path, "PNG"))
        QMessageBox::warning(this, "GDLMap", "Unable to write " + path + ".");
}

void MapWindow::ReplaceAll() {
    QStringList names;
    for (const auto& info : TileLegend())
        names << QString("%1  %2").arg(QChar(info.symbol)).arg(info.name);
    bool ok = false;
    const QString from =
        QInputDialog::getItem(this, "Replace All", "Replace:", names,
                              static_cast<int>(session_.CurrentTile()), false, &ok);
    if (!ok) return;
    const QString to = QInputDialog::getItem(this, "Replace All", "With:", names, 0, false, &ok);
    if (!ok) return;
    const QStringList where{"This level", "The whole source"};
    const QString scope = QInputDialog::getItem(this, "Replace All", "In:", where, 0, false, &ok);
    if (!ok) return;
    Report(session_.Replace(static_cast<Tile>(names.indexOf(from)),
                            static_cast<Tile>(names.indexOf(to)), scope == where[1]));
    Refresh();
}

void MapWindow::TestOnLynx() {
    auto compiled = session_.CompileShownLevel();
    if (!compiled) {
        QMessageBox::warning(this, "GDLMap", ToQString(compiled.Err().Message()));
        return;
    }
    send_->Start(session_.ShownLevelName(), *compiled);
}

void MapWindow::closeEvent(QCloseEvent* event) {
    if (session_.AskOnClose() == CloseQuestion::None) {
        event->accept();
        return;
    }
    QMessageBox box(QMessageBox::Question, "GDLMap",
                    "Save changes to " + ToQString(session_.FileName()) + "?",
                    QMessageBox::NoButton, this);
    QPushButton* save = box.addButton("&Save", QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton("&Discard", QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton("Cancel", QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() != discard && (box.clickedButton() != save || !Save())) {
        event->ignore();
        return;
    }
    if (box.clickedButton() == discard) files_->Discarded();
    event->accept();
}

}  // namespace gdl
