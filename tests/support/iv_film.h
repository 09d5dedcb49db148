// Synthetic hi-colour pictures, the films made of them, and the demo installation's hi-colour film.
#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "tests/support/film_writer.h"

namespace kalder_test {

// Project1's film name, where the film lies on the disc, and its pictures (2 s at 15 a second).
inline constexpr char kDemoIvFilmName[] = "demo2.mib";
inline constexpr char kDemoIvFilmDiscPath[] = "DATA/HNM/DEMO2.MIB";
inline constexpr int kDemoIvFilmFrames = 30;

// The pictures' 256 colours (6 bits a channel): a ramp for the background, then the block's, the disc's
// and the bars' colours.
PaletteRun IvSyntheticPalette();

// A colour of 6-bit channels as the screen shows it, in 5-6-5 or 5-5-5 (bits past the sixth dropped), and
// the pair table of a palette: entry lo | hi << 8 holds colour(lo) | colour(hi) << 16.
uint16_t IvColour(uint32_t r, uint32_t g, uint32_t b, bool rgb555);
std::vector<uint32_t> IvPairTable(const PaletteRun &palette, bool rgb555);

// Picture n (640 x 300 indices), made in integers: a gradient drifting 2 pixels right and 1 down a
// picture, a disc moving across it, a 32-pixel block that turns a quarter turn every 8 pictures with its
// mirror image right of it and both flipped upside down below, and bars scrolling 3 pixels left.
std::vector<uint8_t> IvSyntheticPicture(int n);
std::vector<std::vector<uint8_t>> IvSyntheticPictures(int count);

// The pictures encoded as a film plays them: each against the one decoded before, over the one before
// that (both cleared at the start); every third picture in coverage mode. Made once per process.
struct IvFilm {
    std::vector<std::vector<uint8_t>> payloads;
    std::vector<std::vector<uint8_t>> decoded;  // the output frame of each (640 x 304)
    std::set<std::string> used;
};
const IvFilm &IvSyntheticFilm();

// "MIB2" with the palette chunk in the first frame before its picture, 30 frames, frame count 30.
std::vector<uint8_t> DemoIvFilmImage();
// Writes the film below a disc's root folder (a drive's host folder). false when it cannot be written.
bool WriteDemoIvFilm(const std::string &disc_host);

} // namespace kalder_test
