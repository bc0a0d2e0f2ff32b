// The simulated Lynx: it reads the player's stream from the port, answers
// a level, presses the end-of-level buttons by script or by key, and paces
// what it sends as the wire would. One thread: ppoll on the port, the keys
// and the next thing due.
#pragma once

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "LinkStream.h"
#include "SimScript.h"

namespace gdl::lynxsim {

using std::chrono::milliseconds;

inline constexpr unsigned char kAnswerByte = 0x5A;
inline constexpr unsigned char kButtonByte = 0x42;
inline constexpr double kBitsPerByte = 11;

struct Options {
    std::string device;
    std::optional<unsigned> baud;
    bool echo = true;
    bool lynxOff = false;
    unsigned noisePerSecond = 0;
    unsigned answerDelayMs = 100;
    unsigned answerBytes = 4;
    unsigned burstGapMs = 40;
    unsigned levelTimeoutMs = 500;
    std::optional<std::vector<SimStep>> script;
};

// Set from a signal handler: the run ends at its next wake.
extern volatile sig_atomic_t gStop;

class Simulator {
public:
    // slave: the pty's other side, held open here; -1 for a real port.
    Simulator(const Options& options, int port, int slave)
        : options_(options),
          port_(port),
          slave_(slave),
          parser_(milliseconds(options.levelTimeoutMs)) {
        if (slave >= 0 && options.baud) {
            byteTime_ = std::chrono::duration_cast<SimClock::duration>(
                std::chrono::duration<double>(kBitsPerByte / *options.baud));
        }
        // A terminal gives keys only to its foreground: "lynxsim &" must not stop.
        const bool terminal = ::isatty(0);
        keys_ = (!options.script || terminal) && (!terminal || ::tcgetpgrp(0) == ::getpgrp());
        if (options.script) steps_ = *options.script;
        if (options.noisePerSecond > 0) {
            noiseGap_ = std::chrono::duration_cast<SimClock::duration>(
                std::chrono::duration<double>(1.0 / options.noisePerSecond));
            noiseNext_ = SimClock::now();
        }
    }
    int Run();
    bool ReadsKeys() const { return keys_; }
    // Gives the client what was sent before the line closes: a pty that
    // loses its master drops the input its slave has not read yet.
    void Drain() const;

private:
    static void Print(const std::string& line) {
        std::fputs(line.c_str(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
    bool Paced() const { return byteTime_.count() > 0; }
    void MakeNoise(SimClock::time_point now);
    SimClock::time_point Answer(SimClock::time_point from);
    SimClock::time_point Burst(unsigned count, SimClock::time_point from);
    void Received(unsigned char byte, SimClock::time_point at);
    void Report(const gdl::StreamEvent& event, SimClock::time_point at);
    bool ReadPort(SimClock::time_point now);
    bool WritePort(SimClock::time_point now);
    void StepScript(SimClock::time_point now);
    void ReadKeys(SimClock::time_point now);
    bool OutputDueBy(SimClock::time_point at) const {
        return !out_.empty() && out_.begin()->first <= at;
    }
    std::optional<SimClock::time_point> NextWake(SimClock::time_point now, bool reading) const;

    const Options& options_;
    int port_;
    int slave_;
    gdl::LinkStreamParser parser_;
    SimClock::duration byteTime_{0};
    // Bytes to send, by the time they are due; the wire may send them later.
    std::multimap<SimClock::time_point, unsigned char> out_;
    SimClock::time_point outFree_{};
    SimClock::time_point lastWrite_{};
    bool outBlocked_ = false;
    // With pacing: when the next byte can have arrived, and whether more
    // were waiting at the last read.
    SimClock::time_point inNext_{};
    bool inBacklog_ = false;
    std::vector<SimStep> steps_;
    std::size_t step_ = 0;
    bool stepStarted_ = false;
    SimClock::time_point stepUntil_{};
    unsigned goodLevels_ = 0;
    unsigned levelsTaken_ = 0;
    SimClock::duration noiseGap_{0};
    SimClock::time_point noiseNext_{};
    std::uint32_t noiseSeed_ = 12345;
    bool keys_ = false;
    bool keysEnded_ = false;
    bool quit_ = false;
};

}  // namespace gdl::lynxsim
