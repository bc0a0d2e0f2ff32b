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
    // The same with several arguments, each handed over as one word (the
    // level test passes a project path and a level index). For a ".bat" the
    // first is %1; a document takes none. By default the arguments are
    // joined by blanks and passed to RunTool.
    virtual int RunToolArgs(const std::string& file, const std::vector<std::string>& arguments,
                            const std::string& folder, bool shown, bool wait);
    // What the last hidden run that was waited for wrote to its error output
    // (the level tool's own messages), cut to a few KiB; "" when nothing.
    // Every call begins by clearing it.
    virtual std::string LastErrorOutput() const { return {}; }
    // Why the last call failed, in words, for the user ("" after a success):
    // what could not be found or started, and what to install.
    virtual std::string LastError() const { return {}; }
};

// The real runner over the kit's process spawner (Process.h). A waited-for
// run blocks on the program, or, with processEvents (a window), calls it
// every few milliseconds until the program ends, so the window repaints.
// A shown batch file or console tool (ld.exe, gdlstat.exe, GDLTools.exe)
// started from no terminal opens a terminal window of its own; without a
// terminal emulator to open the run fails and LastError() says so.
class PosixToolRunner : public ToolRunner {
public:
    explicit PosixToolRunner(std::function<void()> processEvents = {});
    int RunTool(const std::string& file, const std::string& argument, const std::string& folder,
                bool shown, bool wait) override;
    int RunToolArgs(const std::string& file, const std::vector<std::string>& arguments,
                    const std::string& folder, bool shown, bool wait) override;

    std::string LastError() const override { return lastError_; }
    std::string LastErrorOutput() const override { return lastErrorOutput_; }

private:
    int Fail(int error, std::string why);
    int OpenDocument(const std::string& path, const std::string& folder, bool wait);
    int RunBatch(const std::string& path, const std::vector<std::string>& arguments,
                 const std::string& folder, bool shown, bool wait);
    std::function<void()> processEvents_;
    std::string lastError_;
    std::string lastErrorOutput_;
};

// How RunTool starts an existing file: ".bat" through the batch runner; an
// executable ELF binary or "#!" script, or any ".exe", as a program; anything
// else (a folder, "docs.htm") through xdg-open.
enum class ToolKind { Batch, Program, Document };

// RunTool's result when xdg-open started but could not open the document.
inline constexpr int kOpenerFailed = 1000;
// Why xdg-open, ending with exitStatus (1 to 4 by its manual) after writing
// said to its error output, did not open path.
std::string OpenerFailureText(const std::string& path, int exitStatus, std::string_view said);
ToolKind ClassifyTool(const std::string& path);

struct ToolCall {
    std::string file;
    std::string argument;  // the arguments joined by blanks
    std::vector<std::string> arguments;
    std::string folder;
    bool shown = false;
    bool wait = false;
};

}  // namespace gdl
