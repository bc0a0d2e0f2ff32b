// The file session's prompts for tests: scripted answers, every question
// recorded.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "FileSession.h"

namespace gdltest {

class ScriptedFilePrompts : public gdl::FilePrompts {
public:
    gdl::ChangedAnswer changed = gdl::ChangedAnswer::KeepMine;
    bool overwrite = false;
    std::optional<std::string> saveAs;
    gdl::RecoverAnswer recover = gdl::RecoverAnswer::Recover;
    // Runs at the start of every question (a test may throw from it).
    std::function<void()> onAsk;

    std::vector<std::string> asked;  // "changed: TEXT", "overwrite: TEXT", ...
    std::vector<std::string> told;
    std::vector<std::string> status;

    gdl::ChangedAnswer AskChanged(const std::string& text, bool) override {
        Ask("changed: " + text);
        return changed;
    }
    bool AskOverwrite(const std::string& text) override {
        Ask("overwrite: " + text);
        return overwrite;
    }
    std::optional<std::string> AskSaveAs(const std::string& reason, const std::string&) override {
        Ask("save as: " + reason);
        return saveAs;
    }
    gdl::RecoverAnswer AskRecover(const std::string& text) override {
        Ask("recover: " + text);
        return recover;
    }
    void Tell(const std::string& text) override { told.push_back(text); }
    void Status(const std::string& text) override { status.push_back(text); }

private:
    void Ask(std::string text) {
        asked.push_back(std::move(text));
        if (onAsk) onAsk();
    }
};

}  // namespace gdltest
