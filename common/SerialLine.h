// What the Lynx exchange needs of a serial port: the window's zCom as the
// link drives it, a browser's port, or a scripted line in tests. Every event
// is raised on the window thread, in the order the port saw things happen.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace gdl {

class SerialLine {
public:
    virtual ~SerialLine() = default;

    // The component's OnDataAvailable and OnErrorOccurred.
    std::function<void()> onDataAvailable;
    std::function<void(int error, const std::string& errorstr)> onErrorOccurred;
    // While handed-over bytes go out: Unsent() has moved.
    std::function<void()> onWriteProgress;
    // Everything handed over has left the port (true), or the port stopped
    // taking bytes within its write time-out or failed (false: the rest is
    // dropped).
    std::function<void(bool ok)> onWritten;

    virtual void SetPort(const std::string& port) = 0;
    virtual const std::string& Port() const = 0;
    virtual bool OpenConnection() = 0;
    virtual void CloseConnection() = 0;
    // At most count bytes of what has arrived, never waiting; a pending line
    // error is reported through onErrorOccurred first.
    virtual long ReadComm(unsigned char* buffer, long count) = 0;
    // Hands the bytes to the port and returns at once: the port writes them
    // on as the driver takes them, and onWritten says how it went. False when
    // the port takes nothing (not open, gone); then onWritten is not raised.
    virtual bool WriteComm(const unsigned char* buffer, long count) = 0;
    // Bytes handed over that have not left the port yet.
    virtual std::size_t Unsent() const = 0;
    // Why the last open failed, for the user ("" when it did not fail).
    virtual std::string LastError() const = 0;
    // The device has gone (unplugged): it must be opened again.
    virtual bool Vanished() const = 0;
};

}  // namespace gdl
