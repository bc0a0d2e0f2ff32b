#pragma once

// The player's test doubles, and one bundle of them that tests, benchmarks and
// fuzz targets hand to the player's core as its ports.
#include <algorithm>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "CommonFakes.h"
#include "Link.h"
#include "LinkFakes.h"
#include "PlayerState.h"

namespace gdl {

class ScriptedPlayerDialogs : public PlayerDialogs {
public:
    struct Load {
        std::string installFolder, folder, fileName;
    };
    struct Hint {
        std::string caption, label, memo;
    };
    std::deque<std::optional<std::string>> loadAnswers;  // empty: Cancel
    std::vector<Load> loads;
    std::vector<Hint> hints;
    std::function<void()> duringDialog;  // runs while a dialog is "open"

    std::optional<std::string> ShowLoad(const std::string& installFolder, const std::string& folder,
                                        const std::string& fileName) override {
        loads.push_back({installFolder, folder, fileName});
        if (duringDialog) duringDialog();
        if (loadAnswers.empty()) return std::nullopt;
        auto answer = loadAnswers.front();
        loadAnswers.pop_front();
        return answer;
    }
    void ShowHint(const std::string& caption, const std::string& label,
                  const std::string& memo) override {
        hints.push_back({caption, label, memo});
        if (duringDialog) duringDialog();
    }

    struct Reason {
        std::string caption, status, reason;
    };
    std::vector<Reason> reasons;
    void ShowPortReason(const std::string& caption, const std::string& status,
                        const std::string& reason) override {
        reasons.push_back({caption, status, reason});
    }
    struct DeviceList {
        std::vector<std::string> lines;
        int port = 0;
    };
    std::vector<DeviceList> deviceLists;
    std::deque<std::optional<DeviceChoice>> deviceAnswers;  // empty: Cancel
    std::optional<DeviceChoice> ChooseDevice(const std::vector<std::string>& lines,
                                             int port) override {
        deviceLists.push_back({lines, port});
        if (deviceAnswers.empty()) return std::nullopt;
        auto answer = deviceAnswers.front();
        deviceAnswers.pop_front();
        return answer;
    }
};

// Every port of the player's core, faked.
struct PlayerFakes {
    MemoryRegistry registry;
    RecordingToolRunner runner;
    ScriptedPrompts prompts;
    ManualTimer timer;
    FakeSerialLine line;
    ScriptedPlayerDialogs dialogs;

    PlayerPorts Ports() { return {registry, runner, prompts, timer, line, dialogs}; }
};

}  // namespace gdl
