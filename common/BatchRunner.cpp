#include "BatchRunner.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>

#include "FileUtil.h"
#include "TextUtil.h"

extern char** environ;

namespace gdl {

namespace {

// ---------------------------------------------------------------------------
// Parsing

// Commands of the Windows shell itself: in a batch file they never name a
// program, and we do not imitate them.
constexpr std::string_view kShellCommands[] = {
    "assoc", "break", "call",  "cd",       "chdir",  "cls",    "color", "copy",     "date",
    "del",   "dir",   "echo",  "endlocal", "erase",  "exit",   "for",   "ftype",    "goto",
    "if",    "md",    "mkdir", "mklink",   "move",   "path",   "pause", "popd",     "prompt",
    "pushd", "rd",    "rem",   "ren",      "rename", "rmdir",  "set",   "setlocal", "shift",
    "start", "time",  "title", "type",     "ver",    "verify", "vol"};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsOperator(char c) {
    return c == '<' || c == '>' || c == '|' || c == '&' || c == '^';
}

bool IsShellCommand(std::string_view program) {
    std::string lower = ToLowerAscii(program);
    for (std::string_view cmd : kShellCommands) {
        if (lower == cmd) return true;
        // The shell reads "echo." and "cd/" as the command too.
        if (lower.size() > cmd.size() && lower.compare(0, cmd.size(), cmd) == 0 &&
            (lower[cmd.size()] == '.' || lower[cmd.size()] == '/' || lower[cmd.size()] == '(')) {
            return true;
        }
    }
    return false;
}

void SkipBlanks(std::string_view line, std::size_t& pos) {
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
}

class LineParser {
  public:
    LineParser(std::string_view line, std::string_view argument)
        : line_(line), argument_(argument) {}

    const std::string& Error() const { return error_; }

    // "NAME=VALUE" after "set".
    bool ParseSet(std::pair<std::string, std::string>& variable) {
        std::string_view rest = line_.substr(pos_);
        auto eq = rest.find('=');
        if (eq == std::string_view::npos || eq == 0)
            return Fail("only set NAME=VALUE is understood");
        std::string_view name = rest.substr(0, eq);
        for (char c : name) {
            if (IsBlank(c) || c == '"' || c == '%' || IsOperator(c)) {
                return Fail("only set NAME=VALUE is understood");
            }
        }
        if (name[0] == '/') return Fail("set switches are not supported");
        std::string value;
        bool quoted = false;
        for (std::size_t i = eq + 1; i < rest.size(); ++i) {
            char c = rest[i];
            if (c == '"') quoted = !quoted;
            if (!quoted && IsOperator(c)) return UnsupportedOperator(rest, i);
            if (c == '%') {
                if (!Percent(rest, i, value)) return false;
                continue;
            }
            value += c;
        }
        variable = {std::string(name), std::move(value)};
        return true;
    }

    bool ParseCommand(BatchCommand& command) {
        for (;;) {
            SkipBlanks(line_, pos_);
            if (pos_ >= line_.size()) break;
            char c = line_[pos_];
            if (c == '<' || c == '>') {
                if (!ParseRedirection(command)) return false;
                continue;
            }
            if (IsOperator(c)) return UnsupportedOperator(line_, pos_);
            std::size_t start = pos_;
            std::string word;
            bool present = false;
            if (!ReadWord(word, present)) return false;
            // "2>err" redirects a handle in the shell; "2 >err" would not.
            if (pos_ < line_.size() && (line_[pos_] == '<' || line_[pos_] == '>') &&
                pos_ - start == 1 && line_[start] >= '0' && line_[start] <= '9') {
                return Fail("redirection of a numbered handle (" + std::string(1, line_[start]) +
                            std::string(1, line_[pos_]) + ") is not supported");
            }
            if (!present) continue;
            if (command.program.empty()) {
                command.program = std::move(word);
            } else {
                command.arguments.push_back(std::move(word));
            }
        }
        if (command.program.empty()) return Fail("no program to run");
        if (IsShellCommand(command.program) || command.program[0] == '(') {
            return Fail("\"" + command.program +
                        "\" is a command of the Windows shell, not supported");
        }
        return true;
    }

    void Skip(std::size_t n) {
        pos_ += n;
        SkipBlanks(line_, pos_);
    }

