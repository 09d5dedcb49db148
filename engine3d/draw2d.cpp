// Debug drawing: the font's text, the clipped line and the pixel of the debug views.
#include "engine3d/draw2d.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "core/fconv.h"
#include "engine3d/view.h"

namespace {

enum : uint32_t { Out_Left = 1, Out_Right = 2, Out_Above = 4, Out_Below = 8 };

// Lines keep one pixel inside the right and bottom edges: the border is W - 1 and H - 1.
uint32_t outcode(int64_t x, int64_t y, int64_t w, int64_t h)
{
    uint32_t code = 0;
    if (x < 0) {
        code |= Out_Left;
    } else if (x >= w - 1) {
        code |= Out_Right;
    }
    if (y < 0) {
        code |= Out_Above;
    } else if (y >= h - 1) {
        code |= Out_Below;
    }
    return code;
}

// Moves the end (x, y), which lies outside, onto the border along the line from the other end
// (ox, oy): first the vertical border it is beyond, then the horizontal one, which wins when its
// crossing lies on the border. False when neither crossing lies on a border.
bool clip_end(int64_t &x, int64_t &y, int64_t ox, int64_t oy, uint32_t code, int64_t w, int64_t h)
{
    const int64_t dx = x - ox, dy = y - oy;
    bool moved = false;
    int64_t nx = x, ny = y;
    if ((code & (Out_Left | Out_Right)) != 0 && dx != 0) {
        const int64_t bx = (code & Out_Left) != 0 ? 0 : w - 2;
        const int32_t cy = trunc_i32(double(oy) + double(dy) / double(dx) * double(bx - ox) + 0.5);
        if (cy >= 0 && cy < h - 1) {
            nx = bx;
            ny = cy;
            moved = true;
        }
    }
    if ((code & (Out_Above | Out_Below)) != 0 && dy != 0) {
        const int64_t by = (code & Out_Above) != 0 ? 0 : h - 2;
        const int32_t cx = trunc_i32(double(ox) + double(dx) / double(dy) * double(by - oy) + 0.5);
        if (cx >= 0 && cx < w - 1) {
            nx = cx;
            ny = by;
            moved = true;
        }
    }
    x = nx;
    y = ny;
    return moved;
}

// Bresenham along the major axis from the end with the smaller major coordinate: e starts at
// 2|dminor| - dmajor, and the minor coordinate steps whenever e is not negative.
void bresenham(uint16_t *buffer, int64_t a_major, int64_t a_minor, int64_t b_major, int64_t b_minor,
               int64_t major_stride, int64_t minor_stride, uint16_t colour)
{
    if (b_major < a_major) {
        std::swap(a_major, b_major);
        std::swap(a_minor, b_minor);
    }
    const int64_t d_major = b_major - a_major, d_minor = std::llabs(b_minor - a_minor);
    const int64_t step = b_minor < a_minor ? -1 : 1;
    int64_t e = 2 * d_minor - d_major;
    int64_t minor = a_minor;
    buffer[a_major * major_stride + minor * minor_stride] = colour;
    for (int64_t major = a_major + 1; major <= b_major; major++) {
        if (e < 0) {
            e += 2 * d_minor;
        } else {
            minor += step;
            e += 2 * (d_minor - d_major);
        }
        buffer[major * major_stride + minor * minor_stride] = colour;
    }
}

} // namespace

void Draw_Text(uint16_t *buffer, int32_t cellWidth, int32_t rows, int32_t x, int32_t y, const char *text,
               uint16_t colour, int32_t, int32_t bold)
{
    const int64_t w = OBJ_View.screen_width, h = OBJ_View.screen_height;
    const size_t n = std::strlen(text) % 256;
    // More than 16 rows would read into the next glyph, and past the font after code 255.
    const int32_t drawn_rows = rows < 0 ? 0 : rows > 16 ? 16 : rows;
    // A 9-bit row has nothing beyond its ninth column.
    const int32_t columns = cellWidth < 9 ? cellWidth : 9;
    for (size_t i = 0; i < n; i++) {
        const uint8_t *glyph = Draw_Font + size_t(static_cast<unsigned char>(text[i])) * 16;
        const int64_t right = int64_t(x) + int64_t(i) * cellWidth + cellWidth;
        for (int32_t r = 0; r < drawn_rows; r++) {
            const int64_t py = int64_t(y) + r;
            if (py < 0 || py >= h) {
                continue;
            }
            uint32_t b = glyph[r];
            if (bold == 1) {
                b |= b << 1;
            }
            for (int32_t k = 0; k < columns; k++) {
                const int64_t px = right - k;
                if ((b >> k & 1u) != 0 && px >= 0 && px < w) {
                    buffer[py * w + px] = colour;
                }
            }
        }
    }
}

void Draw_Line(uint16_t *buffer, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour)
{
    const int64_t w = OBJ_View.screen_width, h = OBJ_View.screen_height;
    int64_t ax = x0, ay = y0, bx = x1, by = y1;
    const uint32_t ca = outcode(ax, ay, w, h), cb = outcode(bx, by, w, h);
    if ((ca & cb) != 0) {
        return;
    }
    if (ca != 0 || cb != 0) {
        // Both crossings are taken from the ends as given.
        const int64_t ox0 = ax, oy0 = ay, ox1 = bx, oy1 = by;
        if (ca != 0 && !clip_end(ax, ay, ox1, oy1, ca, w, h)) {
            return;
        }
        if (cb != 0 && !clip_end(bx, by, ox0, oy0, cb, w, h)) {
            return;
        }
        if (outcode(ax, ay, w, h) != 0 || outcode(bx, by, w, h) != 0) {
            return;
        }
    }
    // Walked along x when |dx| >= |dy|, else along y; the pixel steps are the strides of the two axes.
    if (std::llabs(bx - ax) >= std::llabs(by - ay)) {
        bresenham(buffer, ax, ay, bx, by, 1, w, colour);
    } else {
        bresenham(buffer, ay, ax, by, bx, w, 1, colour);
    }
}

void Draw_Pixel(uint16_t *buffer, int32_t x, int32_t y, uint16_t colour)
{
    const int64_t w = OBJ_View.screen_width, h = OBJ_View.screen_height;
    if (x >= 0 && x < w && y >= 0 && y < h) {
        buffer[int64_t(y) * w + x] = colour;
    }
}
