// The test card (see testcard.h).
#include "tests/support/testcard.h"

#include <cstddef>

namespace kalder_test {

uint16_t TestCardBar(int bar, bool rgb555)
{
    static const uint16_t bars_565[8] = {0xFFFF, 0xFFE0, 0x07FF, 0x07E0, 0xF81F, 0xF800, 0x001F, 0x0000};
    static const uint16_t bars_555[8] = {0x7FFF, 0x7FE0, 0x03FF, 0x03E0, 0x7C1F, 0x7C00, 0x001F, 0x0000};
    return rgb555 ? bars_555[bar] : bars_565[bar];
}

void DrawTestCard(uint16_t *pixels, int width, int height, bool rgb555)
{
    const uint16_t white = TestCardBar(0, rgb555);
    const int bars_end = height * 2 / 3;
    const int bar_width = width / 8 > 0 ? width / 8 : 1;
    const int half = width / 2 > 0 ? width / 2 : 1;
    const int band = (height - bars_end) / 3 > 0 ? (height - bars_end) / 3 : 1;
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            uint16_t colour;
            if (y < bars_end) {
                const int bar = x / bar_width < 7 ? x / bar_width : 7;
                colour = TestCardBar(bar, rgb555);
            } else if (x < half) {
                // Red, green and blue ramps of 32 levels, one band each. Green steps on its top five
                // bits, so that both formats show the same levels.
                const uint16_t level = uint16_t(x * 32 / half);
                const int ramp = (y - bars_end) / band;
                if (ramp == 0) {
                    colour = uint16_t(level << (rgb555 ? 10 : 11));
                } else if (ramp == 1) {
                    colour = uint16_t(level << (rgb555 ? 5 : 6));
                } else {
                    colour = level;
                }
            } else {
                colour = ((x + y) & 1) != 0 ? white : 0;
            }
            if (x == 0 || y == 0 || x == width - 1 || y == height - 1) {
                colour = white;
            }
            pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)] = colour;
        }
    }
}

void DrawBars(uint16_t *pixels, int width, int height, bool rgb555)
{
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            pixels[size_t(y) * size_t(width) + size_t(x)] = TestCardBar(int(int64_t(x) * 8 / width), rgb555);
        }
    }
}

} // namespace kalder_test
