#include "FileSession.h"

#include <chrono>
#include <ctime>
#include <map>

#include "FileUtil.h"

namespace gdl {

namespace {

// The lines of each level, by name, and everything that is no level's.
struct LevelTexts {
    std::map<std::string, std::string> levels;
    std::vector<std::string> order;
    std::string rest;
};

LevelTexts TextsOf(std::string_view bytes) {
    LevelTexts t;
    auto doc = LevelDocument::FromBytes(bytes);
    if (!doc) {
        t.rest = std::string(bytes);
        return t;
    }
    const auto& lines = doc->Lines();
    std::vector<bool> owned(lines.size(), false);
    for (std::size_t i = 0; i < doc->LevelCount(); ++i) {
        const DocLevel& l = doc->Level(i);
        std::string text;
        for (std::size_t n = l.firstLine; n <= l.ownLastLine && n <= lines.size(); ++n) {
            text += lines[n - 1].text + "\n";
            owned[n - 1] = true;
        }
        const std::string name = l.name.empty() ? "(no name)" : l.name;
        if (t.levels.emplace(name, std::move(text)).second) t.order.push_back(name);
    }
    for (std::size_t n = 0; n < lines.size(); ++n)
        if (!owned[n]) t.rest += lines[n].text + "\n";
    return t;
}

std::string NameList(const std::vector<std::string>& names) {
    constexpr std::size_t kShown = 10;
    std::string r;
    for (std::size_t i = 0; i < names.size() && i < kShown; ++i) r += (i ? ", " : "") + names[i];
    if (names.size() > kShown) r += " and " + std::to_string(names.size() - kShown) + " more";
    return r;
}

// Bytes on disk of the file a session has open, for the journal's base.
std::string DiskBytes(const std::string& path) {
    auto bytes = ReadFileLimited(path, kMaxSourceBytes);
    return bytes ? std::move(bytes.Value()) : std::string();
}

// Scope guard: the flag is reset however the scope is left.
class AskingFlag {
public:
    explicit AskingFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~AskingFlag() { flag_ = false; }
    AskingFlag(const AskingFlag&) = delete;
    AskingFlag& operator=(const AskingFlag&) = delete;

private:
    bool& flag_;
};

}  // namespace

std::string JournalDate(std::int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    ::localtime_r(&t, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

std::string ChangeSummary(std::string_view before, std::string_view after) {
    if (before == after) return {};
    const LevelTexts a = TextsOf(before), b = TextsOf(after);
    std::vector<std::string> changed, added, removed;
    for (const auto& name : b.order) {
        auto it = a.levels.find(name);
        if (it == a.levels.end()) {
            added.push_back(name);
        } else if (it->second != b.levels.at(name)) {
            changed.push_back(name);
        }
    }
    for (const auto& name : a.order)
        if (!b.levels.contains(name)) removed.push_back(name);
    std::string r;
    auto part = [&](const char* what, const std::vector<std::string>& names) {
        if (names.empty()) return;
        r += (r.empty() ? std::string() : std::string("; ")) + what + NameList(names);
    };
    part("Changed: ", changed);
    part("added: ", added);
    part("removed: ", removed);
    if (a.rest != b.rest)
        r += (r.empty() ? "Changed: " : "; and ") + std::string("lines outside the levels");
    if (!r.empty()) r[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(r[0])));
    return r + ".";
}

std::int64_t FileSession::SystemSeconds() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

FileSession::FileSession(MapEditor& editor, FilePrompts& prompts, std::string journalFolder,
                         Clock clock)
    : editor_(editor),
      prompts_(prompts),
      journal_(std::move(journalFolder)),
      clock_(std::move(clock)) {}

Result<void> FileSession::Open(const std::string& path, std::string_view levelName) {
    auto opened = editor_.Open(path, levelName);
    if (!opened) return opened;
    Restart();
    OfferRecovery();
    return {};
}

void FileSession::Restart() {
    journal_.Start(editor_.Path(), editor_.Document().Bytes());
    journaled_ = editor_.Revision();
}

void FileSession::OfferRecovery() {
    for (const FoundJournal& found : journal_.Orphans(editor_.Path())) {
        const std::string disk = DiskBytes(editor_.Path());
        const JournalContents& j = found.contents;
        std::string text = "Recover the unsaved changes of " + JournalDate(j.time) + "?\n\n" +
                           ChangeSummary(j.base, j.bytes);
        if (j.base != disk)
            text += "\n\n" + editor_.FileName() +
                    " was changed on disk since, so they are not applied to it: Recover saves "
                    "them as a copy beside it.";
        if (prompts_.AskRecover(text) == RecoverAnswer::Recover) Recover(found, disk);
        RecoveryJournal::Delete(found);
    }
}

void FileSession::Recover(const FoundJournal& found, const std::string& disk) {
    const JournalContents& j = found.contents;
    if (j.base == disk && editor_.Document().Bytes() == disk) {
        auto replaced = editor_.ReplaceText(j.bytes, "Recover unsaved changes");
        if (replaced) return Tick();
        prompts_.Tell("The unsaved changes cannot be recovered: " + replaced.Err().Message());
    }
    // Never over another text: the changes go to a file of their own.
    const std::string base = editor_.Path().ends_with(".lvs")
                                 ? editor_.Path().substr(0, editor_.Path().size() - 4)
                                 : editor_.Path();
    for (int n = 1; n < 100; ++n) {
        const std::string copy =
            base + ".recovered" + (n == 1 ? std::string() : "-" + std::to_string(n)) + ".lvs";
        if (FileExists(copy)) continue;
        if (WriteFileAtomic(copy, j.bytes, Durability::Disk)) {
            prompts_.Tell("The unsaved changes of " + JournalDate(j.time) + " were saved as " +
                          copy + ".");
            return;
        }
        break;
    }
    prompts_.Tell("The unsaved changes cannot be saved as a copy beside " + editor_.FileName() +
                  "; they stay in " + found.file + ".");
}

bool FileSession::WriteRefused(const std::string& reason) {
    auto chosen = prompts_.AskSaveAs(
        "Cannot save " + editor_.FileName() + ": " + reason + ".\n\nSave it under another name?",
        editor_.Path());
    if (!chosen) return false;
    auto saved = editor_.SaveAs(*chosen);
    if (!saved) {
        prompts_.Tell(saved.Err().Message());
        return false;
    }
    Restart();
    return true;
}

bool FileSession::Save() {
    if (auto reason = editor_.ReadOnlyReason(); !reason.empty()) return WriteRefused(reason);
    const DiskState state = editor_.DiskStateNow();
    if ((state == DiskState::Changed || state == DiskState::TooLarge) &&
        !prompts_.AskOverwrite(editor_.FileName() +
                               " was changed by another program since it was read. Overwrite "
                               "it with yours?"))
        return false;
    auto saved = editor_.Save();
    if (!saved) {
        if (saved.Err().Errno() == EACCES || saved.Err().Errno() == EROFS ||
            saved.Err().Errno() == EPERM)
            return WriteRefused(saved.Err().Message());
        prompts_.Tell(saved.Err().Message());
        return false;
    }
    Restart();
    return true;
}

bool FileSession::SaveAs() {
    return WriteRefused("choose where");
}

void FileSession::FileChanged() {
    if (asking_) return;
    AskingFlag asking(asking_);
    const std::string name = editor_.FileName();
    switch (editor_.CheckFileOnDisk()) {
        case FileChangeQuestion::None:
            return;
        case FileChangeQuestion::Gone:
            prompts_.Status(name + " was removed; Save writes it again.");
            return;
        case FileChangeQuestion::Reload:
        case FileChangeQuestion::KeepOrReload:
            break;
    }
    const bool unsaved = editor_.Modified();
    const std::string text = unsaved ? name +
                                           " was changed by another program, and you have "
                                           "unsaved changes."
                                     : name + " was changed by another program. Reload it?";
    if (prompts_.AskChanged(text, unsaved) == ChangedAnswer::KeepMine) {
        editor_.KeepMine();
        return;
    }
    auto reloaded = Reload();
    if (!reloaded) {
        prompts_.Tell(reloaded.Err().Message());
        editor_.KeepMine();
    }
}

Result<void> FileSession::Reload() {
    auto reloaded = editor_.Reload();
    if (reloaded) Restart();
    return reloaded;
}

void FileSession::Tick() {
    if (editor_.Revision() == journaled_) return;
    journaled_ = editor_.Revision();
    const std::string bytes = editor_.Document().Bytes();
    if (!editor_.Modified()) {
        journal_.Clear(bytes);
        return;
    }
    auto recorded = journal_.Record(bytes, clock_());
    if (!recorded) prompts_.Status("No recovery journal: " + recorded.Err().Message());
}

void FileSession::Discarded() {
    journal_.Clear(editor_.Document().Bytes());
}

}  // namespace gdl
