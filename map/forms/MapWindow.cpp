#include "MapWindow.h"

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "FilePromptsQt.h"
#include "Guarded.h"
#include "LynxTestSend.h"
#include "MapPanels.h"
#include "MapQuestions.h"
#include "MapView.h"
#include "QtText.h"
#include "ReplaceDialog.h"
#include "TileImages.h"

namespace gdl {

namespace {

constexpr int kPanelDelayMs = 150;
constexpr int kExportTile = 16;

std::pair<TilePoint, TilePoint> Corners(const TileRect& r) {
    return {r.topLeft, r.bottomRight};
}

}  // namespace

MapWindow::MapWindow()
    : prompts_(this),
      registry_(FileRegistry::FromEnvironment()),
      settings_(ReadMapSettings(registry_)) {
    view_ = new MapView;
    view_->setObjectName("map");
    setCentralWidget(view_);
    ConnectCanvas();

    slowPanels_ = new QTimer(this);
    slowPanels_->setSingleShot(true);
    slowPanels_->setInterval(kPanelDelayMs);
    connect(slowPanels_, &QTimer::timeout, this, [this] { RefreshSlowPanels(); });

    BuildStatusBar();
    BuildFileHandling();
    BuildCommands();
    BuildPalette();
    BuildPanels();
    replace_ = new ReplaceDialog(
        [this](Tile from, Tile to, bool whole) {
            QString report;
            Run([&] {
                auto replaced = session_.Replace(from, to, whole);
                if (!replaced) {
                    report = ToQString(replaced.Err().Message());
                    return;
                }
                auto name = [](Tile t) { return TileLegend()[static_cast<std::size_t>(t)].name; };
                report = ToQString(ReplaceReport(*replaced, name(from), name(to), whole));
            });
            return report;
        },
        this);
    // Roomy, but never bigger than the screen.
    QSize size(1100, 800);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize() * 9 / 10);
    resize(size);
    resizeDocks({findChild<QDockWidget*>("problemsPanel")}, {120}, Qt::Vertical);
    resizeDocks({findChild<QDockWidget*>("historyPanel")}, {170}, Qt::Horizontal);
    LoadSettings();
    // Disconnected by the destructor: the application tells of focus
    // changes while the window's own parts are already gone.
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        const bool field = now && now != view_ && isAncestorOf(now) &&
                           (now->inherits("QLineEdit") || now->inherits("QAbstractSpinBox"));
        hint_->setText(field ? QString(kBackToMapHint) : QString());
    });
}

MapWindow::~MapWindow() {
    disconnect(focusWatch_);
}

void MapWindow::ConnectCanvas() {
    connect(view_, &MapView::tilePressed, this, [this](int x, int y, bool secondary) {
        Run([&] { session_.Press({x, y}, secondary); });
    });
    connect(view_, &MapView::tileDragged, this, [this](int x, int y) {
        Run([&] { session_.Drag({x, y}); });
    });
    connect(view_, &MapView::tileReleased, this, [this](int x, int y) {
        Run([&] { session_.Release({x, y}); });
    });
    connect(view_, &MapView::tileHovered, this, [this](int x, int y, bool inside) {
        session_.Hover(inside ? std::optional<TilePoint>(TilePoint{x, y}) : std::nullopt);
        if (session_.Floating()) ShowCanvas();
        RefreshStatus();
    });
    connect(view_, &MapView::zoomChanged, this, [this] { RefreshStatus(); });
    connect(view_, &MapView::keyTyped, this, &MapWindow::KeyTyped);
}

void MapWindow::BuildStatusBar() {
    linkStatus_ = new QLabel;
    hint_ = new QLabel;
    hint_->setObjectName("hint");
    hover_ = new QLabel;
    hover_->setObjectName("hover");
    hover_->setMinimumWidth(160);
    toolText_ = new QLabel;
    toolText_->setObjectName("toolText");
    zoom_ = new QLabel;
    zoom_->setObjectName("zoom");
    progress_ = new QProgressBar;
    progress_->setMaximumWidth(160);
    progress_->setVisible(false);
    statusBar()->addWidget(linkStatus_, 1);
    statusBar()->addWidget(hint_);
    statusBar()->addPermanentWidget(progress_);
    statusBar()->addPermanentWidget(hover_);
    statusBar()->addPermanentWidget(toolText_);
    statusBar()->addPermanentWidget(zoom_);

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
}

