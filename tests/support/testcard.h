// A test card of any size in a 16-bit buffer: colour bars, ramps, a pixel checkerboard and a border,
// so that scaling, pixel formats and copies show at a glance and at known points.
#pragma once
#include <cstdint>

namespace kalder_test {

// The eight bar colours, left to right: white, yellow, cyan, green, magenta, red, blue, black.
uint16_t TestCardBar(int bar, bool rgb555);

// Draws the card into width x height pixels (stride = width), in RGB565 or RGB555.
void DrawTestCard(uint16_t *pixels, int width, int height, bool rgb555);

// Draws the eight bars alone over the whole picture, bar i from x = i x width / 8: a frame whose
// colours show where it went, for the frame composition's tests and demonstrations.
void DrawBars(uint16_t *pixels, int width, int height, bool rgb555);

} // namespace kalder_test
