#include "TilePictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <mutex>

#include "LevelRender.h"
#include "LevelSource.h"

namespace gdl {

namespace {

// Samples a pixel takes per side: edges are smoothed, lines stay sharp.
constexpr int kSamples = 4;

constexpr Rgb kFloor{0x10, 0x10, 0x18};
constexpr Rgb kInk{0x06, 0x06, 0x0a};

Rgb Scaled(Rgb c, double f) {
    auto ch = [f](std::uint8_t v) {
        return static_cast<std::uint8_t>(std::clamp(v * f, 0.0, 255.0));
    };
    return {ch(c.r), ch(c.g), ch(c.b)};
}

bool InCircle(double u, double v, double cx, double cy, double r) {
    return (u - cx) * (u - cx) + (v - cy) * (v - cy) <= r * r;
}

bool InBox(double u, double v, double x0, double y0, double x1, double y1) {
    return u >= x0 && u < x1 && v >= y0 && v < y1;
}

Rgb Floor(double u, double v) {
    if (InCircle(u, v, 0.27, 0.3, 0.05) || InCircle(u, v, 0.72, 0.74, 0.05))
        return {0x22, 0x22, 0x30};
    return kFloor;
}

Rgb Dirt(double u, double v) {
    constexpr std::array<std::array<double, 2>, 5> dark{
        {{0.2, 0.25}, {0.65, 0.18}, {0.45, 0.55}, {0.15, 0.8}, {0.8, 0.7}}};
    constexpr std::array<std::array<double, 2>, 3> light{{{0.4, 0.2}, {0.75, 0.45}, {0.55, 0.85}}};
    for (const auto& d : dark)
        if (InCircle(u, v, d[0], d[1], 0.07)) return {0x5e, 0x3a, 0x18};
    for (const auto& l : light)
        if (InCircle(u, v, l[0], l[1], 0.05)) return {0xb0, 0x7c, 0x45};
    return {0x8b, 0x5a, 0x2b};
}

// Bricks in a running bond: four courses, the joints of every other course
// half a brick along.
Rgb Wall(double u, double v) {
    constexpr Rgb mortar{0x3a, 0x14, 0x10};
    const int course = std::min(3, static_cast<int>(v * 4));
    const double inCourse = v * 4 - course;
    if (inCourse > 0.78) return mortar;
    const double shift = course % 2 ? 0.25 : 0.0;
    const double along = std::fmod(u + shift, 0.5) / 0.5;
    if (along < 0.09) return mortar;
    if (inCourse < 0.2) return {0xd0, 0x5c, 0x4e};
    return {0xb0, 0x3a, 0x2e};
}

// A riveted plate with a bevel.
Rgb Steel(double u, double v) {
    constexpr std::array<std::array<double, 2>, 4> rivets{
        {{0.25, 0.25}, {0.75, 0.25}, {0.25, 0.75}, {0.75, 0.75}}};
    for (const auto& r : rivets) {
        if (InCircle(u, v, r[0] - 0.02, r[1] - 0.02, 0.075)) return {0xe4, 0xea, 0xea};
        if (InCircle(u, v, r[0] + 0.02, r[1] + 0.02, 0.085)) return {0x3a, 0x42, 0x43};
    }
    if (u < 0.1 || v < 0.1)
        return u > 0.9 || v > 0.9 ? Rgb{0x7f, 0x8c, 0x8d} : Rgb{0xc0, 0xca, 0xcb};
    if (u > 0.9 || v > 0.9) return {0x45, 0x4d, 0x4e};
    return {0x7f, 0x8c, 0x8d};
}

// A cut gem: a rhombus with a lit and a shaded face on each side.
Rgb Gem(double u, double v) {
    const double d = std::abs(u - 0.5) / 0.42 + std::abs(v - 0.52) / 0.44;
    if (d > 1.0) return Floor(u, v);
    if (d > 0.84) return {0x00, 0x60, 0x78};
    if (v < 0.52) return u < 0.5 ? Rgb{0xb8, 0xfa, 0xff} : Rgb{0x00, 0xe5, 0xff};
    return u < 0.5 ? Rgb{0x00, 0xc0, 0xe0} : Rgb{0x00, 0x90, 0xb0};
}

// A round boulder lit from the top left.
Rgb Boulder(double u, double v) {
    if (!InCircle(u, v, 0.5, 0.53, 0.43)) return Floor(u, v);
    if (!InCircle(u, v, 0.5, 0.53, 0.37)) return {0x4a, 0x3c, 0x2a};
    if (InCircle(u, v, 0.38, 0.4, 0.12)) return {0xee, 0xe0, 0xc4};
    if (InCircle(u, v, 0.45, 0.47, 0.3)) return {0xc8, 0xb0, 0x8c};
    return {0x96, 0x80, 0x5e};
}

// Three rows of waves.
Rgb Water(double u, double v) {
    constexpr double kPi = 3.14159265358979;
    for (double row : {0.2, 0.53, 0.86}) {
        const double crest = row + 0.07 * std::sin(2 * kPi * (u * 2 + row));
        if (std::abs(v - crest) < 0.055) return {0xa8, 0xc8, 0xff};
    }
    return {0x1e, 0x5a, 0xff};
}

// An arched doorway, light frame round a dark opening with a green arrow up.
Rgb Exit(double u, double v) {
    auto inArch = [&](double half) {
        return (v >= 0.42 && std::abs(u - 0.5) <= half) || InCircle(u, v, 0.5, 0.42, half);
    };
    if (!inArch(0.4)) return Floor(u, v);
    if (!inArch(0.27) || v >= 0.93) return {0xf5, 0xf5, 0xf5};
    const bool head = v >= 0.3 && v < 0.56 && std::abs(u - 0.5) <= (v - 0.3) * 0.75;
    const bool shaft = v >= 0.55 && v < 0.88 && std::abs(u - 0.5) <= 0.07;
    if (head || shaft) return {0x3d, 0xdc, 0x84};
    return kInk;
}

// The player: a head over a body widening to the feet.
Rgb Start(double u, double v) {
    constexpr Rgb gold{0xff, 0xd7, 0x00};
    constexpr Rgb edge{0x80, 0x64, 0x00};
    if (InCircle(u, v, 0.5, 0.25, 0.14)) return gold;
    if (InCircle(u, v, 0.5, 0.25, 0.19)) return edge;
    if (v >= 0.46 && v < 0.92) {
        const double half = 0.16 + (v - 0.46) * 0.35;
        if (std::abs(u - 0.5) <= half) return gold;
        if (std::abs(u - 0.5) <= half + 0.05) return edge;
    }
    if (v >= 0.41 && v < 0.97 && std::abs(u - 0.5) <= 0.2 + (v - 0.41) * 0.35) return edge;
    return Floor(u, v);
}

// A key: a ring, a shaft and one to four teeth.
Rgb Key(double u, double v, Rgb colour, int teeth) {
    const Rgb edge = Scaled(colour, 0.45);
    if (InCircle(u, v, 0.28, 0.5, 0.1)) return Floor(u, v);
    if (InCircle(u, v, 0.28, 0.5, 0.2)) return colour;
    if (InCircle(u, v, 0.28, 0.5, 0.25)) return edge;
    if (InBox(u, v, 0.46, 0.45, 0.92, 0.56)) return colour;
    for (int i = 0; i < teeth; ++i) {
        const double x = 0.86 - i * 0.11;
        if (InBox(u, v, x - 0.04, 0.56, x + 0.04, 0.72)) return colour;
    }
    if (InBox(u, v, 0.44, 0.41, 0.95, 0.6)) return edge;
    return Floor(u, v);
}

// A door: a framed panel, a keyhole, and one to four studs along its top.
Rgb Door(double u, double v, Rgb colour, int studs) {
    // A light frame: a door stands out from the dark floor in any light.
    const Rgb frame{static_cast<std::uint8_t>(colour.r / 2 + 110),
                    static_cast<std::uint8_t>(colour.g / 2 + 110),
                    static_cast<std::uint8_t>(colour.b / 2 + 110)};
    if (u < 0.08 || u >= 0.92 || v < 0.06 || v >= 0.94) return frame;
    const bool hole = InCircle(u, v, 0.5, 0.5, 0.085) ||
                      (v >= 0.5 && v < 0.72 && std::abs(u - 0.5) <= 0.03 + (v - 0.5) * 0.25);
    if (hole) return kInk;
    for (int i = 0; i < studs; ++i) {
        const double x = 0.5 + (i - (studs - 1) / 2.0) * 0.17;
        if (InCircle(u, v, x, 0.2, 0.055)) return {0xf0, 0xf0, 0xe0};
    }
    if (std::abs(u - 0.5) < 0.02 && (v < 0.36 || v > 0.78)) return Scaled(colour, 0.6);
    return colour;
}

// A creature: a body with spikes below, and two staring eyes.
Rgb Creature(double u, double v) {
    constexpr Rgb body{0xff, 0x8c, 0x00};
    for (double eye : {0.36, 0.64}) {
        if (InCircle(u, v, eye + 0.02, 0.44, 0.045)) return kInk;
        if (InCircle(u, v, eye, 0.43, 0.1)) return {0xff, 0xff, 0xff};
    }
    if (InCircle(u, v, 0.5, 0.5, 0.34)) return body;
    if (v >= 0.7 && v < 0.95) {
        const double phase = std::fmod(u - 0.2, 0.2) / 0.2;
        if (u >= 0.2 && u < 0.8 && std::abs(phase - 0.5) * 2 <= (0.95 - v) / 0.25) return body;
    }
    if (InCircle(u, v, 0.5, 0.5, 0.39)) return {0x80, 0x38, 0x00};
    return Floor(u, v);
}

Rgb Unknown(double u, double v) {
    if (std::abs(u - v) < 0.08 || std::abs(u + v - 1) < 0.08) return kInk;
    return {0xff, 0x00, 0xff};
}

template <int kKey>
Rgb KeyNumber(double u, double v) {
    return Key(u, v, TileRgb(static_cast<std::uint8_t>(Tile::KeyA) + kKey), kKey + 1);
}
template <int kDoor>
Rgb DoorNumber(double u, double v) {
    return Door(u, v, TileRgb(static_cast<std::uint8_t>(Tile::DoorA) + kDoor), kDoor + 1);
}

// In code order, the unknown tile's last.
constexpr std::array<Rgb (*)(double, double), kTileCount + 1> kPainters{
    &Floor,         &Dirt,          &Wall,         &Steel,         &Gem,
    &Boulder,       &Water,         &Exit,         &Start,         &KeyNumber<0>,
    &KeyNumber<1>,  &KeyNumber<2>,  &KeyNumber<3>, &DoorNumber<0>, &DoorNumber<1>,
    &DoorNumber<2>, &DoorNumber<3>, &Creature,     &Unknown};

Rgb Paint(std::uint8_t code, double u, double v) {
    return kPainters[std::min<std::size_t>(code, kTileCount)](u, v);
}

RgbaImage Draw(std::uint8_t code, int size) {
    RgbaImage image{size, size,
                    std::vector<std::uint8_t>(static_cast<std::size_t>(size) * size * 4)};
    const bool flat = size < kMinTilePicture;
    const Rgb plain = TileRgb(code);
    std::size_t i = 0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x, i += 4) {
            int r = plain.r, g = plain.g, b = plain.b;
            if (!flat) {
                r = g = b = 0;
                for (int sy = 0; sy < kSamples; ++sy)
                    for (int sx = 0; sx < kSamples; ++sx) {
                        const Rgb c = Paint(code, (x + (sx + 0.5) / kSamples) / size,
                                            (y + (sy + 0.5) / kSamples) / size);
                        r += c.r;
                        g += c.g;
                        b += c.b;
                    }
                constexpr int n = kSamples * kSamples;
                r = (r + n / 2) / n;
                g = (g + n / 2) / n;
                b = (b + n / 2) / n;
            }
            image.pixels[i] = static_cast<std::uint8_t>(r);
            image.pixels[i + 1] = static_cast<std::uint8_t>(g);
            image.pixels[i + 2] = static_cast<std::uint8_t>(b);
            image.pixels[i + 3] = 0xFF;
        }
    }
    return image;
}

// One set of pictures per size, the unknown tile's last.
using TileSet = std::array<RgbaImage, kTileCount + 1>;

}  // namespace

const RgbaImage& TilePicture(std::uint8_t code, int size) {
    static std::mutex mutex;
    static std::array<std::unique_ptr<TileSet>, kMaxTilePicture + 1> sets;
    size = std::clamp(size, 1, kMaxTilePicture);
    std::lock_guard lock(mutex);
    auto& set = sets[static_cast<std::size_t>(size)];
    if (!set) {
        set = std::make_unique<TileSet>();
        for (std::uint8_t c = 0; c <= kTileCount; ++c) (*set)[c] = Draw(c, size);
    }
    return (*set)[std::min<std::size_t>(code, kTileCount)];
}

}  // namespace gdl
