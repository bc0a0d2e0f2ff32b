// lynxsim: the Lynx and its loader at the far end of the cable, for tests and
// for trying the player without a Lynx. Here: its options, the port or the
// pseudo-terminal it opens, and the keys; the Lynx itself is Simulator.
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
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
#include "Simulator.h"
#include "UniqueFd.h"

namespace {

using gdl::SimStep;
using gdl::lynxsim::gStop;
using gdl::lynxsim::Options;
using gdl::lynxsim::Simulator;

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
