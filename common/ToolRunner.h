// Starting programs, batch files and documents, optionally waiting for them.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace gdl {

class ToolRunner {
public:
    virtual ~ToolRunner() = default;
    // Starts file with one argument (may be empty) in folder. A file without a
    // folder is looked up in folder. ".bat" files run through the batch
    // runner, executables directly, anything else opens in its associated
    // program. Returns 0 or an error number; callers may ignore it.
    virtual int RunTool(const std::string& file, const std::string& argument,
                        const std::string& folder, bool shown, bool wait) = 0;
};

// The real runner: posix_spawn and waitpid polling, calling processEvents
// between polls so a window keeps repainting while a tool runs.
class PosixToolRunner : public ToolRunner {
public:
    explicit PosixToolRunner(std::function<void()> processEvents = {});
    int RunTool(const std::string& file, const std::string& argument, const std::string& folder,
                bool shown, bool wait) override;

private:
    std::function<void()> processEvents_;
};

struct ToolCall {
    std::string file;
    std::string argument;
    std::string folder;
    bool shown = false;
    bool wait = false;
};

// Test double: records every call and lets the test act for the tool.
class RecordingToolRunner : public ToolRunner {
public:
    std::function<int(const ToolCall&)> onRun;
    std::vector<ToolCall> calls;
    int RunTool(const std::string& file, const std::string& argument, const std::string& folder,
                bool shown, bool wait) override;
};

}  // namespace gdl
