// Writes scene streams (".DSN") for tests, fuzz seeds, the benchmark and the demo: a header, the map
// tables, the packed scene and collision models, the palettes and the 64 interlaced part blocks, with
// knobs that damage it the ways the tests need.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kalder_test {

struct DsnMap {
    std::string name;              // stored NUL-padded in 11 bytes (or full, without terminator)
    std::vector<uint8_t> record;   // 20 bytes, copied into a bound image
    std::vector<uint16_t> palette; // 256 RGB565 colours
    std::vector<uint8_t> picture;  // 256 x 256 texels, row after row
};

// The first 20 bytes of a material image file's image (its 8-byte file prefix dropped).
std::vector<uint8_t> DsnMapRecord(const std::vector<uint8_t> &materialFile);

// Texel (u, v) of part p is picture[y0 + 8v][x0 + 8u] with (x0, y0) the part's place in each cell.
std::vector<uint8_t> DsnPart(const std::vector<uint8_t> &picture, int part);

// A picture whose every texel differs from its neighbours within a cell, so that a misplaced block shows.
std::vector<uint8_t> DsnTestPicture(uint32_t seed);

struct DsnWriter {
    int32_t header = 0x1234;
    uint8_t byte4 = 0;
    std::vector<DsnMap> maps;
    std::vector<uint8_t> model;     // image files as the image builder makes them; the 8-byte prefix is dropped
    std::vector<uint8_t> collision;

    // Damage. Blocks are numbered in file order: 0 the tables, 1 model, 2 collision, 3 palettes,
    // 4.. the 64 parts.
    std::string magic = "DSNF";
    int32_t count = -1;                 // M as written; -1: the number of maps
    int32_t retype_block = -1, new_type = 0;
    int32_t relength_block = -1, new_length = 0;
    int32_t drop_block = -1;            // left out
    int32_t repeat_block = -1;          // written twice
    int32_t swap_a = -1, swap_b = -1;   // written in each other's place
    int32_t raw_block = -1;             // its data replaced by as many raw (random) bytes
    std::vector<uint8_t> model_raw;     // when not empty: the model block's data as given, unpacked
    size_t cut_at = SIZE_MAX;           // the file ends at this byte
    std::vector<uint8_t> appended;

    std::vector<uint8_t> Bytes() const;
    bool WriteTo(const std::string &hostPath) const;
};

// Unpacked size of the model image as the stream delivers it (the image without its file prefix).
std::vector<uint8_t> DsnImage(const std::vector<uint8_t> &file);

} // namespace kalder_test
