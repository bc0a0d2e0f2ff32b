# Run at install time: writes a desktop file whose Exec names the launcher
# under the prefix actually installed to (cmake --install --prefix P).
# In: GDLKIT_DESKTOP_TEMPLATE, GDLKIT_DESKTOP_OUT and GDLKIT_DESKTOP_LAUNCHER
# (both relative to the prefix).
set(launcher "${CMAKE_INSTALL_PREFIX}/${GDLKIT_DESKTOP_LAUNCHER}")
# Quoted argument of Exec: \ " ` $ take a backslash; then the value's own
# escaping doubles every backslash once more.
string(REPLACE "\\" "\\\\" launcher "${launcher}")
string(REPLACE "\"" "\\\"" launcher "${launcher}")
string(REPLACE "`" "\\`" launcher "${launcher}")
string(REPLACE "$" "\\$" launcher "${launcher}")
string(REPLACE "\\" "\\\\" launcher "${launcher}")
set(EXEC "\"${launcher}\"")
set(out "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${GDLKIT_DESKTOP_OUT}")
message(STATUS "Installing: ${out}")
configure_file("${GDLKIT_DESKTOP_TEMPLATE}" "${out}" @ONLY)
