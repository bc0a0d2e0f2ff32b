#pragma once

// The Lynx exchange's test doubles: a scripted serial line and a manual
// clock with the window's one-shot timer on it. The player's and GDLMap's
// tests share them.
#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "SerialLine.h"
#include "Timer.h"

namespace gdl {

// Test double: a scripted line. It records what is handed to it, hands out
// queued bytes and errors, and ends each write itself (at once, as if the
// wire were infinitely fast) unless holdWrites asks the test to end it.
class FakeSerialLine : public SerialLine {
public:
    std::vector<unsigned char> written;
    std::deque<unsigned char> incoming;
    bool refuseOpen = false;
    std::string openError = "busy";
    // The port takes no byte from this many on: the write ends in failure
    // (-1: none fails).
    long failFromByte = -1;
    int pendingError = 0;  // reported at the next read, with "Read Error"
    int opens = 0, closes = 0, reads = 0, writes = 0;
    bool open = false;
    // Writes stay under way until the test calls EndWrite.
    bool holdWrites = false;
    // Bytes handed over but not yet out (a held write counts them all).
    std::size_t queued = 0;
    // Called at each write, so a test can act in the middle of a send.
    std::function<void(const unsigned char*, long)> onWrite;

    void SetPort(const std::string& port) override { port_ = port; }
    const std::string& Port() const override { return port_; }
    bool OpenConnection() override {
        ++opens;
        if (refuseOpen) return false;
        open = true;
        vanished = false;
        return true;
    }
    void CloseConnection() override {
        ++closes;
        open = false;
        queued = 0;
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
    bool WriteComm(const unsigned char* buffer, long count) override {
        if (!open || vanished) return false;
        ++writes;
        bool ok = true;
        for (long i = 0; i < count; ++i) {
            if (failFromByte >= 0 && static_cast<long>(written.size()) >= failFromByte) {
                ok = false;
                break;
            }
            written.push_back(buffer[i]);
        }
        if (onWrite) onWrite(buffer, count);
        if (holdWrites && ok) {
            queued += static_cast<std::size_t>(count);
            return true;
        }
        if (onWritten) onWritten(ok);
        return true;
    }
    // The held write: count more bytes have left the port.
    void Drain(std::size_t count) {
        queued -= std::min(queued, count);
        if (onWriteProgress) onWriteProgress();
    }
    // The held write ends.
    void EndWrite(bool ok) {
        queued = 0;
        if (onWritten) onWritten(ok);
    }
    std::size_t Unsent() const override { return queued; }
    std::string LastError() const override { return refuseOpen ? openError : std::string(); }
    bool Vanished() const override { return vanished; }
    bool vanished = false;

private:
    std::string port_;
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

}  // namespace gdl
