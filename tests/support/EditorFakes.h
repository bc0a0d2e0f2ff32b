#pragma once

// The editor's test doubles, and one bundle of them that tests, benchmarks and
// fuzz targets hand to the editor's core as its ports.
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "CommonFakes.h"
#include "EditorDialogs.h"
#include "Passwords.h"

namespace gdl {

// Test double: answers from queues (Cancel / nullopt / false when empty) and
// records what was shown. editDesigners, when set, acts on the dialog core as a
// user would and gives the answer.
class ScriptedEditorDialogs : public EditorDialogs {
public:
    struct HintShown {
        std::string caption;
        std::string title;
        std::string text;
    };
    std::deque<AddSourceAnswer> addSourceAnswers;
    std::deque<std::optional<std::string>> hintAnswers;
    std::function<bool(DesignersDialog&)> editDesigners;

    std::vector<AddSourceRequest> addSourceShown;
    std::vector<HintShown> hintsShown;
    int designersShown = 0;

    AddSourceAnswer AskAddSource(const AddSourceRequest& request) override;
    std::optional<std::string> EditHint(const std::string& caption, const std::string& title,
                                        const std::string& text) override;
    bool EditDesigners(DesignersDialog& dialog) override;
};

// Test double: hands out the queued draws, then 0.
class ScriptedRandom : public Random {
public:
    std::deque<int> draws;
    int Draw() override;
};

// Every port of the editor's core, faked.
struct EditorFakes {
    MemoryRegistry registry;
    RecordingToolRunner runner;
    ScriptedPrompts prompts;
    ScriptedEditorDialogs dialogs;
    RecordingSoundPlayer sound;
    ScriptedRandom random;
};

}  // namespace gdl
