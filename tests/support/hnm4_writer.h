// Writes 256-colour film pictures for tests, fuzz seeds and benchmarks: delta ops by hand, the pair
// order of the decoder's buffers, and an encoder of whole films.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kalder_test {

// The ops of a delta (IU) picture, in the order written.
class Hnm4Ops {
public:
    Hnm4Ops &Literal(uint8_t top, uint8_t bottom);
    // Below 256 pairs the 2-byte skip, else the 3-byte one (n up to 65535).
    Hnm4Ops &Skip(uint32_t n);
    // count 0..255 pairs of (v, v).
    Hnm4Ops &Fill(uint8_t count, uint8_t v);
    // mode 0..15, offset 0..32767 (source j = i + offset - 16384), count 1..31.
    Hnm4Ops &Copy(uint32_t mode, uint32_t offset, uint32_t count);
    Hnm4Ops &End(uint8_t first = 0x80);
    Hnm4Ops &Raw(const std::vector<uint8_t> &bytes);
    const std::vector<uint8_t> &Bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

// A 256 x height picture (rows of width bytes) in the buffers' order: band k's pairs hold rows 2k and
// 2k + 1, column by column; and back.
std::vector<uint8_t> PairOrder(const std::vector<uint8_t> &picture, int32_t width, int32_t height);
std::vector<uint8_t> RowOrder(const std::vector<uint8_t> &pairs, int32_t width, int32_t height);

// An intra payload: 4 zero bytes, then the packed pair-ordered picture.
std::vector<uint8_t> Hnm4Intra(const std::vector<uint8_t> &picture, int32_t width, int32_t height);

struct Hnm4Chunk {
    char subtype;
    std::vector<uint8_t> payload;
};

struct Hnm4Film {
    std::vector<Hnm4Chunk> chunks;
    // What the decoder's target holds after each chunk.
    std::vector<std::vector<uint8_t>> pictures;
};

// Encodes 256 x height pictures: an intra picture every keyInterval pictures (0: only the first),
// delta pictures otherwise, chosen from a model of both buffers run by run: skip, same-place copy from
// the other buffer, fill, copy from written pairs, and with coverage any of the 16 modes that matches
// exactly; literals otherwise.
class Hnm4Encoder {
public:
    Hnm4Encoder(int32_t height, uint32_t keyInterval, bool coverage = false)
        : height_(height), key_(keyInterval), coverage_(coverage)
    {
    }
    Hnm4Film Encode(const std::vector<std::vector<uint8_t>> &pictures) const;

private:
    int32_t height_;
    uint32_t key_;
    bool coverage_;
};

// The demo film's pictures: a colour wheel turning 6 degrees a picture and a bar moving down 4 rows a
// picture, 256 x 256, all integers.
std::vector<uint8_t> DemoHnm4Picture(uint32_t index);
// A small picture of seeded noise with flat patches, for coverage films.
std::vector<uint8_t> NoiseHnm4Picture(int32_t height, uint32_t seed);

} // namespace kalder_test
