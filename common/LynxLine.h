// The Lynx cable's line as the kit sets every port it sends on: the desktop's
// serial component and the browser's Web Serial port take these values.
#pragma once

namespace gdl {

inline constexpr unsigned kLynxBaud = 9600;
inline constexpr unsigned kLynxDataBits = 8;  // with even parity, 1 stop bit
inline constexpr unsigned kLynxQueueBytes = 8192;
// A write that the port does not take on within this time fails.
inline constexpr unsigned kLynxWriteTimeoutMs = 5000;
inline constexpr unsigned kLynxReadTimeoutMs = 5000;

}  // namespace gdl
