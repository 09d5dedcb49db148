// Writes LZ streams for fixtures: an explicit code-by-code builder, and a packer over whole buffers.
// Deterministic, and free of any test framework, so fixture writers, tools and fuzz seeds link it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kalder_test {

// How many codes of each kind a stream holds. A long match counts as extended when its length came
// in the extra byte.
struct LzCodeCounts {
    size_t literals = 0;
    size_t shorts = 0;
    size_t longs = 0;
    size_t extended = 0;
    size_t ends = 0;
};

// Builds a stream code by code. Control bits go from the top bit down; a new 4-byte control word is
// reserved at the current end of the stream the moment a 33rd bit is needed, and a code's data bytes
// follow all of its bits, so a control word taken in the middle of a code lands between that code's
// bits and its data, as the unpacker reads them.
class LzStreamBuilder {
public:
    void Literal(uint8_t c);
    // length 2..5, distance 1..256.
    void Short(uint32_t length, uint32_t distance);
    // length 3..257, distance 1..8192. Lengths 3..9 go in the word unless `extended` forces the extra
    // byte; longer lengths always take it.
    void Long(uint32_t length, uint32_t distance, bool extended = false);
    // The end code; `distanceBits` (0..8191) fill the word's unused distance field.
    void End(uint32_t distanceBits = 0);

    const std::vector<uint8_t> &Bytes() const { return bytes_; }
    const LzCodeCounts &Counts() const { return counts_; }

private:
    void PutBit(uint32_t bit);
    void PutWord(uint32_t w);

    std::vector<uint8_t> bytes_;
    size_t controlAt_ = 0;
    uint32_t control_ = 0;
    int bitsUsed_ = 32; // no control word yet: the first bit reserves one
    LzCodeCounts counts_;
};

// Which families the packer may use. Literals are always allowed; with both match kinds off the
// stream is all literals.
struct LzPackOptions {
    bool shortMatches = true;
    bool longMatches = true;
    bool forceExtended = false; // every long match carries its length in the extra byte
};

// Packs `size` bytes with a hash-chain matcher over the 8192-byte window, choosing at each position
// the code of lowest bit cost per byte (literal 9 bits, short match 12, long 18, extended 26). The
// stream ends with the end code.
std::vector<uint8_t> LzPack(const uint8_t *data, size_t size, const LzPackOptions &options = {},
                            LzCodeCounts *counts = nullptr);

// Sample data of the kinds the game packs, made from a fixed seed: the same arguments always give
// the same bytes. Shared by the round-trip tests, the benchmark and the fuzz seeds.
enum class LzSample {
    Zeros,
    Random,  // incompressible: literals
    Text,    // words from a small vocabulary: short and long matches
    Runs,    // long runs of one byte: distance 1, length 257
    Texture, // 256-wide 8-bit picture: gradients, noise and repeated tiles
    Records, // a table of fixed-width records of small integers, like a model's
};
std::vector<uint8_t> LzSampleData(LzSample kind, size_t size, uint32_t seed = 1);
const char *LzSampleName(LzSample kind);

} // namespace kalder_test
