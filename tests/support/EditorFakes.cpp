#include "EditorFakes.h"

namespace gdl {

AddSourceAnswer ScriptedEditorDialogs::AskAddSource(const AddSourceRequest& request) {
    addSourceShown.push_back(request);
    if (addSourceAnswers.empty()) return AddSourceAnswer::Cancel;
    AddSourceAnswer answer = addSourceAnswers.front();
    addSourceAnswers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedEditorDialogs::EditHint(const std::string& caption,
                                                           const std::string& title,
                                                           const std::string& text) {
    hintsShown.push_back({caption, title, text});
    if (hintAnswers.empty()) return std::nullopt;
    std::optional<std::string> answer = hintAnswers.front();
    hintAnswers.pop_front();
    return answer;
}

bool ScriptedEditorDialogs::EditDesigners(DesignersDialog& dialog) {
    ++designersShown;
    return editDesigners ? editDesigners(dialog) : false;
}

int ScriptedRandom::Draw() {
    if (draws.empty()) return 0;
    int d = draws.front();
    draws.pop_front();
    return d;
}

}  // namespace gdl
