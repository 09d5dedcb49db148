// The span routines by family, and what they share: the fields of the edge they read, the shading
// table in front of each texture, and the rule that pairs pixels for the 50% blends.
#pragma once
#include <cstdint>

#include "engine3d/workarea.h"

// Flat and fill spans.
void Span_Skip(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
void Span_Flat(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
void Span_Clear(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
void Span_Background(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
void Span_Fill_Marker(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
void Span_Blend_Flat(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
void Span_Flat8(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
void Span_Clear8(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);

// Affine textured spans.
void Span_Affine(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
void Span_Blend_Affine(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
void Span_Key_Blend_Affine(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
void Span_Affine_Gouraud(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
void Span_Affine8(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
// Raw 16-bit texels at affine steps, unshaded: no surface type draws it; the per-texel alpha span stages
// its texels through it.
void Span_Affine_Hicolour(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
// No texture carries a level directory, so the levelled affine types draw on the plain map.
inline constexpr auto &Span_Affine_Level = Span_Affine;
inline constexpr auto &Span_Affine_Gouraud_Level = Span_Affine_Gouraud;

// Perspective-correct spans.
void Span_Persp(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
void Span_Persp_Wrap(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
void Span_Persp8(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
void Span_Persp_Level(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
void Span_Persp_Hicolour(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
void Span_Blend_Persp(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
void Span_Blend_Persp_Wrap(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);

// Spans blended at one of 32 alpha levels through the colour-scaling tables; a level above 31 blends
// as 31. Span_Alpha_Flat has no surface type.
void Span_Alpha_Affine(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
void Span_Alpha_Persp(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
void Span_Texel_Alpha_Affine(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
void Span_Texel_Alpha_Persp(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
void Span_Alpha_Flat(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);

// The colour-scaling tables: [table][level k][byte]. The source tables scale a colour's channels by
// k / 32, the destination tables by (32 - k) / 32; blue is looked up by the low byte, green by bits
// 5..12, red by the high byte. All zero until a builder has run, and then the blends give black.
enum { SCALE_SRC_BLUE, SCALE_SRC_GREEN, SCALE_SRC_RED, SCALE_DST_BLUE, SCALE_DST_GREEN, SCALE_DST_RED, SCALE_TABLE_COUNT };
extern uint32_t SPAN_ScaleTables[SCALE_TABLE_COUNT][32][256];
// The format the tables were last built for by Span_Check_Format: 1 RGB555, 0 RGB565, -1 none.
extern int32_t SPAN_ScaleFormat;
void Build_Shade_Tables();     // RGB555
void Build_Shade_Tables_565(); // RGB565
// Called by Render_Frame before each frame with DSP_Rgb555: builds the tables for the frame buffer's
// format the first time and whenever it changes.
void Span_Check_Format(int32_t rgb555);

// Source s over destination d at level k (0..31): six table entries summed, kept to 16 bits.
inline uint16_t Span_Alpha_Blend(uint32_t s, uint32_t d, uint32_t k)
{
    const auto &t = SPAN_ScaleTables;
    return uint16_t(t[SCALE_SRC_RED][k][s >> 8] + t[SCALE_SRC_BLUE][k][s & 0xFF] + t[SCALE_SRC_GREEN][k][(s >> 5) & 0xFF] +
                    t[SCALE_DST_RED][k][d >> 8] + t[SCALE_DST_BLUE][k][d & 0xFF] + t[SCALE_DST_GREEN][k][(d >> 5) & 0xFF]);
}

// Colour-keyed spans: texel 0 leaves the pixel.
void Span_Key_Affine(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
void Span_Key_Persp(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);

// Spans tested against the current height map's depth image.
void Span_Depth_Flat(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
void Span_Depth_Affine(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
void Span_Depth_Key(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
void Span_Depth_Blend(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);
void Span_Depth_Key_Blend(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface);

// Byte offsets of the edge's fields that the spans read.
enum : uint32_t {
    SURF_X = 8,             // 20.12 column of the edge on this row
    SURF_DEPTH = 16,        // 1/z at x (f32)
    SURF_DEPTH_X = 24,      // 1/z per column
    SURF_COLOUR = 44,       // u16
    SURF_SHADE = 46,        // u8: row of the shading table
    SURF_LEVEL = 47,        // u8
    SURF_U = 60,            // 16.16, or u/z (f32) for perspective types
    SURF_V = 64,
    SURF_U_X = 76,          // per column
    SURF_V_X = 80,
    SURF_TEXTURE = 84,      // offset of the 256 x 256 texel map
    SURF_DEPTH_16 = 88,     // perspective: 1/z, u/z, v/z per 16 columns
    SURF_U_16 = 92,
    SURF_V_16 = 96,
    SURF_GOURAUD_SHADE = 88,   // types 22, 25, 30: shade at x (16.16)
    SURF_GOURAUD_SHADE_X = 96, // and per column
    SURF_LEVEL_SHADE = 100,    // types 23, 26: shade at x (16.16)
};

// The 32 KB shading table in front of every texel map: 32 rows of 256 entries, the colour in the upper
// half of each 32-bit entry.
constexpr uint32_t SPAN_SHADE_TABLE_BYTES = 32768;

struct Span_Texture {
    const uint8_t *texels; // the 64 KB map
    const uint8_t *shades; // its shading table
};

inline Span_Texture Span_Get_Texture(const uint8_t *s)
{
    const uint8_t *texels = Work_Area + uint32_t(P_Get32(s + SURF_TEXTURE));
    return {texels, texels - SPAN_SHADE_TABLE_BYTES};
}

inline uint16_t Span_Shade(const Span_Texture &t, uint32_t row, uint8_t texel)
{
    return uint16_t(uint32_t(P_Get32(t.shades + (row * 256 + texel) * 4)) >> 16);
}

inline float Span_Get_F32(const uint8_t *s, uint32_t offset)
{
    float f;
    std::memcpy(&f, s + offset, 4);
    return f;
}

// Two pixels of a 32-bit pair are blended with different masks: the pixel at the higher address loses
// the lowest bit of every channel, the one at the lower address (or stored alone) keeps blue whole. A
// pixel is the higher half when its address is 2 mod 4 and the pixel before it is part of the span.
inline uint32_t Span_Pair_Mask(const uint16_t *dst, int32_t i)
{
    return (i > 0 && (reinterpret_cast<uintptr_t>(dst + i) & 2) != 0) ? 0xF7DEu : 0xF7DFu;
}

// The mean of two pixels under a mask, the sum taken over 17 bits so that no channel spills.
inline uint16_t Span_Half_Sum(uint32_t a, uint32_t b, uint32_t mask)
{
    return uint16_t(((a & mask) + (b & mask)) >> 1);
}
