// Screen effects and the old frame-buffer routines. Pixels go two at a time as little-endian 32-bit
// words (the lower pixel at the lower address), and each channel is halved or averaged by one mask,
// one add and one shift.
#include "engine3d/gfx_screen.h"

#include <cstring>

#include "core/prof.h"
#include "core/scr.h"

uint8_t GFX_ScratchArea[GFX_OLD_BYTES + 1];

namespace {

// The source of the timed copy: nothing draws into it any more.
uint8_t Old_Buffer[GFX_OLD_BYTES];

constexpr int32_t Old_Width = 640;
constexpr int32_t Old_Height = 400;
constexpr int32_t Band_X = 20;

constexpr uint32_t Halve_Pair = 0xF7DEF7DEu;
constexpr uint32_t Average_Pair = 0xF7DEF7DFu;

uint32_t load32(const void *p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

void store32(void *p, uint32_t v) { std::memcpy(p, &v, 4); }

// (a + b) >> 1 with the carry of the 32-bit sum shifted in at the top.
uint32_t add_halve(uint32_t a, uint32_t b) { return uint32_t((uint64_t(a) + b) >> 1); }

// A band of two rows from row `top`: every pair mixed halfway toward the colour pair c.
void blend_band(int32_t top, int32_t n, uint32_t c)
{
    if (SCR_FrameBuffer == nullptr) {
        return;
    }
    const int64_t width = SCR_Width;
    int64_t pairs = n >> 1;
    if (Band_X + 2 * pairs > width) {
        pairs = (width - Band_X) / 2;
    }
    for (int32_t y = top; y < top + 2; y++) {
        if (y < 0 || uint32_t(y) >= SCR_Height) {
            continue;
        }
        uint16_t *p = SCR_FrameBuffer + size_t(y) * SCR_Width + Band_X;
        for (int64_t i = 0; i < pairs; i++, p += 2) {
            store32(p, add_halve(load32(p) & Average_Pair, c));
        }
    }
}

// The band rows and length of the screen's height: the bars sit lower on the smaller screens, and at
// 200 rows the length is shortened to about half.
void band(int32_t n, int32_t row480, int32_t row300, int32_t row200, uint32_t c)
{
    if (SCR_Height == 300) {
        blend_band(row300, n, c);
    } else if (SCR_Height == 200) {
        blend_band(row200, (n >> 1) + 1 + (n & 1), c);
    } else {
        blend_band(row480, n, c);
    }
}

} // namespace

void GFX_DarkenRows(int32_t y)
{
    if (SCR_FrameBuffer == nullptr) {
        return;
    }
    const int64_t rows = SCR_Width < 640 ? 9 : 16;
    const int64_t first = y < 0 ? 0 : y;
    const int64_t end = int64_t(y) + rows < int64_t(SCR_Height) ? int64_t(y) + rows : int64_t(SCR_Height);
    const size_t pairs = SCR_Width / 2;
    for (int64_t r = first; r < end; r++) {
        uint16_t *p = SCR_FrameBuffer + size_t(r) * SCR_Width;
        for (size_t i = 0; i < pairs; i++, p += 2) {
            store32(p, (load32(p) & Halve_Pair) >> 1);
        }
        if (SCR_Width & 1) {
            *p = uint16_t((*p & 0xF7DE) >> 1);
        }
    }
}

void GFX_BlendBarRed(int32_t n) { band(n, 370, 277, 185, 0xF000F000u); }
void GFX_BlendBarCyan(int32_t n) { band(n, 374, 280, 187, 0x07DE07DFu); }
void GFX_BlendBarWhite(int32_t n) { band(n, 380, 285, 190, 0xF7DEF7DFu); }

void GFX_AverageBuffers()
{
    uint16_t *frame = SCR_FrameBuffer;
    const uint16_t *last = SCR_ShownFrame;
    if (frame == nullptr || last == nullptr) {
        return;
    }
    const size_t pairs = size_t(SCR_Width) * SCR_Height / 2;
    for (size_t i = 0; i < pairs; i++) {
        store32(frame + 2 * i, add_halve(load32(frame + 2 * i) & Average_Pair, load32(last + 2 * i) & Average_Pair));
    }
}

int32_t GFX_ReadPixel(const uint16_t *, int32_t, int32_t) { return 0; }

void GFX_PlotPixelClipped(uint16_t *, int32_t, int32_t) {}

void GFX_PlotPixel(int32_t x, int32_t y, uint16_t *buffer)
{
    if (x >= 0 && x < Old_Width && y >= 0 && y < Old_Height) {
        buffer[y * Old_Width + x] = 0xFFFF;
    }
}

void GFX_PlotBlock(int32_t x, int32_t y, int32_t colour, uint16_t *buffer)
{
    if (x < 0 || x > Old_Width - 2 || y < 0 || y > Old_Height - 2) {
        return;
    }
    const uint16_t c = uint16_t(((uint32_t(colour) << 7) & 0x7C00u) | 0x1Fu);
    uint16_t *p = buffer + y * Old_Width + x;
    p[0] = p[1] = p[Old_Width] = p[Old_Width + 1] = c;
}

void GFX_TimeMemory()
{
    PROF_TscStart1();
    std::memcpy(GFX_ScratchArea, Old_Buffer, GFX_OLD_BYTES);
    std::memset(GFX_ScratchArea + 1, 0x7F, GFX_OLD_BYTES);
    PROF_CycleValues[2] = uint32_t(PROF_TscElapsed1());
}

void GFX_FillScratch() { std::memset(GFX_ScratchArea, 0x7F, GFX_OLD_BYTES); }

void GFX_Nop() {}

void GFX_ConvertPairs(const uint8_t *source, uint8_t *target, const uint32_t *table)
{
    for (int32_t i = 0; i < 64000; i++) {
        uint16_t v[2];
        std::memcpy(v, source + 4 * i, 4);
        const uint32_t out[2] = {table[v[0]], table[v[1]]};
        std::memcpy(target + 8 * i, out, 8);
    }
}

void GFX_ConvertPairsSeg(const uint8_t *source, uint8_t *target, const uint32_t *table)
{
    for (int32_t i = 0; i < 16000; i++) {
        const uint8_t *s = source + 8 * i;
        const uint32_t out[2] = {table[s[0] | s[2] << 8], table[s[0] | s[4] << 8]};
        std::memcpy(target + 8 * i, out, 8);
    }
}

void GFX_CopyDwordsSeg(uint8_t *target, const uint8_t *source, int32_t count)
{
    if (count > 0) {
        std::memmove(target, source, size_t(count) * 4);
    }
}
