// lynxsim's link stream parser: any bytes at any pace give events without
// harm, and after a pause a send built as the player builds it reads as one
// good level with the player's figures.
#include <fuzzer/FuzzedDataProvider.h>

#include <variant>

#include "FuzzSupport.h"
#include "LinkStream.h"
#include "PlayerSend.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const auto gap = std::chrono::milliseconds(500);
    gdl::LinkStreamParser parser(gap);
    auto now = gdl::SimClock::time_point{};

    gdlfuzz::SendFields fields;
    fields.label = in.ConsumeRandomLengthString(12);
    fields.newLevel = in.ConsumeIntegralInRange(0, 1);
    fields.music = in.ConsumeIntegralInRange(0, 2);
    fields.freshStart = in.ConsumeBool() ? 128 : 0;
    const std::string level = in.ConsumeRandomLengthString(600);

    const int noise = in.ConsumeIntegralInRange(0, 4000);
    for (int i = 0; i < noise && in.remaining_bytes() > 0; ++i) {
        now += std::chrono::milliseconds(
            in.ConsumeIntegralInRange(0, 3) == 0 ? in.ConsumeIntegralInRange(0, 1000) : 0);
        (void)parser.Feed(in.ConsumeIntegral<unsigned char>(), now);
        if (auto due = parser.Deadline(); due && *due <= now) (void)parser.Tick(now);
    }

    now += gap + std::chrono::milliseconds(1);
    (void)parser.Tick(now);
    const std::string send = gdlfuzz::PlayerSend(fields, level);
    std::vector<gdl::StreamEvent> events;
    for (char c : send) {
        auto got = parser.Feed(static_cast<unsigned char>(c), now);
        events.insert(events.end(), got.begin(), got.end());
    }
    FUZZ_CHECK(events.size() == 1);
    const auto* read = std::get_if<gdl::LevelEvent>(&events.front());
    FUZZ_CHECK(read && read->Good());
    FUZZ_CHECK(read->length == level.size());
    FUZZ_CHECK(read->music == fields.music && read->fresh == fields.freshStart);
    FUZZ_CHECK(read->preamble == gdlfuzz::kPlayerPreamble);
    (void)gdl::ToJson(events.front());
    return 0;
}
