// IX pictures: the scaled inverse transform of a coded tile and its conversion to 16-bit pixels.
//
// The output is exact to the pixel, so the arithmetic is fixed:
// - integers only, int32_t throughout; no value can overflow (coefficients stay within 128 x 981 and
//   the largest intermediate of two passes below 6 x 10^8);
// - every right shift is the arithmetic shift of a signed value;
// - divisions truncate toward zero: A(v) = (16v + 8) / 10, B(v) = v / 3, and the quality entries;
// - the pass order is chosen per block from its mask and is part of the result.
#include <algorithm>
#include <bit>
#include <cstring>

#include "films/ix.h"

static int32_t s_table_a[768];  // A(v) for v = -256..511, the red part of the colour difference
static int32_t s_table_b[768];  // B(v)
static uint32_t s_red[192];     // packing tables, index i + 64 for i = -64..127
static uint32_t s_green[192];
static uint32_t s_blue[192];

void HNM_IXInitTables()
{
    for (int k = 0; k < 64; k++) {
        const int32_t p = HNM_IXZigZag[k];
        HNM_IXMask[k] = uint16_t(((1u << (p >> 3)) << 8) | (1u << (p & 7)));
    }
    for (int32_t v = -256; v < 512; v++) {
        s_table_a[v + 256] = (16 * v + 8) / 10;
        s_table_b[v + 256] = v / 3;
    }
}

void HNM_IXBuild565Table()
{
    for (int32_t i = -64; i < 128; i++) {
        const bool on = i >= 0;
        s_red[i + 64] = on ? uint32_t(std::min(i >> 1, 31)) << 11 : 0;
        s_green[i + 64] = on ? uint32_t(std::min(i, 62)) << 5 : 0;
        s_blue[i + 64] = on ? uint32_t(std::min(i >> 1, 31)) : 0;
    }
}

void HNM_IXBuild555Table()
{
    for (int32_t i = -64; i < 128; i++) {
        const bool on = i >= 0;
        s_red[i + 64] = on ? uint32_t(std::min(i >> 1, 31)) << 10 : 0;
        s_green[i + 64] = on ? uint32_t(std::min(i >> 1, 30)) << 5 : 0;
        s_blue[i + 64] = on ? uint32_t(std::min(i >> 1, 31)) : 0;
    }
}

void HNM_InitIX565()
{
    HNM_IXInitTables();
    HNM_IXBuild565Table();
    HNM_IXBuildMotionTables();
}

void HNM_InitIX555()
{
    HNM_IXInitTables();
    HNM_IXBuild555Table();
    HNM_IXBuildMotionTables();
}

// One pass of eight values, stride apart: the fast factorisation with its multiplications by
// 1.414, 1.848, 1.082 and 2.613 replaced by 3/2, 30/16, 17/16 and 40/16, no rounding between passes.
void HNM_IXTransform1D(int32_t *x, int32_t stride)
{
    const int32_t x0 = x[0], x1 = x[stride], x2 = x[2 * stride], x3 = x[3 * stride];
    const int32_t x4 = x[4 * stride], x5 = x[5 * stride], x6 = x[6 * stride], x7 = x[7 * stride];
    const int32_t t10 = x0 + x4;
    const int32_t t11 = x0 - x4;
    const int32_t t13 = x2 + x6;
    const int32_t t12 = ((3 * (x2 - x6)) >> 1) - t13;
    const int32_t e0 = t10 + t13, e3 = t10 - t13, e1 = t11 + t12, e2 = t11 - t12;
    const int32_t z13 = x5 + x3, z10 = x5 - x3, z11 = x1 + x7, z12 = x1 - x7;
    const int32_t s = z12 + z10;
    const int32_t o7 = z11 + z13;
    const int32_t o11 = (3 * (z11 - z13)) >> 1;
    const int32_t o10 = (17 * z12 - 30 * s) >> 4;
    const int32_t o12 = (30 * s - 40 * z10) >> 4;
    const int32_t o6 = o12 - o7;
    const int32_t o5 = o11 - o6;
    const int32_t o4 = o10 + o5;
    x[0] = e0 + o7;
    x[7 * stride] = e0 - o7;
    x[stride] = e1 + o6;
    x[6 * stride] = e1 - o6;
    x[2 * stride] = e2 + o5;
    x[5 * stride] = e2 - o5;
    x[4 * stride] = e3 + o4;
    x[3 * stride] = e3 - o4;
}

// Transforms one block in place. The first pass runs only up to the last column (or row) holding a
// coefficient, and is followed by a copy when that was the first one alone.
void HNM_IXInverseDCT(int32_t *block, uint16_t mask)
{
    if (mask == 0x0101) {
        const int32_t dc = block[0];
        for (int i = 0; i < 64; i++) {
            block[i] = dc;
        }
        return;
    }
    const uint8_t rows = uint8_t(mask >> 8);
    const uint8_t columns = uint8_t(mask);
    if (int8_t(rows) >= int8_t(columns)) {
        const int last = 7 - std::countl_zero(columns);
        for (int c = 0; c <= last; c++) {
            HNM_IXTransform1D(block + c, 8);
        }
        if (columns == 1) {
            for (int r = 0; r < 8; r++) {
                int32_t *row = block + r * 8;
                for (int c = 1; c < 8; c++) {
                    row[c] = row[0];
                }
            }
        } else {
            for (int r = 0; r < 8; r++) {
                HNM_IXTransform1D(block + r * 8, 1);
            }
        }
    } else {
        const int last = 7 - std::countl_zero(rows);
        for (int r = 0; r <= last; r++) {
            HNM_IXTransform1D(block + r * 8, 1);
        }
        if (rows == 1) {
            for (int r = 1; r < 8; r++) {
                std::memcpy(block + r * 8, block, 8 * sizeof(int32_t));
            }
        } else {
            for (int c = 0; c < 8; c++) {
                HNM_IXTransform1D(block + c, 8);
            }
        }
    }
}

// Converts the transformed tile to pixels: luminance centred on 128, block 1 the blue difference and
// block 2 the red one, clamped into the tables' ranges.
void HNM_IXStoreTile(uint16_t *out, int32_t pitch)
{
    const int32_t *ys = HNM_IXBlocks[0];
    const int32_t *us = HNM_IXBlocks[1];
    const int32_t *vs = HNM_IXBlocks[2];
    for (int r = 0; r < 8; r++) {
        uint16_t *row = out + r * pitch;
        for (int c = 0; c < 8; c++) {
            const int i = r * 8 + c;
            const int32_t y = (ys[i] >> 4) + 128;
            const int32_t v = std::clamp(vs[i] >> 4, -256, 511);
            const int32_t u = std::clamp(us[i] >> 4, -256, 511);
            const int32_t a = s_table_a[v + 256];
            const int32_t red = std::clamp((y + a) >> 2, -64, 127);
            const int32_t green = std::clamp((y - (a >> 1) - s_table_b[u + 256]) >> 2, -64, 127);
            const int32_t blue = std::clamp((y + (us[i] >> 3)) >> 2, -64, 127);
            row[c] = uint16_t(s_red[red + 64] | s_green[green + 64] | s_blue[blue + 64]);
        }
    }
}

// Decodes one coded tile into out, rows pitch pixels apart (640 in a film frame).
void HNM_IXDecodeTile(uint16_t *out, int32_t pitch)
{
    HNM_IXRefillNibbles();
    HNM_IXReadBlocks();
    for (int c = 0; c < 3; c++) {
        HNM_IXInverseDCT(HNM_IXBlocks[c], HNM_IXBlockMask[c]);
    }
    HNM_IXStoreTile(out, pitch);
}
