#include "GalleryPlayer.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "FileUtil.h"
#include "PathJoin.h"

namespace fs = std::filesystem;

namespace gdl {

namespace {

// The files without which the folder holds no player.
constexpr const char* kPlayerFiles[] = {"index.html", "player.js", "gdlplay.js", "gdlplay.wasm"};

Result<void> CopyInto(const std::string& from, const std::string& to) {
    const auto bytes = ReadFileBytes(from);
    if (!bytes) return Error::System("cannot read " + from, errno ? errno : EIO);
    errno = 0;
    if (!WriteFileAtomic(to, *bytes))
        return Error::System("cannot write " + to, errno ? errno : EIO);
    return {};
}

}  // namespace

std::string WebPlayerFolder(const std::string& programFolder) {
    const char* set = std::getenv(kWebPlayerVariable);
    if (set && *set) return WithTrailingSlash(set);
    return WithTrailingSlash(programFolder) + "../web/";
}

std::string PlayLink(const std::string& setFileName) {
    std::string link = std::string(kPlayFolder) + "/?set=";
    for (unsigned char c : setFileName) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == '~';
        if (plain) {
            link += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            link += hex;
        }
    }
    return link;
}

std::optional<std::string> MissingPlayer(const std::string& playerFolder) {
    for (const char* name : kPlayerFiles) {
        if (!FileExists(JoinPath(playerFolder, name)))
            return "the browser player is not in " + playerFolder +
                   " (scripts/web builds it; --no-player leaves it out)";
    }
    return std::nullopt;
}

Result<std::string> WriteGalleryPlayer(const std::string& setPath, const std::string& galleryFolder,
                                       const std::string& playerFolder) {
    if (auto missing = MissingPlayer(playerFolder)) return Error::Caller(*missing);
    const std::string play = WithTrailingSlash(galleryFolder) + kPlayFolder + "/";
    std::error_code ec;
    fs::create_directories(play, ec);
    if (!fs::is_directory(play, ec)) return Error::System("cannot make the folder " + play, EIO);
    for (const auto& entry : fs::directory_iterator(playerFolder, ec)) {
        if (!entry.is_regular_file(ec)) continue;
        const std::string name = entry.path().filename().string();
        if (auto copied = CopyInto(JoinPath(playerFolder, name), JoinPath(play, name)); !copied)
            return copied.Err();
    }
    if (ec) return Error::System("cannot list " + playerFolder, ec.value());
    const std::string setName = fs::path(setPath).filename().string();
    if (auto copied = CopyInto(setPath, play + setName); !copied) return copied.Err();
    return PlayLink(setName);
}

}  // namespace gdl
