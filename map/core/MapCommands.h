// GDLMap's commands: one table (name, caption, shortcuts, where it goes) that
// the menus, the tool bar and the panels' buttons share, and the session's
// side of each: whether it can run now, whether it is checked, and running
// it. Commands of the window (files, the view, dialogs) are the window's to
// run; everything else runs here, so a test drives the same road.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "Error.h"

namespace gdl {

class MapEditor;

enum class MapCommand {
    Save,
    SaveAs,
    Reload,
    ExportPng,
    TestOnLynx,
    Exit,
    Undo,
    Redo,
    Cut,
    Copy,
    Paste,
    FlipHorizontal,
    FlipVertical,
    Rotate,
    SelectNone,
    ReplaceAll,
    ZoomIn,
    ZoomOut,
    Fit,
    Grid,
    Symbols,
    NextLevel,
    PreviousLevel,
    AddLevel,
    DuplicateLevel,
    DeleteLevel,
};

enum class MapMenu { File, Edit, View, Level };

// A command's row: how menus show it, and the session's side of it. A row
// without `run` is the window's to run (a file, the view or a dialog).
struct MapCommandInfo {
    MapCommand id;
    MapMenu menu;
    const char* name;     // the action's object name
    const char* caption;  // with its mnemonic
    const char* keys[2];  // shortcuts, "" for none
    bool checkable = false;
    bool separatorBefore = false;
    Result<void> (*run)(MapEditor&) = nullptr;
    bool (*enabled)(const MapEditor&) = nullptr;  // nullptr: always
    bool Window() const { return run == nullptr; }
};

std::span<const MapCommandInfo> MapCommandTable();
const MapCommandInfo& CommandInfo(MapCommand id);

struct CommandState {
    bool enabled = true;
    bool checked = false;
    std::string caption;  // "&Undo Pencil" where the caption follows the session
};

// The session's view of a command; a window command's checked state is the
// window's to fill in.
CommandState StateOf(const MapEditor& session, MapCommand id);

// Runs a session command; a window command is refused as a caller error.
Result<void> RunCommand(MapEditor& session, MapCommand id);

}  // namespace gdl
