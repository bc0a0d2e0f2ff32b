// The line's settings as termios, for zcomm/ alone: SerialPosix.cpp puts
// them onto a port.
#pragma once

#include <termios.h>

#include "LineSettings.h"

namespace gdl {

// The settings onto tio, over what the port had. The settings must have
// passed CheckLineSettings.
void FillTermios(const LineSettings& settings, termios& tio);

}  // namespace gdl
