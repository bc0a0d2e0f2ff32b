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

// Test double: records what is written, hands out queued bytes and errors.
class FakeSerialLine : public SerialLine {
public:
    std::vector<unsigned char> written;
    std::deque<unsigned char> incoming;
    bool refuseOpen = false;
    std::string openError = "busy";
    // Writes from this many bytes on fail (-1: none fails).
    long failFromByte = -1;
    int pendingError = 0;  // reported at the next read, with "Read Error"
    int opens = 0, closes = 0, waits = 0, reads = 0;
    bool open = false;
    // Called at each write, so a test can act in the middle of a send.
    std::function<void(unsigned char)> onWrite;

    void SetPort(const std::string& port) override { port_ = port; }
    const std::string& Port() const override { return port_; }
    bool OpenConnection() override {
        ++opens;
        if (refuseOpen) return false;
        open = true;
        return true;
    }
    void CloseConnection() override {
        ++closes;
        open = false;
    }
    long ReadComm(unsigned char* buffer, long count) override {
        ++reads;
        if (pendingError != 0 && onErrorOccurred) {
            int error = pendingError;
            pendingError = 0;
            onErrorOccurred(error, "Read Error");
        }
        long n = 0;
        while (n < count && !incoming.empty()) {
            buffer[n++] = incoming.front();
            incoming.pop_front();
        }
        return n;
    }
    bool WriteCommByte(unsigned char byte) override {
        if (!open) return false;
        bool ok = failFromByte < 0 || static_cast<long>(written.size()) < failFromByte;
        if (ok) written.push_back(byte);
        ++attempts_;
        if (onWrite) onWrite(byte);
        return ok;
    }
    bool WriteComm(const unsigned char* buffer, long count) override {
        bool all = true;
        for (long i = 0; i < count; ++i) all = WriteCommByte(buffer[i]) && all;
        return all;
    }
    bool WaitSent() override {
        ++waits;
        return open;
    }
    std::string LastError() const override { return refuseOpen ? openError : std::string(); }
    bool Vanished() const override { return vanished; }
    bool vanished = false;
    long Attempts() const { return attempts_; }

private:
    std::string port_;
    long attempts_ = 0;
};

}  // namespace gdl
