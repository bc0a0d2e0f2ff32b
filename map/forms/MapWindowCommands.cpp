// The command and tool tables made into the window's actions: menus, tool
// bar, palette and the levels panel's buttons all hold these actions.
#include <QAction>
#include <QActionGroup>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "FormWidgets.h"
#include "MapQuestions.h"
#include "MapView.h"
#include "MapWindow.h"
#include "QtText.h"
#include "TileImages.h"

namespace gdl {

namespace {

constexpr int kSwatch = 24;

// By MapMenu.
const char* const kMenuTitles[] = {"&File", "&Edit", "&View", "&Level"};

}  // namespace

void MapWindow::BuildCommands() {
    std::vector<std::pair<MapMenu, QMenu*>> menus;
    auto menuOf = [&](MapMenu which) {
        for (auto& [m, menu] : menus)
            if (m == which) return menu;
        QMenu* menu = menuBar()->addMenu(kMenuTitles[static_cast<int>(which)]);
        // A closed menu gives the keyboard back to the map.
        connect(menu, &QMenu::aboutToHide, this,
                [this] { QTimer::singleShot(0, this, [this] { BackToMap(); }); });
        menus.emplace_back(which, menu);
        return menu;
    };
    actions_.assign(MapCommandTable().size(), nullptr);
    for (const MapCommandInfo& info : MapCommandTable()) {
        QMenu* menu = menuOf(info.menu);
        if (info.separatorBefore) menu->addSeparator();
        QAction* action = menu->addAction(info.caption);
        action->setObjectName(info.name);
        QList<QKeySequence> keys;
        for (const char* key : info.keys)
            if (*key) keys << QKeySequence(key);
        action->setShortcuts(keys);
        action->setCheckable(info.checkable);
        connect(action, &QAction::triggered, this, [this, id = info.id] { Forward(id); });
        actions_[static_cast<std::size_t>(info.id)] = action;
    }
    Action(MapCommand::Grid)->setChecked(true);
    QMenu* tools = menuBar()->addMenu("&Tools");
    connect(tools, &QMenu::aboutToHide, this,
            [this] { QTimer::singleShot(0, this, [this] { BackToMap(); }); });
    BuildTools(tools);
}

void MapWindow::BuildTools(QMenu* menu) {
    QToolBar* bar = addToolBar("Tools");
    bar->setObjectName("tools");
    auto* group = new QActionGroup(this);
    for (const MapToolInfo& info : MapToolTable()) {
        QAction* action = menu->addAction(info.caption);
        action->setObjectName(QString("tool%1").arg(QString(info.name).remove(' ')));
        if (*info.shortcut) action->setShortcut(QKeySequence(info.shortcut));
        action->setCheckable(true);
        action->setToolTip(info.name);
        group->addAction(action);
        bar->addAction(action);
        connect(action, &QAction::triggered, this, [this, tool = info.id] {
            Run([&] { session_.SetTool(tool); });
            BackToMap();
        });
        toolActions_.push_back(action);
    }
}

void MapWindow::BuildPalette() {
    QToolBar* tiles = new QToolBar("Palette");
    tiles->setObjectName("palette");
    tiles->setIconSize(QSize(kSwatch, kSwatch));
    addToolBar(Qt::LeftToolBarArea, tiles);
    // Each tile's symbol is its key on the map, and the tooltip says so.
    for (const auto& info : TileLegend()) {
        auto* button = new QToolButton;
        button->setIcon(TileIcon(static_cast<std::uint8_t>(info.tile), kSwatch));
        button->setText(EscapeMnemonics(QString(QChar(info.symbol))));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setToolTip(QString("%1 (key %2)").arg(info.name).arg(QChar(info.symbol)));
        button->setCheckable(true);
        button->setObjectName(QString("tile_%1").arg(static_cast<int>(info.tile)));
        connect(button, &QToolButton::clicked, this, [this, tile = info.tile] {
            Run([&] { session_.SetTile(tile); });
            BackToMap();
        });
        tiles->addWidget(button);
        palette_.push_back(button);
    }
}

// The window's own commands: the rows of the command table without a
// session handler.
void MapWindow::RunWindowCommand(MapCommand id) {
    using W = MapWindow;
    static const std::pair<MapCommand, void (*)(W&)> kHandlers[] = {
        {MapCommand::Save, [](W& w) { w.Save(); }},
        {MapCommand::SaveAs, [](W& w) { w.SaveAs(); }},
        {MapCommand::Reload,
         [](W& w) {
             ReportProblem(w.prompts_,
                           AskReload(w.session_, w.prompts_, [&w] { return w.files_->Reload(); }));
         }},
        {MapCommand::ExportPng, [](W& w) { w.ExportPng(); }},
        {MapCommand::TestOnLynx, [](W& w) { w.TestOnLynx(); }},
        {MapCommand::Exit, [](W& w) { w.close(); }},
        {MapCommand::ReplaceAll, [](W& w) { w.ReplaceAll(); }},
        {MapCommand::ZoomIn, [](W& w) { w.view_->ZoomIn(); }},
        {MapCommand::ZoomOut, [](W& w) { w.view_->ZoomOut(); }},
        {MapCommand::Fit, [](W& w) { w.view_->SetFit(true); }},
        {MapCommand::Grid, [](W& w) { w.view_->SetShowGrid(!w.view_->ShowGrid()); }},
        {MapCommand::Symbols, [](W& w) { w.view_->SetShowSymbols(!w.view_->ShowSymbols()); }},
        {MapCommand::DeleteLevel,
         [](W& w) { ReportProblem(w.prompts_, AskDeleteLevel(w.session_, w.prompts_)); }},
    };
    for (const auto& [command, handler] : kHandlers)
        if (command == id) handler(*this);
}

void MapWindow::RefreshCommands() {
    for (const MapCommandInfo& info : MapCommandTable()) {
        QAction* action = Action(info.id);
        const CommandState state = StateOf(session_, info.id);
        action->setEnabled(state.enabled);
        action->setText(ToQString(state.caption));
    }
    Action(MapCommand::Grid)->setChecked(view_->ShowGrid());
    Action(MapCommand::Symbols)->setChecked(view_->ShowSymbols());
    for (std::size_t i = 0; i < toolActions_.size(); ++i)
        toolActions_[i]->setChecked(static_cast<std::size_t>(session_.Tool()) == i);
    toolActions_[static_cast<std::size_t>(MapTool::Stamp)]->setEnabled(session_.CanPaste());
    for (std::size_t i = 0; i < palette_.size(); ++i)
        palette_[i]->setChecked(static_cast<std::size_t>(session_.CurrentTile()) == i);
}

}  // namespace gdl
