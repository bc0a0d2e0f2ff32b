#include "PortChoice.h"

#include "Link.h"
#include "LinkHeader.h"
#include "Registry.h"
#include "SerialLine.h"
#include "TextUtil.h"

namespace gdl {

void PortChoice::Choose(int k) {
    PlayerView& v = c_.view;
    MenuItemView* items[] = {&v.Com11, &v.Com21, &v.Com31, &v.Com41};
    for (int i = 0; i < 4; ++i) items[i]->checked = i == k - 1;
    link_.ClosePort();
    c_.ports.line.SetPort("Com" + std::to_string(k));
    // A failure is not reported here: the next play action tries again.
    link_.OpenPort();
    if (!c_.state.cd)
        c_.ports.registry.WriteValue(RegRoot::LocalMachine, kRegKeyGlobal, kRegValuePort,
                                     std::to_string(k - 1));
}

void PortChoice::Use(const std::string& port) {
    link_.ClosePort();
    c_.ports.line.SetPort(port);
}

long long PortChoice::Stored() const {
    if (c_.state.cd) return 0;
    Registry& reg = c_.ports.registry;
    reg.CreateKey(RegRoot::LocalMachine, kRegKeyGlobal);
    return ParseDecimal(
               reg.ReadValue(RegRoot::LocalMachine, kRegKeyGlobal, kRegValuePort).value_or(""))
        .value_or(0);
}

}  // namespace gdl
