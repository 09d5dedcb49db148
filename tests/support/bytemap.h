// Shows an 8-bit map (the fire, a flow texture, a magnified map) in a 16-bit frame through a fixed ramp:
// 0 black, then red, yellow and white toward 255.
#pragma once
#include <cstdint>

namespace kalder_test {

// The ramp's RGB565 colour of a byte.
uint16_t RampColour(uint8_t v);

// Paints the map (mapWidth x mapHeight bytes, row after row) with each byte as a scale x scale square,
// its top-left at (x, y) of the frame; squares outside the frame are cut.
void PaintByteMap(const uint8_t *map, int mapWidth, int mapHeight, int scale, uint16_t *frame, int frameWidth,
                  int frameHeight, int x, int y);

} // namespace kalder_test
