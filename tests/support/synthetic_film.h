// Deterministic 640 x 304 RGB565 film frames for the IX encoder: gradient, disc, bars and a still patch.
#pragma once
#include <cstdint>
#include <vector>

namespace kalder_test {

// Frame n (0-based) of the synthetic film: a two-axis gradient drifting 2 pixels right and 1 down a
// frame, a soft disc moving across, a band of bars scrolling 4 pixels a frame and a patch that never
// changes. Integers only, the same on every machine.
std::vector<uint16_t> SyntheticFilmFrame(int n);

// Frames 0 .. count - 1.
std::vector<std::vector<uint16_t>> SyntheticFilm(int count);

} // namespace kalder_test
