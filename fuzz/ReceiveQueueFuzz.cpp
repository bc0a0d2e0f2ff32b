// The serial component's decoding of marked line errors (PARMRK): however the
// port splits the stream into reads, the queue holds the same bytes and
// errors, and a stream with its FF bytes doubled decodes to itself.
#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

#include "FuzzSupport.h"
#include "ReceiveQueue.h"

namespace {

struct Drained {
    std::vector<unsigned char> bytes;
    int errors = 0;
    bool operator==(const Drained&) const = default;
};

Drained Drain(gdl::ReceiveQueue& queue) {
    Drained d;
    unsigned char buffer[97];
    for (;;) {
        const auto taken = queue.Take(buffer, sizeof buffer);
        d.errors |= taken.errors;
        d.bytes.insert(d.bytes.end(), buffer, buffer + taken.count);
        if (taken.count == 0) return d;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    gdl::ReceiveQueue::Options options;
    options.marked = in.ConsumeBool();
    options.discardNull = in.ConsumeBool();
    if (in.ConsumeBool()) options.errorChar = in.ConsumeIntegral<unsigned char>();
    options.capacity = in.ConsumeIntegralInRange<std::size_t>(0, 4096);
    const int driverErrors = in.ConsumeBool() ? in.ConsumeIntegralInRange<int>(-1, 0x41F) : -1;
    std::vector<std::size_t> cuts;
    for (int n = in.ConsumeIntegralInRange(0, 8); n > 0; --n)
        cuts.push_back(in.ConsumeIntegralInRange<std::size_t>(1, 64));
    const std::vector<unsigned char> stream = in.ConsumeRemainingBytes<unsigned char>();

    gdl::ReceiveQueue whole, pieces;
    whole.Configure(options);
    pieces.Configure(options);
    whole.Feed(stream.data(), stream.size(), driverErrors);
    // Every read brings the driver's counts, an empty one too.
    std::size_t at = 0;
    std::size_t i = 0;
    do {
        const std::size_t n =
            std::min(stream.size() - at, cuts.empty() ? stream.size() : cuts[i++ % cuts.size()]);
        pieces.Feed(stream.data() + at, n, driverErrors);
        at += n;
    } while (at < stream.size());
    const Drained w = Drain(whole);
    FUZZ_CHECK(Drain(pieces) == w);
    FUZZ_CHECK(w.bytes.size() <= options.capacity);
    if (!options.marked && !options.discardNull && stream.size() <= options.capacity)
        FUZZ_CHECK(w.bytes == stream && w.errors == std::max(driverErrors, 0));

    // A real FF arrives as FF FF: doubling every FF gives the stream back.
    gdl::ReceiveQueue marked;
    marked.Configure({true, false, std::nullopt, stream.size()});
    std::vector<unsigned char> doubled;
    for (unsigned char b : stream) {
        doubled.push_back(b);
        if (b == 0xFF) doubled.push_back(b);
    }
    std::size_t from = 0;
    for (i = 0; from < doubled.size(); ++i) {
        const std::size_t n =
            std::min(doubled.size() - from, cuts.empty() ? doubled.size() : cuts[i % cuts.size()]);
        marked.Feed(doubled.data() + from, n);
        from += n;
    }
    const Drained m = Drain(marked);
    FUZZ_CHECK(m.bytes == stream && m.errors == 0);
    return 0;
}
