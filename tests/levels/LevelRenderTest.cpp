#include <gtest/gtest.h>

#include "LevelRender.h"

namespace gdl {
namespace {

TileGrid Grid(int width, int height, std::vector<std::uint8_t> tiles) {
    return {width, height, std::move(tiles)};
}

bool Same(Rgb a, Rgb b) {
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

TEST(LevelRender, EachTileIsASquareOfTheGuidesColour) {
    const auto gem = static_cast<std::uint8_t>(Tile::Gem);
    const auto steel = static_cast<std::uint8_t>(Tile::Steel);
    RgbaImage image = RenderLevel(Grid(2, 1, {gem, kNoTile}), 3);
    ASSERT_EQ(image.width, 6);
    ASSERT_EQ(image.height, 3);
    ASSERT_EQ(image.pixels.size(), 6u * 3 * 4);
    EXPECT_TRUE(Same(image.At(0, 0), Rgb{0x00, 0xe5, 0xff}));
    EXPECT_TRUE(Same(image.At(2, 2), Rgb{0x00, 0xe5, 0xff}));
    EXPECT_TRUE(Same(image.At(3, 0), Rgb{0xff, 0x00, 0xff}));  // no tile: magenta
    EXPECT_EQ(image.pixels[3], 0xFF);                          // opaque
    EXPECT_STREQ(TileColour(steel), "#7f8c8d");
    EXPECT_TRUE(Same(TileRgb(steel), Rgb{0x7f, 0x8c, 0x8d}));
}

TEST(LevelRender, TheLegendGoesBelowAndNamesEveryTile) {
    const auto floor = static_cast<std::uint8_t>(Tile::Floor);
    TileGrid grid = Grid(4, 2, std::vector<std::uint8_t>(8, floor));
    RgbaImage plain = RenderLevel(grid, 4);
    RgbaImage withLegend = RenderLevel(grid, 4, true);
    EXPECT_EQ(plain.height, 8);
    EXPECT_GT(withLegend.height, plain.height);
    EXPECT_GE(withLegend.width, plain.width);
    EXPECT_TRUE(Same(withLegend.At(0, 0), TileRgb(floor)));
    // Every legend colour appears below the map.
    for (const auto& t : TileLegend()) {
        const Rgb want = TileRgb(static_cast<std::uint8_t>(t.tile));
        bool found = false;
        for (int y = plain.height; y < withLegend.height && !found; ++y)
            for (int x = 0; x < withLegend.width && !found; ++x)
                found = Same(withLegend.At(x, y), want);
        EXPECT_TRUE(found) << t.name;
    }
}

TEST(LevelRender, SizesAreClampedAndEmptyMapsGiveNoPicture) {
    const auto wall = static_cast<std::uint8_t>(Tile::Wall);
    EXPECT_EQ(RenderLevel(Grid(1, 1, {wall}), 0).width, 1);
    EXPECT_EQ(RenderLevel(Grid(1, 1, {wall}), 1000).width, kMaxRenderTileSize);
    EXPECT_EQ(RenderLevel(Grid(0, 0, {}), 8).pixels.size(), 0u);
    EXPECT_EQ(RenderLevel(Grid(3, 3, {wall}), 8).pixels.size(), 0u);  // tiles do not fit
    EXPECT_GT(RenderLevel(Grid(0, 0, {}), 8, true).pixels.size(), 0u);
}

}  // namespace
}  // namespace gdl
