// The editor's folders as the installation recorded them in the registry,
// and the user's own kit folder where the installed ones are not the user's
// to write.
#pragma once

#include <string>

namespace gdl {

class Registry;

struct InstallFolders {
    bool installed = false;     // the key "Software\Vandrel\GDLKIT" could be opened
    std::string toolFolder;     // folder of the tools, trailing "/"
    std::string buildFolder;    // default folder of built sets; empty without install folder
    std::string projectFolder;  // starting folder of the file dialogs; may be empty
    // The install folder, trailing "/"; empty when none is recorded.
    std::string installFolder;
    // The build and project folders are the user's kit folder's (and are made
    // at start-up), because the install folder's may not be written.
    bool perUser = false;
};

// Tool folder = the program's own folder unless the install folder value is
// set: then install/bin/, and install/levels/ and install/source/ where this
// user may write them, else levels/ and source/ of userKitFolder.
InstallFolders ReadInstallFolders(const Registry& registry, const std::string& programFolder,
                                  const std::string& userKitFolder);

// Makes the user's levels/ and source/ when the folders are the user's;
// false when they cannot be made.
bool MakeUserFolders(const InstallFolders& folders);

// The sample project shipped with the kit: SHARE/gdlkit/samples/NAME/ for an
// install folder PREFIX/lib/gdlkit/ (a package, a stage), or the install
// folder's samples/NAME/ (a build tree); "" when neither holds NAME.gdp.
inline constexpr char kSampleProject[] = "GemQuest";
std::string SampleProjectFolder(const std::string& installFolder);

}  // namespace gdl
