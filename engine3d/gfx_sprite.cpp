// The sprite blitters and the alpha mixing of 16-bit colours. Every decision (mode, halving, dimming,
// pixel format) is taken once per call; each mode's loop is instantiated for it.
#include "engine3d/gfx_sprite.h"

#include <algorithm>
#include <type_traits>

#include "core/dsp.h"
#include "core/scr.h"

uint32_t BLEND_Table32[32 * 32];
uint32_t BLEND_Table64[64 * 64];
uint8_t GFX_BlendAlpha;

namespace {

// The edge pixel that outlines plain glyphs on the right.
constexpr uint16_t kEdgeColour = 0x19E7;
// The window that the window mode clips to, from the buffer's top-left corner.
constexpr int64_t kWindowWidth = 500, kWindowHeight = 450;

// The part of a frame that lands on the target, and how to walk its source.
struct Blit {
    const uint8_t *src;   // the source of the first drawn pixel
    int64_t src_row;      // bytes from one drawn row's source to the next
    int32_t src_step;     // bytes from one drawn column's source to the next
    uint16_t *dst;        // the first drawn pixel
    int32_t left;         // its column
    int32_t cols, rows;   // drawn columns and rows
};

// Places a frame of w x h drawn pixels with its top-left corner at (x0, y0) inside limit_w x limit_h
// pixels of the frame buffer. Cut columns and rows skip exactly the source they would have consumed,
// so a clipped frame shows the same pixels at the same places. False when nothing is left to draw.
bool Place(const SPR_Entry *frame, int64_t x0, int64_t y0, int64_t w, int64_t h, int32_t pixel_bytes, bool halve_w,
           bool halve_h, int64_t limit_w, int64_t limit_h, Blit *b)
{
    if (frame == nullptr || frame->pixels == nullptr || frame->palette == nullptr) {
        return false;
    }
    if (x0 >= limit_w || y0 >= limit_h || x0 + w < 0 || y0 + h < 0) {
        return false;
    }
    const int64_t left = std::max<int64_t>(x0, 0), right = std::min(x0 + w, limit_w);
    const int64_t top = std::max<int64_t>(y0, 0), bottom = std::min(y0 + h, limit_h);
    if (left >= right || top >= bottom) {
        return false;
    }
    const int64_t step = (halve_w ? 2 : 1) * int64_t(pixel_bytes);
    b->src_row = (halve_h ? 2 : 1) * int64_t(frame->width) * pixel_bytes;
    b->src_step = int32_t(step);
    b->src = frame->pixels + (top - y0) * b->src_row + (left - x0) * step;
    b->dst = SCR_FrameBuffer + top * int64_t(SCR_Width) + left;
    b->left = int32_t(left);
    b->cols = int32_t(right - left);
    b->rows = int32_t(bottom - top);
    return true;
}

// Placement of a frame by its record and the halvings, inside the screen.
bool PlaceOnScreen(const SPR_Entry *frame, int64_t x0, int64_t y0, int32_t pixel_bytes, bool halve_w, bool halve_h,
                   Blit *b)
{
    if (frame == nullptr) {
        return false;
    }
    const int64_t w = halve_w ? frame->width >> 1 : frame->width;
    const int64_t h = halve_h ? frame->height >> 1 : frame->height;
    return Place(frame, x0, y0, w, h, pixel_bytes, halve_w, halve_h, SCR_Width, SCR_Height, b);
}

// Runs op(source, target) over every drawn pixel.
template <class Op>
inline void ForEachPixel(const Blit &b, Op op)
{
    const uint8_t *src_row = b.src;
    uint16_t *dst_row = b.dst;
    const int32_t cols = b.cols, step = b.src_step;
    const int64_t src_pitch = b.src_row, dst_pitch = SCR_Width;
    for (int32_t r = 0; r < b.rows; r++) {
        const uint8_t *s = src_row;
        for (int32_t c = 0; c < cols; c++, s += step) {
            op(s, dst_row + c);
        }
        src_row += src_pitch;
        dst_row += dst_pitch;
    }
}

inline uint32_t ToRgb555(uint32_t c) { return ((c & 0xFFC0) >> 1) | (c & 0x1F); }

// A palette colour as the buffer takes it: dimmed if asked, then in the buffer's format.
template <bool Rgb555, bool Dim>
inline uint32_t Colour(uint32_t c)
{
    if (Dim) {
        c = (c & 0xF7DE) >> 1;
    }
    return Rgb555 ? ToRgb555(c) : c;
}

// The mix of two pixels at alpha a (0..63): background weight 31 - a/2, source weight a/2.
template <bool Rgb555>
inline uint16_t Blend(uint32_t d, uint32_t s, uint32_t a)
{
    const uint32_t k = a >> 1;
    const uint32_t *bg = BLEND_Table32 + (31 - k) * 32;
    const uint32_t *fg = BLEND_Table32 + k * 32;
    constexpr uint32_t red = Rgb555 ? 10 : 11, green = Rgb555 ? 5 : 6;
    const uint32_t r = (bg[(d >> red) & 31] + fg[(s >> red) & 31]) >> 5;
    const uint32_t g = (bg[(d >> green) & 31] + fg[(s >> green) & 31]) >> 5;
    const uint32_t bl = (bg[d & 31] + fg[s & 31]) >> 5;
    return uint16_t(r << red | g << green | bl);
}

// Writes c at alpha a: nothing at 0, c itself from 63, the mix in between.
template <bool Rgb555>
inline void PutAlpha(uint16_t *d, uint32_t c, uint32_t a)
{
    if (a == 0) {
        return;
    }
    if (a >= 63) {
        *d = uint16_t(c);
        return;
    }
    GFX_BlendAlpha = uint8_t(a);
    *d = Blend<Rgb555>(*d, c, a);
}

// Plain: index 0 transparent, every drawn run followed by one edge pixel inside the screen row.
template <bool Rgb555, bool Dim>
void DrawPlain(const Blit &b, const uint16_t *palette)
{
    const uint16_t edge = (Rgb555 || Dim) ? 0x0000 : kEdgeColour;
    const bool last_edge = int64_t(b.left) + b.cols < int64_t(SCR_Width);
    const uint8_t *src_row = b.src;
    uint16_t *dst = b.dst;
    for (int32_t r = 0; r < b.rows; r++) {
        const uint8_t *s = src_row;
        for (int32_t c = 0; c < b.cols; c++, s += b.src_step) {
            if (*s == 0) {
                continue;
            }
            dst[c] = uint16_t(Colour<Rgb555, Dim>(palette[*s]));
            if (c + 1 < b.cols || last_edge) {
                dst[c + 1] = edge;
            }
        }
        src_row += b.src_row;
        dst += SCR_Width;
    }
}

template <bool Rgb555, bool Dim>
void DrawOpaque(const Blit &b, const uint16_t *palette)
{
    ForEachPixel(b, [palette](const uint8_t *s, uint16_t *d) { *d = uint16_t(Colour<Rgb555, Dim>(palette[*s])); });
}

// Half translucent: the palette colour and the pixel averaged. On a 15-bit buffer the colour is made
// 15-bit first and mixed and dimmed with the 15-bit masks, so that no 16-bit colour meets a 15-bit pixel.
template <bool Rgb555, bool Dim>
void DrawHalf(const Blit &b, const uint16_t *palette)
{
    ForEachPixel(b, [palette](const uint8_t *s, uint16_t *d) {
        if (*s == 0) {
            return;
        }
        uint32_t c = palette[*s];
        if (Rgb555) {
            c = ((ToRgb555(c) & 0x7BDF) + (*d & 0x7BDFu)) >> 1;
            if (Dim) {
                c = (c & 0x7BDE) >> 1;
            }
        } else {
            c = Colour<false, Dim>(((c & 0xF7DF) + (*d & 0xF7DFu)) >> 1);
        }
        *d = uint16_t(c);
    });
}

// 2-byte pixels {index, alpha}; the faded mode divides the alpha by the fade.
template <bool Rgb555, bool Dim, bool Faded>
void DrawAlpha(const Blit &b, const uint16_t *palette, uint32_t fade)
{
    ForEachPixel(b, [palette, fade](const uint8_t *s, uint16_t *d) {
        if (s[0] == 0) {
            return;
        }
        PutAlpha<Rgb555>(d, Colour<Rgb555, Dim>(palette[s[0]]), Faded ? s[1] / fade : s[1]);
    });
}

// Calls draw(rgb555, dim) with both switches as compile-time constants, so that each mode's loop is
// instantiated once per pixel format and dimming.
template <class Draw>
void ByFormat(bool rgb555, bool dim, Draw draw)
{
    if (rgb555) {
        dim ? draw(std::true_type{}, std::true_type{}) : draw(std::true_type{}, std::false_type{});
    } else {
        dim ? draw(std::false_type{}, std::true_type{}) : draw(std::false_type{}, std::false_type{});
    }
}

// Window mode: the palette colour as it stands, inside the window (no larger than the buffer).
void DrawWindow(const GFX_BlitRecord *record)
{
    const SPR_Entry *f = record->frame;
    Blit b;
    if (f == nullptr ||
        !Place(f, int64_t(record->x) - f->hot_x, int64_t(record->y) - f->hot_y, f->width, f->height, 1, false, false,
               std::min<int64_t>(kWindowWidth, SCR_Width), std::min<int64_t>(kWindowHeight, SCR_Height), &b)) {
        return;
    }
    const uint16_t *palette = f->palette;
    ForEachPixel(b, [palette](const uint8_t *s, uint16_t *d) {
        if (*s != 0) {
            *d = palette[*s];
        }
    });
}

// A constant alpha over 1-byte pixels.
template <bool Rgb555>
void DrawFaded(const Blit &b, const uint16_t *palette, uint32_t a)
{
    ForEachPixel(b, [palette, a](const uint8_t *s, uint16_t *d) {
        if (*s != 0) {
            PutAlpha<Rgb555>(d, Colour<Rgb555, false>(palette[*s]), a);
        }
    });
}

// The sliding mask: the alpha of a pixel lies `distance` bytes after its index.
template <bool Rgb555>
void DrawMasked(const Blit &b, const uint16_t *palette, int64_t distance)
{
    ForEachPixel(b, [palette, distance](const uint8_t *s, uint16_t *d) {
        if (*s != 0) {
            PutAlpha<Rgb555>(d, Colour<Rgb555, false>(palette[*s]), s[distance]);
        }
    });
}

// One gauge's fill frame, read at 128-byte rows through the base's palette; places past its pixels
// read as index 0.
struct Fill {
    const uint8_t *pixels;
    int64_t size;   // bytes of the frame's pixels
    int32_t level;
    int32_t offset; // the rows from the bottom that the level counts from
};

Fill MakeFill(const SPR_Entry *frame, int32_t level, int32_t offset)
{
    Fill f{nullptr, 0, level, offset};
    if (frame != nullptr && frame->pixels != nullptr && frame->width > 0 && frame->height > 0) {
        f.pixels = frame->pixels;
        f.size = int64_t(frame->width) * frame->height * 2;
    }
    return f;
}

template <bool Rgb555>
void DrawGauge(const Blit &b, const uint16_t *palette, const Fill fills[3], int32_t mode, uint8_t blank,
               bool halve_w, bool halve_h)
{
    const int64_t fill_row = halve_h ? 256 : 128;
    const int64_t fill_step = halve_w ? 4 : 2;
    const uint8_t *src_row = b.src;
    uint16_t *dst = b.dst;
    for (int32_t row = 0; row < b.rows; row++) {
        const int32_t left = b.rows - row; // rows still to draw, this one included
        const uint8_t *s = src_row;
        for (int32_t c = 0; c < b.cols; c++, s += b.src_step) {
            if (s[0] == 0) {
                continue;
            }
            uint32_t colour = palette[s[0]];
            uint32_t a = s[1];
            if (a >= 0xFD) {
                const Fill &f = fills[0xFF - a];
                if (a == 0xFD && mode != 0) {
                    if (blank != 1) {
                        const uint32_t bar = left - f.offset <= f.level ? 0x0BFD : 0xE862;
                        dst[c] = uint16_t(Rgb555 ? ToRgb555(bar) : bar);
                    }
                    continue;
                }
                if (left - f.offset > f.level) {
                    continue;
                }
                const int64_t at = row * fill_row + c * fill_step;
                if (at + 1 >= f.size || f.pixels[at] == 0) {
                    continue;
                }
                colour = palette[f.pixels[at]];
                a = f.pixels[at + 1];
            }
            PutAlpha<Rgb555>(dst + c, Rgb555 ? ToRgb555(colour) : colour, a);
        }
        src_row += b.src_row;
        dst += SCR_Width;
    }
}

} // namespace