void MapWindow::BuildPanels() {
    auto* levelsPanel = new QWidget;
    auto* layout = new QVBoxLayout(levelsPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    levelsPanel->setMaximumWidth(320);
    levels_ = new LevelsPanel({Action(MapCommand::AddLevel), Action(MapCommand::DuplicateLevel),
                               Action(MapCommand::DeleteLevel)});
    properties_ = new PropertiesPanel;
    layout->addWidget(levels_, 1);
    layout->addWidget(properties_);
    connect(levels_, &LevelsPanel::levelPicked, this, [this](int row) {
        Run([&] { session_.ShowLevel(row); });
        BackToMap();
    });
    connect(levels_, &LevelsPanel::levelMoved, this, [this](int from, int to) {
        Run([&] {
            ReportProblem(prompts_, session_.MoveLevelTo(static_cast<std::size_t>(from),
                                                         static_cast<std::size_t>(to)));
        });
        levels_->Show(session_);
    });
    connect(properties_, &PropertiesPanel::fieldsEdited, this,
            [this](const LevelFields& shown, const LevelFields& edited) {
                Run([&] { ReportProblem(prompts_, session_.ApplyFields(shown, edited)); });
                properties_->Show(session_);
            });
    connect(properties_, &PropertiesPanel::resizeAsked, this,
            [this](int w, int h, ResizeAnchor anchor) {
                Run([&] { ReportProblem(prompts_, session_.Resize(w, h, anchor)); });
            });
    connect(properties_, &PropertiesPanel::committed, this, [this] { BackToMap(); });

    problems_ = new ProblemsPanel;
    connect(problems_, &ProblemsPanel::problemPicked, this, [this](int row) {
        Run([&] { session_.GoToProblem(static_cast<std::size_t>(row)); });
        BackToMap();
    });
    history_ = new HistoryPanel;
    connect(history_, &HistoryPanel::stepPicked, this,
            [this](std::size_t done) { Run([&] { session_.GoToHistory(done); }); });

    auto dock = [this](const QString& title, const QString& name, QWidget* widget,
                       Qt::DockWidgetArea area) {
        auto* d = new QDockWidget(title, this);
        d->setObjectName(name);
        d->setWidget(widget);
        d->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
        addDockWidget(area, d);
        // Esc anywhere in a panel gives the keyboard back to the map.
        for (QWidget* w : widget->findChildren<QWidget*>()) w->installEventFilter(this);
        widget->installEventFilter(this);
    };
    dock("Levels", "levelsPanel", levelsPanel, Qt::LeftDockWidgetArea);
    dock("Problems", "problemsPanel", problems_, Qt::BottomDockWidgetArea);
    dock("Undo History", "historyPanel", history_, Qt::RightDockWidgetArea);
}

bool MapWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        BackToMap();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MapWindow::Forward(MapCommand id) {
    Run([&] {
        if (CommandInfo(id).Window()) {
            RunWindowCommand(id);
        } else {
            ReportProblem(prompts_, RunCommand(session_, id));
        }
    });
}

// Every event reaches the session through here: guarded, then shown once.
void MapWindow::Run(const std::function<void()>& handler) {
    RunGuarded(this, handler);
    Refresh();
}

void MapWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    view_->setFocus();
}

void MapWindow::BackToMap() {
    if (isActiveWindow() || !QApplication::activeModalWidget()) view_->setFocus();
}

void MapWindow::KeyTyped(QKeyEvent* event) {
    const auto mods = event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    Run([&] {
        switch (event->key()) {
            case Qt::Key_Left:
                return session_.MoveCursor(-1, 0);
            case Qt::Key_Right:
                return session_.MoveCursor(1, 0);
            case Qt::Key_Up:
                return session_.MoveCursor(0, -1);
            case Qt::Key_Down:
                return session_.MoveCursor(0, 1);
            case Qt::Key_Return:
            case Qt::Key_Enter:
                return session_.NextRow();
            case Qt::Key_Escape:
                if (!session_.Escape()) event->ignore();
                return;
            default: {
                const QString text = event->text();
                if (mods != Qt::NoModifier || text.size() != 1 ||
                    !session_.TypeKey(text.at(0).toLatin1()))
                    event->ignore();
            }
        }
    });
}

