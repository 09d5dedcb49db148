// Textures for span and render tests, laid out as the material cache keeps them: the 32 KB shading
// table (32 rows of 256 entries, colour in the upper half) directly before 256 x 256 8-bit texels.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

namespace kalder_test {

constexpr uint32_t kShadeTableBytes = 32768;
constexpr uint32_t kTextureBytes = kShadeTableBytes + 65536;

// Row r, texel i has colour ((r << 11) | i): a drawn pixel tells which row and which texel were read.
void FillRowTable(uint8_t *texture_start);

// A colour ramp scaled by (32 - r) / 32, so row 0 is the brightest.
void FillRampTable(uint8_t *texture_start);

// 32-texel squares in a checkerboard, a gradient in each square, and a marked corner (texel (0, 0) to
// (7, 7)), so that orientation, carries and wraps show in a picture.
void FillCheckerTexels(uint8_t *texture_start);

// A 64 KB map of 16-bit texels for the per-texel alpha spans: 128 rows of 256 texels, each stored
// little-endian as {colour index, alpha}; texel(x, y) gives index | alpha << 8.
std::vector<uint8_t> HicolourTexels(const std::function<uint16_t(int x, int y)> &texel);
// Bands of the ramp table's hues down the map, alpha rising from 0 to 31 across it.
uint16_t AlphaGradientTexel(int x, int y);

// Puts the colour-scaling tables back to zeros and unbuilt, as before the first frame: the tables are
// static and outlive a test.
void ResetBlendTables();

// The tint test palette: 256 entries of {blue, green, red, 0}; the first 16 are eight greys from black
// to white and eight hues, the rest repeat them.
std::vector<uint8_t> TintTestPalette();
// The tint strip: the first 16 colours of the test palette tinted at the offsets -127, -64, -16, -1, 0,
// 1, 16, 64 and 127, one row of 8 x 8 swatches per offset, in three groups (red, green, blue moved).
// Builds the saturating table first; draws in RGB555 with DSP_Rgb555 set for the call.
constexpr int kTintStripWidth = 400, kTintStripHeight = 88;
std::vector<uint16_t> TintStrip(bool rgb555);

// The checker texels with transparent holes (texel 0), for the colour-keyed spans:
// every other square of `square` texels;
void FillHoledChecker(uint8_t *texture_start, uint32_t square);
// everything outside the disc of radius `radius` around the map's centre;
void FillHoledDisc(uint8_t *texture_start, uint32_t radius);
// the single texel (x, y).
void FillSingleHole(uint8_t *texture_start, uint32_t x, uint32_t y);

} // namespace kalder_test
