// The player's choice of port: the Com menu's radio items, the stored "Port"
// value and the port name the line opens. Choosing closes the old port and
// opens the new one at once, as the menu items do.
#pragma once

#include <string>

#include "PlayerState.h"

namespace gdl {

class Link;

class PortChoice {
public:
    PortChoice(PlayerContext& context, Link& link) : c_(context), link_(link) {}

    // Port choice k = 1 .. 4 (the Com menu items): checks its item, reopens
    // the port on "Comk" and stores k - 1 (not in CD mode).
    void Choose(int k);
    // A port for this run only (a device path or a Com name); nothing stored.
    void Use(const std::string& port);
    // The stored "Port" as an integer (0 when missing or not a number; 0 in CD mode).
    long long Stored() const;

private:
    PlayerContext& c_;
    Link& link_;
};

}  // namespace gdl
