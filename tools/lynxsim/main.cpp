// lynxsim: the Lynx and its loader at the far end of the cable, for tests and
// for trying the player without a Lynx. One thread: ppoll on the port, the
// keys and the next thing due.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CommandLine.h"
#include "LinkStream.h"
#include "SerialPosix.h"
#include "SimScript.h"
#include "UniqueFd.h"

namespace {

using gdl::SimClock;
using gdl::SimStep;
using std::chrono::milliseconds;

constexpr char kUsageLine[] =
    "Usage: lynxsim [--device PATH] [--baud N] [--no-echo] [--lynx-off] [--noise N] "
    "[--answer-delay MS] [--answer-bytes N] [--burst-gap MS] [--level-timeout MS] "
    "[--script STEPS]";

constexpr char kHelp[] =
    "\n"
    "Stands where the Lynx and its loader stand. Opens a new pseudo-terminal and\n"
    "prints its device path as the first line (or opens --device PATH, a real port,\n"
    "at 9600 baud 8E1 or --baud N), then:\n"
    "  - echoes every byte it receives, as the single-wire cable does;\n"
    "  - takes each level apart (0xA5 preamble, 36-byte header, level bytes) and\n"
    "    prints one JSON line for it, or an error line for what it cannot parse;\n"
    "  - answers a good level with a few bytes, then stays silent;\n"
    "  - sends end-of-level bursts of single bytes.\n"
    "\n"
    "  --device PATH       use a serial port instead of a pseudo-terminal\n"
    "  --baud N            pace what it reads and sends at N baud, 11 bits a byte\n"
    "                      (with --device: the port's rate; the wire paces it)\n"
    "  --no-echo           do not echo (a two-wire cable)\n"
    "  --lynx-off          the Lynx is switched off: only the cable's echo comes back\n"
    "  --noise N           send random bytes, N a second, as a noisy line would\n"
    "  --answer-delay MS   wait before answering a good level (100)\n"
    "  --answer-bytes N    bytes in an answer (4)\n"
    "  --burst-gap MS      time between the bytes of a burst (40)\n"
    "  --level-timeout MS  silence that ends an incomplete level (500)\n"
    "  --script STEPS      steps separated by \";\": wait-level, answer, burst N,\n"
    "                      wait MS, quit; then only \"answer\" answers a level\n"
    "\n"
    "Keys (when standard input is a terminal, or without --script): n a burst of 4\n"
    "(next level), r a burst of 1 (play again), q quit. Otherwise it runs until the\n"
    "script's quit or a signal (TERM, INT, HUP).\n"
    "\n"
    "Lines on standard output after the device path:\n"
    "  {\"event\":\"level\",\"preamble\":512,\"title\":\"PC LEVEL 1\",...,\"ms\":12.3}\n"
    "  {\"event\":\"error\",\"reason\":\"...\"}\n"
    "  {\"event\":\"answer\",\"count\":4}   {\"event\":\"burst\",\"count\":4}\n"
    "Exit status: 0 done, 1 the port failed, 2 usage error.\n";

constexpr unsigned char kAnswerByte = 0x5A;
constexpr unsigned char kButtonByte = 0x42;
constexpr double kBitsPerByte = 11;

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

volatile sig_atomic_t gStop = 0;
void OnSignal(int) {
    gStop = 1;
}

// Keys without Enter and without echo, for as long as it lives.
class KeyMode {
public:
    explicit KeyMode(bool wanted) {
        if (!wanted || !::isatty(0) || ::tcgetattr(0, &saved_) != 0) return;
        termios keys = saved_;
        keys.c_lflag &= ~(ICANON | ECHO);
        keys.c_cc[VMIN] = 1;
        keys.c_cc[VTIME] = 0;
        active_ = ::tcsetattr(0, TCSANOW, &keys) == 0;
    }
    ~KeyMode() {
        if (active_) ::tcsetattr(0, TCSANOW, &saved_);
    }
    KeyMode(const KeyMode&) = delete;
    KeyMode& operator=(const KeyMode&) = delete;

private:
    termios saved_{};
    bool active_ = false;
};

// The cable's framing at rate: 8 data bits, even parity, 1 stop bit.
gdl::LineSettings CableSettings(unsigned rate) {
    gdl::LineSettings settings;
    settings.baudRate = rate;
    settings.parity = gdl::even_parity;
    settings.parityCheck = false;
    return settings;
}

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

SimClock::time_point Simulator::Answer(SimClock::time_point from) {
    const auto due = from + milliseconds(options_.answerDelayMs);
    for (unsigned i = 0; i < options_.answerBytes; ++i) out_.emplace(due, kAnswerByte);
    Print("{\"event\":\"answer\",\"count\":" + std::to_string(options_.answerBytes) + "}");
    return due;
}

SimClock::time_point Simulator::Burst(unsigned count, SimClock::time_point from) {
    const milliseconds gap(options_.burstGapMs);
    for (unsigned i = 0; i < count; ++i) out_.emplace(from + i * gap, kButtonByte);
    Print("{\"event\":\"burst\",\"count\":" + std::to_string(count) + "}");
    return from + (count - 1) * gap;
}

void Simulator::Report(const gdl::StreamEvent& event, SimClock::time_point at) {
    Print(gdl::ToJson(event));
    const auto* level = std::get_if<gdl::LevelEvent>(&event);
    if (!level || !level->Good()) return;
    ++goodLevels_;
    if (!options_.script && !options_.lynxOff) Answer(at);
}

void Simulator::Received(unsigned char byte, SimClock::time_point at) {
    if (options_.echo) out_.emplace(at, byte);
    for (const auto& event : parser_.Feed(byte, at)) Report(event, at);
}

void Simulator::MakeNoise(SimClock::time_point now) {
    if (noiseGap_.count() == 0) return;
    for (; noiseNext_ <= now; noiseNext_ += noiseGap_) {
        noiseSeed_ = noiseSeed_ * 1103515245u + 12345u;
        out_.emplace(noiseNext_, static_cast<unsigned char>(noiseSeed_ >> 16));
    }
}

bool Simulator::ReadPort(SimClock::time_point now) {
    unsigned char buffer[4096];
    std::size_t want = sizeof buffer;
    SimClock::time_point base = now;
    if (Paced()) {
        base = inBacklog_ ? inNext_ : std::max(inNext_, now);
        const auto behind = static_cast<std::size_t>((now - base) / byteTime_);
        want = std::min<std::size_t>(want, 1 + behind);
    }
    const ssize_t got = ::read(port_, buffer, want);
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
        inBacklog_ = false;
        return true;
    }
    if (got <= 0) return false;
    const auto n = static_cast<std::size_t>(got);
    for (std::size_t i = 0; i < n; ++i) {
        Received(buffer[i], Paced() ? base + static_cast<long>(i) * byteTime_ : now);
    }
    if (Paced()) {
        inNext_ = base + static_cast<long>(n) * byteTime_;
        inBacklog_ = n == want;
    }
    return true;
}

