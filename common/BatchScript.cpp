#include "BatchScript.h"

#include "TextUtil.h"

namespace gdl {

namespace {

// Commands of the Windows shell itself: in a batch file they never name a
// program, and we do not imitate them.
constexpr std::string_view kShellCommands[] = {
    "assoc", "break", "call",  "cd",       "chdir",  "cls",    "color", "copy",     "date",
    "del",   "dir",   "echo",  "endlocal", "erase",  "exit",   "for",   "ftype",    "goto",
    "if",    "md",    "mkdir", "mklink",   "move",   "path",   "pause", "popd",     "prompt",
    "pushd", "rd",    "rem",   "ren",      "rename", "rmdir",  "set",   "setlocal", "shift",
    "start", "time",  "title", "type",     "ver",    "verify", "vol"};

bool IsSpaceOrTab(char c) {
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
    while (pos < line.size() && IsSpaceOrTab(line[pos])) ++pos;
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
            if (IsSpaceOrTab(c) || c == '"' || c == '%' || IsOperator(c)) {
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
            if (!quoted && (IsSpaceOrTab(c) || IsOperator(c))) break;
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
           (line.size() == 3 || IsSpaceOrTab(line[3]));
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

}  // namespace gdl
