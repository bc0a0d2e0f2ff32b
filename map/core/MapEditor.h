// GDLMap's session: one level source open as a document, the level shown,
// the tile cursor of the keyboard road, the mouse tools (classes of
// MapTools.h, one at a time) with the tile they paint, the selection, the
// clipboard and its stamp, the problems of the whole source, and the file's
// state on disk. The window shows what this holds and hands it the user's
// keys and clicks; the commands (MapCommands.h), questions (MapQuestions.h)
// and settings (MapSettings.h) work through it. MapLevels.cpp holds the level
// commands and the problems.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Error.h"
#include "LevelDoctor.h"
#include "LevelDocument.h"
#include "LevelEdits.h"
#include "MapTools.h"
#include "SourceFile.h"
#include "SourceProblems.h"

namespace gdl {

// One line of the problems panel: a parser message or a doctor finding.
using MapProblem = SourceProblem;

// The stamp's block where the mouse is, for the canvas to draw floating.
struct FloatingBlock {
    TilePoint at;
    const TileGrid* block = nullptr;
};

enum class BlockTurn { FlipHorizontally, FlipVertically, RotateClockwise };

// The figures of a level as the properties panel shows them.
struct LevelFields {
    std::string name;
    std::string longName;
    int minutes = 0;
    int seconds = 0;
    int quota = 0;
    bool operator==(const LevelFields&) const = default;
};

// What to ask when the file changed on disk under us.
enum class FileChangeQuestion {
    None,          // the bytes are ours (our own save) or the file is unchanged
    Reload,        // no unsaved edits: reload, yes or no
    KeepOrReload,  // unsaved edits: keep mine, or reload and lose them
    Gone,          // the file was removed or cannot be read: a save writes it again
};

// What to ask when the window closes.
enum class CloseQuestion { None, SaveDiscardCancel };

class MapEditor {
public:
    MapEditor();
    ~MapEditor();

    // Opens the source; a source with errors opens too, its problems listed.
    // levelName (any case) picks the level shown first.
    Result<void> Open(const std::string& path, std::string_view levelName = {});
    // The same over bytes in memory, for tests and benchmarks; path is where
    // a save writes.
    Result<void> OpenBytes(std::string_view bytes, const std::string& path,
                           std::string_view levelName = {});

    const LevelDocument& Document() const { return doc_; }
    const std::string& Path() const { return path_; }
    std::string FileName() const;
    // "Caverns.lvs - GDLMap", with "*" after the name while modified and
    // " [read-only]" when a save cannot write the file.
    std::string Title() const;
    bool Modified() const { return !doc_.IsClean(); }
    // Counts every change of the document, so views know when to redraw.
    std::uint64_t Revision() const { return revision_; }

    // The level shown: -1 when the source has none.
    int Level() const { return level_; }
    std::size_t LevelCount() const { return doc_.LevelCount(); }
    void ShowLevel(int index);
    void NextLevel() { ShowLevel(level_ + 1); }
    void PreviousLevel() { ShowLevel(level_ - 1); }
    // The shown level's tiles (empty when none).
    const TileGrid& Grid() const;

    // The keyboard road.
    TilePoint Cursor() const { return cursor_; }
    void MoveCursor(int dx, int dy);
    void SetCursor(TilePoint at);
    // A tile's symbol paints it at the cursor, which then moves one to the
    // right (staying on the last column). False for any other character.
    // The symbols typed along one row are one undo step.
    bool TypeSymbol(char symbol);
    // A key typed on the map: X, Y and Z turn the stamp while there is one
    // (as in other map editors); otherwise a tile's symbol paints it and
    // becomes the palette's tile. False when the key means nothing here.
    bool TypeKey(char key);
    // Enter: the start of the next row (staying on the last row).
    void NextRow();

    // The mouse. A change of tool drops the selection and any drag.
    MapTool Tool() const { return tool_; }
    void SetTool(MapTool tool);
    // Esc: ends a drag without an edit, else puts the stamp away, else drops
    // the selection. False when there was nothing to end.
    bool Escape();
    Tile CurrentTile() const { return tile_; }
    void SetTile(Tile tile) { tile_ = tile; }
    // secondary (the right button) is the eyedropper with every tool.
    void Press(TilePoint at, bool secondary = false);
    void Drag(TilePoint at);
    void Release(TilePoint at);
    // The line or rectangle being dragged out, for the canvas to outline.
    std::optional<ToolPreview> Rubber() const;
    std::optional<TileRect> Selection() const { return selection_; }
    void ClearSelection() { selection_.reset(); }
    // The tile under the mouse (nullopt when it left the map).
    void Hover(std::optional<TilePoint> at) { hover_ = at; }
    // "x, y: tile name" of the tile under the mouse as it is now, counted
    // from 1 as the problems are; "" outside the map.
    std::string HoverText() const;
    // "Pencil", or the stamp with its size and keys.
    std::string ToolText() const;

