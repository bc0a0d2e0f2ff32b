// The level doctor: what can be told of a level from its map alone, for
// ld.exe check, the map editor and GDLEdit. It is conservative: an error means
// the level certainly cannot be solved.
//
// Passable is every tile but steel and wall; a door only once a key of its
// letter is reachable; walls too in a level with a creature that is not
// sealed off from the start by steel, whose blast can open them (steel cannot
// be blasted). Boulders, water and creatures count as passable, as they can
// move or be crossed. Moves go to the four neighbours. Reachable is
// everything reached from the start, again and again while newly reached keys
// open doors; the level ends on an exit, so nothing is reached through one.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "LevelDocument.h"
#include "LevelSource.h"
#include "TileGeometry.h"

namespace gdl {

enum class Severity { Warning, Error };

// The codes, as ld.exe check --json prints them.
inline constexpr char kExitUnreachable[] = "exit-unreachable";
inline constexpr char kQuotaUnreachable[] = "quota-unreachable";
inline constexpr char kOpenBorder[] = "open-border";
inline constexpr char kDoorWithoutKey[] = "door-without-key";
inline constexpr char kKeyWithoutDoor[] = "key-without-door";
inline constexpr char kGemsUnreachable[] = "gems-unreachable";

// The doctor's places are map points like every other.
using TilePosition = TilePoint;

struct Finding {
    std::string level;  // level name
    std::string code;   // one of the codes above
    Severity severity = Severity::Warning;
    std::string message;
    std::optional<TilePosition> position;  // the first such tile in reading order
};

// The findings of one level, errors first. Tiles outside the legend (a map
// being mended) count as passable and as nothing else. With no start or no
// exit the reachability errors are left to the parser's own.
std::vector<Finding> Doctor(const SourceLevel& level);

// The findings of a document's level as it stands. None while its map is not
// whole (a short row, an unknown tile): the parser's messages say what to
// mend first, and a judgement of a half-read map would mislead.
std::vector<Finding> DoctorLevel(const LevelDocument& doc, std::size_t level);

bool HasErrors(const std::vector<Finding>& findings);

}  // namespace gdl
