// SetCommState as termios: cfmakeraw (no output translation, no echo, no line editing,
// no signals), so every byte passes unchanged both ways; CLOCAL since the
// cable has no carrier line; HUPCL so DTR drops even if we die. Baud rates
// are the standard Bxxx ones; 5-8 data bits; parity none/odd/even and
// mark/space through CMSPAR; 1 or 2 stop bits. Parity checking is INPCK with
// PARMRK (never IGNPAR): a bad byte arrives as FF 00 x, a break as FF 00 00
// and a real FF as FF FF, decoded by the receive queue. CTS handshake is
// CRTSCTS. XON/XOFF are IXON/IXOFF with VSTART/VSTOP. termios has no null
// stripping, so the queue drops 0 bytes, and no error character, so the
// queue puts ErrorChar in place of a bad byte when ErrorReplace is on. What
// Linux cannot give makes SetConnection false with the reason: 4 data bits,
// 1.5 stop bits, the DSR output handshake, other baud rates. XOnLimit,
// XOffLimit and TXResume have no termios counterpart and are kept only;
// DSRSensitive is done by the watch thread (bytes read while DSR is low are
// dropped).

#include "SerialTermios.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "SerialPosix.h"

namespace gdl {

namespace {

struct BaudEntry {
    std::uint32_t rate;
    speed_t speed;
};
constexpr std::array kBaudRates{
    BaudEntry{50, B50},           BaudEntry{75, B75},           BaudEntry{110, B110},
    BaudEntry{134, B134},         BaudEntry{150, B150},         BaudEntry{200, B200},
    BaudEntry{300, B300},         BaudEntry{600, B600},         BaudEntry{1200, B1200},
    BaudEntry{1800, B1800},       BaudEntry{2400, B2400},       BaudEntry{4800, B4800},
    BaudEntry{9600, B9600},       BaudEntry{19200, B19200},     BaudEntry{38400, B38400},
    BaudEntry{57600, B57600},     BaudEntry{115200, B115200},   BaudEntry{230400, B230400},
    BaudEntry{460800, B460800},   BaudEntry{500000, B500000},   BaudEntry{576000, B576000},
    BaudEntry{921600, B921600},   BaudEntry{1000000, B1000000}, BaudEntry{1152000, B1152000},
    BaudEntry{1500000, B1500000}, BaudEntry{2000000, B2000000}, BaudEntry{2500000, B2500000},
    BaudEntry{3000000, B3000000}, BaudEntry{3500000, B3500000}, BaudEntry{4000000, B4000000},
};

std::optional<speed_t> BaudConstant(std::uint32_t rate) {
    for (const auto& entry : kBaudRates) {
        if (entry.rate == rate) return entry.speed;
    }
    return std::nullopt;
}

tcflag_t DataBitsFlag(TDataBits bits) {
    switch (bits) {
        case databits5:
            return CS5;
        case databits6:
            return CS6;
        case databits7:
            return CS7;
        default:
            return CS8;
    }
}

tcflag_t ParityFlags(TParity parity) {
    switch (parity) {
        case odd_parity:
            return PARENB | PARODD;
        case even_parity:
            return PARENB;
        case mark_parity:
            return PARENB | CMSPAR | PARODD;
        case space_parity:
            return PARENB | CMSPAR;
        default:
            return 0;
    }
}

}  // namespace

void FillTermios(const LineSettings& l, termios& tio) {
    ::cfmakeraw(&tio);
    const speed_t speed = *BaudConstant(l.baudRate);
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= DataBitsFlag(l.dataBits) | ParityFlags(l.parity) | CLOCAL | CREAD | HUPCL;
    if (l.stopBits == stop2) tio.c_cflag |= CSTOPB;
    if (l.flow.cts) tio.c_cflag |= CRTSCTS;
    tio.c_iflag &= ~(INPCK | PARMRK | IGNPAR | IXON | IXOFF | IXANY | IUCLC | IMAXBEL);
    if (l.parityCheck) tio.c_iflag |= INPCK | PARMRK;
    if (l.flow.xonOutput) tio.c_iflag |= IXON;
    if (l.flow.xonInput) tio.c_iflag |= IXOFF;
    tio.c_cc[VSTART] = l.flow.xonChar;
    tio.c_cc[VSTOP] = l.flow.xoffChar;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
}

bool IsStandardBaud(std::uint32_t rate) {
    return BaudConstant(rate).has_value();
}

Result<void> CheckLineSettings(const LineSettings& l) {
    if (!BaudConstant(l.baudRate))
        return Error::Unsupported("The baud rate " + std::to_string(l.baudRate) +
                                  " is not available.");
    if (l.dataBits < databits5 || l.dataBits > databits8)
        return Error::Unsupported(std::to_string(static_cast<int>(l.dataBits) + 4) +
                                  " data bits are not available on Linux.");
    if (l.stopBits != stop1 && l.stopBits != stop2)
        return Error::Unsupported("1.5 stop bits are not available on Linux.");
    if (l.parity < no_parity || l.parity > space_parity)
        return Error::Unsupported("Unknown parity.");
    if (l.flow.dsr) return Error::Unsupported("Linux has no DSR output handshake.");
    return {};
}

Result<TermiosWords> LineTermios(const LineSettings& settings) {
    if (auto ok = CheckLineSettings(settings); !ok) return ok.Err();
    termios tio{};
    FillTermios(settings, tio);
    TermiosWords w;
    w.iflag = tio.c_iflag;
    w.oflag = tio.c_oflag;
    w.cflag = tio.c_cflag;
    w.lflag = tio.c_lflag;
    w.speed = ::cfgetospeed(&tio);
    w.vstart = tio.c_cc[VSTART];
    w.vstop = tio.c_cc[VSTOP];
    return w;
}

ReceiveQueue::Options ReceiveOptions(const LineSettings& l) {
    ReceiveQueue::Options receive;
    receive.marked = l.parityCheck;
    receive.discardNull = l.discardNull;
    receive.errorChar = l.errorChar;
    receive.capacity = std::max<std::size_t>(l.inputQueue, 16);
    return receive;
}

}  // namespace gdl
