// "ld.exe check FILE.lvs...": the parser's messages and the level doctor's
// findings of each level, as lines or as JSON objects.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace gdl {

// One line per message, "FILE:LINE: level NAME: error|warning: message" (with
// json, one JSON object per line instead). Files that cannot be read are
// reported on err. Returns 1 when any level has an error or a file cannot be
// read, else 0 (ToolExit values).
int CheckSources(const std::vector<std::string>& files, bool json, std::ostream& out,
                 std::ostream& err);

}  // namespace gdl
