// The hi-colour frame blitter: two palette indices to two screen pixels with one pair-table read.
#include <cstring>

#include "films/iv.h"

namespace {

// Full-width rows: each little-endian word of two indices gives two screen pixels.
void FullRows(const uint8_t *picture, uint16_t *screen, const uint32_t *pairs, int32_t rows, int32_t pitch)
{
    for (int32_t y = 0; y < rows; y++) {
        const uint8_t *from = picture + int64_t(y) * IV_WIDTH;
        uint16_t *to = screen + int64_t(y) * pitch;
        for (int32_t x = 0; x < IV_WIDTH; x += 2) {
            const uint32_t pair = pairs[from[x] | from[x + 1] << 8];
            std::memcpy(to + x, &pair, 4);
        }
    }
}

// Half-width rows: picture pixels 8k, 8k + 2 and 8k + 4, 8k + 6 form the two words of four screen pixels.
void HalfRows(const uint8_t *picture, uint16_t *screen, const uint32_t *pairs, int32_t rows, int32_t row_step)
{
    for (int32_t y = 0; y < rows; y++) {
        const uint8_t *from = picture + int64_t(y) * row_step * IV_WIDTH;
        uint16_t *to = screen + int64_t(y) * (IV_WIDTH / 2);
        for (int32_t k = 0; k < IV_WIDTH / 8; k++) {
            const uint8_t *p = from + 8 * k;
            const uint32_t words[2] = {pairs[p[0] | p[2] << 8], pairs[p[4] | p[6] << 8]};
            std::memcpy(to + 4 * k, words, 8);
        }
    }
}

void Clear(uint16_t *screen, int64_t first_pixel, int64_t count) { std::memset(screen + first_pixel, 0, size_t(count) * 2); }

} // namespace

void HNM_BlitIVFrame(const uint8_t *picture, uint16_t *screen, const uint32_t *pairs, int32_t layout)
{
    switch (int16_t(layout)) {
    case 1:  // 640 x 400
        FullRows(picture, screen + 50 * 640, pairs, IV_SHOWN_ROWS, 640);
        Clear(screen, 0, 50 * 640);
        Clear(screen, 350 * 640, 50 * 640);
        break;
    case 5:  // 640 x 480
        FullRows(picture, screen + 90 * 640, pairs, IV_SHOWN_ROWS, 640);
        Clear(screen, 0, 90 * 640);
        Clear(screen, 390 * 640, 90 * 640);
        break;
    case 2:  // 320 x 400: every row, even columns
        HalfRows(picture, screen + 50 * 320, pairs, IV_SHOWN_ROWS, 1);
        Clear(screen, 0, 50 * 320);
        Clear(screen, 350 * 320, 50 * 320);
        break;
    case 4:  // 320 x 200: even rows and columns
        HalfRows(picture, screen + 25 * 320, pairs, IV_SHOWN_ROWS / 2, 2);
        Clear(screen, 0, 25 * 320);
        Clear(screen, 175 * 320, 25 * 320);
        break;
    case 0:  // 800 x 600: the 300 rows centred at x = 80, the rest of the screen black
        FullRows(picture, screen + 150 * 800 + 80, pairs, IV_SHOWN_ROWS, 800);
        Clear(screen, 0, 150 * 800);
        for (int32_t y = 150; y < 450; y++) {
            Clear(screen, int64_t(y) * 800, 80);
            Clear(screen, int64_t(y) * 800 + 720, 80);
        }
        Clear(screen, 450 * 800, 150 * 800);
        break;
    default:  // other screen sizes: nothing drawn, nothing cleared
        break;
    }
}
