#include "LevelSetBuild.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>
#include <utility>

#include "BuildFiles.h"
#include "CompiledLevels.h"
#include "FileLock.h"
#include "FileUtil.h"
#include "LevelInfo.h"
#include "LevelReference.h"
#include "LevelSetFile.h"
#include "LevelTool.h"
#include "Passwords.h"
#include "PathJoin.h"
#include "Prompts.h"
#include "TextUtil.h"
#include "ToolRunner.h"

namespace gdl {

namespace {

constexpr std::size_t kMaxSetLevels = 255;

std::uint8_t MusicByte(const std::string& music) {
    auto n = ParseDecimal(music);
    if (!n || *n < 0 || *n > 255) return 0;
    return static_cast<std::uint8_t>(*n);
}

class Build {
public:
    Build(ProjectModel& model, const BuildSettings& settings, LevelTool& tool, Prompts& prompts,
          Random& random, BuildView& view)
        : model_(model),
          settings_(settings),
          tool_(tool),
          prompts_(prompts),
          random_(random),
          view_(view),
          folder_(model.folder),
          count_(std::min(model.levels.size(), kMaxSetLevels)),
          offset_(std::max(0, model.offset)),
          compiled_(model.folder, tool, settings.toolOutput) {}

    BuildResult Run() {
        view_.SetStatusBar(kBuildingStatus);
        const LevelSetHeader header = MakeHeader();
        view_.SetProgressMax(static_cast<int>(2 * count_ + 2));
        view_.SetProgress(0);
        view_.ClearStatusLines();
        levelList_.clear();
        view_.SetBuildControlsEnabled(false);

        BuildResult result;
        // Two builds of one folder would share its compiled level files.
        auto lock = FileLock::Acquire(folder_.empty() ? "." : folder_, kBuildLockWait);
        if (!lock && lock.Err().Kind() == ErrorKind::System && lock.Err().Errno() == EWOULDBLOCK) {
            Stop(result, lock.Err(), BeingBuiltLine(model_.fileName));
        } else if (auto input = InputAtOutput(settings_.outputPath, model_)) {
            Stop(result, gdl::Error::Caller(OutputIsInputLine(settings_.outputPath, *input)),
                 OutputIsInputLine(settings_.outputPath, *input));
        } else if (!ConfirmOverwrite()) {
            view_.AddStatusLine(kCancelledLine);
            result.outcome = BuildOutcome::Cancelled;
        } else {
            if (settings_.freshListings) DropListingCaches();
            Produce(header);
            if (settings_.freshListings) DropListingCaches();
            result.errors = errors_;
            result.outcome = errors_ == 0 ? BuildOutcome::Done : BuildOutcome::Errors;
        }
        view_.SetBuildControlsEnabled(true);
        view_.SetStatusBar(" " + model_.FullPath());
        return result;
    }

private:
    void Stop(BuildResult& result, gdl::Error why, const std::string& line) {
        Error(line);
        view_.AddStatusLine(FinalBuildLine(errors_));
        result.outcome = BuildOutcome::Errors;
        result.errors = errors_;
        result.stopped = std::move(why);
    }

    void DropListingCaches() const {
        for (const auto& source : model_.sources)
            if (IsPlainName(source) && !source.empty()) DeleteLevelInfoFiles(folder_, source);
    }

    LevelSetHeader MakeHeader() const {
        LevelSetHeader h;
        h.name = model_.name;
        h.year = std::to_string(model_.copyrightYear);
        h.notice = model_.notice;
        h.wizard = model_.wizard;
        h.comments = model_.comments;
        const std::size_t offset = static_cast<std::size_t>(offset_);
        h.hiddenCount = static_cast<std::uint8_t>(std::min(offset, count_));
        h.visibleCount = static_cast<std::uint8_t>(count_ > offset ? count_ - offset : 0);
        return h;
    }

    bool ConfirmOverwrite() {
        const std::string& path = settings_.outputPath;
        std::error_code ec;
        auto status = std::filesystem::symlink_status(path, ec);
        // Only a file (or a link) is offered for replacing; anything else at the
        // path makes the build fail with its own error line.
        if (ec ||
            !(std::filesystem::is_regular_file(status) || std::filesystem::is_symlink(status)))
            return true;
        if (prompts_.Ask(kCaptionConfirm, OverwriteQuestion(path), MsgButtons::YesNo,
                         MsgIcon::Question) != Answer::Yes)
            return false;
        // The old set stays until a build without errors replaces it.
        return true;
    }

