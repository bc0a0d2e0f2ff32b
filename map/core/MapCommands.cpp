#include "MapCommands.h"

#include <array>

#include "MapEditor.h"

namespace gdl {

namespace {

using M = MapMenu;
using C = MapCommand;

// Menu order; the window adds the tools after the View menu.
const std::array<MapCommandInfo, 25> kCommands{{
    {C::Save, M::File, "mSave", "&Save", {"Ctrl+S", ""}, false, false, true},
    {C::Reload, M::File, "mReload", "&Reload", {"", ""}, false, false, true},
    {C::ExportPng,
     M::File,
     "mExportPng",
     "&Export Level as PNG...",
     {"Ctrl+E", ""},
     false,
     false,
     true},
    {C::TestOnLynx, M::File, "mTestOnLynx", "&Test on Lynx", {"Ctrl+T", ""}, false, true, true},
    {C::Exit, M::File, "mExit", "E&xit", {"Ctrl+Q", ""}, false, true, true},
    {C::Undo, M::Edit, "mUndo", "&Undo", {"Ctrl+Z", ""}},
    {C::Redo, M::Edit, "mRedo", "&Redo", {"Ctrl+Shift+Z", "Ctrl+Y"}},
    {C::Cut, M::Edit, "mCut", "Cu&t", {"Ctrl+X", ""}, false, true},
    {C::Copy, M::Edit, "mCopy", "&Copy", {"Ctrl+C", ""}},
    {C::Paste, M::Edit, "mPaste", "&Paste", {"Ctrl+V", ""}},
    {C::FlipHorizontal, M::Edit, "mFlipHorizontal", "Flip &Horizontally", {"X", ""}, false, true},
    {C::FlipVertical, M::Edit, "mFlipVertical", "Flip &Vertically", {"Y", ""}},
    {C::Rotate, M::Edit, "mRotate", "R&otate", {"Z", ""}},
    {C::SelectNone, M::Edit, "mSelectNone", "Select &None", {"Ctrl+Shift+A", ""}},
    {C::ReplaceAll, M::Edit, "mReplaceAll", "Replace &All...", {"Ctrl+H", ""}, false, true, true},
    {C::ZoomIn, M::View, "mZoomIn", "Zoom &In", {"Ctrl++", "Ctrl+="}, false, false, true},
    {C::ZoomOut, M::View, "mZoomOut", "Zoom &Out", {"Ctrl+-", ""}, false, false, true},
    {C::Fit, M::View, "mFit", "&Fit", {"Ctrl+0", ""}, false, false, true},
    {C::Grid, M::View, "mGrid", "&Grid", {"", ""}, true, true, true},
    {C::Symbols, M::View, "mSymbols", "Tile &Symbols", {"", ""}, true, false, true},
    {C::NextLevel, M::View, "mNextLevel", "&Next Level", {"PgDown", ""}, false, true},
    {C::PreviousLevel, M::View, "mPreviousLevel", "&Previous Level", {"PgUp", ""}},
    {C::AddLevel, M::Level, "mAddLevel", "&Add Level", {"Ctrl+Shift+N", ""}},
    {C::DuplicateLevel, M::Level, "mDuplicateLevel", "&Duplicate Level", {"Ctrl+Shift+D", ""}},
    {C::DeleteLevel, M::Level, "mDeleteLevel", "De&lete Level...", {"", ""}, false, false, true},
}};

bool HasLevel(const MapEditor& s) {
    return s.Level() >= 0;
}

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
    CommandState state;
    state.caption = CommandInfo(id).caption;
    switch (id) {
        case C::Undo:
            state.enabled = s.CanUndo();
            state.caption = WithName("&Undo", s.UndoText());
            break;
        case C::Redo:
            state.enabled = s.CanRedo();
            state.caption = WithName("&Redo", s.RedoText());
            break;
        case C::Cut:
        case C::Copy:
        case C::SelectNone:
            state.enabled = s.Selection().has_value();
            break;
        case C::Paste:
            state.enabled = s.CanPaste() && HasLevel(s);
            break;
        case C::FlipHorizontal:
        case C::FlipVertical:
        case C::Rotate:
            state.enabled = s.CanTurn();
            break;
        case C::ExportPng:
        case C::TestOnLynx:
        case C::DuplicateLevel:
        case C::DeleteLevel:
            state.enabled = HasLevel(s);
            break;
        case C::NextLevel:
            state.enabled = s.Level() + 1 < static_cast<int>(s.LevelCount());
            break;
        case C::PreviousLevel:
            state.enabled = s.Level() > 0;
            break;
        default:
            break;
    }
    return state;
}

Result<void> RunCommand(MapEditor& s, MapCommand id) {
    switch (id) {
        case C::Undo:
            s.Undo();
            return {};
        case C::Redo:
            s.Redo();
            return {};
        case C::Cut:
            s.Cut();
            return {};
        case C::Copy:
            s.Copy();
            return {};
        case C::Paste:
            return s.Paste();
        case C::FlipHorizontal:
            s.Turn(BlockTurn::FlipHorizontally);
            return {};
        case C::FlipVertical:
            s.Turn(BlockTurn::FlipVertically);
            return {};
        case C::Rotate:
            s.Turn(BlockTurn::RotateClockwise);
            return {};
        case C::SelectNone:
            s.ClearSelection();
            return {};
        case C::NextLevel:
            s.NextLevel();
            return {};
        case C::PreviousLevel:
            s.PreviousLevel();
            return {};
        case C::AddLevel:
            return s.AddLevel();
        case C::DuplicateLevel:
            return s.DuplicateLevel();
        default:
            return Error::Caller(std::string("the window runs ") + CommandInfo(id).name);
    }
}

}  // namespace gdl
