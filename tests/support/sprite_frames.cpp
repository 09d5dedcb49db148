// Sprite frames built in memory (see sprite_frames.h).
#include "tests/support/sprite_frames.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

#include "core/dsp.h"
#include "core/scr.h"

namespace kalder_test {

const uint16_t *TestPalette()
{
    static const std::array<uint16_t, 256> palette = [] {
        std::array<uint16_t, 256> p{};
        const uint16_t named[] = {0x4208, 0xFFFF, 0xF800, 0x07E0, 0x001F, 0xFFE0, 0x07FF, 0xF81F, 0xFC00, 0xC618};
        for (int i = 0; i < 256; i++) {
            p[size_t(i)] = uint16_t(((i * 37) & 31) << 11 | ((i * 13 + 20) & 63) << 5 | ((i * 7 + 9) & 31));
        }
        std::copy(std::begin(named), std::end(named), p.begin());
        return p;
    }();
    return palette.data();
}

uint8_t ArtIndex(char c)
{
    if (c >= '1' && c <= '9') {
        return uint8_t(c - '0');
    }
    if (c >= 'a' && c <= 'z') {
        return uint8_t(c - 'a' + 10);
    }
    return 0;
}

static std::vector<uint8_t> ArtPixels(const std::vector<std::string> &art, const SecondByte *second)
{
    std::vector<uint8_t> out;
    for (size_t y = 0; y < art.size(); y++) {
        for (size_t x = 0; x < art[y].size(); x++) {
            const uint8_t index = ArtIndex(art[y][x]);
            out.push_back(index);
            if (second != nullptr) {
                out.push_back((*second)(int(x), int(y), index));
            }
        }
    }
    return out;
}

SpriteFrame::SpriteFrame(int width, int height, std::vector<uint8_t> data, int hot_x, int hot_y)
    : pixels(std::move(data))
{
    entry = SPR_Entry{TestPalette(), width, height, hot_x, hot_y, 0, pixels.data()};
}

SpriteFrame::SpriteFrame(const std::vector<std::string> &art, int hot_x, int hot_y)
    : SpriteFrame(art.empty() ? 0 : int(art[0].size()), int(art.size()), ArtPixels(art, nullptr), hot_x, hot_y)
{
}

SpriteFrame::SpriteFrame(const std::vector<std::string> &art, const SecondByte &second, int hot_x, int hot_y)
    : SpriteFrame(art.empty() ? 0 : int(art[0].size()), int(art.size()), ArtPixels(art, &second), hot_x, hot_y)
{
}

// Our own 5 x 7 dot shapes, one byte a row, bit 4 the leftmost column.
static const std::map<char, std::array<uint8_t, 7>> &Shapes()
{
    static const std::map<char, std::array<uint8_t, 7>> shapes = {
        {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
        {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
        {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
        {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
        {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
        {'A', {0x0E, 0x11, 0x11, 0x11, 0x1F, 0x11, 0x11}}, {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
        {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}}, {'D', {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C}},
        {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
        {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}}, {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
        {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
        {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
        {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}}, {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
        {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
        {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}}, {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
        {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}}, {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
        {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
        {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}}, {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
        {'Y', {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04}}, {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
        {' ', {0, 0, 0, 0, 0, 0, 0}},                      {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
        {',', {0x00, 0x00, 0x00, 0x00, 0x0C, 0x04, 0x08}}, {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
        {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}}, {'!', {0x04, 0x04, 0x04, 0x04, 0x04, 0x00, 0x04}},
        {'?', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x00, 0x04}}, {'/', {0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x00}},
        {'+', {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00}}, {'=', {0x00, 0x00, 0x1F, 0x00, 0x1F, 0x00, 0x00}},
        {'%', {0x18, 0x19, 0x02, 0x04, 0x08, 0x13, 0x03}},
    };
    return shapes;
}

SpriteFrame &Glyph(char c, uint8_t colour)
{
    static std::map<std::pair<char, uint8_t>, SpriteFrame> cache;
    if (c >= 'a' && c <= 'z') {
        c = char(c - 'a' + 'A');
    }
    if (Shapes().count(c) == 0) {
        c = ' ';
    }
    auto found = cache.find({c, colour});
    if (found != cache.end()) {
        return found->second;
    }
    // The shape sits at column 1 and row 2 of its 8 x 12 cell.
    std::vector<uint8_t> cell(8 * 12, 0);
    const std::array<uint8_t, 7> &rows = Shapes().at(c);
    for (int y = 0; y < 7; y++) {
        for (int x = 0; x < 5; x++) {
            if (rows[size_t(y)] >> (4 - x) & 1) {
                cell[size_t((y + 2) * 8 + x + 1)] = colour;
            }
        }
    }
    return cache.emplace(std::make_pair(c, colour), SpriteFrame(8, 12, std::move(cell))).first->second;
}

void DrawGlyphText(int x, int y, const std::string &text, uint8_t colour, uint8_t dim)
{
    for (char c : text) {
        GFX_BlitRecord record{x, y, 0, Glyph(c, colour).get()};
        GFX_DrawSprite(&record, 1, 0, 0, dim);
        x += 8;
    }
}

GaugeFrames MakeGauge()
{
    std::vector<std::string> art;
    for (int y = 0; y < 40; y++) {
        std::string row;
        for (int x = 0; x < 24; x++) {
            const bool frame = x == 0 || x == 23 || y == 0 || y == 39;
            row += frame ? '9' : (x == 7 || x == 15) ? '.' : '1';
        }
        art.push_back(row);
    }
    GaugeFrames g;
    g.base = SpriteFrame(art, [](int x, int y, uint8_t) -> uint8_t {
        if (x == 0 || x == 23 || y == 0 || y == 39) {
            return 63;
        }
        if (y < 4) {
            return 32; // a translucent cap over the three columns
        }
        return x < 7 ? 0xFF : x < 15 ? 0xFE : 0xFD;
    });
    const auto fill = [](uint8_t first, uint8_t alpha) {
        std::vector<uint8_t> pixels;
        for (int y = 0; y < 64; y++) {
            for (int x = 0; x < 64; x++) {
                pixels.push_back(uint8_t(first + (y / 8) % 4));
                pixels.push_back(alpha);
            }
        }
        return SpriteFrame(64, 64, std::move(pixels));
    };
    g.fill1 = fill(40, 63);
    g.fill2 = fill(60, 40);
    g.fill3 = fill(80, 63);
    return g;
}

SpriteFrame MakeAlphaIcon()
{
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 24; y++) {
        for (int x = 0; x < 24; x++) {
            const double r = std::hypot(x - 11.5, y - 11.5);
            pixels.push_back(r < 4 ? kPalYellow : r < 8 ? kPalOrange : kPalRed);
            pixels.push_back(uint8_t(std::clamp(63.0 * (1.0 - r / 12.0), 0.0, 63.0)));
        }
    }
    return SpriteFrame(24, 24, std::move(pixels));
}

namespace {

// A 32 x 32 disc of 4-pixel squares in nine colours, transparent outside: every source pixel shows.
SpriteFrame MakeDisc()
{
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 32; y++) {
        for (int x = 0; x < 32; x++) {
            const bool inside = std::hypot(x - 15.5, y - 15.5) < 16;
            pixels.push_back(inside ? uint8_t(1 + (x / 4 + y / 4 * 3 + (x + y) % 2) % 9) : 0);
        }
    }
    return SpriteFrame(32, 32, std::move(pixels));
}

SpriteFrame MakeDiamond()
{
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 24; y++) {
        for (int x = 0; x < 24; x++) {
            pixels.push_back(std::abs(x - 12) + std::abs(y - 12) < 12 ? (y < 12 ? kPalCyan : kPalMagenta) : 0);
        }
    }
    return SpriteFrame(24, 24, std::move(pixels));
}

// Stripes with holes of index 0, drawn by the opaque mode through palette entry 0.
SpriteFrame MakeStripes()
{
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 16; y++) {
        for (int x = 0; x < 24; x++) {
            pixels.push_back((x / 3 + y / 4) % 3 == 0 ? 0 : uint8_t(kPalGreen + (x / 6) % 4));
        }
    }
    return SpriteFrame(24, 16, std::move(pixels));
}

struct Sheet {
    SpriteFrame icon = MakeAlphaIcon(), disc = MakeDisc(), diamond = MakeDiamond(), stripes = MakeStripes();
    GaugeFrames gauge = MakeGauge();
};

Sheet &Sprites()
{
    static Sheet sheet;
    return sheet;
}

void Draw(SpriteFrame &f, int x, int y, uint32_t flags, uint8_t fade = 1, uint8_t hw = 0, uint8_t hh = 0)
{
    GFX_BlitRecord record{x, y, flags, f.get()};
    GFX_DrawSprite(&record, fade, hw, hh, 0);
}

uint16_t Rgb(int r, int g, int b)
{
    const uint16_t c = uint16_t(r << 11 | g << 5 | b);
    return DSP_Rgb555 == 1 ? uint16_t(((c & 0xFFC0) >> 1) | (c & 0x1F)) : c;
}

} // namespace

void DrawSpriteSheet()
{
    const int w = int(SCR_Width), h = int(SCR_Height);
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            SCR_FrameBuffer[y * w + x] = Rgb(x * 31 / w, y * 63 / h, 12 + (x + y) * 8 / (w + h));
        }
    }
    // Places laid out on 320 x 240, spread over the screen.
    const auto X = [w](int x) { return x * w / 320; };
    const auto Y = [h](int y) { return y * h / 240; };
    Sheet &s = Sprites();
    DrawGlyphText(X(4), Y(14), "KALDER 0123456789", kPalWhite);
    DrawGlyphText(X(4), Y(28), "DIM TEXT: A-Z!?", kPalYellow, 1);
    for (int i = 0; i < 10; i++) {
        GFX_BlitRecord record{X(164) + i * 8, Y(14), 0, Glyph("FADED TEXT"[i], kPalCyan).get()};
        GFX_DrawSpriteFaded(&record, 2, 0, 0);
    }
    Draw(s.icon, X(4), Y(44), GFX_BLIT_ALPHA);
    for (uint8_t fade = 1; fade <= 5; fade++) {
        Draw(s.icon, X(4) + fade * 28, Y(44), GFX_BLIT_FADED, fade);
    }
    Draw(s.diamond, X(176), Y(44), GFX_BLIT_HALF);
    Draw(s.stripes, X(208), Y(48), GFX_BLIT_OPAQUE);
    // Cut by the right edge of the window (or of a narrower screen).
    Draw(s.stripes, std::min(w, 500) - 12, Y(76), GFX_BLIT_WINDOW);
    Draw(s.disc, X(4), Y(80), 0);
    Draw(s.disc, X(44), Y(80), 0, 1, 1, 0);
    Draw(s.disc, X(68), Y(80), 0, 1, 0, 1);
    Draw(s.disc, X(108), Y(80), 0, 1, 1, 1);
    const GFX_GaugeRecord gauges[] = {s.gauge.Record(X(4), Y(124)), s.gauge.Record(X(36), Y(124)),
                                      s.gauge.Record(X(68), Y(124))};
    GFX_DrawGaugeSprite(&gauges[0], 30, 20, 10, 0, 0);
    GFX_DrawGaugeSprite(&gauges[1], 10, 38, 25, 1, 0);
    GFX_DrawGaugeSprite(&gauges[2], 38, 5, 25, 1, GFX_GaugeOptions(1, 1, 1));
    GFX_DrawRedBar(X(40));
}

void DrawClippedSheet()
{
    const int w = int(SCR_Width), h = int(SCR_Height);
    for (int i = 0; i < w * h; i++) {
        SCR_FrameBuffer[i] = Rgb(4, 8, 6);
    }
    Sheet &s = Sprites();
    DrawGlyphText(-20, h / 2, "EDGE", kPalWhite);
    DrawGlyphText(w - 20, h / 2 - 20, "EDGE", kPalWhite);
    Draw(s.icon, w / 3, -10, GFX_BLIT_ALPHA);
    Draw(s.icon, w / 3, h - 10, GFX_BLIT_FADED, 2);
    Draw(s.disc, -12, -12, 0);
    Draw(s.disc, w - 20, h - 20, 0, 1, 1, 1);
    Draw(s.disc, w - 12, -8, 0, 1, 1, 0);
    Draw(s.diamond, -8, h - 14, GFX_BLIT_HALF);
    Draw(s.stripes, w / 2, -6, GFX_BLIT_OPAQUE);
    Draw(s.stripes, w - 10, h / 3, GFX_BLIT_WINDOW);
    const GFX_GaugeRecord gauge = s.gauge.Record(2 * w / 3, h - 24);
    GFX_DrawGaugeSprite(&gauge, 30, 30, 30, 0, 0);
}

} // namespace kalder_test
