// The demo's icon sets drawn in code, and the icon pack that holds them.
#include "tests/support/icon_pack_writer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>

#include "interface/ico.h"
#include "tests/support/pack_writer.h"
#include "tests/support/sprite_frames.h"

namespace kalder_test {

namespace {

// The icons' palette: 0 black, then sixteen ramps of sixteen shades, dark to light. Ramp 0 is grey;
// the others are hues.
enum Hue : int { Grey = 0, Red, Orange, Gold, Yellow, Lime, Green, Teal, Cyan, Sky, Blue, Violet, Magenta, Pink, Brown, Ice };

const std::array<std::array<int, 3>, 16> &hue_colours()
{
    static const std::array<std::array<int, 3>, 16> colours = {{{200, 200, 200},
                                                                 {240, 40, 30},
                                                                 {250, 140, 20},
                                                                 {235, 190, 60},
                                                                 {245, 240, 80},
                                                                 {150, 235, 60},
                                                                 {40, 195, 70},
                                                                 {30, 185, 165},
                                                                 {60, 215, 245},
                                                                 {80, 140, 250},
                                                                 {50, 60, 225},
                                                                 {150, 70, 235},
                                                                 {225, 60, 205},
                                                                 {250, 120, 160},
                                                                 {165, 105, 55},
                                                                 {200, 220, 250}}};
    return colours;
}

uint8_t shade(int hue, int level) { return uint8_t(hue * 16 + std::clamp(level, 0, 15)); }

std::vector<uint16_t> icon_palette565()
{
    std::vector<uint16_t> palette(256, 0);
    for (int hue = 0; hue < 16; hue++) {
        for (int s = 0; s < 16; s++) {
            const auto &c = hue_colours()[size_t(hue)];
            int rgb[3];
            for (int k = 0; k < 3; k++) {
                // Dark to full over the first twelve shades, then towards white.
                const double v = s < 12 ? c[size_t(k)] * (s + 3) / 15.0 : c[size_t(k)] + (255 - c[size_t(k)]) * (s - 11) / 5.0;
                rgb[k] = std::clamp(int(v), 0, 255);
            }
            palette[shade(hue, s)] = uint16_t((rgb[0] >> 3) << 11 | (rgb[1] >> 2) << 5 | (rgb[2] >> 3));
        }
    }
    palette[0] = 0;
    return palette;
}

// An index and an alpha for a pixel of a 2-byte picture.
struct Texel {
    uint8_t index = 0, alpha = 0;
};
using Painter = std::function<Texel(int x, int y)>;

std::vector<uint8_t> paint2(int width, int height, const Painter &paint)
{
    std::vector<uint8_t> pixels;
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            const Texel t = paint(x, y);
            pixels.push_back(t.index);
            pixels.push_back(t.alpha);
        }
    }
    return pixels;
}

// The alpha of a disc's rim: full inside r0, falling to 0 at r1.
uint8_t rim(double r, double r0, double r1)
{
    return uint8_t(std::clamp(63.0 * (r1 - r) / (r1 - r0), 0.0, 63.0));
}

// True where a character of our 5 x 7 glyphs covers (x, y) of a text whose cell row starts at (tx, ty).
bool text_at(const std::string &text, int tx, int ty, int x, int y)
{
    const int cell = (x - tx) / 8;
    if (x < tx || y < ty || cell >= int(text.size()) || y - ty >= 12) {
        return false;
    }
    const SpriteFrame &glyph = Glyph(text[size_t(cell)]);
    return glyph.pixels[size_t((y - ty) * 8 + (x - tx) % 8)] != 0;
}

// A spell: a disc of its hue, lighter at the centre, with a star of 3 to 6 points.
std::vector<uint8_t> spell(int k)
{
    const int hue = 1 + k;
    const int points = 3 + k % 4;
    return paint2(32, 32, [&](int x, int y) {
        const double dx = x - 15.5, dy = y - 15.5, r = std::hypot(dx, dy);
        const double angle = std::atan2(dy, dx) + k * 0.3;
        const double star = 5.0 + 5.0 * std::pow(std::fabs(std::cos(angle * points / 2.0)), 3.0);
        const uint8_t index = r < star ? shade(hue, 14) : shade(hue, int(11 - r / 2.0));
        return Texel{index, rim(r, 14.0, 16.0)};
    });
}

