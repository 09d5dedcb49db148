// Small films of each kind, whole and damaged in every way the player must survive: for the player's
// tests and the fuzz seeds.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kalder_test {

struct FilmSample {
    std::string name;
    std::vector<uint8_t> bytes;
    // Pictures and sound blocks the player hands on before the film ends, with sound on; -1 where the
    // damage leaves it open (a cut inside a chunk).
    int pictures = -1;
    int sounds = -1;
};

// One film of three frames for each of the six magics, with sound, palette and subtitle chunks.
std::vector<FilmSample> WholeFilmSamples();
// The three sound magics ("HNS4", "MIS2", "HNS6") cut at every frame and chunk boundary and in the
// middle of each piece; and with their second frame damaged: chunk sizes 0, 7 and past the frame,
// garbage in a chunk size's top bits, frame sizes 0..3 and a frame size's top byte set, a picture of
// 0x60000 bytes, and the block-transform film without its zero frame header.
std::vector<FilmSample> DamagedFilmSamples();

} // namespace kalder_test
