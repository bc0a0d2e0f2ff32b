// The outside tools as the kit uses them: the batch files written just before
// each use, the check of the tool files, and the commands (edit, list,
// compile, statistics) run through them.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace gdl {

class Prompts;
class ToolRunner;

inline constexpr char kLevelToolExe[] = "ld.exe";
// The map editor beside the level tool: "ld.exe NAME" opens it on a desktop.
inline constexpr char kMapEditorExe[] = "GDLMap";
inline constexpr char kLevelToolPif[] = "ld.pif";
inline constexpr char kInfoPif[] = "ldinfo.pif";
inline constexpr char kStatPif[] = "ldstat.pif";
inline constexpr char kStatToolExe[] = "gdlstat.exe";
inline constexpr char kEditBatch[] = "ldedit.bat";
inline constexpr char kInfoBatch[] = "ldinfo.bat";
inline constexpr char kStatBatch[] = "ldstat.bat";

// Batch file texts (CR LF between lines, none after the last). toolFolder has
// its trailing "/". A "%" in the folder is written "%%", as batch files
// require; a folder holding a double quote or a control character cannot be
// written into a batch file at all (see CanQuoteInBatch).
std::string EditBatchText(std::string_view toolFolder, int port);  // port 1-4
std::string ListBatchText(std::string_view toolFolder);
std::string CompileBatchText(std::string_view toolFolder);
std::string StatBatchText(std::string_view toolFolder);
bool CanQuoteInBatch(std::string_view toolFolder);

// The user's kit folder (UserKitFolder), the batch files' place when the tool
// folder is not this user's own writable folder.
std::string UserBatchFolder();

// "The file PATH could not be found. ..." for the named program.
std::string MissingToolFileMessage(std::string_view fullPath, std::string_view program);

class LevelTool {
public:
    // programName names the program in the missing-file message ("GDLEdit").
    LevelTool(std::string toolFolder, ToolRunner& runner, Prompts& prompts,
              std::string programName = "GDLEdit");

    // Made absolute when given relative.
    const std::string& ToolFolder() const { return toolFolder_; }
    // Where the batch files are written and run from: the tool folder when it
    // is this user's and writable (a build tree, a stage), else the user's
    // kit folder, so each user's LD_COM is their own.
    const std::string& BatchFolder() const { return batchFolder_; }
    // Full path of a tool file; ".bat" names resolve to the batch folder.
    std::string ToolFilePath(std::string_view name) const;

    // True when every named file exists. With message, one "File Error" box
    // for the last missing file in the order given. Empty names after the
    // first are skipped.
    bool CheckToolFiles(std::initializer_list<std::string_view> names, bool withMessage) const;

    // Writes "ldedit.bat" for port 1-4; false when it cannot be created.
    bool WriteEditBatch(int port);

    // Each returns whether the tool could be started.
    // Opens the source in the level tool (shown).
    bool Edit(const std::string& source, const std::string& projectFolder, bool wait);
    // SOURCE.te1 in the project folder from "ld.exe -sSOURCE" (hidden, waiting).
    bool List(const std::string& source, const std::string& projectFolder);
    // LEVEL.bin files in the project folder from "ld.exe -mSOURCE".
    bool Compile(const std::string& source, const std::string& projectFolder);
    // BASE.te4 from BASE.te3 through "gdlstat.exe -g"; whether it could run.
    bool Stats(const std::string& base, const std::string& projectFolder);

    int Port() const { return port_; }

private:
    bool WriteBatch(std::string_view name, std::string_view text);
    bool RunInfoBatch(std::string_view text, const std::string& source,
                      const std::string& projectFolder);
    std::string toolFolder_;
    std::string batchFolder_;
    ToolRunner& runner_;
    Prompts& prompts_;
    std::string programName_;
    int port_ = 1;
};

}  // namespace gdl

namespace gdl {
// The level tool's two banner lines: the first lines of its listing, and
// lines 2 and 3 of a level list.
inline constexpr char kLevelToolBanner1[] =
    "GDLKIT Level Tool 1.0 - lists, edits and compiles Glimmerdeep level sources";
inline constexpr char kLevelToolBanner2[] =
    "Level source format LVS 1 for the Atari Lynx; type ld.exe --help for usage";
}  // namespace gdl
