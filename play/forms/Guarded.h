// Every handler of the player's windows is the last line of defence: an error
// that escapes it is shown in the standard error box and the player goes on.
#pragma once

#include <functional>

class QWidget;

namespace gdl {

void RunGuarded(QWidget* owner, const std::function<void()>& handler);

}  // namespace gdl
