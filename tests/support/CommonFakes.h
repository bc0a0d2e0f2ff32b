#pragma once

// The test doubles of the common ports: in-memory registry, scripted message
// boxes, a tool runner that records, a silent sound player.
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Prompts.h"
#include "Registry.h"
#include "RegistryHive.h"
#include "SoundPlayer.h"
#include "ToolRunner.h"

namespace gdl {

// Test double: the registry's own rules over two hives held in memory.
class MemoryRegistry : public HiveRegistry {
protected:
    RegistryHive LoadHive(RegRoot root, LoadState& state) const override {
        state = LoadState::Ok;
        return root == RegRoot::LocalMachine ? machine_ : user_;
    }
    bool StoreHive(RegRoot root, const RegistryHive& hive) override {
        (root == RegRoot::LocalMachine ? machine_ : user_) = hive;
        return true;
    }

private:
    RegistryHive machine_;
    RegistryHive user_;
};

// Test double. Questions take the next queued answer (Cancel when none is
// left, so a forgotten answer never says yes); dialogs take the next queued
// path (nullopt when none).
class ScriptedPrompts : public Prompts {
public:
    struct Shown {
        std::string kind;  // "message", "ask", "open", "save"
        std::string caption;
        std::string text;  // message text, or the dialog's request as text
        MsgIcon icon = MsgIcon::None;
        MsgButtons buttons = MsgButtons::Ok;
        FileDialogRequest request;
    };
    std::deque<Answer> answers;
    std::deque<std::optional<std::string>> paths;
    std::vector<Shown> shown;

    void ShowMessage(const std::string& caption, const std::string& text, MsgIcon icon) override;
    Answer Ask(const std::string& caption, const std::string& text, MsgButtons buttons,
               MsgIcon icon) override;
    std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override;
    std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) override;
};

// Test double: records every call and lets the test act for the tool.
class RecordingToolRunner : public ToolRunner {
public:
    std::function<int(const ToolCall&)> onRun;
    std::vector<ToolCall> calls;
    // Returned by LastErrorOutput(); onRun may set it for the call it acts for.
    std::string errorOutput;
    std::string LastErrorOutput() const override { return errorOutput; }
    // Returned by LastError(); onRun may set it for a call it fails.
    std::string error;
    std::string LastError() const override { return error; }
    int RunTool(const std::string& file, const std::string& argument, const std::string& folder,
                bool shown, bool wait) override;
    int RunToolArgs(const std::string& file, const std::vector<std::string>& arguments,
                    const std::string& folder, bool shown, bool wait) override;
};

class RecordingSoundPlayer : public SoundPlayer {
public:
    std::vector<std::string> events;  // "play PATH" or "stop"
    void PlayAsync(const std::string& path) override { events.push_back("play " + path); }
    void Stop() override { events.push_back("stop"); }
};

}  // namespace gdl
