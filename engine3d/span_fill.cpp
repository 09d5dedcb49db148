// Spans that fill without a texture: flat colours, the clear colour, the background picture, the
// marker value, the 50% flat colour and the byte-wide fills.
#include <cstring>

#include "engine3d/render.h"
#include "engine3d/span.h"
#include "engine3d/span_routines.h"
#include "engine3d/view.h"

static void Fill16(uint16_t *dst, int32_t count, uint16_t colour)
{
    for (int32_t i = 0; i < count; i++) {
        dst[i] = colour;
    }
}

void Span_Skip(uint16_t *, int32_t, int32_t, uint32_t) {}

void Span_Flat(uint16_t *dst, int32_t count, int32_t, uint32_t surface)
{
    uint16_t colour;
    std::memcpy(&colour, W_Ptr(surface) + SURF_COLOUR, 2);
    Fill16(dst, count, colour);
}

void Span_Clear(uint16_t *dst, int32_t count, int32_t, uint32_t)
{
    Fill16(dst, count, uint16_t(Render_Settings.clear_colour));
}

void Span_Background(uint16_t *dst, int32_t count, int32_t x_start, uint32_t)
{
    // Without a picture the background is the clear colour rather than a read through null.
    if (Render_Settings.background_picture == nullptr) {
        Fill16(dst, count, uint16_t(Render_Settings.clear_colour));
        return;
    }
    const int64_t from = int64_t(Current_Scanline) * OBJ_View.screen_width + x_start;
    std::memcpy(dst, Render_Settings.background_picture + from, size_t(count) * 2);
}

void Span_Fill_Marker(uint16_t *dst, int32_t count, int32_t, uint32_t) { Fill16(dst, count, 0x0101); }

void Span_Blend_Flat(uint16_t *dst, int32_t count, int32_t, uint32_t surface)
{
    uint16_t colour;
    std::memcpy(&colour, W_Ptr(surface) + SURF_COLOUR, 2);
    for (int32_t i = 0; i < count; i++) {
        dst[i] = Span_Half_Sum(dst[i], colour, Span_Pair_Mask(dst, i));
    }
}

// The byte-wide types write count bytes from the span's 16-bit address, one per pixel.
void Span_Flat8(uint16_t *dst, int32_t count, int32_t, uint32_t surface)
{
    std::memset(dst, W_Ptr(surface)[SURF_COLOUR], size_t(count));
}

void Span_Clear8(uint16_t *dst, int32_t count, int32_t, uint32_t)
{
    std::memset(dst, int(Render_Settings.clear_colour & 0xFF), size_t(count));
}