bool Simulator::WritePort(SimClock::time_point now) {
    if (outBlocked_) return true;
    std::vector<unsigned char> batch;
    std::vector<SimClock::time_point> freeAfter;
    SimClock::time_point free = outFree_;
    for (auto it = out_.begin(); it != out_.end(); ++it) {
        const auto sendAt = std::max(it->first, free);
        if (sendAt > now) break;
        batch.push_back(it->second);
        free = sendAt + byteTime_;
        freeAfter.push_back(free);
    }
    if (batch.empty()) return true;
    const ssize_t written = ::write(port_, batch.data(), batch.size());
    if (written < 0) {
        if (errno == EAGAIN) outBlocked_ = true;
        return errno == EAGAIN || errno == EINTR;
    }
    const auto n = static_cast<std::size_t>(written);
    if (n > 0) outFree_ = freeAfter[n - 1];
    lastWrite_ = now;
    out_.erase(out_.begin(), std::next(out_.begin(), static_cast<long>(n)));
    return true;
}

void Simulator::StepScript(SimClock::time_point now) {
    while (step_ < steps_.size() && !quit_) {
        const SimStep& step = steps_[step_];
        if (!stepStarted_) {
            stepStarted_ = true;
            if (step.kind == SimStep::Kind::Answer) stepUntil_ = Answer(now);
            if (step.kind == SimStep::Kind::Burst) stepUntil_ = Burst(step.value, now);
            if (step.kind == SimStep::Kind::Wait) stepUntil_ = now + milliseconds(step.value);
        }
        bool done = true;
        switch (step.kind) {
            case SimStep::Kind::WaitLevel:
                done = goodLevels_ > levelsTaken_;
                if (done) ++levelsTaken_;
                break;
            case SimStep::Kind::Answer:
            case SimStep::Kind::Burst:
                done = now >= stepUntil_ && !OutputDueBy(stepUntil_);
                break;
            case SimStep::Kind::Wait:
                done = now >= stepUntil_;
                break;
            case SimStep::Kind::Quit:
                quit_ = true;
                break;
        }
        if (!done) return;
        ++step_;
        stepStarted_ = false;
    }
}