  private:
    bool Fail(std::string message) {
        error_ = std::move(message);
        return false;
    }

    bool UnsupportedOperator(std::string_view text, std::size_t at) {
        char c = text[at];
        if (c == '|') return Fail("pipes (|) are not supported");
        if (c == '&') return Fail("command chaining (&) is not supported");
        if (c == '^') return Fail("the escape character (^) is not supported");
        return Fail(std::string("redirection (") + c + ") is not supported here");
    }

    // "%1" becomes the argument and "%%" a percent sign; nothing else is known.
    bool Percent(std::string_view text, std::size_t& i, std::string& out) {
        if (i + 1 < text.size() && text[i + 1] == '1') {
            out += argument_;
        } else if (i + 1 < text.size() && text[i + 1] == '%') {
            out += '%';
        } else {
            std::string form(text.substr(i, 2));
            return Fail("\"" + form + "\" is not supported; only %1 is");
        }
        ++i;
        return true;
    }

    // One word up to a blank or an operator outside quotes. present tells an
    // empty quoted word ("") from a %1 that expanded to nothing.
    bool ReadWord(std::string& word, bool& present) {
        bool quoted = false;
        bool hadQuotes = false;
        for (; pos_ < line_.size(); ++pos_) {
            char c = line_[pos_];
            if (c == '"') {
                quoted = !quoted;
                hadQuotes = true;
                continue;
            }
            if (!quoted && (IsBlank(c) || IsOperator(c))) break;
            if (c == '%') {
                if (!Percent(line_, pos_, word)) return false;
                continue;
            }
            word += c;
        }
        if (quoted) return Fail("a double quote is not closed");
        present = hadQuotes || !word.empty();
        return true;
    }

    bool ParseRedirection(BatchCommand& command) {
        char c = line_[pos_];
        if (pos_ + 1 < line_.size() && (line_[pos_ + 1] == c || line_[pos_ + 1] == '&')) {
            return Fail(std::string("\"") + c + line_[pos_ + 1] + "\" is not supported");
        }
        std::string& target = c == '<' ? command.inputFile : command.outputFile;
        if (!target.empty()) {
            return Fail(std::string("a second ") + (c == '<' ? "input" : "output") +
                        " redirection is not supported");
        }
        ++pos_;
        SkipBlanks(line_, pos_);
        std::string file;
        bool present = false;
        if (pos_ < line_.size() && IsOperator(line_[pos_])) {
            return Fail(std::string("a file name must follow ") + c);
        }
        if (!ReadWord(file, present)) return false;
        if (file.empty()) return Fail(std::string("a file name must follow ") + c);
        target = std::move(file);
        return true;
    }

