// How a window of the kit is known to the desktop: the window class that a
// desktop file's StartupWMClass names, and the desktop file id (the app id
// on Wayland, the AppStream id). Called right after the application is made.
#pragma once

namespace gdl {

// program: the lower-case name on the PATH ("gdlplay"); the desktop id is
// the kit's reverse-DNS prefix + "." + program.
void SetDesktopIdentity(const char* program);

}  // namespace gdl