void GFX_DrawSprite(const GFX_BlitRecord *record, uint8_t fade, uint8_t halveWidth, uint8_t halveHeight, uint8_t dim)
{
    const uint32_t flags = record->flags;
    if (flags & GFX_BLIT_WINDOW) {
        DrawWindow(record);
        return;
    }
    const SPR_Entry *f = record->frame;
    const bool two_bytes = (flags & (GFX_BLIT_ALPHA | GFX_BLIT_FADED)) != 0;
    Blit b;
    if (f == nullptr || !PlaceOnScreen(f, int64_t(record->x) - f->hot_x, int64_t(record->y) - f->hot_y,
                                       two_bytes ? 2 : 1, halveWidth != 0, halveHeight != 0, &b)) {
        return;
    }
    const uint16_t *palette = f->palette;
    const uint32_t divisor = fade == 0 ? 1 : fade;
    ByFormat(DSP_Rgb555 == 1, dim != 0, [&](auto rgb555, auto dimmed) {
        constexpr bool R = decltype(rgb555)::value, D = decltype(dimmed)::value;
        if (flags & GFX_BLIT_ALPHA) {
            DrawAlpha<R, D, false>(b, palette, 1);
        } else if (flags & GFX_BLIT_FADED) {
            DrawAlpha<R, D, true>(b, palette, divisor);
        } else if (flags & GFX_BLIT_HALF) {
            DrawHalf<R, D>(b, palette);
        } else if (flags & GFX_BLIT_OPAQUE) {
            DrawOpaque<R, D>(b, palette);
        } else {
            DrawPlain<R, D>(b, palette);
        }
    });
}

