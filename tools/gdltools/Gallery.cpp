#include "Gallery.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <ostream>

#include "FileUtil.h"
#include "GalleryPlayer.h"
#include "LevelCompile.h"
#include "LevelDocument.h"
#include "LevelRender.h"
#include "PathJoin.h"
#include "PngFile.h"
#include "SetView.h"
#include "TextUtil.h"

namespace gdl {

namespace {

constexpr char kProgram[] = "GDLTools.exe: ";
constexpr char kLegendFile[] = "legend.png";

std::string PictureName(std::size_t index) {
    char name[32];
    std::snprintf(name, sizeof name, "level-%03zu.png", index + 1);
    return name;
}

Result<Gallery> FromSource(const std::string& path) {
    auto doc = LevelDocument::FromFile(path);
    if (!doc) return doc.Err();
    Gallery g;
    g.title = FileNameOf(path);
    g.kind = "Level source";
    for (std::size_t i = 0; i < doc->LevelCount(); ++i) {
        const DocLevel& l = doc->Level(i);
        GalleryLevel level;
        level.label = l.name;
        level.name = l.longName;
        level.grid = doc->Tiles(i);
        if (level.grid.width > 0) level.size = SizeText(level.grid.width, level.grid.height);
        level.time = TimeText(l.minutes, l.seconds);
        level.quota = std::to_string(l.quota);
        if (l.hasErrors) {
            level.problem =
                "the level has errors; ld.exe check " + FileNameOf(path) + " lists them";
            g.warnings.push_back("level " + l.name + " has errors");
        }
        g.levels.push_back(std::move(level));
    }
    return g;
}

Result<Gallery> FromSetView(const std::string& path) {
    std::string problem;
    auto view = LoadSetView(path, &problem);
    if (!view) return Error::BadFormat(path, 0, problem);
    Gallery g;
    g.title = view->name;
    g.kind = view->isProject ? "Project" : "Level set";
    g.copyright = TrimBlanks(view->year + " " + view->notice);
    g.comments = view->comments;
    g.warnings = view->warnings;
    for (auto& l : view->levels) {
        TileGrid grid;
        if (!l.tiles.empty()) grid = {l.width, l.height, std::move(l.tiles)};
        g.levels.push_back({.label = l.label,
                            .name = l.name,
                            .size = l.size,
                            .time = l.time,
                            .quota = l.quota,
                            .designer = l.designer,
                            .code = l.code,
                            .hint = l.hint,
                            .grid = std::move(grid),
                            .problem = l.problem,
                            .picture = {}});
    }
    return g;
}

std::string Escape(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string Cell(std::string_view text) {
    return "<td>" + Escape(text) + "</td>";
}

Result<void> WriteFile(const std::string& path, std::string_view bytes) {
    errno = 0;
    if (!WriteFileAtomic(path, bytes))
        return Error::System("cannot write " + path, errno ? errno : EIO);
    return {};
}

Result<void> WritePicture(const std::string& path, const RgbaImage& image) {
    auto png = EncodePng(image);
    if (!png) return png.Err();
    return WriteFile(path, *png);
}

}  // namespace

Result<Gallery> LoadGallery(const std::string& path) {
    if (EqualsNoCase(ExtensionOf(path), ".lvs")) return FromSource(path);
    return FromSetView(path);
}

std::string GalleryHtml(const Gallery& g, bool codes) {
    std::string h = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"windows-1252\">\n<title>" +
                    Escape(g.title) +
                    "</title>\n<style>\n"
                    "  body { font-family: sans-serif; margin: 2em; color: #1c2030; }\n"
                    "  table { border-collapse: collapse; }\n"
                    "  th, td { border: 1px solid #c8d0e0; padding: .3em .6em; text-align: left; "
                    "vertical-align: top; }\n"
                    "  th { background: #e7ecf5; }\n"
                    "  img { image-rendering: pixelated; }\n"
                    "</style>\n</head>\n<body>\n<h1>" +
                    Escape(g.title) + "</h1>\n<p>" + Escape(g.kind) + ", " +
                    std::to_string(g.levels.size()) +
                    (g.levels.size() == 1 ? " level" : " levels") + "</p>\n";
    if (!g.copyright.empty()) h += "<p>Copyright " + Escape(g.copyright) + "</p>\n";
    if (!g.comments.empty()) h += "<p>" + Escape(g.comments) + "</p>\n";
    if (!g.playLink.empty())
        h += "<p><a href=\"" + Escape(g.playLink) + "\">" + kPlayLinkText + "</a></p>\n";
    h += "<p><img src=\"" + std::string(kLegendFile) + "\" alt=\"Tiles\"></p>\n";
    h += "<table>\n<tr><th>Label</th><th>Name</th><th>Size</th><th>Time</th><th>Quota</th>"
         "<th>Designer</th>";
    if (codes) h += "<th>Code</th><th>Hint</th>";
    h += "<th>Picture</th></tr>\n";
    for (const auto& l : g.levels) {
        h += "<tr>" + Cell(l.label) + Cell(l.name) + Cell(l.size) + Cell(l.time) + Cell(l.quota) +
             Cell(l.designer);
        if (codes) h += Cell(l.code) + Cell(l.hint);
        h += "<td>";
        if (!l.picture.empty())
            h += "<img src=\"" + l.picture + "\" alt=\"Level " + Escape(l.label) + "\">";
        if (!l.problem.empty()) h += (l.picture.empty() ? "" : "<br>") + Escape(l.problem);
        h += "</td></tr>\n";
    }
    h += "</table>\n</body>\n</html>\n";
    return h;
}

int WriteGallery(const std::string& input, const std::string& outDir, int tileSize, bool codes,
                 std::ostream& out, std::ostream& err, bool player,
                 const std::string& playerFolder) {
    auto gallery = LoadGallery(input);
    if (!gallery) {
        err << kProgram << ShowControls(gallery.Err().Message()) << '\n';
        return 1;
    }
    std::error_code ec;
    std::filesystem::create_directories(outDir, ec);
    if (!std::filesystem::is_directory(outDir, ec)) {
        err << kProgram << "cannot make the folder " << ShowControls(outDir) << '\n';
        return 1;
    }
    const std::string folder = WithTrailingSlash(outDir);
    bool failed = !gallery->warnings.empty();
    for (const auto& w : gallery->warnings)
        err << kProgram << ShowControls(input + ": " + w) << '\n';
    std::size_t pictures = 0;
    for (std::size_t i = 0; i < gallery->levels.size(); ++i) {
        GalleryLevel& level = gallery->levels[i];
        RgbaImage image = RenderLevel(level.grid, tileSize);
        if (image.pixels.empty()) {
            failed = true;
            if (level.problem.empty()) level.problem = "the level has no map";
            continue;
        }
        const std::string name = PictureName(i);
        if (auto written = WritePicture(JoinPath(folder, name), image); !written) {
            err << kProgram << ShowControls(written.Err().Message()) << '\n';
            failed = true;
            continue;
        }
        level.picture = name;
        ++pictures;
    }
    if (player && EqualsNoCase(ExtensionOf(input), ".gdl")) {
        // A kit without the browser player still makes its gallery: the page
        // says nothing of playing, and the note says why.
        if (auto missing = MissingPlayer(playerFolder)) {
            err << kProgram << "the gallery has no player: " << *missing << '\n';
        } else if (auto link = WriteGalleryPlayer(input, folder, playerFolder)) {
            gallery->playLink = *link;
        } else {
            err << kProgram << link.Err().Message() << '\n';
            failed = true;
        }
    }
    Result<void> legend =
        WritePicture(JoinPath(folder, kLegendFile), RenderLevel({}, tileSize, true));
    Result<void> index =
        legend ? WriteFile(JoinPath(folder, "index.html"), GalleryHtml(*gallery, codes)) : legend;
    if (!index) {
        err << kProgram << ShowControls(index.Err().Message()) << '\n';
        return 1;
    }
    out << folder << "index.html: " << gallery->levels.size() << " levels, " << pictures
        << " pictures\n";
    return failed ? 1 : 0;
}

}  // namespace gdl
