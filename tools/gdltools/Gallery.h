// "GDLTools.exe gallery SET.gdl|PROJECT.gdp|SOURCE.lvs OUTDIR": a picture of
// every level and an index page with the set's texts and a table of the
// levels. Codes and hints only when asked for, so a gallery can be shown to
// players. Needs no display.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "Error.h"
#include "LevelSource.h"

namespace gdl {

inline constexpr int kDefaultGalleryTile = 8;

struct GalleryLevel {
    std::string label;  // the set's label ("H1", "0", "1"), or the level name of a source
    std::string name, size, time, quota, designer, code, hint;
    TileGrid grid;        // empty when the level has no map to show
    std::string problem;  // why there is no picture
    std::string picture;  // file name of its picture in the gallery
};

struct Gallery {
    std::string title;  // the set's name, or the source's file name
    std::string kind;   // "Level set", "Project", "Level source"
    std::string copyright, comments;
    std::vector<GalleryLevel> levels;
    std::vector<std::string> warnings;
    std::string playLink;  // the browser player beside the index; empty when none
};

// A ".gdl" as a level set, a ".gdp" as a project, a ".lvs" as a source.
Result<Gallery> LoadGallery(const std::string& path);

// The index page: Windows-1252 texts, every text escaped.
std::string GalleryHtml(const Gallery& gallery, bool codes);

// Writes OUTDIR/level-NNN.png for each level with a map, legend.png and
// index.html (the folder is made when missing); for a level set, unless
// player is false, also the browser player in OUTDIR/play/ (playerFolder
// holds the built page). Returns 0 when everything was written and every
// level has its picture, 1 otherwise.
int WriteGallery(const std::string& input, const std::string& outDir, int tileSize, bool codes,
                 std::ostream& out, std::ostream& err, bool player = false,
                 const std::string& playerFolder = "");

}  // namespace gdl
