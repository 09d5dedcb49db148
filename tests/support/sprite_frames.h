// Sprite frames built in memory for the blitters' tests, tools and benchmarks: frames from text art,
// a fixed test palette, a glyph set of our own drawing, HUD gauges, and a sheet of every mode.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine3d/gfx_sprite.h"

namespace kalder_test {

// Named entries of the test palette (RGB565). Entry 0 has a colour too: the opaque mode draws it.
enum TestColour : uint8_t {
    kPalZero = 0,    // 0x4208, dark grey
    kPalWhite = 1,   // 0xFFFF
    kPalRed = 2,     // 0xF800
    kPalGreen = 3,   // 0x07E0
    kPalBlue = 4,    // 0x001F
    kPalYellow = 5,  // 0xFFE0
    kPalCyan = 6,    // 0x07FF
    kPalMagenta = 7, // 0xF81F
    kPalOrange = 8,  // 0xFC00
    kPalGrey = 9,    // 0xC618
};

// 256 RGB565 colours: the named ones, then a spread of colours for the rest.
const uint16_t *TestPalette();

// The index an art character stands for: '.' 0, '1'..'9' 1..9, 'a'..'z' 10..35.
uint8_t ArtIndex(char c);

// The second byte of a 2-byte pixel, from its place and index.
using SecondByte = std::function<uint8_t(int x, int y, uint8_t index)>;

// A frame that owns its pixels; its entry points at them (moving keeps them, copying is refused).
struct SpriteFrame {
    std::vector<uint8_t> pixels;
    SPR_Entry entry{};

    SpriteFrame() = default;
    // 1-byte pixels from rows of art, all of one length.
    explicit SpriteFrame(const std::vector<std::string> &art, int hot_x = 0, int hot_y = 0);
    // 2-byte pixels: the index from the art, the second byte from `second`.
    SpriteFrame(const std::vector<std::string> &art, const SecondByte &second, int hot_x = 0, int hot_y = 0);
    // width x height pixels of `bytes` bytes each, as given.
    SpriteFrame(int width, int height, std::vector<uint8_t> data, int hot_x = 0, int hot_y = 0);
    SpriteFrame(SpriteFrame &&) noexcept = default;
    SpriteFrame &operator=(SpriteFrame &&) noexcept = default;
    SpriteFrame(const SpriteFrame &) = delete;
    SpriteFrame &operator=(const SpriteFrame &) = delete;

    SPR_Entry *get() { return &entry; }
};

// The glyph of a character (digits, upper-case letters, space and . , : - ! ? / + = %; lower case
// maps to upper case, anything else to a blank): an 8 x 12 cell, the glyph in the colour index given.
SpriteFrame &Glyph(char c, uint8_t colour = kPalWhite);

// Draws text with its top-left corner at (x, y), one 8-pixel cell a character, in plain mode.
void DrawGlyphText(int x, int y, const std::string &text, uint8_t colour = kPalWhite, uint8_t dim = 0);

// A gauge: a 24 x 40 base of 2-byte pixels framed in grey, with columns of the markers 0xFF (fill 1),
// 0xFE (fill 2) and 0xFD (fill 3) and a strip at alpha 32, and three 64 x 64 fill frames (red at
// alpha 63, blue at alpha 40, green at alpha 63) read through the base's palette.
struct GaugeFrames {
    SpriteFrame base, fill1, fill2, fill3;
    GFX_GaugeRecord Record(int32_t x, int32_t y) const
    {
        return {x, y, &base.entry, &fill1.entry, &fill2.entry, &fill3.entry};
    }
};
GaugeFrames MakeGauge();

// A 24 x 24 icon of 2-byte pixels whose alpha falls from 63 at the centre to 0 at the rim.
SpriteFrame MakeAlphaIcon();

// The demonstration sheet over a gradient, on the current frame buffer (laid out for 320 x 240 and
// spread over larger screens): plain and dimmed text, the alpha icon plain and faded 1 to 5, half
// translucent and opaque sprites, a window-mode sprite cut by the window, both halvings, three gauges
// and a red bar. The product tables must be built.
void DrawSpriteSheet();

// The same sprites placed across the four edges and the corners of the current frame buffer.
void DrawClippedSheet();

} // namespace kalder_test
