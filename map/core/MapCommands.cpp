#include "MapCommands.h"

#include <array>

#include "MapEditor.h"

namespace gdl {

namespace {

using M = MapMenu;
using C = MapCommand;
using S = MapEditor;

// A session step whose outcome the state shows (a copy of no selection
// copies nothing, and the Copy entry is disabled then).
template <auto kStep>
Result<void> Do(S& s) {
    (void)(s.*kStep)();
    return {};
}
template <BlockTurn kTurn>
Result<void> Turn(S& s) {
    s.Turn(kTurn);
    return {};
}

bool HasLevel(const S& s) {
    return s.Level() >= 0;
}
bool HasSelection(const S& s) {
    return s.Selection().has_value();
}

// Menu order; the window adds the tools after the Level menu.
const std::array<MapCommandInfo, 26> kCommands{{
    {C::Save, M::File, "mSave", "&Save", {"Ctrl+S", ""}},
    {C::SaveAs, M::File, "mSaveAs", "Save &As...", {"Ctrl+Shift+S", ""}},
    {C::Reload, M::File, "mReload", "&Reload", {"", ""}},
    {C::ExportPng,
     M::File,
     "mExportPng",
     "&Export Level as PNG...",
     {"Ctrl+E", ""},
     false,
     false,
     nullptr,
     &HasLevel},
    {C::TestOnLynx,
     M::File,
     "mTestOnLynx",
     "&Test on Lynx",
     {"Ctrl+T", ""},
     false,
     true,
     nullptr,
     &HasLevel},
    {C::Exit, M::File, "mExit", "E&xit", {"Ctrl+Q", ""}, false, true},
    {C::Undo,
     M::Edit,
     "mUndo",
     "&Undo",
     {"Ctrl+Z", ""},
     false,
     false,
     &Do<&S::Undo>,
     [](const S& s) { return s.CanUndo(); }},
    {C::Redo,
     M::Edit,
     "mRedo",
     "&Redo",
     {"Ctrl+Shift+Z", "Ctrl+Y"},
     false,
     false,
     &Do<&S::Redo>,
     [](const S& s) { return s.CanRedo(); }},
    {C::Cut, M::Edit, "mCut", "Cu&t", {"Ctrl+X", ""}, false, true, &Do<&S::Cut>, &HasSelection},
    {C::Copy,
     M::Edit,
     "mCopy",
     "&Copy",
     {"Ctrl+C", ""},
     false,
     false,
     &Do<&S::Copy>,
     &HasSelection},
    {C::Paste,
     M::Edit,
     "mPaste",
     "&Paste",
     {"Ctrl+V", ""},
     false,
     false,
     [](S& s) { return s.Paste(); },
     [](const S& s) { return s.CanPaste() && HasLevel(s); }},
    {C::FlipHorizontal,
     M::Edit,
     "mFlipHorizontal",
     "Flip &Horizontally",
     {"X", ""},
     false,
     true,
     &Turn<BlockTurn::FlipHorizontally>,
     [](const S& s) { return s.CanTurn(); }},
    {C::FlipVertical,
     M::Edit,
     "mFlipVertical",
     "Flip &Vertically",
     {"Y", ""},
     false,
     false,
     &Turn<BlockTurn::FlipVertically>,
     [](const S& s) { return s.CanTurn(); }},
    {C::Rotate,
     M::Edit,
     "mRotate",
     "R&otate",
     {"Z", ""},
     false,
     false,
     &Turn<BlockTurn::RotateClockwise>,
     [](const S& s) { return s.CanTurn(); }},
    {C::SelectNone,
     M::Edit,
     "mSelectNone",
     "Select &None",
     {"Ctrl+Shift+A", ""},
     false,
     false,
     &Do<&S::ClearSelection>,
     &HasSelection},
    {C::ReplaceAll, M::Edit, "mReplaceAll", "Replace &All...", {"Ctrl+H", ""}, false, true},
    {C::ZoomIn, M::View, "mZoomIn", "Zoom &In", {"Ctrl++", "Ctrl+="}},
    {C::ZoomOut, M::View, "mZoomOut", "Zoom &Out", {"Ctrl+-", ""}},
    {C::Fit, M::View, "mFit", "&Fit", {"Ctrl+0", ""}},
    {C::Grid, M::View, "mGrid", "&Grid", {"", ""}, true, true},
    {C::Symbols, M::View, "mSymbols", "Tile &Symbols", {"", ""}, true},
    {C::NextLevel,
     M::View,
     "mNextLevel",
     "&Next Level",
     {"PgDown", ""},
     false,
     true,
     &Do<&S::NextLevel>,
     [](const S& s) { return s.Level() + 1 < int(s.LevelCount()); }},
    {C::PreviousLevel,
     M::View,
     "mPreviousLevel",
     "&Previous Level",
     {"PgUp", ""},
     false,
     false,
     &Do<&S::PreviousLevel>,
     [](const S& s) { return s.Level() > 0; }},
    {C::AddLevel,
     M::Level,
     "mAddLevel",
     "&Add Level",
     {"Ctrl+Shift+N", ""},
     false,
     false,
     [](S& s) { return s.AddLevel(); }},
    {C::DuplicateLevel,
     M::Level,
     "mDuplicateLevel",
     "&Duplicate Level",
     {"Ctrl+Shift+D", ""},
     false,
     false,
     [](S& s) { return s.DuplicateLevel(); },
     &HasLevel},
    {C::DeleteLevel,
     M::Level,
     "mDeleteLevel",
     "De&lete Level...",
     {"", ""},
     false,
     false,
     nullptr,
     &HasLevel},
}};

std::string WithName(const char* caption, const std::string& name) {
    return name.empty() ? caption : std::string(caption) + " " + name;
}

}  // namespace

std::span<const MapCommandInfo> MapCommandTable() {
    return kCommands;
}

const MapCommandInfo& CommandInfo(MapCommand id) {
    return kCommands[static_cast<std::size_t>(id)];
}

CommandState StateOf(const MapEditor& s, MapCommand id) {
    const MapCommandInfo& info = CommandInfo(id);
    CommandState state;
    state.enabled = !info.enabled || info.enabled(s);
    state.caption = info.caption;
    // The history's entry the command takes back or does again.
    if (id == C::Undo) state.caption = WithName(info.caption, s.UndoText());
    if (id == C::Redo) state.caption = WithName(info.caption, s.RedoText());
    return state;
}

Result<void> RunCommand(MapEditor& s, MapCommand id) {
    const MapCommandInfo& info = CommandInfo(id);
    if (info.Window()) return Error::Caller(std::string("the window runs ") + info.name);
    return info.run(s);
}

}  // namespace gdl
