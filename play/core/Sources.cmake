# The player core's sources, relative to this folder. The browser build
# (web/) takes the portable list; the headless sender's event loop waits on
# threads the browser's page does not have.
set(GDLPLAY_CORE_PORTABLE
  Chooser.cpp
  Link.cpp
  PlayerWindow.cpp
  PortChoice.cpp
  PortMenu.cpp
  Progression.cpp
  Reader.cpp
  StartUp.cpp
)
set(GDLPLAY_CORE_NATIVE EventLoop.cpp)
