// Deterministic 640 x 304 RGB565 film frames for the IX encoder: gradient, disc, bars and a still patch.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

namespace kalder_test {

// Frame n (0-based) of the synthetic film: a two-axis gradient drifting 2 pixels right and 1 down a
// frame, a soft disc moving across, a band of bars scrolling 2 pixels a frame and a patch that never
// changes. Integers only, the same on every machine.
std::vector<uint16_t> SyntheticFilmFrame(int n);

// Frames 0 .. count - 1.
std::vector<std::vector<uint16_t>> SyntheticFilm(int count);

// The film's IX pictures: an intra picture at quality 90 every 15 frames (frames 0, 15, 30, ...), inter
// pictures at quality 75 between them, each coded against what the decoder made of the one before.
// Made once per process and count.
const std::vector<std::vector<uint8_t>> &SyntheticFilmPictures(int count);
// What the decoder makes of each of them in 5-6-5 pixels.
const std::vector<std::vector<uint16_t>> &SyntheticFilmDecoded(int count);

// Any film's 640 x 304 frames coded as the synthetic film's are, with what the decoder makes of them.
struct FilmPictures {
    std::vector<std::vector<uint8_t>> pictures;
    std::vector<std::vector<uint16_t>> decoded;
};
FilmPictures EncodeFilmPictures(int count, const std::function<std::vector<uint16_t>(int n)> &frame);

} // namespace kalder_test
