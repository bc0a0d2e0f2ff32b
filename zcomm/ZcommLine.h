// The link's line over the serial component: zCom with the settings the
// Lynx cable runs at.
#pragma once

#include <memory>
#include <string>

#include "SerialLine.h"
#include "Zcomm.h"

namespace gdl {

class Registry;

// 9600 baud, 8 data bits, even parity, 1 stop bit, parity checking, no
// handshake of any kind, 5 s time-outs.
void ApplyLynxPortSettings(TZComm& port);

class ZcommLine : public SerialLine {
public:
    // post hands the component's notifications to the window thread;
    // registry says which device each of Com1 ... Com4 opens.
    ZcommLine(TZComm::PostFn post, const Registry* registry,
              const Clock& clock = SteadyClock::Instance());

    void SetPort(const std::string& port) override { zCom_.Port = port; }
    const std::string& Port() const override { return zCom_.Port; }
    bool OpenConnection() override { return zCom_.OpenConnection(); }
    void CloseConnection() override { zCom_.CloseConnection(); }
    long ReadComm(unsigned char* buffer, long count) override {
        return zCom_.ReadComm(buffer, count);
    }
    bool WriteComm(const unsigned char* buffer, long count) override {
        return zCom_.WriteComm(buffer, count);
    }
    std::size_t Unsent() const override { return zCom_.OutputQueued(); }
    std::string LastError() const override { return zCom_.LastError(); }
    bool Vanished() const override { return zCom_.Vanished(); }

    TZComm& Component() { return zCom_; }

private:
    TZComm zCom_;
};

}  // namespace gdl