    std::string_view line_;
    std::string_view argument_;
    std::size_t pos_ = 0;
    std::string error_;
};

bool StartsWithSet(std::string_view line) {
    return line.size() >= 3 && EqualsNoCase(line.substr(0, 3), "set") &&
           (line.size() == 3 || IsBlank(line[3]));
}

// ---------------------------------------------------------------------------
// Running

bool IsExecutableFile(const std::string& path) {
    return FileExists(path) && ::access(path.c_str(), X_OK) == 0;
}

// Like the Windows shell: a bare name is looked for in the working folder first.
std::optional<std::string> ResolveProgram(const std::string& program, const std::string& folder) {
    if (program.empty()) return std::nullopt;
    if (program[0] == '/') return program;
    if (program.find('/') != std::string::npos || FileExists(folder + program)) {
        return folder + program;
    }
    return FindInPath(program);
}

std::string InFolder(const std::string& file, const std::string& folder) {
    if (file.empty() || file[0] == '/') return file;
    return folder + file;
}

// The child changes into its working folder before it executes the program.
std::string Absolute(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(path, ec);
    return ec ? path : p.string();
}

std::vector<std::string> BuildEnvironment(
    const std::vector<std::pair<std::string, std::string>>& changes) {
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) env.emplace_back(*e);
    for (const auto& [name, value] : changes) {
        std::string prefix = name + "=";
        std::erase_if(
            env, [&](const std::string& v) { return v.compare(0, prefix.size(), prefix) == 0; });
        if (!value.empty()) env.push_back(prefix + value);
    }
    return env;
}

// Everything posix_spawn needs, built before any fork: the child of a fork in
// a threaded program may only make system calls, not allocate.
class PreparedStart {
  public:
    explicit PreparedStart(const ProcessStart& start) : program_(Absolute(start.program)) {
        strings_.push_back(start.program);
        for (const auto& a : start.arguments) strings_.push_back(a);
        std::size_t argc = strings_.size();
        for (auto& e : BuildEnvironment(start.environment)) strings_.push_back(std::move(e));
        for (std::size_t i = 0; i < strings_.size(); ++i) {
            (i < argc ? argv_ : envp_).push_back(strings_[i].data());
        }
        argv_.push_back(nullptr);
        envp_.push_back(nullptr);

        error_ = ::posix_spawn_file_actions_init(&actions_);
        if (error_ != 0) return;
        actionsReady_ = true;
        std::string input = Absolute(start.inputFile);
        if (input.empty() && start.hidden) input = "/dev/null";
        std::string output = Absolute(start.outputFile);
        bool truncate = !output.empty();
        if (output.empty() && start.hidden) output = "/dev/null";
        if (!input.empty() && error_ == 0) {
            error_ = ::posix_spawn_file_actions_addopen(&actions_, 0, input.c_str(), O_RDONLY, 0);
        }
        if (!output.empty() && error_ == 0) {
            int flags = O_WRONLY | (truncate ? O_CREAT | O_TRUNC : 0);
            error_ = ::posix_spawn_file_actions_addopen(&actions_, 1, output.c_str(), flags, 0666);
        }
        if (!start.folder.empty() && error_ == 0) {
            error_ = ::posix_spawn_file_actions_addchdir_np(&actions_, start.folder.c_str());
        }
        // Tools get standard handles only, never our serial port or sockets.
        if (error_ == 0) error_ = ::posix_spawn_file_actions_addclosefrom_np(&actions_, 3);

        if (error_ == 0) error_ = ::posix_spawnattr_init(&attr_);
        if (error_ != 0) return;
        attrReady_ = true;
        sigset_t none;
        sigset_t all;
        sigemptyset(&none);
        sigfillset(&all);
        ::posix_spawnattr_setsigmask(&attr_, &none);
        ::posix_spawnattr_setsigdefault(&attr_, &all);
        ::posix_spawnattr_setflags(&attr_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~PreparedStart() {
        if (actionsReady_) ::posix_spawn_file_actions_destroy(&actions_);
        if (attrReady_) ::posix_spawnattr_destroy(&attr_);
    }
    PreparedStart(const PreparedStart&) = delete;
    PreparedStart& operator=(const PreparedStart&) = delete;

    int Error() const { return error_; }

    int Spawn(pid_t& pid) const {
        return ::posix_spawn(&pid, program_.c_str(), &actions_, &attr_, argv_.data(), envp_.data());
    }

  private:
    std::string program_;
    std::vector<std::string> strings_;
    std::vector<char*> argv_;
    std::vector<char*> envp_;
    posix_spawn_file_actions_t actions_{};
    posix_spawnattr_t attr_{};
    bool actionsReady_ = false;
    bool attrReady_ = false;
    int error_ = 0;
};

using PreparedList = std::vector<std::unique_ptr<PreparedStart>>;

constexpr long kPollNanoseconds = 15'000'000;

// Without processEvents it simply blocks; that is the detached child's case.
void WaitFor(pid_t pid, const std::function<void()>* processEvents) {
    for (;;) {
        int status = 0;
        pid_t r = ::waitpid(pid, &status, processEvents ? WNOHANG : 0);
        if (r == pid) return;
        if (r < 0) {
            if (errno == EINTR) continue;
            return;  // someone else reaped it: it has ended all the same
        }
        if (*processEvents) (*processEvents)();
        timespec pause{0, kPollNanoseconds};
        ::nanosleep(&pause, nullptr);
    }
}

int RunPrepared(const PreparedList& list, const std::function<void()>* processEvents) {
    for (const auto& p : list) {
        pid_t pid = 0;
        int rc = p->Spawn(pid);
        if (rc != 0) return rc;
        WaitFor(pid, processEvents);
    }
    return 0;
}

// The first child only starts the work and ends, so we reap it at once and
// the work, adopted by init, never lingers as our zombie.
int RunDetached(const PreparedList& list) {
    pid_t first = ::fork();
    if (first < 0) return errno;
    if (first == 0) {
        if (list.size() == 1) {
            pid_t pid = 0;
            _exit(list.front()->Spawn(pid) & 0xFF);
        }
        pid_t second = ::fork();
        if (second == 0) {
            ::closefrom(3);
            RunPrepared(list, nullptr);
            _exit(0);
        }
        _exit(second < 0 ? (errno & 0xFF) : 0);
    }
    int status = 0;
    while (::waitpid(first, &status, 0) < 0) {
        if (errno != EINTR) return 0;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : ECHILD;
}

std::vector<ProcessStart> ScriptStarts(const BatchScript& script, const std::string& folder,
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

BatchParseResult ParseBatch(std::string_view text, std::string_view argument1) {
    BatchParseResult result;
    std::vector<std::string> lines = SplitLines(text);
    for (std::size_t n = 0; n < lines.size(); ++n) {
        std::string_view line = lines[n];
        std::size_t pos = 0;
        SkipBlanks(line, pos);
        if (pos < line.size() && line[pos] == '@') {
            ++pos;
            SkipBlanks(line, pos);
        }
        line = line.substr(pos);
        if (TrimBlanks(line).empty()) continue;
        std::string lineError;
        if (line[0] == ':') {
            lineError = "labels are not supported";
        } else if (StartsWithSet(line)) {
            LineParser parser(line, argument1);
            parser.Skip(3);
            std::pair<std::string, std::string> variable;
            if (parser.ParseSet(variable)) {
                result.script.environment.push_back(std::move(variable));
            } else {
                lineError = parser.Error();
            }
        } else {
            LineParser parser(line, argument1);
            BatchCommand command;
            command.environmentCount = result.script.environment.size();
            if (parser.ParseCommand(command)) {
                result.script.commands.push_back(std::move(command));
            } else {
                lineError = parser.Error();
            }
        }
        if (!lineError.empty()) {
            result.error = "line " + std::to_string(n + 1) + ": " + lineError;
            result.script = {};
            return result;
        }
    }
    result.ok = true;
    return result;
}

int RunProcesses(const std::vector<ProcessStart>& starts, bool wait,
                 const std::function<void()>& processEvents) {
    PreparedList list;
    for (const auto& s : starts) {
        // Checked here, where it can still be reported, not in a detached child.
        if (!IsExecutableFile(s.program)) return FileExists(s.program) ? EACCES : ENOENT;
        std::error_code ec;
        if (!s.folder.empty() && !std::filesystem::is_directory(s.folder, ec)) return ENOENT;
        list.push_back(std::make_unique<PreparedStart>(s));
        if (int e = list.back()->Error()) return e;
    }
    if (list.empty()) return 0;
    if (!wait) return RunDetached(list);
    std::function<void()> events = processEvents ? processEvents : [] {};
    return RunPrepared(list, &events);
}

int RunBatchScript(const BatchScript& script, const std::string& folder, bool shown,
                   const std::function<void()>& processEvents) {
    int error = 0;
    auto starts = ScriptStarts(script, folder, shown, error);
    if (error != 0) return error;
    return RunProcesses(starts, true, processEvents);
}

int StartBatchScript(const BatchScript& script, const std::string& folder, bool shown) {
    int error = 0;
    auto starts = ScriptStarts(script, folder, shown, error);
    if (error != 0) return error;
    return RunProcesses(starts, false, {});
}

std::optional<std::string> FindInPath(std::string_view name) {
    if (name.empty() || name.find('/') != std::string_view::npos) return std::nullopt;
    const char* env = std::getenv("PATH");
    std::string_view path = env ? env : "/bin:/usr/bin";
    while (true) {
        auto colon = path.find(':');
        std::string_view dir = path.substr(0, colon);
        // An empty entry means the current folder; we do not search it.
        if (!dir.empty()) {
            std::string candidate = WithTrailingSlash(dir) + std::string(name);
            if (IsExecutableFile(candidate)) return candidate;
        }
        if (colon == std::string_view::npos) break;
        path.remove_prefix(colon + 1);
    }
    return std::nullopt;
}

}  // namespace gdl
