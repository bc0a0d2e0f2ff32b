// "ld.exe NAME": the source in the user's editor.
#pragma once

#include <iosfwd>
#include <string>

namespace gdl {

// Opens NAME.lvs of the working folder in $VISUAL, $EDITOR, nano or vi and
// waits for it; without a terminal on standard input the editor runs in a new
// terminal window. $LD_COM (the Lynx port the editor chose) is shown in the
// header line and the window title. Returns a ToolExit value.
int EditSource(const std::string& argument, std::ostream& err);

}  // namespace gdl
