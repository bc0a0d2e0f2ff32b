// The settings of a serial port as a value: what TZComm builds from its
// published properties and hands to the port in one piece. Nothing here
// knows the system's own records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace gdl {

enum TParity { no_parity = 0, odd_parity = 1, even_parity = 2, mark_parity = 3, space_parity = 4 };
// The port gets value + 4 data bits.
enum TDataBits { databits4 = 0, databits5 = 1, databits6 = 2, databits7 = 3, databits8 = 4 };
enum TStopBits { stop1 = 0, stop1x5 = 1, stop2 = 2 };

struct FlowControl {
    bool cts = false;        // CTS output handshake, RTS in handshake mode
    bool dsr = false;        // DSR output handshake
    bool xonOutput = false;  // XON/XOFF control of output
    bool xonInput = false;   // XON/XOFF control of input
    unsigned char xonChar = 17;
    unsigned char xoffChar = 19;
};

// The port's five time-outs, in ms, in the component's order.
struct PortTimeouts {
    std::uint32_t readInterval = 0xFFFFFFFF;
    std::uint32_t readMultiplier = 0;
    std::uint32_t readConstant = 0;
    std::uint32_t writeMultiplier = 0;
    std::uint32_t writeConstant = 5000;
    // How long a write may wait for the port to take more of count bytes.
    std::uint64_t WriteLimitMs(std::size_t count) const {
        return writeConstant + std::uint64_t{writeMultiplier} * count;
    }
};

struct LineSettings {
    std::uint32_t baudRate = 9600;
    TDataBits dataBits = databits8;
    TParity parity = no_parity;
    TStopBits stopBits = stop1;
    bool parityCheck = true;  // bad bytes are marked in what is received
    FlowControl flow;
    bool discardNull = false;
    // Put in place of a byte received with a parity error; none: kept as received.
    std::optional<unsigned char> errorChar;
    std::size_t inputQueue = 8192;
    PortTimeouts timeouts;
};

}  // namespace gdl