void Simulator::ReadKeys(SimClock::time_point now) {
    char keys[64];
    const ssize_t got = ::read(0, keys, sizeof keys);
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (got <= 0) {
        keysEnded_ = true;
        return;
    }
    for (char key : std::string_view(keys, static_cast<std::size_t>(got))) {
        if (key == 'n') Burst(4, now);
        if (key == 'r') Burst(1, now);
        if (key == 'q') quit_ = true;
    }
}

std::optional<SimClock::time_point> Simulator::NextWake(SimClock::time_point now,
                                                        bool reading) const {
    std::optional<SimClock::time_point> wake = parser_.Deadline();
    auto consider = [&](SimClock::time_point at) { wake = wake ? std::min(*wake, at) : at; };
    if (!reading) consider(inNext_);
    if (!out_.empty() && !outBlocked_) consider(std::max(out_.begin()->first, outFree_));
    if (stepStarted_ && stepUntil_ > now) consider(stepUntil_);
    if (noiseGap_.count() > 0) consider(noiseNext_);
    return wake;
}

int Simulator::Run() {
    sigset_t unblocked;
    ::sigemptyset(&unblocked);
    for (;;) {
        auto now = SimClock::now();
        for (const auto& event : parser_.Tick(now)) Report(event, now);
        MakeNoise(now);
        if (!WritePort(now)) return 1;
        StepScript(now);
        if (gStop || (quit_ && out_.empty())) return 0;

        const bool reading = !Paced() || now >= inNext_;
        std::vector<pollfd> fds{
            {port_, static_cast<short>((reading ? POLLIN : 0) | (outBlocked_ ? POLLOUT : 0)), 0}};
        if (keys_ && !keysEnded_) fds.push_back({0, POLLIN, 0});
        timespec timeout{};
        timespec* limit = nullptr;
        if (auto wake = NextWake(now, reading)) {
            const auto left = std::max(SimClock::duration::zero(), *wake - now);
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            timeout.tv_sec = static_cast<time_t>(ns / 1000000000);
            timeout.tv_nsec = static_cast<long>(ns % 1000000000);
            limit = &timeout;
        }
        if (::ppoll(fds.data(), fds.size(), limit, &unblocked) < 0) {
            if (errno == EINTR) continue;
            return 1;
        }
        now = SimClock::now();
        if (fds[0].revents & POLLOUT) outBlocked_ = false;
        if (fds[0].revents & POLLIN) {
            if (!ReadPort(now)) return 1;
        } else if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            return 1;
        }
        if (fds.size() > 1 && fds[1].revents) ReadKeys(now);
    }
}

void Simulator::Drain() const {
    if (slave_ < 0) {
        ::tcdrain(port_);
        return;
    }
    // The kernel hands written bytes to the slave's input a moment later, and
    // the pty gives no event once they have been read: look every few ms.
    const auto settled = lastWrite_ + milliseconds(20);
    const auto until = SimClock::now() + std::chrono::seconds(2);
    int unread = 0;
    while (SimClock::now() < until) {
        const bool read = ::ioctl(slave_, FIONREAD, &unread) != 0 || unread == 0;
        if (read && SimClock::now() >= settled) return;
        ::poll(nullptr, 0, 5);
    }
}

int UsageError(const std::string& why) {
    std::fprintf(stderr, "lynxsim: %s\n%s\n", why.c_str(), kUsageLine);
    return 2;
}

