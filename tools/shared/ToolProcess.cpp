#include "ToolProcess.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "Environment.h"

namespace gdl {

namespace {

// argv[0] found in PATH, the rest its arguments.
std::optional<ProcessStart> StartOf(const std::vector<std::string>& argv) {
    if (argv.empty()) return std::nullopt;
    auto program = FindProgram(argv[0]);
    if (!program) return std::nullopt;
    ProcessStart start;
    start.program = *program;
    start.arguments.assign(argv.begin() + 1, argv.end());
    return start;
}

}  // namespace

std::string EnvValue(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::vector<std::string> SplitCommandWords(std::string_view command) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (char c : command) {
        if (quote) {
            if (c == quote) {
                quote = 0;
            } else {
                word += c;
            }
        } else if (c == '\'' || c == '"') {
            quote = c;
            inWord = true;
        } else if (c == ' ' || c == '\t') {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

std::optional<int> RunAndWait(const std::vector<std::string>& argv, std::string* problem) {
    auto fail = [&](std::string text) -> std::optional<int> {
        if (problem) *problem = std::move(text);
        return std::nullopt;
    };
    if (argv.empty()) return fail("no program to run");
    auto start = StartOf(argv);
    if (!start) return fail(argv[0] + " not found");
    int status = -1;
    ProcessWait how;
    how.exitStatus = &status;
    how.ignoreInterrupts = true;
    if (int rc = WaitForProcesses({*start}, how); rc != 0)
        return fail(argv[0] + " could not be started: " + std::strerror(rc));
    if (status < 0) return fail(argv[0] + " ended abnormally");
    return status;
}

bool StartDetached(const std::vector<std::string>& argv) {
    auto start = StartOf(argv);
    if (!start) return false;
    start->hidden = true;
    start->errorFile = "/dev/null";
    start->newSession = true;
    return StartProcesses({*start}) == 0;
}

}  // namespace gdl
