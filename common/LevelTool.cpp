#include "LevelTool.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "Environment.h"
#include "FileUtil.h"
#include "PathJoin.h"
#include "Process.h"
#include "Prompts.h"
#include "TextUtil.h"
#include "ToolRunner.h"

namespace fs = std::filesystem;

namespace gdl {

namespace {

constexpr char kCrLf[] = "\r\n";

// Q(x): the tool's full path in double quotes.
std::string Quoted(std::string_view toolFolder, std::string_view name) {
    std::string q = "\"";
    for (char c : toolFolder) {
        q += c;
        if (c == '%') q += '%';
    }
    q += name;
    q += '"';
    return q;
}

// Tools run in the project folder, so a relative tool folder would point
// somewhere else by then.
std::string AbsoluteFolder(const std::string& folder) {
    if (!folder.empty() && folder[0] == '/') return folder;
    std::error_code ec;
    fs::path p = fs::absolute(folder.empty() ? "." : folder, ec);
    if (ec) return folder;
    return WithTrailingSlash(p.lexically_normal().string());
}

bool IsBatchName(std::string_view name) {
    return ToLowerAscii(ExtensionOf(name)) == ".bat";
}

}  // namespace

std::string EditBatchText(std::string_view toolFolder, int port) {
    return "@set LD_COM=" + std::to_string(port) + kCrLf + "@" + Quoted(toolFolder, kLevelToolExe) +
           " %1";
}

std::string ListBatchText(std::string_view toolFolder) {
    return "@" + Quoted(toolFolder, kLevelToolExe) + " -s%1 > %1.te1";
}

std::string CompileBatchText(std::string_view toolFolder) {
    return "@" + Quoted(toolFolder, kLevelToolExe) + " -m%1";
}

std::string StatBatchText(std::string_view toolFolder) {
    return "@" + Quoted(toolFolder, kStatToolExe) + " -g < %1.te3 > %1.te4";
}

bool CanQuoteInBatch(std::string_view toolFolder) {
    for (char c : toolFolder) {
        auto u = static_cast<unsigned char>(c);
        if (c == '"' || u < 0x20 || u == 0x7F) return false;
    }
    return true;
}

std::string UserBatchFolder() {
    return UserKitFolder();
}

std::string MissingToolFileMessage(std::string_view fullPath, std::string_view program) {
    return "The file " + std::string(fullPath) +
           " could not be found.\r\nThis file is required in order for " + std::string(program) +
           " to function properly.\r\n\r\nPlease re-install the software from your Trovemark CD.";
}

LevelTool::LevelTool(std::string toolFolder, ToolRunner& runner, Prompts& prompts,
                     std::string programName)
    : toolFolder_(AbsoluteFolder(WithTrailingSlash(toolFolder))),
      runner_(runner),
      prompts_(prompts),
      programName_(std::move(programName)) {
    // The batch file holds the user's port: in a folder others write too, one
    // user's choice would be every user's.
    batchFolder_ = IsOwnWritableFolder(toolFolder_) ? toolFolder_ : UserBatchFolder();
    if (batchFolder_.empty()) batchFolder_ = toolFolder_;
}

std::string LevelTool::ToolFilePath(std::string_view name) const {
    return JoinPath(IsBatchName(name) ? batchFolder_ : toolFolder_, name);
}

bool LevelTool::CheckToolFiles(std::initializer_list<std::string_view> names,
                               bool withMessage) const {
    std::string missing;
    bool first = true;
    for (std::string_view name : names) {
        bool skip = !first && name.empty();
        first = false;
        if (skip) continue;
        std::string path = ToolFilePath(name);
        if (!FileExists(path)) missing = path;
    }
    if (missing.empty()) return true;
    if (withMessage) {
        prompts_.ShowMessage(kCaptionFileError, MissingToolFileMessage(missing, programName_),
                             MsgIcon::Error);
    }
    return false;
}

bool LevelTool::WriteBatch(std::string_view name, std::string_view text) {
    if (!CanQuoteInBatch(toolFolder_)) return false;
    // The user's folder is made on first use, with its parents.
    std::error_code ec;
    if (batchFolder_ != toolFolder_) fs::create_directories(batchFolder_, ec);
    if (WriteFileAtomic(JoinPath(batchFolder_, name), text)) return true;
    // The tool folder may have become read-only since we looked.
    std::string cache = UserBatchFolder();
    if (cache.empty() || cache == batchFolder_) return false;
    fs::create_directories(cache, ec);
    if (!WriteFileAtomic(JoinPath(cache, name), text)) return false;
    batchFolder_ = cache;
    return true;
}

bool LevelTool::WriteEditBatch(int port) {
    if (port < 1 || port > 4) return false;
    port_ = port;
    return WriteBatch(kEditBatch, EditBatchText(toolFolder_, port));
}

bool LevelTool::Edit(const std::string& source, const std::string& projectFolder, bool wait) {
    if (!CheckToolFiles({kLevelToolExe, kLevelToolPif, kEditBatch}, true)) return false;
    return runner_.RunTool(ToolFilePath(kEditBatch), source, projectFolder, true, wait) == 0;
}

bool LevelTool::RunInfoBatch(std::string_view text, const std::string& source,
                             const std::string& projectFolder) {
    bool written = WriteBatch(kInfoBatch, text);
    // The check runs even after a failed write, so a missing batch is reported.
    bool present = CheckToolFiles({kLevelToolExe, kLevelToolPif, kInfoBatch, kInfoPif}, true);
    if (!written || !present) return false;
    return runner_.RunTool(ToolFilePath(kInfoBatch), source, projectFolder, false, true) == 0;
}

bool LevelTool::List(const std::string& source, const std::string& projectFolder) {
    return RunInfoBatch(ListBatchText(toolFolder_), source, projectFolder);
}

bool LevelTool::Compile(const std::string& source, const std::string& projectFolder) {
    return RunInfoBatch(CompileBatchText(toolFolder_), source, projectFolder);
}

bool LevelTool::Stats(const std::string& base, const std::string& projectFolder) {
    if (!WriteBatch(kStatBatch, StatBatchText(toolFolder_))) return false;
    if (!CheckToolFiles({kStatToolExe, kStatBatch, kStatPif}, false)) return false;
    return runner_.RunTool(ToolFilePath(kStatBatch), base, projectFolder, false, true) == 0;
}

}  // namespace gdl
