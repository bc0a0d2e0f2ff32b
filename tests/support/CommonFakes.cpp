#include "CommonFakes.h"

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

// As the real runner records a call: the arguments joined by blanks, and one
// argument unless it is empty.
std::string JoinWithBlanks(const std::vector<std::string>& words) {
    std::string joined;
    for (const auto& w : words) joined += (joined.empty() ? "" : " ") + w;
    return joined;
}

std::vector<std::string> OneArgument(const std::string& argument) {
    if (argument.empty()) return {};
    return {argument};
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

int RecordingToolRunner::RunTool(const std::string& file, const std::string& argument,
                                 const std::string& folder, bool shown, bool wait) {
    calls.push_back({file, argument, OneArgument(argument), folder, shown, wait});
    ToolCall call = calls.back();  // onRun may run tools itself
    return onRun ? onRun(call) : 0;
}

int RecordingToolRunner::RunToolArgs(const std::string& file,
                                     const std::vector<std::string>& arguments,
                                     const std::string& folder, bool shown, bool wait) {
    calls.push_back({file, JoinWithBlanks(arguments), arguments, folder, shown, wait});
    ToolCall call = calls.back();
    return onRun ? onRun(call) : 0;
}

}  // namespace gdl
