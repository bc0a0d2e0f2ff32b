// The Lynx side of the link: the player's byte stream taken apart as the
// loader would, with no I/O, so tests and fuzzers can feed it in memory.
//
// A level is a run of 0xA5 preamble bytes, the 36-byte link header and L
// level bytes:
//   0..4   "GDL" 13 FF           27     send kind
//   5      title column           28     0
//   6      1B                     29     fresh start (0x80) + music number
//   7..26  title, Lynx text code  30..31 L
//                                 32..33 sum of the level bytes
//                                 34..35 sum of bytes 5..33
// (16-bit values little-endian, sums modulo 65536.)
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace gdl {

using SimClock = std::chrono::steady_clock;

inline constexpr std::size_t kLinkHeaderSize = 36;
inline constexpr unsigned char kPreambleByte = 0xA5;

struct LevelEvent {
    std::size_t preamble = 0;
    std::string title;
    int column = 0;
    int kind = 0;
    int fresh = 0;
    int music = 0;
    std::size_t length = 0;
    unsigned dataChecksum = 0;
    bool dataChecksumOk = false;
    unsigned headerChecksum = 0;
    bool headerChecksumOk = false;
    // From the first preamble byte to the last level byte.
    double ms = 0;
    // The loader takes it and answers.
    bool Good() const { return dataChecksumOk && headerChecksumOk; }
};

struct StreamError {
    std::string reason;
};

using StreamEvent = std::variant<LevelEvent, StreamError>;

// One JSON line (without the line end).
std::string ToJson(const StreamEvent& event);

class LinkStreamParser {
public:
    // A level whose next byte does not come within gap ends as incomplete.
    explicit LinkStreamParser(std::chrono::milliseconds gap = std::chrono::milliseconds(500));

    std::vector<StreamEvent> Feed(unsigned char byte, SimClock::time_point at);
    // Reports a level cut off by silence; call it at Deadline() or later.
    std::vector<StreamEvent> Tick(SimClock::time_point now);
    // When Tick next has something to say.
    std::optional<SimClock::time_point> Deadline() const;

private:
    enum class Phase { Hunting, Header, Level };
    void Fail(std::vector<StreamEvent>& events, std::string reason);
    void HeaderByte(unsigned char byte, std::vector<StreamEvent>& events);
    void LevelDone(std::vector<StreamEvent>& events);
    std::chrono::milliseconds gap_;
    Phase phase_ = Phase::Hunting;
    // After an error the rest of that level is skipped without more lines,
    // until a preamble and a "G", or a pause.
    bool quiet_ = false;
    std::size_t preamble_ = 0;
    std::vector<unsigned char> header_;
    std::size_t levelLength_ = 0;
    std::size_t levelReceived_ = 0;
    unsigned levelSum_ = 0;
    SimClock::time_point first_{};
    SimClock::time_point last_{};
    bool any_ = false;
};

}  // namespace gdl
