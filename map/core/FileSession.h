// GDLMap's file handling over its editor session: opening (with the offer of
// a recovery journal left by a GDLMap that was killed), saving (refused with
// its reason for a read-only file, with Save As instead; asked first when
// another program changed the file since we read it), the watch of the file
// on disk, and the journal of unsaved changes. Questions go through the
// FilePrompts port as core answers; the window only shows them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "MapEditor.h"
#include "RecoveryJournal.h"

namespace gdl {

enum class ChangedAnswer { KeepMine, Reload };
enum class RecoverAnswer { Recover, Discard };

class FilePrompts {
public:
    virtual ~FilePrompts() = default;
    // Another program changed the file. With unsaved edits the choice is
    // Keep Mine or Reload; without, Reload or not (KeepMine).
    virtual ChangedAnswer AskChanged(const std::string& text, bool unsavedEdits) = 0;
    // A save over a file that changed on disk since we read it: overwrite?
    virtual bool AskOverwrite(const std::string& text) = 0;
    // A save that cannot write the file: the path for Save As, or nullopt.
    virtual std::optional<std::string> AskSaveAs(const std::string& reason,
                                                 const std::string& proposed) = 0;
    // "Recover the unsaved changes of DATE?" with what would change.
    virtual RecoverAnswer AskRecover(const std::string& text) = 0;
    // A problem or a note, in a box; and a line for the status bar.
    virtual void Tell(const std::string& text) = 0;
    virtual void Status(const std::string& text) = 0;
};

// "2026-12-09 14:05", in local time.
std::string JournalDate(std::int64_t seconds);
// Which levels differ between two texts of a source: "Changed: A, B; added:
// C; removed: D." ("" when the texts are equal).
std::string ChangeSummary(std::string_view before, std::string_view after);

class FileSession {
public:
    using Clock = std::function<std::int64_t()>;  // seconds since the epoch
    static std::int64_t SystemSeconds();

    FileSession(MapEditor& editor, FilePrompts& prompts,
                std::string journalFolder = RecoveryJournal::DefaultFolder(),
                Clock clock = SystemSeconds);

    // Opens the source and offers what a killed GDLMap left of it.
    Result<void> Open(const std::string& path, std::string_view levelName = {});
    // True when the file was written (here or, through Save As, elsewhere).
    bool Save();
    bool SaveAs();
    // The file changed on disk, or the window looks again (a poll): asks
    // what to do. A question already open is not asked again, and the flag
    // that says so is reset whatever happens while asking.
    void FileChanged();
    // Reads the file again, as asked from the File menu: the edits and the
    // journal of them go, the journal starts again from what is on disk.
    Result<void> Reload();
    bool Asking() const { return asking_; }
    // Writes the journal when the text changed since it was last written;
    // the window calls it from a timer (at least every 2 s).
    void Tick();
    // Closing without saving: the unsaved changes are dropped for good.
    void Discarded();
    // The title, with " [read-only]" when the file cannot be written.
    std::string Title() const { return editor_.Title(); }
    const RecoveryJournal& Journal() const { return journal_; }

private:
    void OfferRecovery();
    void Recover(const FoundJournal& found, const std::string& disk);
    bool WriteRefused(const std::string& reason);
    void Restart();

    MapEditor& editor_;
    FilePrompts& prompts_;
    RecoveryJournal journal_;
    Clock clock_;
    std::uint64_t journaled_ = ~0ull;
    bool asking_ = false;
};

}  // namespace gdl
