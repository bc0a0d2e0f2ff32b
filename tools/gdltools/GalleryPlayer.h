// The browser player beside a gallery: OUTDIR/play/ holds the player's page
// and the gallery's level set, and the index page links to it, so whoever
// publishes the gallery on a web server publishes a set one can play.
#pragma once

#include <optional>
#include <string>

#include "Error.h"

namespace gdl {

inline constexpr char kPlayFolder[] = "play";
inline constexpr char kPlayLinkText[] = "Play on your Lynx";
// Where a built page lies when it is not in the kit (scripts/web's output).
inline constexpr char kWebPlayerVariable[] = "GDLKIT_WEB_PLAYER";

// $GDLKIT_WEB_PLAYER, or the kit's web/ folder beside bin/; trailing "/".
std::string WebPlayerFolder(const std::string& programFolder);

// "play/?set=My%20Set.gdl" for a set file named "My Set.gdl".
std::string PlayLink(const std::string& setFileName);

// Copies every file of the player's folder and the set into
// galleryFolder/play/; the link for the index page, or why it could not.
// Why the browser player cannot be copied from the folder (a file is
// missing), or nullopt when it is all there.
std::optional<std::string> MissingPlayer(const std::string& playerFolder);

Result<std::string> WriteGalleryPlayer(const std::string& setPath, const std::string& galleryFolder,
                                       const std::string& playerFolder);

}  // namespace gdl