void MapWindow::Refresh() {
    setWindowTitle(DisplayText(files_->Title()));
    const bool changed = shownRevision_ != session_.Revision();
    if (changed || shownLevel_ != session_.Level()) {
        properties_->Show(session_);
        // The findings of a whole source take a while: while drawing they
        // follow a moment after the last change.
        slowPanels_->start();
    }
    if (changed) {
        if (levels_->List()->count() != static_cast<int>(session_.LevelCount()))
            levels_->Show(session_);
        history_->Show(session_.History(), session_.UndoCount());
    }
    levels_->ShowCurrent(session_);
    shownRevision_ = session_.Revision();
    shownLevel_ = session_.Level();
    ShowCanvas();
    RefreshCommands();
    RefreshStatus();
}

void MapWindow::ShowCanvas() {
    view_->SetGrid(session_.Grid());
    view_->SetCursor(session_.Cursor());
    auto selection = session_.Selection();
    view_->SetSelection(selection ? std::optional(Corners(*selection)) : std::nullopt);
    auto rubber = session_.Rubber();
    view_->SetRubber(
        rubber ? std::optional(std::make_pair(rubber->from, rubber->to)) : std::nullopt,
        rubber && rubber->shape == ToolPreview::Shape::Line);
    auto floating = session_.Floating();
    view_->SetFloating(floating ? std::optional(std::make_pair(floating->at, *floating->block))
                                : std::nullopt);
}

void MapWindow::RefreshSlowPanels() {
    levels_->Show(session_);
    problems_->Show(session_.Problems());
    view_->SetMarks(session_.MarkedTiles());
}

void MapWindow::RefreshStatus() {
    hover_->setText(ToQString(session_.HoverText()));
    toolText_->setText(ToQString(session_.ToolText()));
    zoom_->setText(view_->Fit() ? QString("%1 px (fit)").arg(view_->TileSize())
                                : QString("%1 px").arg(view_->TileSize()));
}

void MapWindow::LoadSettings() {
    view_->SetShowGrid(settings_.grid);
    view_->SetShowSymbols(settings_.symbols);
    if (settings_.tileSize) {
        view_->SetTileSize(*settings_.tileSize);
    } else {
        view_->SetFit(true);
    }
    if (!settings_.geometry.empty())
        restoreGeometry(QByteArray::fromHex(QByteArray::fromStdString(settings_.geometry)));
    if (!settings_.layout.empty())
        restoreState(QByteArray::fromHex(QByteArray::fromStdString(settings_.layout)));
}

void MapWindow::SaveSettings() {
    settings_.tileSize = view_->Fit() ? std::nullopt : std::optional<int>(view_->TileSize());
    settings_.grid = view_->ShowGrid();
    settings_.symbols = view_->ShowSymbols();
    settings_.geometry = saveGeometry().toHex().toStdString();
    settings_.layout = saveState().toHex().toStdString();
    WriteMapSettings(registry_, settings_);
}

void MapWindow::ExportPng() {
    if (session_.Level() < 0) return;
    FileDialogRequest request;
    request.title = "Export Level as PNG";
    request.fileName = session_.ShownLevelName() + ".png";
    request.filter = "PNG pictures (*.png)|*.png";
    request.defaultExt = "png";
    request.overwritePrompt = true;
    const auto path = prompts_.SaveFileDialog(request);
    if (!path) return;
    const QImage image = LevelImage(session_.Grid(), kExportTile);
    if (image.isNull() || !image.save(PathToQString(*path), "PNG"))
        prompts_.ShowMessage(kMapCaption, "Unable to write " + *path + ".", MsgIcon::Warning);
}

void MapWindow::ReplaceAll() {
    replace_->Start(session_.CurrentTile());
}

void MapWindow::TestOnLynx() {
    auto compiled = session_.CompileShownLevel();
    if (!compiled) {
        prompts_.ShowMessage(kMapCaption, compiled.Err().Message(), MsgIcon::Warning);
        return;
    }
    send_->Start(session_.ShownLevelName(), *compiled);
}

}  // namespace gdl
