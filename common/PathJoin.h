// The one way to put a folder and a name together. Folders are held with or
// without their trailing "/"; a join by concatenation loses the separator for
// the second kind ("/usr/lib/gdlkit/bin" + "GDLTools.exe").
#pragma once

#include <string>
#include <string_view>

namespace gdl {

// folder + "/" + name with exactly one "/" between them. An empty folder
// gives the name alone; an empty name the folder with its trailing "/"; an
// absolute name stays itself.
std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace gdl
