// The editor's folders as the installation recorded them in the registry.
#pragma once

#include <string>

namespace gdl {

class Registry;

struct InstallFolders {
    bool installed = false;     // the key "Software\Vandrel\GDLKIT" could be opened
    std::string toolFolder;     // folder of the tools, trailing "/"
    std::string buildFolder;    // default folder of built sets; empty without install folder
    std::string projectFolder;  // starting folder of the file dialogs; may be empty
};

// Tool folder = the program's own folder unless the install folder value is
// set: then install/bin/, install/levels/ and install/source/.
InstallFolders ReadInstallFolders(const Registry& registry, const std::string& programFolder);

}  // namespace gdl
