// The byte-map painter of the procedural texture and magnifier pictures.
#include "tests/support/bytemap.h"

#include <algorithm>

namespace kalder_test {

uint16_t RampColour(uint8_t v)
{
    const int r = std::min(255, v * 3);
    const int g = std::clamp(v * 3 - 255, 0, 255);
    const int b = std::clamp(v * 3 - 510, 0, 255);
    return uint16_t((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
}

void PaintByteMap(const uint8_t *map, int mapWidth, int mapHeight, int scale, uint16_t *frame, int frameWidth,
                  int frameHeight, int x, int y)
{
    for (int my = 0; my < mapHeight; my++) {
        for (int mx = 0; mx < mapWidth; mx++) {
            const uint16_t c = RampColour(map[my * mapWidth + mx]);
            for (int sy = 0; sy < scale; sy++) {
                const int py = y + my * scale + sy;
                if (py < 0 || py >= frameHeight) {
                    continue;
                }
                for (int sx = 0; sx < scale; sx++) {
                    const int px = x + mx * scale + sx;
                    if (px >= 0 && px < frameWidth) {
                        frame[py * frameWidth + px] = c;
                    }
                }
            }
        }
    }
}

} // namespace kalder_test
