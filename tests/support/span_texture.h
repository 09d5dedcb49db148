// Textures for span and render tests, laid out as the material cache keeps them: the 32 KB shading
// table (32 rows of 256 entries, colour in the upper half) directly before 256 x 256 8-bit texels.
#pragma once
#include <cstdint>

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

// The checker texels with transparent holes (texel 0), for the colour-keyed spans:
// every other square of `square` texels;
void FillHoledChecker(uint8_t *texture_start, uint32_t square);
// everything outside the disc of radius `radius` around the map's centre;
void FillHoledDisc(uint8_t *texture_start, uint32_t radius);
// the single texel (x, y).
void FillSingleHole(uint8_t *texture_start, uint32_t x, uint32_t y);

} // namespace kalder_test
