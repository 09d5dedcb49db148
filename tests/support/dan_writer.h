// Writes containers (".DAN") for tests, fuzz seeds and the benchmark: the header, the name tables and
// the packed model, maps and animations, with knobs that damage it the ways the tests need.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kalder_test {

struct DanEntry {
    std::string name;           // stored upper case, NUL-padded (or full, without terminator)
    std::vector<uint8_t> file;  // the whole image file; the 8-byte prefix is dropped before packing
};

struct DanWriter {
    int32_t header = 0x4321;
    std::vector<uint8_t> model; // image file
    std::vector<DanEntry> maps;
    std::vector<DanEntry> anims;

    // Damage. Blocks are numbered in file order after the tables: 0 the model, 1..M the maps, then the
    // animations.
    std::string magic = "DANF";
    uint8_t byte4 = 0;
    uint8_t tables_type = 0;
    int32_t map_count = -1, anim_count = -1; // as written; -1: the sizes of the lists
    int32_t retype_block = -1, new_type = 0;
    int32_t relength_block = -1, new_length = 0;
    int32_t raw_block = -1;     // its packed bytes replaced by as many random bytes
    int32_t pad_block = -1;     // its packed bytes padded with zeros up to pad_to bytes
    uint32_t pad_to = 0;
    size_t cut_at = SIZE_MAX;

    std::vector<uint8_t> Bytes() const;
    bool WriteTo(const std::string &hostPath) const;
    // Offsets in Bytes() where the map names, the animation names and each block start.
    size_t MapNamesAt() const { return 16; }
    size_t AnimNamesAt() const;
    std::vector<size_t> BlockOffsets() const;
};

} // namespace kalder_test
