// Telling the cable's echo from the Lynx's answer: a single-wire cable hears
// every byte the PC sends, in order, before the Lynx says anything.
#pragma once

#include <cstddef>
#include <string>

namespace gdl {

// What a notification brought while the link tells the cable's echo of our
// own bytes from the Lynx's answer.
enum class Heard { Nothing, Echo, Lynx };

// The bytes a send wrote, to tell the echo of the cable from the Lynx.
class LinkEcho {
public:
    void Clear() {
        sent_.clear();
        matched_ = 0;
    }
    void Sent(unsigned char byte) { sent_ += static_cast<char>(byte); }
    void Sent(const unsigned char* bytes, std::size_t count) {
        sent_.append(reinterpret_cast<const char*>(bytes), count);
    }
    // Bytes that repeat what was sent, in order, are the echo; the first
    // other byte is the Lynx's, and so is everything after it.
    Heard Hear(const unsigned char* bytes, long count);

private:
    std::string sent_;
    std::size_t matched_ = 0;
};

}  // namespace gdl