void GFX_DrawSpriteFaded(const GFX_BlitRecord *record, uint8_t fade, uint8_t halveWidth, uint8_t halveHeight)
{
    const uint32_t a = 64u / (fade == 0 ? 1u : fade);
    const SPR_Entry *f = record->frame;
    Blit b;
    if (a == 0 || f == nullptr ||
        !PlaceOnScreen(f, int64_t(record->x) - f->hot_x, int64_t(record->y) - f->hot_y, 1, halveWidth != 0,
                       halveHeight != 0, &b)) {
        return;
    }
    if (DSP_Rgb555 == 1) {
        DrawFaded<true>(b, f->palette, a);
    } else {
        DrawFaded<false>(b, f->palette, a);
    }
}

void GFX_DrawSpriteHalf(const GFX_BlitRecord *record, int32_t level, uint8_t halveWidth, uint8_t halveHeight)
{
    SPR_Entry *f = record->frame;
    // The mask is read up to 64 rows below the picture: the frame must hold 128 rows of 64 pixels.
    if (f == nullptr || f->width <= 0 || f->height <= 0 || int64_t(f->width) * f->height < 64 * 128) {
        return;
    }
    f->width = 64;
    f->height = 128;
    level = std::clamp(level, 0, 64);
    Blit b;
    if (!Place(f, int64_t(record->x) - f->hot_x, int64_t(record->y) - f->hot_y, halveWidth ? 32 : 64,
               halveHeight ? 32 : 64, 2, halveWidth != 0, halveHeight != 0, SCR_Width, SCR_Height, &b)) {
        return;
    }
    const int64_t distance = int64_t(64 - level) * 128 + 1;
    if (DSP_Rgb555 == 1) {
        DrawMasked<true>(b, f->palette, distance);
    } else {
        DrawMasked<false>(b, f->palette, distance);
    }
}

