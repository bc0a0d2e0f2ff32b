// GDLMap's session: one level source open as a document, the level shown, the
// tile cursor of the keyboard road, the tool and tile of the mouse, the
// selection and clipboard, the problems of the whole source, and the file's
// state on disk. Every rule of the map editor lives here; the window shows
// what this holds and hands it the user's keys and clicks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Error.h"
#include "LevelDoctor.h"
#include "LevelDocument.h"
#include "LevelEdits.h"
#include "SourceFile.h"
#include "SourceProblems.h"

namespace gdl {

enum class MapTool { Pencil, Line, Rectangle, FilledRectangle, Fill, Select };

// One line of the problems panel: a parser message or a doctor finding.
using MapProblem = SourceProblem;

// The selection: both corners inside the map, first top-left.
struct TileRect {
    TilePoint topLeft;
    TilePoint bottomRight;
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
    bool TypeSymbol(char symbol);
    // Enter: the start of the next row (staying on the last row).
    void NextRow();

    // The mouse.
    MapTool Tool() const { return tool_; }
    void SetTool(MapTool tool);
    Tile CurrentTile() const { return tile_; }
    void SetTile(Tile tile) { tile_ = tile; }
    // secondary (the right button) is the eyedropper with every tool.
    void Press(TilePoint at, bool secondary = false);
    void Drag(TilePoint at);
    void Release(TilePoint at);
    // The line or rectangle being dragged out, for the canvas to outline.
    std::optional<std::pair<TilePoint, TilePoint>> Rubber() const;
    std::optional<TileRect> Selection() const { return selection_; }
    void ClearSelection() { selection_.reset(); }
    // "x, y: tile name" of the tile under the mouse; "" outside the map.
    std::string HoverText(TilePoint at) const;

    // Clipboard: the selection's tiles; paste puts them with their top-left
    // corner at the cursor.
    bool Copy();
    bool Cut();
    bool CanPaste() const { return !clipboard_.tiles.empty(); }
    Result<void> Paste();
    // Every `from` becomes `to`, in the shown level or the whole source.
    Result<void> Replace(Tile from, Tile to, bool wholeSource);

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

    // Undo history: the texts of every command, done and undone, oldest
    // first; the first UndoCount() of them are done.
    void Undo();
    void Redo();
    bool CanUndo() const { return doc_.CanUndo(); }
    bool CanRedo() const { return doc_.CanRedo(); }
    std::vector<std::string> History() const;
    std::size_t UndoCount() const { return doc_.UndoCount(); }

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
    void Changed(int focusLevel);
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
    Tile tile_ = Tile::Wall;
    std::optional<TilePoint> anchor_;
    std::optional<TilePoint> last_;
    std::optional<TileRect> selection_;
    TileGrid clipboard_;
    std::uint64_t strokeId_ = 0;
    std::uint64_t revision_ = 0;

    mutable std::uint64_t gridRevision_ = ~0ull;
    mutable int gridLevel_ = -2;
    mutable TileGrid grid_;
    mutable std::uint64_t problemsRevision_ = ~0ull;
    mutable std::vector<MapProblem> problems_;
    mutable DoctorCache doctor_;
};

}  // namespace gdl
