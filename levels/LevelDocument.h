// A level source (".lvs") as an editable document. It keeps every byte it is
// not asked to change: comments, blank lines, spacing, line ends (CR LF, LF or
// CR, per line), the order of keywords and a byte order mark. Saving an
// unchanged document gives back the bytes it was loaded from; changing a tile
// changes one byte; new lines are written in the kit's own layout.
//
// Every level the parser meets is held, good or bad, with its messages, so a
// broken level is still shown and can be mended. Changes are EditCommand
// values (see LevelEdits.h) applied through the document, which keeps the
// undo and redo stacks and the clean mark.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Error.h"
#include "LevelSource.h"

namespace gdl {

// One line of the source: its text without the line end, and the end.
enum class LineEnd : std::uint8_t { None, Lf, CrLf, Cr };
struct SourceLine {
    std::string text;
    LineEnd end = LineEnd::Lf;
};

// A change of the lines: at `at` (0-based), `removed` lines are taken out and
// `inserted` put in their place. Both are kept, so it can be undone.
struct LineSplice {
    std::size_t at = 0;
    std::vector<SourceLine> removed;
    std::vector<SourceLine> inserted;
};
// One character of a line replaced by another.
struct ByteChange {
    std::uint32_t line = 0;  // 0-based
    std::uint32_t column = 0;
    char before = 0;
    char after = 0;
};

// An undoable change: its steps in order; undo runs them backwards. Made by
// the functions of LevelEdits.h against the document's current state, so it
// is applied before any other change (its places are lines and columns).
struct EditCommand {
    std::string text;  // what the undo menu shows: "Pencil", "Rename level", ...
    std::vector<LineSplice> splices;
    std::vector<ByteChange> bytes;  // tile changes (after the splices)
    // Applied commands with the same non-zero stroke id merge into one undo
    // step, so a pencil stroke painted live is undone in one.
    std::uint64_t strokeId = 0;
    // The level to show after the command is done or undone (-1: keep).
    int focusLevel = -1;

    bool Empty() const { return splices.empty() && bytes.empty(); }
};

// One level as it stands in the document.
struct DocLevel {
    std::string name;      // upper case, as the parser read it ("" when missing)
    std::string longName;  // upper case; the level name when no "name" line
    int minutes = 0, seconds = 0;
    int quota = 0;
    int width = 0, height = 0;  // of the map as held (TileGrid)
    bool hasErrors = false;
    std::size_t line = 0;                 // 1-based line of its "level" keyword
    std::size_t firstLine = 0;            // 1-based first line of its block (comments above it)
    std::size_t lastLine = 0;             // 1-based last line of its block
    std::size_t ownLastLine = 0;          // its "end" line (lastLine when it has none)
    std::vector<SourceMessage> messages;  // the parser's, for lines of its block
};

// Not for use from two threads: reading the levels may bring the parse up to
// date. References it gives out hold until the next change.
class LevelDocument {
public:
    LevelDocument();

    // The bytes of a source; a binary file (NUL bytes) or one over the
    // parser's size limit is refused with a BadFormat error naming `name`.
    static Result<LevelDocument> FromBytes(std::string_view bytes, std::string name = {});
    // Reads the file if it is a regular file within the size limit (checked
    // before reading, so a huge file is never taken into memory).
    static Result<LevelDocument> FromFile(const std::string& path);

    // The whole source as it would be saved.
    std::string Bytes() const;
    // Writes Bytes() atomically (flushed to disk) and marks the document clean.
    Result<void> SaveTo(const std::string& path);

    const std::string& Name() const { return name_; }

    // Levels in source order, good and bad (at most the parser's 250).
    std::size_t LevelCount() const;
    const DocLevel& Level(std::size_t index) const;
    // Index of the level of that name (any case), or -1.
    int FindLevel(std::string_view name) const;
    // The tiles as held now; unknown characters and missing cells are kNoTile.
    TileGrid Tiles(std::size_t index) const;
    // The level as the compiler and the doctor take it: the figures read,
    // the tiles of Tiles().
    SourceLevel AsSourceLevel(std::size_t index) const;
    // Messages of lines before the first level (and of the file as a whole).
    std::vector<SourceMessage> FileMessages() const;
    // The parse of the current text (messages, good levels, outlines).
    const ParsedSource& Parsed() const;

    // The lines, for the edit functions and for tests.
    const std::vector<SourceLine>& Lines() const { return lines_; }
    const LevelOutline& Outline(std::size_t index) const;
    // The line end new lines get: the one most lines have (LF when none).
    LineEnd NewLineEnd() const;

    // Undo and redo. Apply does the command and puts it on the undo stack
    // (an empty command is ignored); a new command drops the redo stack.
    void Apply(EditCommand command);
    bool CanUndo() const { return done_ > 0; }
    bool CanRedo() const { return done_ < history_.size(); }
    // The texts of the commands undo and redo would take back or do again.
    std::string UndoText() const;
    std::string RedoText() const;
    // The level to show afterwards, or -1 (see EditCommand::focusLevel).
    int Undo();
    int Redo();
    std::size_t UndoCount() const { return done_; }
    // The texts of every command on both stacks, oldest first; the first
    // UndoCount() are done, the rest can be redone.
    std::vector<std::string> HistoryTexts() const;
    // The clean mark: the state last saved (or loaded).
    void MarkClean() { cleanAt_ = static_cast<std::ptrdiff_t>(done_); }
    bool IsClean() const { return cleanAt_ == static_cast<std::ptrdiff_t>(done_); }
    // Bytes the undo history holds, for the memory goal.
    std::size_t HistoryBytes() const;

private:
    void Do(const EditCommand& command);
    void Revert(const EditCommand& command);
    // The parse and the level index follow the lines lazily: a tile change
    // leaves the outlines right and only marks the messages stale.
    void EnsureParsed() const;
    void Reparse() const;
    // After a change is done or undone: tiles alone leave the parse stale,
    // lines added or taken make it again.
    void FollowChange(const EditCommand& command);
    void SetByte(const ByteChange& change, char value);

    std::string name_;
    std::string bom_;
    std::vector<SourceLine> lines_;
    std::vector<EditCommand> history_;
    std::size_t done_ = 0;
    std::ptrdiff_t cleanAt_ = 0;
    mutable ParsedSource parsed_;
    mutable std::vector<DocLevel> levels_;
    mutable bool parseStale_ = false;
};

}  // namespace gdl