// An object: a faceted gem of its hue.
std::vector<uint8_t> object(int k)
{
    const int hue = 1 + k % 15;
    return paint2(32, 32, [&](int x, int y) {
        const int dx = x * 2 - 31, dy = y * 2 - 31, d = std::abs(dx) + std::abs(dy);
        if (d > 30) {
            return Texel{};
        }
        const int facet = (dx < 0 ? 0 : 1) + (dy < 0 ? 0 : 2);
        static const int light[4] = {13, 10, 8, 5};
        return Texel{shade(hue, d > 26 ? 15 : light[facet]), uint8_t(d > 28 ? 40 : 63)};
    });
}

// Frame f of the "nothing" ring: a grey ring whose bright arc has turned f sixteenths.
std::vector<uint8_t> ring(int f)
{
    return paint2(32, 32, [&](int x, int y) {
        const double dx = x - 15.5, dy = y - 15.5, r = std::hypot(dx, dy);
        if (r < 9.0 || r > 15.0) {
            return Texel{};
        }
        double gap = std::fabs(std::remainder(std::atan2(dy, dx) - f * M_PI / 8.0, 2 * M_PI));
        const bool lit = gap < 0.7;
        return Texel{lit ? shade(Gold, int(15 - gap * 4)) : shade(Grey, 12), uint8_t(lit ? 63 : 52)};
    });
}

// A bordered panel with a line of text: gold border, dark blue ground, white letters.
std::vector<uint8_t> panel(int width, int height, int hue, const std::string &text)
{
    const int tx = (width - 8 * int(text.size())) / 2 + 1, ty = (height - 12) / 2;
    return paint2(width, height, [&](int x, int y) {
        if (x == 0 || y == 0 || x == width - 1 || y == height - 1) {
            return Texel{shade(hue, 12), 63};
        }
        if (text_at(text, tx, ty, x, y)) {
            return Texel{shade(Grey, 15), 63};
        }
        return Texel{shade(Blue, 3), 44};
    });
}

// "block": a red circle with a bar across.
std::vector<uint8_t> block()
{
    return paint2(32, 32, [](int x, int y) {
        const double dx = x - 15.5, dy = y - 15.5, r = std::hypot(dx, dy);
        const bool ring_part = r > 11.0 && r < 15.0;
        const bool bar = std::fabs(dx - dy) < 3.0 && r < 12.0;
        return ring_part || bar ? Texel{shade(Red, 11), 63} : Texel{};
    });
}

// "mcombat": two crossed blades with hilts.
std::vector<uint8_t> mcombat()
{
    return paint2(32, 32, [](int x, int y) {
        const bool blade = (std::abs(x - y) < 2 || std::abs(x + y - 31) < 2) && x > 3 && x < 28;
        const bool hilt = (y > 22 && y < 26) && ((x > 1 && x < 9) || (x > 22 && x < 30));
        if (hilt) {
            return Texel{shade(Brown, 9), 63};
        }
        return blade ? Texel{shade(Ice, 13), 63} : Texel{};
    });
}

// A 1-byte picture of the controller's icons, 24 x 24: 0 transparent.
std::vector<uint8_t> paint1(const std::function<uint8_t(int, int)> &paint)
{
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 24; y++) {
        for (int x = 0; x < 24; x++) {
            pixels.push_back(paint(x, y));
        }
    }
    return pixels;
}

// An arrow pointing along (ux, uy).
std::vector<uint8_t> arrow(int ux, int uy)
{
    return paint1([&](int x, int y) {
        // Along the arrow a from -10 (tail) to 10 (tip), across it b.
        const int dx = x * 2 - 23, dy = y * 2 - 23;
        const int a = dx * ux + dy * uy, b = std::abs(dx * uy - dy * ux);
        if (a > 20 || a < -20) {
            return uint8_t(0);
        }
        const bool head = a >= 0 && b <= 20 - a;
        const bool shaft = a < 0 && b <= 6;
        return head || shaft ? shade(Cyan, head ? 12 : 9) : uint8_t(0);
    });
}

