// An IX picture encoder: bit trees, coefficient codes and the five sub-streams, plus damaged payloads.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/ix_reference.h"

namespace kalder_test {

// How a tile or a part of it is made, as the inter and intra bit trees say. Parts hold the halves,
// quarters, eighths or 2 x 2 blocks of a split, in the order the trees visit them.
struct IxNode {
    enum class Kind {
        Coded,       // a whole tile from coefficient codes
        Unchanged,   // inter only
        Spiral,      // inter only: value = spiral index
        Vector,      // value = the block vector (bits 0-14; bit 15 set from `within` or the orientation)
        Window,      // value = the window vector word as stored
        HalvesRows,  // two 8 x 4 halves
        HalvesColumns,
        Quarters,    // four quarters (or the two quarters inside a half)
        EighthsRows, // two 4 x 2 eighths
        EighthsColumns,
        Sixteenths,  // four 2 x 2 blocks of a quarter, or the two of an eighth
        NoCode,      // the inter tile code 1 1 1 1
    };
    Kind kind = Kind::Unchanged;
    uint32_t value = 0;
    int orientation = 0;
    bool within = false;            // inter vector copies: from the picture being made
    std::vector<uint8_t> codes;     // Coded: the nibble codes of the three blocks
    std::vector<IxNode> parts;

    static IxNode Coded(std::vector<uint8_t> codes);
    static IxNode Unchanged();
    static IxNode Spiral(uint32_t index);
    static IxNode Vector(int orientation, uint32_t dx, uint32_t dy, bool within = false);
    static IxNode Window(int orientation, uint32_t index, bool within = false);
    static IxNode Split(Kind kind, std::vector<IxNode> parts);
};

// A picture to write. Tiles beyond the list are not written (the control bits end there).
struct IxPicture {
    bool intra = false;
    int32_t quality = 75;
    std::vector<IxNode> tiles;
};

// Damage to apply while writing.
struct IxDamage {
    std::optional<int32_t> raw_quality;        // the header's quality word as stored
    int last_stream = 4;                       // sub-stream (1..4) placed last in the payload
    uint32_t cut = 0;                          // bytes cut from the payload's end
    std::optional<uint32_t> offsets[5];        // header offsets as stored
};

struct IxWritten {
    std::vector<uint8_t> payload;
    std::map<std::string, int> branches;       // how often each branch of each tree was written
};

IxWritten IxWrite(const IxPicture &picture, const IxDamage &damage = {});

// The codes of one coded tile's three blocks from their values in zig-zag order (-128..127 each),
// chosen greedily among the handlers; a block ends with code 0 unless its position 63 is filled.
std::vector<uint8_t> IxCodeValues(const int32_t values[3][64]);

// The coefficient values of one tile of a 5-6-5 picture at a quality: the exact inverse of the
// decoder's transform, rounded; flat tiles pick the DC triple whose decoded colour is closest.
void IxTileValues(const std::vector<uint16_t> &frame565, int tx, int ty, int32_t quality, int32_t values[3][64]);

struct IxEncoded {
    std::vector<uint8_t> payload;
    std::vector<uint16_t> predicted;           // what the decoder makes of it (5-6-5)
    std::map<std::string, int> branches;
};

// Every tile coded.
IxEncoded EncodeIntra(const std::vector<uint16_t> &frame565, int32_t quality);
// Tiles equal to the reference stay unchanged, exact matches within 2 pixels are spiral copies, the
// rest are coded. With the source the reference was decoded from, tiles are matched against that source
// too, so that still and drifting parts of a film stay copies although the reference only comes close.
IxEncoded EncodeInter(const std::vector<uint16_t> &frame565, const std::vector<uint16_t> &reference, int32_t quality,
                      const std::vector<uint16_t> *previous_source = nullptr);

// A random valid picture (fixed seed) that uses every branch of its trees, with coded tiles of random
// values.
IxPicture IxRandomPicture(uint32_t seed, bool intra, int32_t quality);

// Peak signal-to-noise ratio of two 5-6-5 pictures over their channels expanded to 8 bits.
double IxPsnr(const std::vector<uint16_t> &a, const std::vector<uint16_t> &b);

} // namespace kalder_test
