#include "BatchRunner.h"

#include <cerrno>

#include "Environment.h"
#include "FileUtil.h"
#include "PathJoin.h"

namespace gdl {

namespace {

// Like the Windows shell: a bare name is looked for in the working folder first.
std::optional<std::string> ResolveProgram(const std::string& program, const std::string& folder) {
    if (program.empty()) return std::nullopt;
    if (program[0] == '/') return program;
    if (program.find('/') != std::string::npos || FileExists(JoinPath(folder, program))) {
        return JoinPath(folder, program);
    }
    return FindInPath(program);
}

std::string InFolder(const std::string& file, const std::string& folder) {
    if (file.empty() || file[0] == '/') return file;
    return JoinPath(folder, file);
}

// The programs the script runs in folder, each with the variables set before
// its line. error: 0, or ENOENT for a program not found.
std::vector<ProcessStart> BatchStarts(const BatchScript& script, const std::string& folder,
                                      bool shown, int& error) {
    std::vector<ProcessStart> starts;
    error = 0;
    for (const auto& command : script.commands) {
        auto program = ResolveProgram(command.program, folder);
        if (!program) {
            error = ENOENT;
            return {};
        }
        ProcessStart s;
        s.program = *program;
        s.arguments = command.arguments;
        s.folder = folder;
        s.inputFile = InFolder(command.inputFile, folder);
        s.outputFile = InFolder(command.outputFile, folder);
        s.hidden = !shown;
        std::size_t n = std::min(command.environmentCount, script.environment.size());
        s.environment.assign(script.environment.begin(),
                             script.environment.begin() + static_cast<std::ptrdiff_t>(n));
        starts.push_back(std::move(s));
    }
    return starts;
}

}  // namespace

int RunBatchScript(const BatchScript& script, const std::string& folder, bool shown,
                   const std::function<void()>& processEvents, std::string* errorOutput) {
    if (errorOutput) errorOutput->clear();
    int error = 0;
    auto starts = BatchStarts(script, folder, shown, error);
    if (error != 0) return error;
    ProcessWait how;
    how.processEvents = processEvents;
    how.errorOutput = errorOutput;
    return WaitForProcesses(starts, how);
}

int StartBatchScript(const BatchScript& script, const std::string& folder, bool shown) {
    int error = 0;
    auto starts = BatchStarts(script, folder, shown, error);
    if (error != 0) return error;
    return StartProcesses(starts);
}

}  // namespace gdl