    void Produce(const LevelSetHeader& header) {
        view_.AddStatusLine(kBuildingLine);
        if (settings_.levelList) levelList_ = LevelListOpeningLines();
        created_ = OutputIsReplaceable() ? out_.Create(settings_.outputPath) : out_.Refuse();
        out_.Write(SerializeHeader(header));
        CheckOutput();

        AssignMusicNumbers(model_.levels, model_.musicMode, random_);
        std::vector<BuildEntry> entries;
        for (std::size_t j = 1; j <= count_; ++j) entries.push_back(MakeEntry(j));
        compiled_.Reset(std::move(entries));

        FirstPass();
        if (errors_ == 0) {
            for (std::size_t n = count_ + 1; n <= kTableEntries; ++n)
                out_.Write(SerializeFreeEntry(n));
            CheckOutput();
            SecondPass();
        }
        LevelRecord end;
        end.kind = kRecordKindEnd;
        out_.Write(SerializeRecord(end));

        view_.AddStatusLine(kCleaningUpLine);
        out_.Close();
        CheckOutput();
        // The list is finished before the set is judged, so that a list that
        // cannot be saved counts like any other error.
        if (settings_.levelList) {
            const std::string base = BaseName(model_.fileName);
            if (!FinishLevelList(levelList_, folder_, base, tool_))
                Error(UnableToWriteLine(JoinPath(folder_, base + ".txt")));
        }
        if (created_) Commit();
        compiled_.DeleteCompiledLevels();
        compiled_.DeleteListingsOfMissingSources();
        DeleteFileQuiet(JoinPath(folder_, kLevelToolLeftover));
        view_.AddStatusLine(FinalBuildLine(errors_));
        view_.SetProgress(static_cast<int>(2 * count_ + 2));
    }

    BuildEntry MakeEntry(std::size_t j) const {
        BuildEntry e;
        e.ref = SplitReference(model_.levels[j - 1].reference);
        e.label = LevelLabel(static_cast<long long>(j), offset_);
        e.plain = IsPlainName(e.ref.source) && IsPlainName(e.ref.level);
        return e;
    }

    void CouldNotCompile(const BuildEntry& e) {
        Error("ERROR: Level " + e.label + " could not be compiled!");
        const std::string* output = compiled_.ToolOutputOf(e.ref.source);
        if (!output) return;
        for (const std::string& line : ToolOutputLines(*output)) view_.AddStatusLine(line);
    }

    void FirstPass() {
        std::vector<std::pair<std::string, std::string>> accepted;  // password, label
        for (std::size_t j = 1; j <= count_; ++j) {
            BuildEntry& e = compiled_.Entries()[j - 1];
            const LevelEntry& level = model_.levels[j - 1];
            view_.AddStatusLine("Compiling Level " + e.label + "...");
            if (settings_.levelList) AddLevelListLine(e, level);
            compiled_.CompileIfNeeded(e);
            view_.SetProgress(static_cast<int>(j));

            const bool available = CheckCompiled(e);
            if (level.designer.empty()) Error("ERROR: Level " + e.label + " has no Designer!");
            CheckPassword(e, level.password, accepted);
            if (errors_ == 0 && available) WriteTableEntry(j, e, level);
        }
        CheckOutput();
    }

    void AddLevelListLine(const BuildEntry& e, const LevelEntry& level) {
        LevelInfo info;
        if (e.plain) {
            info = ReadLevelInfo(folder_, e.ref.source, e.ref.level,
                                 [this](const std::string& source) { tool_.List(source, folder_); })
                       .info;
        } else {
            info.Name = kLevelErrorText;
        }
        levelList_.push_back(FormatLevelListLine(e.label, FormatLevelInfoLine(info), level.password,
                                                 level.designer));
    }

    // The compiled level must be there and readable now, or the set would
    // record a size for data it does not have.
    bool CheckCompiled(BuildEntry& e) {
        if (!e.plain) {
            Error("ERROR: Level " + e.label + " has an invalid Level Reference!");
            return false;
        }
        if (NamesAFolder(e.ref.source)) {
            Error(NoSourceFileLine(e.label, e.ref.source));
            return false;
        }
        const std::string path = compiled_.PathOf(e);
        auto size = FileSize(path);
        if (!size || *size > std::numeric_limits<std::uint32_t>::max() || !IsReadable(path)) {
            CouldNotCompile(e);
            return false;
        }
        if (compiled_.HasNoSourceFile(e)) {
            Error(NoSourceFileLine(e.label, e.ref.source));
            return false;
        }
        e.size = static_cast<std::uint32_t>(*size);
        return true;
    }

