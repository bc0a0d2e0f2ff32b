// The player's reader: a level set file or a project, the set-wide data and
// one level at a time.
#pragma once

#include <string>
#include <string_view>

#include "LinkHeader.h"
#include "PlayerState.h"

namespace gdl {

class ReadOnlyFile;

inline constexpr char kGlimmerdeep[] = "Glimmerdeep";
inline constexpr char kReadingLevel[] = "Reading Level...";
inline constexpr char kStatusError[] = "ERROR";
inline constexpr char kInvalidLevelSet[] = "INVALID LEVEL SET";
inline constexpr char kProjectNotFound[] = "PROJECT FILE NOT FOUND";
inline constexpr char kEndOfGame[] = "END OF GAME";
inline constexpr char kNoMoreLevels[] = "NO MORE LEVELS";
inline constexpr char kMissingFile[] = "MISSING FILE";
inline constexpr char kBadFile[] = "BAD FILE";
inline constexpr char kBadData[] = "BAD DATA";

// The kind a path selects by its lower-cased extension; any other extension
// keeps the current kind.
SetKind KindOfPath(std::string_view path, SetKind current);

// "5", "0", "H2" for the indexes 5, 0 and -2.
std::string LevelLabel(long long index);

// A name from a project file that may stand in a path inside the project
// folder: no "/", NUL or control character, not "." or "..", not empty.
bool IsPlainFileName(std::string_view name);

// The level name of a Levels value ("Caverns:CAVE01" gives "CAVE01").
std::string LevelNameOfValue(std::string_view value);

class Reader {
public:
    explicit Reader(PlayerContext& context) : c_(context) {}

    void ReadSetTitle();
    void PrepareLevel();
    bool LevelExists();
    void FindLevelByCode(const std::string& code);
    void RunLevelTool(const std::string& source);

    // Level set file kind: whether the copies hold a set (signature).
    bool CopiesHoldSet() const;
    // Project kind: the project file's path.
    std::string ProjectPath() const;

private:
    void PrepareFromSetFile();
    void PrepareFromProject();
    // Reads the hint, the compiled data and the display name of position n
    // from the open set file (nullptr when it could not be opened).
    void ReadLevelData(const ReadOnlyFile* file);
    void BadData();
    void ReadLevelData();  // project kind
    void EndOfSet();
    void SetError(const char* what);
    void DisablePlay();
    void ShowCode(const std::string& code, bool save);
    // The table copy's entry of position n, when it is present with position n.
    bool EntryPlayable(long long n) const;
    std::string EntryBytes(long long n) const;

    PlayerContext& c_;
};

}  // namespace gdl
