// Spans tested against the background depth image: a pixel is drawn only where the surface lies
// strictly nearer than the picture's own depth at that pixel, so objects pass in front of and behind
// a painted backdrop.
#include "core/fconv.h"
#include "engine3d/hmap.h"
#include "engine3d/raster.h"
#include "engine3d/span.h"
#include "engine3d/span_walk.h"

namespace {

// Calls draw(i, pixel index) for every pixel of the span whose background sample lies behind the
// surface, while every pixel, drawn or not, still calls step(). The surface depth starts at the edge's
// value whatever the span's first column, and steps in wrapping 16-bit sums; the compare is signed.
// With no image, on a row outside it, or on a column outside it nothing is drawn.
template <class Draw, class Step>
void Depth_Walk(const uint8_t *s, int32_t count, int32_t x_start, Draw draw, Step step)
{
    const uint8_t *image = HMAP_Current;
    if (count < 0 || image == nullptr) {
        return;
    }
    int32_t width, height;
    std::memcpy(&width, image + HMAP_WIDTH, 4);
    std::memcpy(&height, image + HMAP_HEIGHT, 4);
    const int32_t row = Current_Scanline;
    if (row < 0 || row >= height) {
        return;
    }
    const uint32_t shift = image[HMAP_SHIFT] & 31u;
    uint16_t d = uint16_t(round_i32(Span_Get_F32(s, SURF_DEPTH)) >> shift);
    const uint16_t ds = uint16_t(round_i32(Span_Get_F32(s, SURF_DEPTH_X)) >> shift);
    const uint8_t *samples = image + HMAP_HEADER_BYTES + 2 * int64_t(row) * width;
    for (int32_t i = 0; i < count; i++, step()) {
        const int64_t x = int64_t(x_start) + i;
        if (x >= 0 && x < width) {
            const int16_t b = int16_t(samples[2 * x] | samples[2 * x + 1] << 8);
            if (b < int16_t(d)) {
                draw(i);
            }
        }
        d = uint16_t(d + ds);
    }
}

// The textured types: an affine walk, and the pixel rule given the shaded colour.
template <bool Keyed, class Put> void Depth_Textured(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface, Put put)
{
    const uint8_t *s = W_Ptr(surface);
    const Span_Texture tex = Span_Get_Texture(s);
    const uint32_t row = s[SURF_SHADE];
    Span_Affine_Walk a(s, x_start);
    Depth_Walk(
        s, count, x_start,
        [&](int32_t i) {
            const uint8_t texel = tex.texels[a.Texel()];
            if (!Keyed || texel != 0) {
                dst[i] = put(Span_Shade(tex, row, texel), dst[i]);
            }
        },
        [&] { a.Step(); });
}

uint16_t Opaque(uint16_t colour, uint16_t) { return colour; }

// Half of each, channel by channel, through the display's halving mask.
uint16_t Halved(uint16_t colour, uint16_t pixel)
{
    return uint16_t(((colour >> 1) & Span_Half_Mask) + ((pixel >> 1) & Span_Half_Mask));
}

} // namespace

void Span_Depth_Flat(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    const uint8_t *s = W_Ptr(surface);
    uint16_t colour;
    std::memcpy(&colour, s + SURF_COLOUR, 2);
    Depth_Walk(s, count, x_start, [&](int32_t i) { dst[i] = colour; }, [] {});
}

void Span_Depth_Affine(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    Depth_Textured<false>(dst, count, x_start, surface, Opaque);
}

void Span_Depth_Key(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    Depth_Textured<true>(dst, count, x_start, surface, Opaque);
}

void Span_Depth_Blend(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    Depth_Textured<false>(dst, count, x_start, surface, Halved);
}

void Span_Depth_Key_Blend(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    Depth_Textured<true>(dst, count, x_start, surface, Halved);
}
