#pragma once

// The player's test doubles, and one bundle of them that tests, benchmarks and
// fuzz targets hand to the player's core as its ports.
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "CommonFakes.h"
#include "Link.h"
#include "PlayerState.h"
#include "SerialLine.h"
#include "Timer.h"

namespace gdl {

// Test double: records what is written, hands out queued bytes and errors.
class FakeSerialLine : public SerialLine {
public:
    std::vector<unsigned char> written;
    std::deque<unsigned char> incoming;
    bool refuseOpen = false;
    std::string openError = "busy";
    // Writes from this many bytes on fail (-1: none fails).
    long failFromByte = -1;
    int pendingError = 0;  // reported at the next read, with "Read Error"
    int opens = 0, closes = 0, waits = 0, reads = 0;
    bool open = false;
    // Called at each write, so a test can act in the middle of a send.
    std::function<void(unsigned char)> onWrite;

    void SetPort(const std::string& port) override { port_ = port; }
    const std::string& Port() const override { return port_; }
    bool OpenConnection() override {
        ++opens;
        if (refuseOpen) return false;
        open = true;
        return true;
    }
    void CloseConnection() override {
        ++closes;
        open = false;
    }
    long ReadComm(unsigned char* buffer, long count) override {
        ++reads;
        if (pendingError != 0 && onErrorOccurred) {
            int error = pendingError;
            pendingError = 0;
            onErrorOccurred(error, "Read Error");
        }
        long n = 0;
        while (n < count && !incoming.empty()) {
            buffer[n++] = incoming.front();
            incoming.pop_front();
        }
        return n;
    }
    bool WriteCommByte(unsigned char byte) override {
        if (!open) return false;
        bool ok = failFromByte < 0 || static_cast<long>(written.size()) < failFromByte;
        if (ok) written.push_back(byte);
        ++attempts_;
        if (onWrite) onWrite(byte);
        return ok;
    }
    bool WriteComm(const unsigned char* buffer, long count) override {
        bool all = true;
        for (long i = 0; i < count; ++i) all = WriteCommByte(buffer[i]) && all;
        return all;
    }
    bool WaitSent() override {
        ++waits;
        return open;
    }
    std::string LastError() const override { return refuseOpen ? openError : std::string(); }
    bool Vanished() const override { return vanished; }
    bool vanished = false;
    long Attempts() const { return attempts_; }

private:
    std::string port_;
    long attempts_ = 0;
};

// Test double: time moves only when the test says so, and a due tick runs
// onTick as the window's timer message would.
class ManualTimer : public Timer {
public:
    std::function<void()> onTick;

    void Start(int ms) override {
        enabled_ = true;
        interval_ = ms;
        due_ = now_ + ms;
        ++starts_;
    }
    void Stop() override { enabled_ = false; }
    bool Enabled() const override { return enabled_; }

    // Moves the clock on by ms, running the tick when it falls due.
    void Advance(long long ms) {
        long long until = now_ + ms;
        while (enabled_ && due_ <= until) {
            now_ = due_;
            // A window timer keeps firing until stopped; Timer1's handler stops it first.
            due_ = now_ + interval_;
            if (onTick) onTick();
        }
        now_ = until;
    }
    long long Now() const { return now_; }
    long long NowMs() const override { return now_; }
    int Starts() const { return starts_; }

private:
    bool enabled_ = false;
    long long now_ = 0;
    long long due_ = 0;
    long long interval_ = kWatchdogMs;
    int starts_ = 0;
};

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
