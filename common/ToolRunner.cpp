#include "ToolRunner.h"

#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "BatchRunner.h"
#include "Environment.h"
#include "FileUtil.h"
#include "LevelTool.h"
#include "PathJoin.h"
#include "Process.h"
#include "TextUtil.h"

namespace fs = std::filesystem;

namespace gdl {

namespace {

std::string JoinWithBlanks(const std::vector<std::string>& words) {
    std::string joined;
    for (const auto& w : words) {
        if (!joined.empty()) joined += ' ';
        joined += w;
    }
    return joined;
}

std::vector<std::string> OneArgument(const std::string& argument) {
    if (argument.empty()) return {};
    return {argument};
}

// The started program changes into its working folder before it sees any
// path, so every path we hand over must not depend on ours.
std::string Absolute(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::absolute(path, ec);
    return ec ? path : p.string();
}

// The kit's programs that show their text in a terminal: started from a
// window, they open a terminal window of their own.
constexpr char kCompanionExe[] = "GDLTools.exe";
constexpr std::string_view kConsoleTools[] = {kLevelToolExe, kStatToolExe, kCompanionExe};

// On a desktop the level tool edits in the map editor beside it, a window of
// its own.
bool MapEditorTakesTheEdit(const std::string& levelTool) {
    return HaveDisplay() && IsExecutableFile(JoinPath(FolderOf(levelTool), kMapEditorExe));
}

bool IsConsoleTool(const std::string& path) {
    std::string name = FileNameOf(path);
    if (EqualsNoCase(name, kLevelToolExe)) return !MapEditorTakesTheEdit(path);
    // The companion program opens a window of its own where there is a display.
    if (EqualsNoCase(name, kCompanionExe)) return !HaveDisplay();
    for (std::string_view tool : kConsoleTools) {
        if (EqualsNoCase(name, tool)) return true;
    }
    return false;
}

bool NeedsTerminalWindow(ToolKind kind, const std::string& path) {
    if (StdinIsTerminal()) return false;
    if (kind != ToolKind::Batch) return IsConsoleTool(path);
    // A batch file needs one unless all it runs is the level tool's edit in
    // the map editor.
    auto text = ReadFileBytes(path);
    BatchParseResult parsed = ParseBatch(text.value_or(""), "");
    if (!parsed.ok || parsed.script.commands.empty()) return true;
    for (const auto& command : parsed.script.commands) {
        const std::string program = command.program.empty() || command.program[0] == '/'
                                        ? command.program
                                        : JoinPath(FolderOf(path), command.program);
        if (!EqualsNoCase(FileNameOf(program), kLevelToolExe) || IsConsoleTool(program))
            return true;
    }
    return false;
}

}  // namespace

std::string OpenerFailureText(const std::string& path, int exitStatus, std::string_view said) {
    std::string text = "xdg-open could not open " + path;
    switch (exitStatus) {
        case 1:
            text += ": it was given a wrong command line";
            break;
        case 2:
            text += ": the file does not exist";
            break;
        case 3:
            text += ": a program it needs is not installed";
            break;
        case 4:
            text += ": the program for this kind of file failed";
            break;
        default:
            text += " (exit status " + std::to_string(exitStatus) + ")";
            break;
    }
    const std::string message = TrimBlanks(std::string(said));
    if (!message.empty()) text += ". It says: " + message;
    return text + ".";
}

int ToolRunner::RunToolArgs(const std::string& file, const std::vector<std::string>& arguments,
                            const std::string& folder, bool shown, bool wait) {
    return RunTool(file, JoinWithBlanks(arguments), folder, shown, wait);
}

ToolKind ClassifyTool(const std::string& path) {
    std::string ext = ToLowerAscii(ExtensionOf(path));
    if (ext == ".bat") return ToolKind::Batch;
    if (ext == ".exe") return ToolKind::Program;
    if (FileExists(path) && ::access(path.c_str(), X_OK) == 0) {
        // The execute bit alone says little: files copied from other systems
        // often carry it. The first bytes tell a program from a document.
        std::string head = ReadFilePrefix(path, 4).value_or("");
        if (head ==
                "\x7f"
                "ELF" ||
            head.rfind("#!", 0) == 0)
            return ToolKind::Program;
    }
    return ToolKind::Document;
}

PosixToolRunner::PosixToolRunner(std::function<void()> processEvents)
    : processEvents_(std::move(processEvents)) {}

int PosixToolRunner::Fail(int error, std::string why) {
    lastError_ = std::move(why);
    return error;
}

int PosixToolRunner::RunTool(const std::string& file, const std::string& argument,
                             const std::string& folder, bool shown, bool wait) {
    return RunToolArgs(file, OneArgument(argument), folder, shown, wait);
}

int PosixToolRunner::RunToolArgs(const std::string& file, const std::vector<std::string>& arguments,
                                 const std::string& folder, bool shown, bool wait) {
    lastError_.clear();
    lastErrorOutput_.clear();
    if (file.empty()) return Fail(ENOENT, "No file to start was given.");
    std::string path = Absolute(JoinPath(folder, file));
    std::error_code ec;
    if (!fs::exists(path, ec)) return Fail(ENOENT, "The file " + path + " could not be found.");

    ToolKind kind = ClassifyTool(path);
    if (shown && NeedsTerminalWindow(kind, path) && !TerminalCommand("", {})) {
        return Fail(ENOENT, "No terminal window can be opened to show " + path +
                                ": no terminal emulator was found; " + kNoTerminalHint + ".");
    }
    ProcessStart start;
    start.folder = folder;
    start.hidden = !shown;
    switch (kind) {
        case ToolKind::Batch:
            return RunBatch(path, arguments, folder, shown, wait);
        case ToolKind::Program:
            start.program = path;
            start.arguments = arguments;
            break;
        case ToolKind::Document:
            return OpenDocument(path, folder, wait);
    }
    ProcessWait how;
    how.processEvents = processEvents_;
    how.errorOutput = &lastErrorOutput_;
    int rc = wait ? WaitForProcesses({start}, how) : StartProcesses({start});
    if (rc != 0) return Fail(rc, start.program + " could not be started.");
    return 0;
}

// xdg-open hands the document to its program and ends, or, on a desktop it
// does not know, stays while that program runs: so we watch it only this
// long for its verdict.
constexpr int kOpenerVerdictMs = 3000;

int PosixToolRunner::OpenDocument(const std::string& path, const std::string& folder, bool wait) {
    auto opener = FindInPath("xdg-open");
    if (!opener) {
        return Fail(ENOENT, "No program to open " + path +
                                " was found: xdg-open is not installed (package xdg-utils).");
    }
    ProcessStart start;
    start.program = *opener;
    start.arguments = {path};
    start.folder = folder;
    // Its standard error is its message when it fails.
    start.hidden = true;
    int status = -1;
    std::string said;
    ProcessWait how;
    how.processEvents = processEvents_;
    how.errorOutput = &said;
    how.exitStatus = &status;
    bool ended = true;
    int rc = wait ? WaitForProcesses({start}, how)
                  : StartProcessWatched(start, kOpenerVerdictMs, how, ended);
    if (rc != 0) return Fail(rc, start.program + " could not be started.");
    if (ended && status != 0) return Fail(kOpenerFailed, OpenerFailureText(path, status, said));
    return 0;
}

int PosixToolRunner::RunBatch(const std::string& path, const std::vector<std::string>& arguments,
                              const std::string& folder, bool shown, bool wait) {
    auto text = ReadFileBytes(path);
    if (!text) return Fail(EACCES, "The file " + path + " could not be read.");
    BatchParseResult parsed = ParseBatch(*text, arguments.empty() ? "" : arguments.front());
    if (!parsed.ok) return Fail(EINVAL, path + ", " + parsed.error);
    int rc = wait ? RunBatchScript(parsed.script, folder, shown, processEvents_, &lastErrorOutput_)
                  : StartBatchScript(parsed.script, folder, shown);
    if (rc != 0) return Fail(rc, "A program of " + path + " could not be started.");
    return 0;
}

}  // namespace gdl
