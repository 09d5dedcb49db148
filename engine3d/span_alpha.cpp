// Spans blended with the frame at one of 32 alpha levels through the colour-scaling tables, and the
// builders of those tables for the two frame-buffer formats.
#include <cstring>
#include <vector>

#include "engine3d/span_routines.h"

uint32_t SPAN_ScaleTables[SCALE_TABLE_COUNT][32][256];
int32_t SPAN_ScaleFormat = -1;

namespace {

// One level's entries of the three tables of one side (source or destination) at factor f.
void Fill_Level(uint32_t (&blue)[256], uint32_t (&green)[256], uint32_t (&red)[256], uint32_t f, bool rgb555)
{
    auto scaled = [f](uint32_t channel, uint32_t top, uint32_t shift) {
        const uint32_t v = (channel * f) >> shift;
        return v > top ? top : v;
    };
    for (uint32_t byte = 0; byte < 256; byte++) {
        blue[byte] = scaled(byte & 31, 31, 5);
        if (rgb555) {
            green[byte] = scaled(byte & 31, 31, 5) << 5;
            red[byte] = scaled((byte >> 2) & 31, 31, 5) << 10;
        } else {
            green[byte] = scaled(byte & 63, 63, 6) << 6;
            red[byte] = scaled((byte >> 3) & 31, 31, 5) << 11;
        }
    }
}

void Build(bool rgb555)
{
    for (uint32_t k = 0; k < 32; k++) {
        auto &t = SPAN_ScaleTables;
        Fill_Level(t[SCALE_DST_BLUE][k], t[SCALE_DST_GREEN][k], t[SCALE_DST_RED][k], 32 - k, rgb555);
        Fill_Level(t[SCALE_SRC_BLUE][k], t[SCALE_SRC_GREEN][k], t[SCALE_SRC_RED][k], k, rgb555);
    }
}

// Levels above 31 would index past the tables' 32 rows; they blend as 31.
inline uint32_t Alpha_Level(uint32_t level) { return level > 31 ? 31 : level; }

// Source colours of a whole span, staged before they are blended. The span routines are not
// re-entrant, so one buffer serves them all; it grows to the longest span met.
uint16_t *Stage(int32_t count)
{
    static std::vector<uint16_t> stage(640);
    if (stage.size() < size_t(count)) {
        stage.resize(size_t(count));
    }
    return stage.data();
}

void Blend_Span(uint16_t *dst, const uint16_t *src, int32_t count, uint32_t level)
{
    const uint32_t k = Alpha_Level(level);
    for (int32_t i = 0; i < count; i++) {
        dst[i] = Span_Alpha_Blend(src[i], dst[i], k);
    }
}

// 16-bit texels: the low byte through the shading row, the high byte the pixel's own alpha.
void Blend_Texels(uint16_t *dst, const uint16_t *texels, int32_t count, uint32_t surface)
{
    const uint8_t *s = W_Ptr(surface);
    const Span_Texture tex = Span_Get_Texture(s);
    const uint32_t row = s[SURF_SHADE];
    for (int32_t i = 0; i < count; i++) {
        const uint16_t src = Span_Shade(tex, row, uint8_t(texels[i]));
        dst[i] = Span_Alpha_Blend(src, dst[i], Alpha_Level(texels[i] >> 8u));
    }
}

} // namespace

void Build_Shade_Tables() { Build(true); }

void Build_Shade_Tables_565() { Build(false); }

void Span_Check_Format(int32_t rgb555)
{
    const int32_t format = rgb555 == 1 ? 1 : 0;
    if (format != SPAN_ScaleFormat) {
        Build(format == 1);
        SPAN_ScaleFormat = format;
    }
}

void Span_Alpha_Affine(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    uint16_t *src = Stage(count);
    Span_Affine(src, count, x_start, surface);
    Blend_Span(dst, src, count, W_Ptr(surface)[SURF_COLOUR + 1]);
}

void Span_Alpha_Persp(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    uint16_t *src = Stage(count);
    Span_Persp(src, count, x_start, surface);
    Blend_Span(dst, src, count, W_Ptr(surface)[SURF_LEVEL]);
}

void Span_Texel_Alpha_Affine(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    uint16_t *texels = Stage(count);
    Span_Affine_Hicolour(texels, count, x_start, surface);
    Blend_Texels(dst, texels, count, surface);
}

void Span_Texel_Alpha_Persp(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    uint16_t *texels = Stage(count);
    Span_Persp_Hicolour(texels, count, x_start, surface);
    Blend_Texels(dst, texels, count, surface);
}

void Span_Alpha_Flat(uint16_t *dst, int32_t count, int32_t, uint32_t surface)
{
    const uint8_t *s = W_Ptr(surface);
    uint16_t colour;
    std::memcpy(&colour, s + SURF_COLOUR, 2);
    const uint32_t k = Alpha_Level(s[SURF_LEVEL]);
    for (int32_t i = 0; i < count; i++) {
        dst[i] = Span_Alpha_Blend(colour, dst[i], k);
    }
}
