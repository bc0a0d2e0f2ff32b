# The exchange's sources, relative to this folder; the browser build (web/)
# builds the same list with Emscripten.
set(GDLKIT_LINK_SOURCES LynxExchange.cpp LinkEcho.cpp)
