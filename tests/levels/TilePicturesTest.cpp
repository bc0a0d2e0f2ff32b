// The kit's tile set: a golden PNG per tile at 16 and 32 px (look at them
// after a deliberate change), every pair of tiles told apart under
// simulations of colour blindness, and pictures from 8 to 48 px.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "Golden.h"
#include "LevelRender.h"
#include "PngFile.h"
#include "TilePictures.h"

namespace gdl {
namespace {

std::string FileName(const TileInfo& info, int size) {
    std::string name = info.name;
    for (char& c : name)
        if (c == ' ') c = '-';
    return "tiles/" + name + "-" + std::to_string(size) + ".png";
}

TEST(TilePictures, GoldenPicturesAt16And32Pixels) {
    for (int size : {16, 32})
        for (const auto& info : TileLegend()) {
            auto png = EncodePng(TilePicture(static_cast<std::uint8_t>(info.tile), size));
            ASSERT_TRUE(png.Ok());
            gdltest::ExpectGolden(gdltest::GoldenData(FileName(info, size)), *png);
        }
}

using Matrix = std::array<std::array<double, 3>, 3>;

// How a colour looks to a viewer without one kind of cone (Machado, Oliveira
// and Fernandes, severity 1), and to one without colour at all.
struct Vision {
    const char* name;
    Matrix m;
};
const Vision kVisions[] = {
    {"protanopia",
     {{{0.152286, 1.052583, -0.204868},
       {0.114503, 0.786281, 0.099216},
       {-0.003882, -0.048116, 1.051998}}}},
    {"deuteranopia",
     {{{0.367322, 0.860646, -0.227968},
       {0.280085, 0.672501, 0.047413},
       {-0.011820, 0.042940, 0.968881}}}},
    {"tritanopia",
     {{{1.255528, -0.076749, -0.178779},
       {-0.078411, 0.930809, 0.147602},
       {0.004733, 0.691367, 0.303900}}}},
    {"no colour", {{{0.299, 0.587, 0.114}, {0.299, 0.587, 0.114}, {0.299, 0.587, 0.114}}}},
};

std::array<double, 3> Seen(const Matrix& m, Rgb c) {
    std::array<double, 3> out{};
    for (int i = 0; i < 3; ++i) out[i] = m[i][0] * c.r + m[i][1] * c.g + m[i][2] * c.b;
    return out;
}

// Pixels that look clearly different to the viewer.
int DifferentPixels(const RgbaImage& a, const RgbaImage& b, const Matrix& m) {
    int count = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const auto p = Seen(m, a.At(x, y)), q = Seen(m, b.At(x, y));
            const double d = std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]);
            count += d > 60;
        }
    return count;
}

TEST(TilePictures, EveryPairIsToldApartWithoutColourVision) {
    constexpr int kSize = 32;
    // A key's tooth or a door's stud, at least: a few dozen pixels of 1024.
    constexpr int kLeast = 20;
    for (const auto& vision : kVisions)
        for (std::uint8_t a = 0; a < kTileCount; ++a)
            for (std::uint8_t b = a + 1; b < kTileCount; ++b) {
                const int differ =
                    DifferentPixels(TilePicture(a, kSize), TilePicture(b, kSize), vision.m);
                EXPECT_GE(differ, kLeast) << TileLegend()[a].name << " and " << TileLegend()[b].name
                                          << " look alike with " << vision.name;
            }
}

TEST(TilePictures, PicturesFrom8To48PixelsAndFlatSquaresBelow) {
    for (std::uint8_t code = 0; code <= kTileCount; ++code) {
        for (int size : {8, 12, 16, 24, 32, 48}) {
            const RgbaImage& picture = TilePicture(code, size);
            ASSERT_EQ(picture.width, size);
            ASSERT_EQ(picture.height, size);
            int changes = 0;  // a picture, not a square of one colour
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) changes += !(picture.At(x, y) == picture.At(0, 0));
            EXPECT_GT(changes, 0) << "code " << int(code) << " at " << size;
        }
        const RgbaImage& tiny = TilePicture(code, kMinTilePicture - 1);
        EXPECT_TRUE(tiny.At(0, 0) == TileRgb(code));
        EXPECT_TRUE(tiny.At(tiny.width - 1, tiny.height - 1) == TileRgb(code));
    }
    EXPECT_EQ(&TilePicture(3, 20), &TilePicture(3, 20)) << "made once per size";
    EXPECT_EQ(TilePicture(3, 1000).width, kMaxTilePicture);
}

}  // namespace
}  // namespace gdl
