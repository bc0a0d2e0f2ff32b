// The serial component over a pty: what one WriteCommByte costs (a byte takes
// 1146 us on the wire at 9600 8E1, so the writes must cost far less), and how
// long a byte from the far end takes to reach OnDataAvailable on the owner's
// thread.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <thread>

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

private:
    void Run(int fd) {
        std::array<pollfd, 2> fds{pollfd{fd, POLLIN, 0}, pollfd{stop_.Fd(), POLLIN, 0}};
        std::array<unsigned char, 4096> buffer{};
        while (::poll(fds.data(), fds.size(), -1) > 0 && fds[1].revents == 0) {
            if (::read(fd, buffer.data(), buffer.size()) <= 0) return;
        }
    }
    gdl::WakeEvent stop_;
    std::thread thread_;
};

void BM_WriteCommByte(benchmark::State& state) {
    gdltest::PtyPair pty;
    gdltest::PostQueue events;
    gdl::TZComm comm{events.Poster()};
    gdltest::UseLinkSettings(comm, pty.Path());
    if (!comm.OpenConnection()) {
        state.SkipWithError(comm.LastError().c_str());
        return;
    }
    Drainer drainer(pty.Master());
    for (auto _ : state) {
        if (!comm.WriteCommByte(0xA5)) {
            state.SkipWithError("write failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["wire_us_per_byte"] = kWireMicrosPerByte;
    comm.CloseConnection();
}
BENCHMARK(BM_WriteCommByte);

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