    void CheckPassword(const BuildEntry& e, const std::string& password,
                       std::vector<std::pair<std::string, std::string>>& accepted) {
        if (password.empty()) {
            Error("ERROR: Level " + e.label + " has no Password!");
            return;
        }
        if (password == model_.wizard) {
            Error("ERROR: Level " + e.label + " has the same Password as the Wizard Mode!");
            return;
        }
        for (const auto& [earlier, label] : accepted) {
            if (EqualsNoCase(earlier, password)) {
                Error("ERROR: Level " + e.label + " has the same Password as Level " + label + "!");
                return;
            }
        }
        accepted.emplace_back(password, e.label);
    }

    void WriteTableEntry(std::size_t j, const BuildEntry& e, const LevelEntry& level) {
        LevelTableEntry t;
        t.present = true;
        t.position = static_cast<std::uint8_t>(j);
        t.password = level.password;
        t.designer = level.designer;
        t.music = MusicByte(level.music);
        t.size = e.size;
        out_.Write(SerializeTableEntry(t));
    }

    void SecondPass() {
        for (std::size_t j = 1; j <= count_; ++j) {
            BuildEntry& e = compiled_.Entries()[j - 1];
            view_.AddStatusLine("Indexing Level " + e.label + "...");
            compiled_.CompileIfNeeded(e);
            view_.SetProgress(static_cast<int>(count_ + j + 1));

            auto bytes = ReadFileBytes(compiled_.PathOf(e));
            if (!bytes) {
                CouldNotCompile(e);
                continue;
            }
            // The table already holds the first pass's size; a level that changed
            // since would make every later level unreadable.
            if (bytes->size() != e.size) {
                Error("ERROR: Level " + e.label + " changed size during the build!");
                continue;
            }
            if (errors_ != 0) continue;
            LevelRecord record;
            record.position = static_cast<std::uint8_t>(j);
            record.hint = model_.levels[j - 1].hint;
            out_.Write(SerializeRecord(record));
            out_.Write(*bytes);
            CheckOutput();
        }
    }

    // Only a file or a link at the output path is replaced.
    bool OutputIsReplaceable() const {
        std::error_code ec;
        auto status = std::filesystem::symlink_status(settings_.outputPath, ec);
        if (ec || !std::filesystem::exists(status)) return true;
        return std::filesystem::is_regular_file(status) || std::filesystem::is_symlink(status);
    }

    // A build without errors puts the new set in the old one's place in one
    // step; with errors the old set stays as it was.
    void Commit() {
        if (errors_ == 0 && std::rename(out_.Path().c_str(), settings_.outputPath.c_str()) != 0)
            WriteError(std::strerror(errno));
        if (errors_ != 0) DeleteFileQuiet(out_.Path());
    }

    void CheckOutput() {
        if (out_.Failed() && !writeErrorShown_) {
            writeErrorShown_ = true;
            WriteError(out_.Reason());
        }
    }

    // The design's line, and under it the system's reason.
    void WriteError(const std::string& reason) {
        Error(UnableToWriteLine(settings_.outputPath));
        if (!reason.empty()) view_.AddStatusLine(WriteReasonLine(reason));
    }

    void Error(const std::string& line) {
        view_.AddStatusLine(line);
        ++errors_;
    }

    ProjectModel& model_;
    const BuildSettings& settings_;
    LevelTool& tool_;
    Prompts& prompts_;
    Random& random_;
    BuildView& view_;
    const std::string folder_;
    const std::size_t count_;
    const int offset_;

    CompiledLevels compiled_;
    OutputFile out_;
    bool created_ = false;
    bool writeErrorShown_ = false;
    int errors_ = 0;
    std::vector<std::string> levelList_;
};

}  // namespace

BuildResult RunLevelSetBuild(ProjectModel& model, const BuildSettings& settings, LevelTool& tool,
                             Prompts& prompts, Random& random, BuildView& view) {
    return Build(model, settings, tool, prompts, random, view).Run();
}

}  // namespace gdl