// The options, or the exit status when there is nothing to run.
std::optional<int> ParseArguments(int argc, char** argv, Options& options) {
    std::vector<gdl::OptionRule> rules = {
        {"--help"}, {"-h"}, {"--version"}, {"--no-echo"}, {"--lynx-off"}};
    for (const char* name : {"--device", "--baud", "--answer-delay", "--answer-bytes",
                             "--burst-gap", "--level-timeout", "--script", "--noise"})
        rules.push_back({name, true});
    auto parsed = gdl::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), rules);
    if (!parsed) return UsageError(parsed.Err().Message());
    if (!parsed->words.empty())
        return UsageError("unknown argument \"" + parsed->words.front() + "\"");
    for (const auto& option : parsed->options) {
        const std::string_view arg = option.name;
        const std::string& value = option.value;
        if (arg == "--help" || arg == "-h") {
            std::printf("%s\n%s", kUsageLine, kHelp);
            return 0;
        }
        if (arg == "--version") {
            std::printf("lynxsim %s\n", GDLKIT_VERSION);
            return 0;
        }
        if (arg == "--no-echo") {
            options.echo = false;
            continue;
        }
        if (arg == "--lynx-off") {
            options.lynxOff = true;
            continue;
        }
        auto number = [&](unsigned max, unsigned& into) -> bool {
            auto parsed = gdl::ParseCount(value, max);
            if (parsed) into = *parsed;
            return parsed.has_value();
        };
        const std::string bad = "bad value \"" + value + "\" for " + std::string(arg) + ": ";
        if (arg == "--device") {
            if (value.empty()) return UsageError(bad + "expected a device path");
            options.device = value;
        } else if (arg == "--baud") {
            unsigned baud = 0;
            if (!number(4000000, baud) || baud == 0) return UsageError(bad + "expected a rate");
            options.baud = baud;
        } else if (arg == "--answer-delay" || arg == "--burst-gap" || arg == "--level-timeout") {
            unsigned& into = arg == "--answer-delay" ? options.answerDelayMs
                             : arg == "--burst-gap"  ? options.burstGapMs
                                                     : options.levelTimeoutMs;
            if (!number(3600000, into) || (arg == "--level-timeout" && into == 0)) {
                return UsageError(bad + "expected milliseconds");
            }
        } else if (arg == "--noise") {
            if (!number(10000, options.noisePerSecond) || options.noisePerSecond == 0)
                return UsageError(bad + "expected 1 to 10000 bytes a second");
        } else if (arg == "--answer-bytes") {
            if (!number(4096, options.answerBytes)) return UsageError(bad + "expected 0 to 4096");
        } else {
            std::string why;
            options.script = gdl::ParseSimScript(value, why);
            if (!options.script) return UsageError("bad --script: " + why);
        }
    }
    if (!options.device.empty() && options.baud && !gdl::IsStandardBaud(*options.baud)) {
        return UsageError("the port cannot run at " + std::to_string(*options.baud) + " baud");
    }
    return std::nullopt;
}

// A new pseudo-terminal; its slave stays open here too, so a client that
// closes it does not hang the line up.
int OpenPseudoTerminal(gdl::UniqueFd& slave, std::string& path) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128] = {};
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        ::ptsname_r(master, name, sizeof name) != 0) {
        if (master >= 0) ::close(master);
        return -1;
    }
    path = name;
    const int fd = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    slave.Reset(fd);
    if (fd < 0 || !gdl::MakeRawLine(fd, std::nullopt)) return -1;
    (void)gdl::MakeRawLine(master, std::nullopt);
    return master;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (auto status = ParseArguments(argc, argv, options)) return *status;

    ::signal(SIGPIPE, SIG_IGN);
    sigset_t stops;
    ::sigemptyset(&stops);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaddset(&stops, sig);
        struct sigaction action {};
        action.sa_handler = OnSignal;
        ::sigaction(sig, &action, nullptr);
    }
    // Delivered only inside ppoll, so a stop is never missed between checks.
    ::sigprocmask(SIG_BLOCK, &stops, nullptr);

    std::string path = options.device;
    gdl::UniqueFd slave;
    int fd = -1;
    if (options.device.empty()) {
        fd = OpenPseudoTerminal(slave, path);
        if (fd < 0) {
            std::fprintf(stderr, "lynxsim: no pseudo-terminal: %s\n", std::strerror(errno));
            return 1;
        }
    } else {
        // Without O_NONBLOCK the open could wait for a carrier the cable lacks.
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            std::fprintf(stderr, "lynxsim: cannot use %s: %s\n", path.c_str(),
                         std::strerror(errno));
            return 1;
        }
        if (auto raw = gdl::MakeRawLine(fd, CableSettings(options.baud.value_or(9600))); !raw) {
            std::fprintf(stderr, "lynxsim: cannot use %s: %s\n", path.c_str(),
                         raw.Err().Message().c_str());
            return 1;
        }
    }
    gdl::UniqueFd port(fd);
    ::fcntl(port.Get(), F_SETFL, ::fcntl(port.Get(), F_GETFL) | O_NONBLOCK);
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);

    Simulator simulator(options, port.Get(), slave.Get());
    KeyMode keys(simulator.ReadsKeys());
    const int status = simulator.Run();
    if (status == 1) {
        std::fprintf(stderr, "lynxsim: %s went away\n", path.c_str());
    } else if (!gStop) {
        simulator.Drain();
    }
    return status;
}
