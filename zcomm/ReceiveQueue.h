// The bytes that have arrived on the port and the line errors found in them,
// between the watch thread that fills the queue and ReadComm that empties it.
#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

namespace gdl {

// Communication error flags, with the Win32 values since callers pass them on.
inline constexpr int kCeRxOver = 0x1;
inline constexpr int kCeOverrun = 0x2;
inline constexpr int kCeRxParity = 0x4;
inline constexpr int kCeFrame = 0x8;
inline constexpr int kCeBreak = 0x10;
// The device went away (a USB adapter pulled out, a pty's other end closed).
inline constexpr int kCeIoe = 0x400;
inline constexpr int kCeLineErrors = kCeRxParity | kCeFrame | kCeBreak;

// The watch thread and the owner's thread both reach the queue, so a small
// mutex guards it. (The Windows component needed no lock because the driver
// kept the queue; here the component keeps it.)
class ReceiveQueue {
public:
    struct Options {
        // Parity checking is on: bad bytes arrive as FF 00 x, a real FF as FF FF.
        bool marked = false;
        bool discardNull = false;
        // Stands in for a byte received with an error.
        std::optional<unsigned char> errorChar;
        // Bytes beyond it are dropped and flagged kCeRxOver.
        std::size_t capacity = 8192;
    };
    struct Taken {
        std::size_t count = 0;
        int errors = 0;
    };

    void Configure(const Options& options);
    // Decodes bytes as the port delivered them; a mark split between two reads
    // is completed by the next. FF 00 x is x received with a parity or framing
    // error, FF 00 00 also a break; driverErrors are the flags the driver's
    // counters gave for this read (-1: it has none), and when they name the
    // kind of a line error the marks only carry the byte. True when it queued
    // bytes or noted an error.
    bool Feed(const unsigned char* bytes, std::size_t count, int driverErrors = -1);
    // Takes up to count bytes and the error flags noted since the last Take.
    Taken Take(unsigned char* buffer, std::size_t count);
    std::size_t Waiting() const;
    int PendingErrors() const;
    // Drops the bytes waiting and any half-read mark; errors stay until taken.
    void Clear();
    // Clear, and the errors too: a new connection starts empty.
    void Reset();

private:
    enum class Mark { None, Escape, Error };
    void Push(unsigned char byte, int& errors);
    mutable std::mutex mutex_;
    std::deque<unsigned char> bytes_;
    int errors_ = 0;
    Mark mark_ = Mark::None;
    Options options_;
};

}  // namespace gdl
