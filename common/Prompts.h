// The message box and file dialog port. The Qt layer shows real dialogs; the
// scripted double answers from a queue and records every question.
#pragma once

#include <deque>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gdl {

enum class MsgIcon { None, Question, Error, Information, Warning };
// SaveDiscardCancel answers Yes (save), No (discard) or Cancel.
enum class MsgButtons { Ok, YesNo, YesNoCancel, SaveDiscardCancel };
enum class Answer { Ok, Cancel, Yes, No };

inline constexpr char kCaptionConfirm[] = "Confirm";
inline constexpr char kCaptionFileError[] = "File Error";

struct FileDialogRequest {
    std::string title;
    std::string folder;    // starting folder
    std::string fileName;  // proposed name
    std::string filter;    // "Text (*.x)|*.x|All files (*.*)|*.*"
    std::string defaultExt;
    bool mustExist = false;        // open: file and path must exist
    bool overwritePrompt = false;  // save: ask before overwriting
};

class Prompts {
public:
    virtual ~Prompts() = default;
    virtual void ShowMessage(const std::string& caption, const std::string& text, MsgIcon icon) = 0;
    virtual Answer Ask(const std::string& caption, const std::string& text, MsgButtons buttons,
                       MsgIcon icon) = 0;
    // Full path chosen, or nullopt on cancel.
    virtual std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) = 0;
};

// Message texts break lines with CR LF; a terminal wants LF alone, and no
// other control byte raw (ShowControls).
std::string ForTerminal(std::string_view text);

// Without windows: boxes go to a stream (standard error), and every question
// takes one fixed answer, printed after it.
class StreamPrompts : public Prompts {
public:
    StreamPrompts(std::ostream& err, Answer answer, std::string answerNote)
        : err_(err), answer_(answer), answerNote_(std::move(answerNote)) {}
    void ShowMessage(const std::string& caption, const std::string& text, MsgIcon icon) override;
    Answer Ask(const std::string& caption, const std::string& text, MsgButtons buttons,
               MsgIcon icon) override;
    std::optional<std::string> OpenFileDialog(const FileDialogRequest&) override {
        return std::nullopt;
    }
    std::optional<std::string> SaveFileDialog(const FileDialogRequest&) override {
        return std::nullopt;
    }

private:
    std::ostream& err_;
    Answer answer_;
    std::string answerNote_;
};

}  // namespace gdl
