// Runs a real program: in a given folder, with standard
// input from a string and standard output and error caught in strings.
#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "FakeTools.h"

namespace gdltest {

struct ProgramResult {
    int status = -1;  // exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
    long maxRssKb = 0;  // the child's peak resident memory
};

// Environment changes for the child: a value sets the variable, nullopt unsets it.
using EnvChanges = std::vector<std::pair<std::string, std::optional<std::string>>>;

inline ProgramResult RunProgram(const std::vector<std::string>& argv, const std::string& folder,
                                const std::string& input = {}, const EnvChanges& env = {}) {
    namespace fs = std::filesystem;
    // Files rather than pipes, so a chatty child can never block on a full pipe.
    char dirTemplate[] = "/tmp/gdlkit-run-XXXXXX";
    std::string io = ::mkdtemp(dirTemplate);
    const std::string inPath = io + "/in", outPath = io + "/out", errPath = io + "/err";
    std::ofstream(inPath, std::ios::binary) << input;
    ProgramResult result;
    pid_t pid = ::fork();
    if (pid == 0) {
        int in = ::open(inPath.c_str(), O_RDONLY);
        int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0 || ::chdir(folder.c_str()) != 0) ::_exit(126);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        for (const auto& [name, value] : env) {
            if (value) {
                ::setenv(name.c_str(), value->c_str(), 1);
            } else {
                ::unsetenv(name.c_str());
            }
        }
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    result.maxRssKb = usage.ru_maxrss;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    auto slurp = [](const std::string& path) {
        std::ifstream f(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    };
    result.out = slurp(outPath);
    result.err = slurp(errPath);
    std::error_code ec;
    fs::remove_all(io, ec);
    return result;
}

}  // namespace gdltest