// A round button cap with its label.
std::vector<uint8_t> cap(const std::string &label)
{
    const int tx = (24 - 8 * int(label.size())) / 2 + 1;
    return paint1([&](int x, int y) {
        const double r = std::hypot(x - 11.5, y - 11.5);
        if (r > 11.5) {
            return uint8_t(0);
        }
        if (text_at(label, tx, 6, x, y)) {
            return shade(Grey, 15);
        }
        return r > 10.0 ? shade(Grey, 10) : shade(Sky, 6);
    });
}

// A tile of the title menu's 2 x 2 grid, 64 x 64 with a gap of 2 around a 60 x 60 square: a bright
// border, a plain fill (gold lit, grey unlit) and a dark triangle in the corner of its quadrant.
std::vector<uint8_t> title_tile(bool up, bool left, bool lit)
{
    return paint2(64, 64, [&](int x, int y) {
        if (x < 2 || x >= 62 || y < 2 || y >= 62) {
            return Texel{};
        }
        const int cx = left ? x - 2 : 61 - x, cy = up ? y - 2 : 61 - y;
        const int hue = lit ? Gold : Grey;
        if (cx < 3 || cy < 3 || cx >= 57 || cy >= 57) {
            return Texel{shade(hue, lit ? 15 : 11), 63};
        }
        if (cx + cy < 24) {
            return Texel{shade(hue, lit ? 6 : 3), 63};
        }
        return Texel{shade(hue, lit ? 11 : 7), 63};
    });
}

// The gauge frame: a pyramid of 64 x 84 whose left half calls in the first fill (marker 0xFF), its
// right half the second (0xFE) and its middle the third (0xFD), framed in gold.
std::vector<uint8_t> gauge_frame()
{
    return paint2(64, 84, [](int x, int y) {
        const int half = y * 30 / 83 + 2; // half width of the pyramid at this row
        const int dx = x * 2 - 63;
        if (std::abs(dx) > half * 2) {
            return Texel{};
        }
        if (std::abs(dx) > half * 2 - 4 || y > 80) {
            return Texel{shade(Gold, 12), 63};
        }
        if (std::abs(dx) < 4) {
            return Texel{shade(Grey, 4), 0xFD};
        }
        return Texel{shade(Grey, 3), uint8_t(dx < 0 ? 0xFF : 0xFE)};
    });
}

// A fill: 64 x 84 of a hue, brighter upwards; the flash fills are lighter.
std::vector<uint8_t> gauge_fill(int hue, bool flash)
{
    return paint2(64, 84, [&](int, int y) { return Texel{shade(hue, (flash ? 13 : 5) + (83 - y) / 28), 63}; });
}

std::vector<uint8_t> cursor()
{
    return paint2(8, 6, [](int x, int y) { return x <= 7 - y ? Texel{shade(Ice, 14), 63} : Texel{}; });
}

// A small face: a round head of warm skin, dark hair over the brow, two eyes and a mouth, on an alpha
// rim so that it sits softly over the window.
std::vector<uint8_t> portrait()
{
    return paint2(48, 56, [](int x, int y) {
        const double dx = (x - 23.5) / 20.0, dy = (y - 27.5) / 26.0, r = std::hypot(dx, dy);
        if (r > 1.0) {
            return Texel{};
        }
        const uint8_t alpha = r > 0.92 ? uint8_t(63 * (1.0 - r) / 0.08) : 63;
        if (y < 16 || (y < 22 && std::abs(x - 24) > 14)) {
            return Texel{shade(Brown, 4 + (y % 4)), alpha};
        }
        const bool eye = y >= 24 && y < 28 && (std::abs(x - 16) < 3 || std::abs(x - 31) < 3);
        const bool mouth = y >= 40 && y < 43 && std::abs(x - 24) < 7;
        if (eye) {
            return Texel{shade(Blue, 4), alpha};
        }
        if (mouth) {
            return Texel{shade(Red, 7), alpha};
        }
        return Texel{shade(Orange, int(13 - r * 4.0)), alpha};
    });
}

} // namespace

