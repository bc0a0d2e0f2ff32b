// The serial component over a pty: the CPU time per byte of a stream handed
// over in one write (a byte takes 1146 us on the wire at 9600 8E1, so it must
// cost far less), the largest level through lynxsim's 9600-baud wire against
// the wire's limit, and how long a byte from the far end takes to reach
// OnDataAvailable on the owner's thread.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <ctime>
#include <thread>

#include "ChildProcess.h"
#include "CompiledLevel.h"
#include "LinkHeader.h"
#include "LynxExchange.h"
#include "ZcommFixtures.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kWireMicrosPerByte = 11 * 1e6 / 9600;

// Reads the far end until told to stop, as the Lynx takes what is sent.
class Drainer {
public:
    explicit Drainer(int fd) : thread_([this, fd] { Run(fd); }) {}
    ~Drainer() {
        stop_.Signal();
        thread_.join();
    }
    // The reader's own CPU time so far, to leave out of the kit's.
    double CpuSeconds() const { return cpu_.load(); }

private:
    void Run(int fd) {
        std::array<pollfd, 2> fds{pollfd{fd, POLLIN, 0}, pollfd{stop_.Fd(), POLLIN, 0}};
        std::array<unsigned char, 4096> buffer{};
        while (::poll(fds.data(), fds.size(), -1) > 0 && fds[1].revents == 0) {
            if (::read(fd, buffer.data(), buffer.size()) <= 0) return;
            timespec ts{};
            ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
            cpu_ = static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
        }
    }
    gdl::WakeEvent stop_;
    std::atomic<double> cpu_{0};
    std::thread thread_;
};

// The largest level's stream: preamble, header, 99 x 99 tiles and the rest.
gdltest::Bytes LargestStream() {
    const std::string level(gdl::kLargestCompiledLevelSize - 7, '\x33');
    gdl::LinkHeaderFields fields;
    fields.label = "1";
    fields.length = static_cast<std::uint16_t>(level.size());
    fields.dataChecksum = gdl::DataChecksum(level);
    return gdl::LinkStream(gdl::BuildLinkHeader(fields), level);
}

double CpuSeconds(clockid_t clock) {
    timespec ts{};
    ::clock_gettime(clock, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// CPU time the kit spends per byte of a whole stream handed over in one
// write (window thread and watch thread; the far end's reader is left out).
void BM_StreamCpuPerByte(benchmark::State& state) {
    gdltest::PtyPair pty;
    gdltest::PostQueue events;
    gdl::TZComm comm{events.Poster()};
    gdltest::UseLinkSettings(comm, pty.Path());
    if (!comm.OpenConnection()) {
        state.SkipWithError(comm.LastError().c_str());
        return;
    }
    const gdltest::Bytes stream = LargestStream();
    Drainer drainer(pty.Master());
    double cpu = 0;
    std::size_t bytes = 0;
    for (auto _ : state) {
        const double before = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - drainer.CpuSeconds();
        if (!comm.WriteComm(stream.data(), static_cast<long>(stream.size())) ||
            !gdltest::WaitWritten(comm, events)) {
            state.SkipWithError("write failed");
            break;
        }
        cpu += CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - drainer.CpuSeconds() - before;
        bytes += stream.size();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    if (bytes > 0) state.counters["cpu_ns_per_byte"] = cpu * 1e9 / static_cast<double>(bytes);
    state.counters["wire_us_per_byte"] = kWireMicrosPerByte;
    comm.CloseConnection();
}
BENCHMARK(BM_StreamCpuPerByte)->Unit(benchmark::kMillisecond);

// The largest level sent through the pty to lynxsim, which paces the wire at
// 9600 baud: how long its bytes took against the wire's limit, and how much
// of that time the window's thread spent in the line's events.
void BM_LargestLevelAt9600(benchmark::State& state) {
    double busy = 0;
    gdltest::PostQueue queue;
    auto inner = queue.Poster();
    const gdl::TZComm::PostFn timed = [&](std::function<void()> fn) {
        inner([&busy, fn = std::move(fn)] {
            const auto start = Clock::now();
            fn();
            busy += std::chrono::duration<double>(Clock::now() - start).count();
        });
    };
    const gdltest::Bytes stream = LargestStream();
    const double wireMs = kWireMicrosPerByte * static_cast<double>(stream.size() - 1) / 1000;
    double ratio = 0, busyShare = 0;
    for (auto _ : state) {
        gdltest::ChildProcess sim({std::string(GDLKIT_KIT_DIR) + "/bin/lynxsim", "--baud", "9600",
                                   "--no-echo", "--script", "wait-level; quit"});
        auto device = sim.ReadLine(std::chrono::seconds(5));
        if (!device) {
            state.SkipWithError("no lynxsim");
            break;
        }
        gdl::TZComm comm{timed};
        gdltest::UseLinkSettings(comm, *device);
        comm.OnDataAvailable = [](gdl::TZComm* c) {
            unsigned char buffer[64];
            while (c->ReadComm(buffer, sizeof buffer) > 0) {
            }
        };
        if (!comm.OpenConnection()) {
            state.SkipWithError(comm.LastError().c_str());
            break;
        }
        busy = 0;
        const auto start = Clock::now();
        if (!comm.WriteComm(stream.data(), static_cast<long>(stream.size())) ||
            !gdltest::WaitWritten(comm, queue, std::chrono::seconds(30))) {
            state.SkipWithError("write failed");
            break;
        }
        auto report = sim.ReadLineWith("\"event\":\"level\"", std::chrono::seconds(30));
        const double sendSeconds = std::chrono::duration<double>(Clock::now() - start).count();
        queue.PumpQueued();
        comm.CloseConnection();
        const auto at = report ? report->find("\"ms\":") : std::string::npos;
        if (at == std::string::npos) {
            state.SkipWithError("lynxsim took no level");
            break;
        }
        ratio = std::stod(report->substr(at + 5)) / wireMs;
        busyShare = busy / sendSeconds;
        state.SetIterationTime(sendSeconds);
    }
    state.counters["wire_ms"] = wireMs;
    state.counters["of_wire_limit"] = ratio;
    state.counters["window_busy_share"] = busyShare;
}
BENCHMARK(BM_LargestLevelAt9600)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

void BM_NotificationLatency(benchmark::State& state) {
    gdltest::PtyPair pty;
    gdltest::PostQueue events;
    gdl::TZComm comm{events.Poster()};
    gdltest::UseLinkSettings(comm, pty.Path());
    Clock::time_point handled{};
    comm.OnDataAvailable = [&](gdl::TZComm* sender) {
        unsigned char byte[6];
        if (sender->ReadComm(byte, sizeof byte) > 0) handled = Clock::now();
    };
    if (!comm.OpenConnection()) {
        state.SkipWithError(comm.LastError().c_str());
        return;
    }
    std::vector<double> micros;
    for (auto _ : state) {
        handled = {};
        const auto sent = Clock::now();
        pty.Send({0x5A});
        if (!events.PumpUntil([&] { return handled != Clock::time_point{}; })) {
            state.SkipWithError("no notification");
            break;
        }
        const std::chrono::duration<double> took = handled - sent;
        state.SetIterationTime(took.count());
        micros.push_back(took.count() * 1e6);
    }
    if (!micros.empty()) {
        std::sort(micros.begin(), micros.end());
        state.counters["median_us"] = micros[micros.size() / 2];
        state.counters["p99_us"] = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
    }
    comm.CloseConnection();
}
BENCHMARK(BM_NotificationLatency)->UseManualTime()->Iterations(2000);

}  // namespace
