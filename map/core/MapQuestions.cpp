#include "MapQuestions.h"

#include "MapEditor.h"

namespace gdl {

void ReportProblem(Prompts& prompts, const Result<void>& result) {
    if (!result) prompts.ShowMessage(kMapCaption, result.Err().Message(), MsgIcon::Warning);
}

Result<void> AskDeleteLevel(MapEditor& session, Prompts& prompts) {
    if (session.Level() < 0) return {};
    const std::string text = session.DeleteQuestion();
    if (prompts.Ask(kMapCaption, text, MsgButtons::YesNo, MsgIcon::Question) != Answer::Yes)
        return {};
    return session.DeleteLevel();
}

Result<void> AskReload(MapEditor& session, Prompts& prompts,
                       const std::function<Result<void>()>& reload) {
    if (session.Modified() && prompts.Ask(kMapCaption, "Reload the file and lose your changes?",
                                          MsgButtons::YesNo, MsgIcon::Question) != Answer::Yes)
        return {};
    return reload ? reload() : session.Reload();
}

CloseAnswer AskClose(MapEditor& session, Prompts& prompts, const std::function<bool()>& save) {
    if (session.AskOnClose() == CloseQuestion::None) return CloseAnswer::Close;
    const std::string text = "Save changes to " + session.FileName() + "?";
    switch (prompts.Ask(kMapCaption, text, MsgButtons::SaveDiscardCancel, MsgIcon::Question)) {
        case Answer::Yes: {
            if (save) return save() ? CloseAnswer::Close : CloseAnswer::Stay;
            auto saved = session.Save();
            ReportProblem(prompts, saved);
            return saved ? CloseAnswer::Close : CloseAnswer::Stay;
        }
        case Answer::No:
            return CloseAnswer::Discard;
        default:
            return CloseAnswer::Stay;
    }
}

std::string ReplaceReport(std::size_t count, const std::string& from, const std::string& to,
                          bool wholeSource) {
    const std::string where = wholeSource ? " in the whole source." : " in this level.";
    if (count == 0) return "There is no " + from + where;
    return "Replaced " + std::to_string(count) + (count == 1 ? " tile of " : " tiles of ") + from +
           " with " + to + where;
}

}  // namespace gdl
