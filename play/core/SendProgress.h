// How far a send is: the bytes that have left the port of all it sends,
// shown as a bar in the status line while the level goes out. "Left" is what
// was written less what the port still queues, since a USB adapter takes the
// whole level at once and then needs two seconds to put it on the wire.
#pragma once

#include <cstddef>
#include <functional>

#include "PlayerView.h"
#include "SerialLine.h"

namespace gdl {

// The window's line as the send writes through it: every call goes on to the
// line, and the bytes written move the bar.
class SendProgress final : public SerialLine {
public:
    SendProgress(SerialLine& line, ProgressView& bar, std::function<void()> repaint);
    // Hides the bar (the caller's next paint shows it gone).
    ~SendProgress() override;
    SendProgress(const SendProgress&) = delete;
    SendProgress& operator=(const SendProgress&) = delete;

    // Shows the bar at 0 of total and paints.
    void Begin(std::size_t total);

    void SetPort(const std::string& port) override { line_.SetPort(port); }
    const std::string& Port() const override { return line_.Port(); }
    bool OpenConnection() override { return line_.OpenConnection(); }
    void CloseConnection() override { line_.CloseConnection(); }
    long ReadComm(unsigned char* buffer, long count) override {
        return line_.ReadComm(buffer, count);
    }
    bool WriteCommByte(unsigned char byte) override;
    bool WriteComm(const unsigned char* buffer, long count) override;
    bool WaitSent() override { return line_.WaitSent(); }
    std::size_t Unsent() const override { return line_.Unsent(); }
    std::string LastError() const override { return line_.LastError(); }
    bool Vanished() const override { return line_.Vanished(); }

    // The bar moves by at least this share of the total between two paints,
    // so a send costs at most this many paints, whatever its length.
    static constexpr std::size_t kSteps = 50;

private:
    void Wrote(std::size_t count);
    void Show(std::size_t unsent);

    SerialLine& line_;
    ProgressView& bar_;
    std::function<void()> repaint_;
    bool begun_ = false;
    std::size_t written_ = 0;
    std::size_t painted_ = 0;
};

}  // namespace gdl
