// What the link needs of the serial port component: the window's zCom as the
// link drives it, and a fake line for tests that runs without a device.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace gdl {

class SerialLine {
public:
    virtual ~SerialLine() = default;

    // Set by the window: the component's OnDataAvailable and OnErrorOccurred,
    // always raised on the window thread.
    std::function<void()> onDataAvailable;
    std::function<void(int error, const std::string& errorstr)> onErrorOccurred;

    virtual void SetPort(const std::string& port) = 0;
    virtual const std::string& Port() const = 0;
    virtual bool OpenConnection() = 0;
    virtual void CloseConnection() = 0;
    // At most count bytes of what has arrived; a pending line error is
    // reported through onErrorOccurred first.
    virtual long ReadComm(unsigned char* buffer, long count) = 0;
    virtual bool WriteCommByte(unsigned char byte) = 0;
    virtual bool WriteComm(const unsigned char* buffer, long count) = 0;
    // Blocks until what was written has left the port (bounded); false when
    // it could not be confirmed.
    virtual bool WaitSent() = 0;
    // Bytes written that have not left the port yet; 0 where the line cannot
    // tell. While WaitSent waits, onDraining hears the same count.
    virtual std::size_t Unsent() const { return 0; }
    std::function<void(std::size_t unsent)> onDraining;
    // Why the last open failed, for the user ("" when it did not fail).
    virtual std::string LastError() const = 0;
    // The device has gone (unplugged): it must be opened again.
    virtual bool Vanished() const = 0;
};

}  // namespace gdl
