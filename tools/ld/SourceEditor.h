// "ld.exe NAME": the source in the map editor, or in the user's text editor.
#pragma once

#include <iosfwd>
#include <string>

namespace gdl {

// Opens NAME.lvs of the working folder and waits until it is closed: on a
// desktop (a display, and GDLMap beside ld.exe) in GDLMap, which sends test
// levels to the port of $LD_COM; otherwise, or with text set, in $VISUAL,
// $EDITOR, nano or vi, in a new terminal window when standard input is no
// terminal. $LD_COM (the Lynx port the editor chose) is shown in the header
// line and the window title. Returns a ToolExit value.
int EditSource(const std::string& argument, bool text, std::ostream& err);

}  // namespace gdl
