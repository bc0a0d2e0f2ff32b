#include "LinkStream.h"

#include <array>
#include <cstdio>
#include <string_view>

#include "LynxText.h"

namespace gdl {

namespace {

constexpr std::array<unsigned char, 5> kMagic{0x47, 0x44, 0x4C, 0x13, 0xFF};
constexpr unsigned char kHeaderByte6 = 0x1B;
constexpr std::size_t kTitleAt = 7;
constexpr std::size_t kTitleSize = 20;

unsigned Le16(const std::vector<unsigned char>& bytes, std::size_t at) {
    return bytes[at] | (static_cast<unsigned>(bytes[at + 1]) << 8);
}

std::string Hex(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

// Texts are 8-bit; a byte from 0x80 up is written as the Latin-1 character.
std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string LevelJson(const LevelEvent& level) {
    char ms[32];
    std::snprintf(ms, sizeof ms, "%.1f", level.ms);
    auto flag = [](bool on) { return on ? "true" : "false"; };
    return std::string("{\"event\":\"level\",\"preamble\":") + std::to_string(level.preamble) +
           ",\"title\":" + JsonString(level.title) + ",\"column\":" + std::to_string(level.column) +
           ",\"kind\":" + std::to_string(level.kind) + ",\"fresh\":" + std::to_string(level.fresh) +
           ",\"music\":" + std::to_string(level.music) +
           ",\"length\":" + std::to_string(level.length) +
           ",\"dataChecksum\":" + std::to_string(level.dataChecksum) +
           ",\"dataChecksumOk\":" + flag(level.dataChecksumOk) +
           ",\"headerChecksum\":" + std::to_string(level.headerChecksum) +
           ",\"headerChecksumOk\":" + flag(level.headerChecksumOk) + ",\"ms\":" + ms + "}";
}

}  // namespace

std::string ToJson(const StreamEvent& event) {
    if (const auto* level = std::get_if<LevelEvent>(&event)) return LevelJson(*level);
    return "{\"event\":\"error\",\"reason\":" + JsonString(std::get<StreamError>(event).reason) +
           "}";
}

LinkStreamParser::LinkStreamParser(std::chrono::milliseconds gap) : gap_(gap) {}

void LinkStreamParser::Fail(std::vector<StreamEvent>& events, std::string reason) {
    events.push_back(StreamError{std::move(reason)});
    phase_ = Phase::Hunting;
    preamble_ = 0;
    quiet_ = true;
}

std::vector<StreamEvent> LinkStreamParser::Feed(unsigned char byte, SimClock::time_point at) {
    std::vector<StreamEvent> events = Tick(at);
    any_ = true;
    last_ = at;
    switch (phase_) {
        case Phase::Hunting:
            if (byte == kPreambleByte) {
                if (preamble_++ == 0) first_ = at;
            } else if (preamble_ > 0 && byte == kMagic[0]) {
                phase_ = Phase::Header;
                header_.assign(1, byte);
                quiet_ = false;
            } else if (quiet_) {
                preamble_ = 0;
            } else if (preamble_ > 0) {
                Fail(events, "bad magic: " + Hex(byte) + " after the preamble, expected 0x47");
            } else {
                Fail(events, "unexpected byte " + Hex(byte) + " outside a level");
            }
            break;
        case Phase::Header:
            HeaderByte(byte, events);
            break;
        case Phase::Level:
            levelSum_ += byte;
            if (++levelReceived_ == levelLength_) LevelDone(events);
            break;
    }
    return events;
}

void LinkStreamParser::HeaderByte(unsigned char byte, std::vector<StreamEvent>& events) {
    header_.push_back(byte);
    const std::size_t at = header_.size() - 1;
    if (at < kMagic.size() && byte != kMagic[at]) {
        Fail(events, "bad magic: header byte " + std::to_string(at) + " is " + Hex(byte) +
                         ", expected " + Hex(kMagic[at]));
        return;
    }
    if (header_.size() < kLinkHeaderSize) return;
    if (header_[6] != kHeaderByte6) {
        Fail(events, "bad header byte 6: " + Hex(header_[6]) + ", expected 0x1B");
        return;
    }
    unsigned sum = 0;
    for (std::size_t i = 5; i <= 33; ++i) sum += header_[i];
    sum &= 0xFFFF;
    if (sum != Le16(header_, 34)) {
        Fail(events, "bad header checksum: stored " + std::to_string(Le16(header_, 34)) +
                         ", computed " + std::to_string(sum));
        return;
    }
    levelLength_ = Le16(header_, 30);
    levelReceived_ = 0;
    levelSum_ = 0;
    phase_ = Phase::Level;
    if (levelLength_ == 0) LevelDone(events);
}

void LinkStreamParser::LevelDone(std::vector<StreamEvent>& events) {
    LevelEvent level;
    level.preamble = preamble_;
    level.title = DecodeLynxText(
        std::string_view(reinterpret_cast<const char*>(header_.data()) + kTitleAt, kTitleSize),
        kTitleSize);
    level.column = header_[5];
    level.kind = header_[27];
    level.fresh = header_[29] & 0x80;
    level.music = header_[29] & 0x7F;
    level.length = levelLength_;
    level.dataChecksum = Le16(header_, 32);
    level.dataChecksumOk = (levelSum_ & 0xFFFF) == level.dataChecksum;
    level.headerChecksum = Le16(header_, 34);
    level.headerChecksumOk = true;
    level.ms = std::chrono::duration<double, std::milli>(last_ - first_).count();
    events.push_back(level);
    phase_ = Phase::Hunting;
    preamble_ = 0;
    quiet_ = false;
}

std::vector<StreamEvent> LinkStreamParser::Tick(SimClock::time_point now) {
    std::vector<StreamEvent> events;
    if (!any_ || now - last_ < gap_) return events;
    if (phase_ == Phase::Header) {
        events.push_back(StreamError{"incomplete header: " + std::to_string(header_.size()) +
                                     " of 36 bytes came"});
    } else if (phase_ == Phase::Level) {
        events.push_back(StreamError{"incomplete level: " + std::to_string(levelReceived_) +
                                     " of " + std::to_string(levelLength_) + " level bytes came"});
    } else if (preamble_ > 0 && !quiet_) {
        events.push_back(
            StreamError{"a preamble of " + std::to_string(preamble_) + " bytes without a header"});
    }
    phase_ = Phase::Hunting;
    preamble_ = 0;
    quiet_ = false;
    any_ = false;
    return events;
}

std::optional<SimClock::time_point> LinkStreamParser::Deadline() const {
    if (!any_) return std::nullopt;
    return last_ + gap_;
}

}  // namespace gdl