void GFX_DrawGaugeSprite(const GFX_GaugeRecord *gauge, int32_t level1, int32_t level2, int32_t level3, int32_t mode,
                         uint32_t options)
{
    const bool halve_w = (options & 0xFF) != 0;
    const bool halve_h = (options >> 8 & 0xFF) != 0;
    const uint8_t blank = uint8_t(options >> 16);
    int32_t offset12 = 20, offset3 = 5;
    if (halve_h) {
        level1 >>= 1;
        level2 >>= 1;
        level3 >>= 1;
        offset12 >>= 1;
        offset3 >>= 1;
    }
    Blit b;
    if (!PlaceOnScreen(gauge->base, gauge->x, gauge->y, 2, halve_w, halve_h, &b)) {
        return;
    }
    const Fill fills[3] = {MakeFill(gauge->fill1, level1, offset12), MakeFill(gauge->fill2, level2, offset12),
                           MakeFill(gauge->fill3, level3, offset3)};
    if (DSP_Rgb555 == 1) {
        DrawGauge<true>(b, gauge->base->palette, fills, mode, blank, halve_w, halve_h);
    } else {
        DrawGauge<false>(b, gauge->base->palette, fills, mode, blank, halve_w, halve_h);
    }
}

void GFX_DrawRedBar(int32_t n)
{
    const uint32_t cols = std::min<uint32_t>(uint32_t(std::max(n, 1)), SCR_Width);
    const uint32_t rows = std::min<uint32_t>(10, SCR_Height);
    for (uint32_t y = 0; y < rows; y++) {
        std::fill_n(SCR_FrameBuffer + y * SCR_Width, cols, uint16_t(0xF800));
    }
}

uint16_t GFX_BlendPixel16(uint16_t background, uint16_t source)
{
    const uint32_t a = std::min<uint32_t>(GFX_BlendAlpha, 63);
    return DSP_Rgb555 == 1 ? Blend<true>(background, source, a) : Blend<false>(background, source, a);
}

uint32_t GFX_BlendChannel(uint32_t alpha, uint32_t background, uint32_t source)
{
    const uint32_t k = std::min<uint32_t>(alpha, 63) >> 1;
    return (BLEND_Table32[(31 - k) * 32 + std::min<uint32_t>(background, 31)] +
            BLEND_Table32[k * 32 + std::min<uint32_t>(source, 31)]) >>
           5;
}

uint32_t GFX_BlendChannel64(uint32_t alpha, uint32_t background, uint32_t source)
{
    const uint32_t a = std::min<uint32_t>(alpha, 63);
    return (BLEND_Table64[(63 - a) * 64 + std::min<uint32_t>(background, 63)] +
            BLEND_Table64[a * 64 + std::min<uint32_t>(source, 63)]) >>
           6;
}
