#include "Prompts.h"

#include <ostream>

#include "TextUtil.h"

namespace gdl {

namespace {

std::string DescribeRequest(const FileDialogRequest& r) {
    return r.folder + r.fileName + " [" + r.filter + "] ." + r.defaultExt;
}

std::optional<std::string> NextPath(std::deque<std::optional<std::string>>& paths) {
    if (paths.empty()) return std::nullopt;
    auto path = std::move(paths.front());
    paths.pop_front();
    return path;
}

}  // namespace

void ScriptedPrompts::ShowMessage(const std::string& caption, const std::string& text,
                                  MsgIcon icon) {
    shown.push_back({"message", caption, text, icon, MsgButtons::Ok, {}});
}

Answer ScriptedPrompts::Ask(const std::string& caption, const std::string& text, MsgButtons buttons,
                            MsgIcon icon) {
    shown.push_back({"ask", caption, text, icon, buttons, {}});
    if (answers.empty()) return Answer::Cancel;
    Answer a = answers.front();
    answers.pop_front();
    return a;
}

std::optional<std::string> ScriptedPrompts::OpenFileDialog(const FileDialogRequest& request) {
    shown.push_back(
        {"open", request.title, DescribeRequest(request), MsgIcon::None, MsgButtons::Ok, request});
    return NextPath(paths);
}

std::optional<std::string> ScriptedPrompts::SaveFileDialog(const FileDialogRequest& request) {
    shown.push_back(
        {"save", request.title, DescribeRequest(request), MsgIcon::None, MsgButtons::Ok, request});
    return NextPath(paths);
}

std::string ForTerminal(std::string_view text) {
    std::string r;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        r += text[i];
    }
    return ShowControls(r);
}

void StreamPrompts::ShowMessage(const std::string&, const std::string& text, MsgIcon) {
    err_ << ForTerminal(text) << '\n' << std::flush;
}

Answer StreamPrompts::Ask(const std::string&, const std::string& text, MsgButtons, MsgIcon) {
    err_ << ForTerminal(text) << answerNote_ << '\n' << std::flush;
    return answer_;
}

}  // namespace gdl