    // Clipboard: the selection's tiles. Paste puts them on the stamp, which
    // floats under the mouse and lands where it is clicked, until Esc.
    bool Copy();
    bool Cut();
    bool CanPaste() const { return !clipboard_.tiles.empty(); }
    Result<void> Paste();
    std::optional<FloatingBlock> Floating() const;
    bool CanTurn() const { return tool_ == MapTool::Stamp; }
    void Turn(BlockTurn turn);
    // Every `from` becomes `to`, in the shown level or the whole source; the
    // number of tiles replaced.
    Result<std::size_t> Replace(Tile from, Tile to, bool wholeSource);

    // Levels and their figures; each is one undoable command.
    Result<void> AddLevel();
    Result<void> DuplicateLevel();
    Result<void> DeleteLevel();
    Result<void> RenameLevel(std::string_view name);
    // Moves the shown level to position `to` (0-based), as a drag in the
    // levels panel does.
    Result<void> MoveLevelTo(std::size_t from, std::size_t to);
    Result<void> SetLongName(std::string_view longName);
    Result<void> SetTime(int minutes, int seconds);
    Result<void> SetQuota(int quota);
    Result<void> Resize(int width, int height, ResizeAnchor anchor);
    // The shown level's figures (empty when none).
    LevelFields Fields() const;
    // Applies what the user changed: each field where `edited` differs from
    // `shown`, what the panel showed. A field left alone changes nothing, even
    // one the panel could not show whole. Names are upper-cased and trimmed.
    Result<void> ApplyFields(const LevelFields& shown, const LevelFields& edited);

    // Undo history: the texts of every command, done and undone, oldest
    // first; the first UndoCount() of them are done.
    void Undo();
    void Redo();
    bool CanUndo() const { return doc_.CanUndo(); }
    bool CanRedo() const { return doc_.CanRedo(); }
    std::vector<std::string> History() const;
    std::size_t UndoCount() const { return doc_.UndoCount(); }
    // The state after the first `done` commands, as a click in the history.
    void GoToHistory(std::size_t done);
    // The names of the commands undo and redo would take back or do again.
    std::string UndoText() const;
    std::string RedoText() const;

    // The parser's messages and the doctor's findings for the whole source,
    // as they stand now; findings of the shown level are also on the canvas.
    const std::vector<MapProblem>& Problems() const;
    // Tiles of the shown level that have a finding.
    std::vector<TilePoint> MarkedTiles() const;
    // Shows the problem's level and puts the cursor and selection on its tile.
    void GoToProblem(std::size_t index);

    // Files.
    // Writes the file as it stands, refusing one that cannot be written
    // (ReadOnlyReason) without asking anything; FileSession asks first.
    Result<void> Save();
    // Writes to another file, which is then the file open.
    Result<void> SaveAs(const std::string& path);
    std::string ReadOnlyReason() const { return file_.ReadOnlyReason(); }
    // The disk against what we last loaded or saved (stamp first, bounded).
    DiskState DiskStateNow() { return file_.Compare(); }
    // Compares what is on disk with what we last loaded or saved.
    FileChangeQuestion CheckFileOnDisk();
    // Replaces the whole text (a recovered journal) as one undoable step.
    Result<void> ReplaceText(std::string_view bytes, std::string text);
    // "Delete level NAME (lines 5 to 12)?"
    std::string DeleteQuestion() const;
    // Loads the file again, dropping unsaved edits and the history.
    Result<void> Reload();
    // After "keep mine": the disk's bytes are known, so the same change is
    // not asked about again.
    void KeepMine();
    CloseQuestion AskOnClose() const;

    // The compiled bytes of the shown level as it stands in memory (unsaved
    // edits included); an error when it does not compile.
    Result<std::string> CompileShownLevel() const;
    std::string ShownLevelName() const;

private:
    Result<void> Apply(Result<EditCommand> command);
    ToolContext Context() const;
    void ApplyStep(ToolStep step);
    EditTool& CurrentTool() const { return *tools_[static_cast<std::size_t>(tool_)]; }
    StampTool& Stamp() const;
    void Changed(int focusLevel);
    void Step(int (LevelDocument::*step)());
    void ClampCursor();
    void RefreshGrid() const;
    void RefreshProblems() const;
    void Reset(LevelDocument doc, const std::string& path, std::string_view levelName);

    LevelDocument doc_;
    std::string path_;
    // What we last read from or wrote to the file.
    SourceFile file_;
    int level_ = -1;
    TilePoint cursor_;
    MapTool tool_ = MapTool::Pencil;
    MapTool beforeStamp_ = MapTool::Pencil;
    std::vector<std::unique_ptr<EditTool>> tools_;
    Tile tile_ = Tile::Wall;
    std::optional<TilePoint> hover_;
    std::optional<TileRect> selection_;
    TileGrid clipboard_;
    std::uint64_t strokeId_ = 0;
    std::uint64_t revision_ = 0;
    // The row being typed and the revision its last symbol made: the next
    // symbol on that row joins the same undo step.
    int typedRow_ = -1;
    std::uint64_t typedRevision_ = 0;
    std::uint64_t typedStroke_ = 0;

    mutable std::uint64_t gridRevision_ = ~0ull;
    mutable int gridLevel_ = -2;
    mutable TileGrid grid_;
    mutable std::uint64_t problemsRevision_ = ~0ull;
    mutable std::vector<MapProblem> problems_;
    mutable DoctorCache doctor_;
};

}  // namespace gdl
