// The stepping that span routines of several families share: the affine walk of u and v, the carry
// addressing of 8-bit fractions, and the perspective walk for routines that draw its texels their own way.
#pragma once
#include "engine3d/span_routines.h"

// Values are given at the edge's column; a span that starts right of it moves them on by whole columns,
// one that starts at or left of it takes them as they are. Sums wrap at 32 bits.
struct Span_Affine_Walk {
    uint32_t u, v, du, dv;
    int32_t dx; // columns from the edge to x start, when positive; else 0

    Span_Affine_Walk(const uint8_t *s, int32_t x_start)
    {
        dx = x_start - (P_Get32(s + SURF_X) >> 12);
        if (dx < 0) {
            dx = 0;
        }
        du = uint32_t(P_Get32(s + SURF_U_X));
        dv = uint32_t(P_Get32(s + SURF_V_X));
        u = uint32_t(P_Get32(s + SURF_U)) + uint32_t(dx) * du;
        v = uint32_t(P_Get32(s + SURF_V)) + uint32_t(dx) * dv;
    }

    // The offset of the current texel: whole v rows of 256 plus whole u, so that u past 255 runs into
    // the next row. It is kept inside the 64 KB map, which changes no read that lay inside it.
    uint32_t Texel() const { return (uint32_t(int32_t(v) >> 16) * 256 + uint32_t(int32_t(u) >> 16)) & 0xFFFF; }

    void Step()
    {
        u += du;
        v += dv;
    }
};

// Carry addressing of u and v in 24.8 (8-bit fractions): whole v rows of 256 plus whole u, u past 255
// running into the next row; kept inside the 64 KB map.
inline uint32_t Span_Carry_Texel(uint32_t u, uint32_t v)
{
    return (uint32_t(int32_t(v) >> 8) * 256 + uint32_t(int32_t(u) >> 8)) & 0xFFFF;
}

// The texels of a span under the perspective segment scheme of Span_Persp with carry addressing, in
// pixel order into texels[0 .. count - 1]. The keyed perspective type draws from them.
void Span_Persp_Texels(const uint8_t *s, int32_t count, int32_t x_start, uint8_t *texels);
