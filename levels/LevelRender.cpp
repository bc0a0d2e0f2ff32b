#include "LevelRender.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

namespace gdl {

namespace {

constexpr std::array<const char*, kTileCount> kTileColours{{
    "#101018",  // floor
    "#8b5a2b",  // dirt
    "#b03a2e",  // wall
    "#7f8c8d",  // steel wall
    "#00e5ff",  // gem
    "#c8b08c",  // boulder
    "#1e5aff",  // water
    "#f5f5f5",  // exit
    "#ffd700",  // player start
    "#ff4040",  // key a
    "#40ff40",  // key b
    "#4080ff",  // key c
    "#ffff40",  // key d
    "#a01010",  // door A
    "#10a010",  // door B
    "#1040a0",  // door C
    "#a0a010",  // door D
    "#ff8c00",  // creature
}};
constexpr char kUnknownColour[] = "#ff00ff";

int HexDigit(char c) {
    return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

// A 5x7 font with just the characters of the legend: the tile characters and
// the letters of the tile names. Rows top to bottom, '#' for ink.
struct Glyph {
    char c;
    const char* rows;  // 35 characters
};
constexpr Glyph kFont[] = {
    {'a', "...........###.....#.#####...#.####"}, {'b', "#....#....####.#...##...##...#####."},
    {'c', "...........###.#....#....#...#.###."}, {'d', "....#....#.#####...##...##...#.####"},
    {'e', "...........###.#...#######.....###."}, {'f', "..##..#...###...#....#....#....#..."},
    {'g', "......#####...##...#.####....#.###."}, {'i', "..#........##....#....#....#...###."},
    {'k', "#....#....#..#.#.#..##...#.#..#..#."}, {'l', ".##....#....#....#....#....#...###."},
    {'m', "..........##.#.#.#.##.#.##.#.##.#.#"}, {'n', "..........####.#...##...##...##...#"},
    {'o', "...........###.#...##...##...#.###."}, {'p', ".....####.#...##...#####.#....#...."},
    {'r', "..........#.##.##..##....#....#...."}, {'s', "...........#####.....###.....#####."},
    {'t', ".#....#...###...#....#....#..#..##."}, {'u', "..........#...##...##...##..##.##.#"},
    {'w', "..........#...##...##.#.##.#.#.#.#."}, {'x', "..........#...#.#.#...#...#.#.#...#"},
    {'y', ".....#...##...##...#.####....#.###."}, {'A', ".###.#...##...#######...##...##...#"},
    {'B', "####.#...##...#####.#...##...#####."}, {'C', ".###.#...##....#....#....#...#.###."},
    {'D', "####.#...##...##...##...##...#####."}, {'E', "######....#....####.#....#....#####"},
    {'O', ".###.#...##...##...##...##...#.###."}, {'X', "#...##...#.#.#...#...#.#.#...##...#"},
    {'.', "..........................##...##.."}, {':', "......##...##........##...##......."},
    {'#', ".#.#..#.#.#####.#.#.#####.#.#..#.#."}, {'*', ".......#..#.#.#.###.#.#.#..#......."},
    {'~', "...........#...#.#.#...#..........."}, {'@', ".###.#...##.####.#.##.####.....###."},
    {'&', ".##..#..#.#.#...#...#.#.##..#..##.#"},
};
constexpr int kGlyphWidth = 5, kGlyphHeight = 7, kAdvance = 6;

const char* GlyphRows(char c) {
    for (const auto& g : kFont)
        if (g.c == c) return g.rows;
    return nullptr;
}

class Canvas {
public:
    Canvas(int width, int height) : image_{width, height, {}} {
        image_.pixels.assign(static_cast<std::size_t>(width) * height * 4, 0xFF);
    }

    void Fill(int x, int y, int w, int h, Rgb colour) {
        for (int yy = std::max(y, 0); yy < std::min(y + h, image_.height); ++yy) {
            for (int xx = std::max(x, 0); xx < std::min(x + w, image_.width); ++xx) {
                std::size_t i = (static_cast<std::size_t>(yy) * image_.width + xx) * 4;
                image_.pixels[i] = colour.r;
                image_.pixels[i + 1] = colour.g;
                image_.pixels[i + 2] = colour.b;
                image_.pixels[i + 3] = 0xFF;
            }
        }
    }

    void Text(int x, int y, std::string_view text, Rgb ink, int scale) {
        for (char c : text) {
            if (const char* rows = GlyphRows(c))
                for (int gy = 0; gy < kGlyphHeight; ++gy)
                    for (int gx = 0; gx < kGlyphWidth; ++gx)
                        if (rows[gy * kGlyphWidth + gx] == '#')
                            Fill(x + gx * scale, y + gy * scale, scale, scale, ink);
            x += kAdvance * scale;
        }
    }

    RgbaImage& Image() { return image_; }
    RgbaImage Take() { return std::move(image_); }

private:
    RgbaImage image_;
};

// The legend's text at twice the font's size, so it reads on any screen.
constexpr int kLegendScale = 2;
constexpr int kLegendSwatch = 24;
constexpr int kLegendMargin = 10;
constexpr int kLegendRow = 32;
constexpr int kLegendGap = 8;

std::string LegendLabel(const TileInfo& t) {
    return std::string(1, t.symbol) + "  " + t.name;
}

}  // namespace

const char* TileColour(std::uint8_t code) {
    return code < kTileColours.size() ? kTileColours[code] : kUnknownColour;
}

Rgb TileRgb(std::uint8_t code) {
    const char* hex = TileColour(code);
    auto byte = [&](int at) {
        return static_cast<std::uint8_t>(HexDigit(hex[at]) * 16 + HexDigit(hex[at + 1]));
    };
    return {byte(1), byte(3), byte(5)};
}

void DrawTile(RgbaImage& image, int x, int y, std::uint8_t code, int tileSize) {
    const RgbaImage& tile = TilePicture(code, tileSize);
    const int x0 = std::max(0, x), x1 = std::min(image.width, x + tile.width);
    if (x0 >= x1) return;
    for (int ty = std::max(0, -y); ty < tile.height && y + ty < image.height; ++ty) {
        const std::uint8_t* from =
            tile.pixels.data() + (static_cast<std::size_t>(ty) * tile.width + (x0 - x)) * 4;
        std::uint8_t* to =
            image.pixels.data() + (static_cast<std::size_t>(y + ty) * image.width + x0) * 4;
        std::copy_n(from, static_cast<std::size_t>(x1 - x0) * 4, to);
    }
}

RgbaImage RenderLevel(const TileGrid& grid, int tileSize, bool legend) {
    tileSize = std::clamp(tileSize, 1, kMaxRenderTileSize);
    const bool hasMap = grid.width > 0 && grid.height > 0 &&
                        grid.tiles.size() == static_cast<std::size_t>(grid.width) * grid.height;
    const int mapWidth = hasMap ? grid.width * tileSize : 0;
    const int mapHeight = hasMap ? grid.height * tileSize : 0;
    if (!legend && !hasMap) return {};

    std::size_t longest = 0;
    for (const auto& t : TileLegend()) longest = std::max(longest, LegendLabel(t).size());
    const int column = kLegendSwatch + kLegendGap +
                       static_cast<int>(longest) * kAdvance * kLegendScale + kLegendMargin;
    // A legend on its own is three columns wide; under a map, as wide as the map.
    constexpr int kLegendColumns = 3;
    int width = std::max(mapWidth, (hasMap ? 1 : kLegendColumns) * column + kLegendMargin);
    const int columns = std::max(1, (width - kLegendMargin) / column);
    const int rows = (static_cast<int>(TileLegend().size()) + columns - 1) / columns;
    const int legendHeight = legend ? kLegendMargin * 2 + rows * kLegendRow : 0;
    if (!legend) width = mapWidth;

    Canvas canvas(width, mapHeight + legendHeight);
    for (int y = 0; hasMap && y < grid.height; ++y)
        for (int x = 0; x < grid.width; ++x)
            DrawTile(canvas.Image(), x * tileSize, y * tileSize, grid.At(x, y), tileSize);
    if (!legend) return canvas.Take();
    int i = 0;
    for (const auto& t : TileLegend()) {
        const int x = kLegendMargin + (i % columns) * column;
        const int y = mapHeight + kLegendMargin + (i / columns) * kLegendRow;
        canvas.Fill(x - 1, y - 1, kLegendSwatch + 2, kLegendSwatch + 2, Rgb{0x55, 0x58, 0x60});
        DrawTile(canvas.Image(), x, y, static_cast<std::uint8_t>(t.tile), kLegendSwatch);
        canvas.Text(x + kLegendSwatch + kLegendGap,
                    y + (kLegendSwatch - kGlyphHeight * kLegendScale) / 2, LegendLabel(t),
                    Rgb{0x1c, 0x20, 0x30}, kLegendScale);
        ++i;
    }
    return canvas.Take();
}

}  // namespace gdl
