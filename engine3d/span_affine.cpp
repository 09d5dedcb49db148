// Affine textured spans: u and v step linearly across the span in 16.16 texels.
#include "engine3d/span_walk.h"

using Affine = Span_Affine_Walk;

void Span_Affine(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    const uint8_t *s = W_Ptr(surface);
    const Span_Texture tex = Span_Get_Texture(s);
    const uint32_t row = s[SURF_SHADE];
    Affine a(s, x_start);
    for (int32_t i = 0; i < count; i++, a.Step()) {
        dst[i] = Span_Shade(tex, row, tex.texels[a.Texel()]);
    }
}

void Span_Affine_Hicolour(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    const Span_Texture tex = Span_Get_Texture(W_Ptr(surface));
    Affine a(W_Ptr(surface), x_start);
    for (int32_t i = 0; i < count; i++, a.Step()) {
        // Two bytes a texel: the byte offset is kept inside the 64 KB map, so the index wraps at 0x8000.
        const uint32_t at = (a.Texel() * 2) & 0xFFFF;
        dst[i] = uint16_t(tex.texels[at] | (tex.texels[at + 1] << 8));
    }
}

void Span_Blend_Affine(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    const uint8_t *s = W_Ptr(surface);
    const Span_Texture tex = Span_Get_Texture(s);
    const uint32_t row = s[SURF_SHADE];
    Affine a(s, x_start);
    for (int32_t i = 0; i < count; i++, a.Step()) {
        dst[i] = Span_Half_Sum(Span_Shade(tex, row, tex.texels[a.Texel()]), dst[i], Span_Pair_Mask(dst, i));
    }
}

void Span_Key_Blend_Affine(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    const uint8_t *s = W_Ptr(surface);
    const Span_Texture tex = Span_Get_Texture(s);
    const uint32_t row = s[SURF_SHADE];
    Affine a(s, x_start);
    for (int32_t i = 0; i < count; i++, a.Step()) {
        const uint8_t texel = tex.texels[a.Texel()];
        if (texel != 0) {
            dst[i] = Span_Half_Sum(Span_Shade(tex, row, texel), dst[i], 0xF7DF);
        }
    }
}

void Span_Affine_Gouraud(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    const uint8_t *s = W_Ptr(surface);
    const Span_Texture tex = Span_Get_Texture(s);
    Affine a(s, x_start);
    const uint32_t ds = uint32_t(P_Get32(s + SURF_GOURAUD_SHADE_X));
    uint32_t shade = uint32_t(P_Get32(s + SURF_GOURAUD_SHADE)) + uint32_t(a.dx) * ds;
    for (int32_t i = 0; i < count; i++, a.Step(), shade += ds) {
        // The interpolated shade runs a little past 0..31 at the ends of a span; the row is held to the
        // table's 32 rows instead of reading texels as colours.
        int32_t row = int32_t(shade) >> 16;
        row = row < 0 ? 0 : (row > 31 ? 31 : row);
        dst[i] = Span_Shade(tex, uint32_t(row), tex.texels[a.Texel()]);
    }
}

void Span_Affine8(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    const uint8_t *s = W_Ptr(surface);
    const Span_Texture tex = Span_Get_Texture(s);
    uint8_t *out = reinterpret_cast<uint8_t *>(dst);
    Affine a(s, x_start);
    for (int32_t i = 0; i < count; i++, a.Step()) {
        out[i] = tex.texels[a.Texel()];
    }
}
