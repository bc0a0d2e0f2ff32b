#include "Prompts.h"

#include <ostream>

#include "TextUtil.h"

namespace gdl {

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
