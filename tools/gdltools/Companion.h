// GDLTools.exe, the kit's companion program: the about text with the state of
// the tool folder, and readable dumps of level set files and compiled levels.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace gdl {

struct KitFileState {
    std::string name;  // relative to the tool folder
    std::string role;
    bool present = false;
};

// The kit's files and whether the tool folder (trailing "/") holds them.
std::vector<KitFileState> KitFileStates(const std::string& toolFolder);
// The install folder above the tool folder, or "(unknown)".
std::string InstallFolderText(const std::string& toolFolder);

// The about text for the tool folder (trailing "/"): version, folders and
// which of the kit's files are present.
std::string AboutText(const std::string& toolFolder);

// "GDLTools.exe info FILE.gdl": header, table and levels of a level set.
int PrintLevelSetInfo(const std::string& path, std::ostream& out, std::ostream& err);

// "GDLTools.exe bin FILE.bin": header, map and checksum of a compiled level.
int PrintCompiledLevel(const std::string& path, std::ostream& out, std::ostream& err);

}  // namespace gdl
