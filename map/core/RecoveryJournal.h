// The recovery journal: GDLMap's unsaved changes of one source, kept outside
// the source's folder ($XDG_STATE_HOME/gdlkit/recovery/, one file per open
// source), so a crash or a kill loses nothing. The file holds the bytes the
// source had when editing began and then every change as a record (where,
// what was removed, what came in, when); each record carries a check sum, so
// a record cut short by a kill is left out and the ones before it stand.
//
// A journal belongs to the GDLMap that holds its lock (flock); another GDLMap
// on the same source takes another slot, and only a journal whose lock
// nobody holds is offered for recovery.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Error.h"
#include "UniqueFd.h"

namespace gdl {

// What a journal file holds, as its reader found it.
struct JournalContents {
    std::string source;       // the source's path
    std::string base;         // its bytes when editing began
    std::string bytes;        // the text with every whole change applied
    std::int64_t time = 0;    // seconds since the epoch of the last change
    std::size_t changes = 0;  // records applied
    bool cutShort = false;    // a torn or damaged record ended the reading
};

// Reads a journal's bytes; an error when they are no journal at all.
Result<JournalContents> ReadJournal(std::string_view bytes);

// One journal found for a source, left by a GDLMap that is gone.
struct FoundJournal {
    std::string file;  // the journal's own path
    JournalContents contents;
};

class RecoveryJournal {
public:
    // The folder of the journals: $XDG_STATE_HOME/gdlkit/recovery/ (default
    // ~/.local/state/gdlkit/recovery/).
    static std::string DefaultFolder();

    explicit RecoveryJournal(std::string folder = DefaultFolder());
    ~RecoveryJournal();
    RecoveryJournal(const RecoveryJournal&) = delete;
    RecoveryJournal& operator=(const RecoveryJournal&) = delete;

    // The journals of source that no running GDLMap holds, newest first.
    std::vector<FoundJournal> Orphans(const std::string& source) const;
    static void Delete(const FoundJournal& found);

    // The source being edited and its bytes as on disk; the journal file is
    // made with the first change, not before.
    void Start(const std::string& source, std::string_view base);
    // Records the change from the last recorded text to bytes (nothing when
    // they are equal). The first change writes the base too.
    Result<void> Record(std::string_view bytes, std::int64_t now);
    // Saved or discarded: the journal goes, and bytes are the new base.
    void Clear(std::string_view newBase);
    // The journal's path ("" before the first change).
    const std::string& File() const { return file_; }

private:
    Result<void> Open(std::int64_t now);
    void Close();

    std::string folder_;
    std::string source_;
    std::string last_;  // the text as the journal has it
    std::string file_;
    UniqueFd fd_;
};

}  // namespace gdl