SpriteSetWriter DemoPortrait()
{
    SpriteSetWriter set;
    set.PaletteFrom565(icon_palette565().data());
    set.Put(0, 48, 56, 24, 28, portrait());
    return set;
}

std::vector<SpriteSetWriter> DemoIcons()
{
    std::vector<SpriteSetWriter> sets(ICO_SET_COUNT);
    const std::vector<uint16_t> palette = icon_palette565();
    for (SpriteSetWriter &set : sets) {
        set.PaletteFrom565(palette.data());
    }
    for (int k = 0; k < 14; k++) {
        sets[0].Put(k, 32, 32, 0, 0, spell(k));
    }
    for (int f = 0; f < ICO_ANIMATION_FRAMES; f++) {
        sets[1].Put(f, 32, 32, 0, 0, ring(f));
    }
    sets[2].Put(0, 64, 84, 0, 0, gauge_frame());
    sets[2].Put(1, 64, 84, 0, 0, gauge_fill(Red, false));
    sets[2].Put(2, 64, 84, 0, 0, gauge_fill(Blue, false));
    sets[2].Put(3, 64, 84, 0, 0, gauge_fill(Cyan, false));
    sets[2].Put(4, 64, 84, 0, 0, gauge_fill(Red, true));
    sets[2].Put(5, 64, 84, 0, 0, gauge_fill(Blue, true));
    sets[2].Put(6, 8, 6, 0, 3, cursor());
    const int arrows[4][2] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}};
    for (int k = 0; k < 4; k++) {
        sets[3].Put(k, 24, 24, 0, 0, arrow(arrows[k][0], arrows[k][1]));
    }
    const char *labels[7] = {"K1", "K2", "K3", "SEL", "SW", "B0", "B1"};
    for (int k = 0; k < 7; k++) {
        sets[3].Put(4 + k, 24, 24, 0, 0, cap(labels[k]));
    }
    sets[4].Put(0, 64, 24, 0, 0, panel(64, 24, Gold, "EXIT ?"));
    sets[4].Put(1, 64, 24, 0, 0, panel(64, 24, Green, "EXIT"));
    sets[4].Put(2, 64, 24, 0, 0, panel(64, 24, Gold, "ITEM"));
    sets[4].Put(3, 32, 32, 0, 0, block());
    sets[4].Put(4, 32, 32, 0, 0, mcombat());
    sets[4].Put(5, 48, 16, 0, 0, panel(48, 16, Green, "PLAY"));
    sets[4].Put(6, 48, 16, 0, 0, panel(48, 16, Red, "REC"));
    for (int q = 0; q < 4; q++) {
        for (int lit = 0; lit < 2; lit++) {
            sets[4].Put(16 + q * 2 + lit, 64, 64, 0, 0, title_tile(q < 2, q % 2 == 0, lit != 0));
        }
    }
    for (int k = 0; k < 16; k++) {
        sets[4].Put(32 + k, 32, 32, 0, 0, object(k));
    }
    return sets;
}

std::vector<uint8_t> IconPackImage(const std::vector<SpriteSetWriter> &sets)
{
    std::vector<PackWriterEntry> entries;
    for (size_t i = 0; i < sets.size() && i < size_t(ICO_SET_COUNT); i++) {
        PackWriterEntry e;
        e.name = ICO_SetFiles[i];
        e.bytes = sets[i].Image();
        entries.push_back(std::move(e));
    }
    return PackImage(entries);
}

std::vector<uint8_t> DemoIconPack()
{
    static const std::vector<uint8_t> image = IconPackImage(DemoIcons());
    return image;
}

bool WriteDemoIconPack(const std::string &root)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(root) / "DATA" / "ICONE";
    std::error_code error;
    fs::create_directories(folder, error);
    return WriteHostFile((folder / "ICONES.BF").string(), DemoIconPack());
}

} // namespace kalder_test
