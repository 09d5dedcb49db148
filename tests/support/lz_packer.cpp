// Writes LZ streams for fixtures (see lz_packer.h).
#include "tests/support/lz_packer.h"

#include <algorithm>
#include <stdexcept>

namespace kalder_test {

void LzStreamBuilder::PutBit(uint32_t bit)
{
    if (bitsUsed_ == 32) {
        controlAt_ = bytes_.size();
        bytes_.resize(bytes_.size() + 4, 0);
        control_ = 0;
        bitsUsed_ = 0;
    }
    control_ |= (bit & 1) << (31 - bitsUsed_);
    bitsUsed_++;
    for (int i = 0; i < 4; i++) {
        bytes_[controlAt_ + i] = uint8_t(control_ >> (8 * i));
    }
}

void LzStreamBuilder::PutWord(uint32_t w)
{
    bytes_.push_back(uint8_t(w));
    bytes_.push_back(uint8_t(w >> 8));
}

void LzStreamBuilder::Literal(uint8_t c)
{
    PutBit(1);
    bytes_.push_back(c);
    counts_.literals++;
}

void LzStreamBuilder::Short(uint32_t length, uint32_t distance)
{
    if (length < 2 || length > 5 || distance < 1 || distance > 256) {
        throw std::invalid_argument("short match out of range");
    }
    PutBit(0);
    PutBit(0);
    PutBit((length - 2) >> 1);
    PutBit((length - 2) & 1);
    bytes_.push_back(uint8_t(256 - distance));
    counts_.shorts++;
}

void LzStreamBuilder::Long(uint32_t length, uint32_t distance, bool extended)
{
    if (length < 3 || length > 257 || distance < 1 || distance > 8192) {
        throw std::invalid_argument("long match out of range");
    }
    extended = extended || length > 9;
    PutBit(0);
    PutBit(1);
    PutWord((8192 - distance) << 3 | (extended ? 0 : length - 2));
    if (extended) {
        bytes_.push_back(uint8_t(length - 2));
        counts_.extended++;
    } else {
        counts_.longs++;
    }
}

void LzStreamBuilder::End(uint32_t distanceBits)
{
    PutBit(0);
    PutBit(1);
    PutWord((distanceBits & 8191) << 3);
    bytes_.push_back(0);
    counts_.ends++;
}

namespace {

constexpr size_t kWindow = 8192;
constexpr size_t kShortWindow = 256;
constexpr size_t kMaxLong = 257;
constexpr size_t kMaxShort = 5;
constexpr int kMaxChain = 64;

struct Match {
    size_t length = 0;
    size_t distance = 0;
};

} // namespace

std::vector<uint8_t> LzPack(const uint8_t *data, size_t size, const LzPackOptions &options, LzCodeCounts *counts)
{
    LzStreamBuilder out;
    // Chains of earlier positions by their first two bytes, nearest first.
    std::vector<int32_t> head(65536, -1);
    std::vector<int32_t> prev(size, -1);
    auto insert = [&](size_t q) {
        if (q + 1 < size) {
            uint32_t key = data[q] | uint32_t(data[q + 1]) << 8;
            prev[q] = head[key];
            head[key] = int32_t(q);
        }
    };
    const size_t reach = options.longMatches ? kWindow : kShortWindow;

    size_t p = 0;
    while (p < size) {
        Match bestLong;
        Match bestShort;
        if (p + 1 < size && (options.shortMatches || options.longMatches)) {
            const size_t longLimit = std::min(kMaxLong, size - p);
            const size_t shortLimit = std::min(kMaxShort, size - p);
            int32_t candidate = head[data[p] | uint32_t(data[p + 1]) << 8];
            for (int steps = 0; candidate >= 0 && steps < kMaxChain; steps++, candidate = prev[candidate]) {
                size_t distance = p - size_t(candidate);
                if (distance > reach) {
                    break;
                }
                size_t length = 2;
                while (length < longLimit && data[candidate + length] == data[p + length]) {
                    length++;
                }
                if (options.longMatches && length >= 3 && length > bestLong.length) {
                    bestLong = {length, distance};
                }
                if (options.shortMatches && distance <= kShortWindow && std::min(length, shortLimit) > bestShort.length) {
                    bestShort = {std::min(length, shortLimit), distance};
                }
                bool longDone = !options.longMatches || bestLong.length == longLimit;
                bool shortDone = !options.shortMatches || bestShort.length == shortLimit;
                if (longDone && shortDone) {
                    break;
                }
            }
        }

        // Lowest bits per byte wins; on equal cost the longer code.
        size_t bits = 9;
        size_t length = 1;
        int kind = 0;
        auto consider = [&](const Match &m, size_t cost, int k) {
            if (m.length != 0 && (cost * length < bits * m.length || (cost * length == bits * m.length && m.length > length))) {
                bits = cost;
                length = m.length;
                kind = k;
            }
        };
        consider(bestShort, 12, 1);
        bool extended = options.forceExtended || bestLong.length > 9;
        consider(bestLong, extended ? 26 : 18, 2);

        if (kind == 0) {
            out.Literal(data[p]);
        } else if (kind == 1) {
            out.Short(uint32_t(bestShort.length), uint32_t(bestShort.distance));
        } else {
            out.Long(uint32_t(bestLong.length), uint32_t(bestLong.distance), options.forceExtended);
        }
        for (size_t i = 0; i < length; i++) {
            insert(p + i);
        }
        p += length;
    }
    out.End();
    if (counts != nullptr) {
        *counts = out.Counts();
    }
    return out.Bytes();
}

} // namespace kalder_test

namespace kalder_test {

namespace {

// xorshift32: sample data only; nothing of the game draws from it.
struct SampleRandom {
    uint32_t state;
    uint32_t Next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
};

const char *const kWords[] = {"the",   "hero",  "walks", "into",   "a",      "dark",  "hall",   "where",
                              "fire",  "burns", "and",   "sword",  "shield", "of",    "time",   "spirit",
                              "gate",  "opens", "level", "enemy",  "strikes", "back", "with",   "magic",
                              "stone", "door",  "key",   "bridge", "falls",  "water", "shadow", "light"};

} // namespace

std::vector<uint8_t> LzSampleData(LzSample kind, size_t size, uint32_t seed)
{
    std::vector<uint8_t> data(size);
    SampleRandom rng{seed * 2654435761u + 12345u};
    switch (kind) {
    case LzSample::Zeros:
        break;
    case LzSample::Random:
        for (uint8_t &b : data) {
            b = uint8_t(rng.Next() >> 24);
        }
        break;
    case LzSample::Text: {
        size_t at = 0;
        while (at < size) {
            const char *word = kWords[rng.Next() % (sizeof kWords / sizeof kWords[0])];
            for (const char *c = word; *c != 0 && at < size; c++) {
                data[at++] = uint8_t(*c);
            }
            if (at < size) {
                uint32_t r = rng.Next() % 16;
                data[at++] = r == 0 ? '\n' : r == 1 ? '.' : ' ';
            }
        }
        break;
    }
    case LzSample::Runs: {
        size_t at = 0;
        while (at < size) {
            uint8_t value = uint8_t(rng.Next() >> 24);
            size_t run = 200 + rng.Next() % 400;
            for (size_t i = 0; i < run && at < size; i++) {
                data[at++] = value;
            }
        }
        break;
    }
    case LzSample::Texture: {
        uint8_t tile[16 * 16];
        for (uint8_t &t : tile) {
            t = uint8_t(rng.Next() >> 24);
        }
        for (size_t i = 0; i < size; i++) {
            size_t x = i % 256;
            size_t y = (i / 256) % 256;
            if (y < 128 && x < 128) {
                data[i] = uint8_t(x + y); // gradient
            } else if (y < 128) {
                data[i] = uint8_t(64 + (x >> 2) + (rng.Next() >> 29)); // shaded noise
            } else {
                data[i] = tile[(y % 16) * 16 + x % 16]; // repeated tile
            }
        }
        break;
    }
    case LzSample::Records: {
        // 20-byte records: an index, three small coordinates, a flag byte and zero padding.
        for (size_t i = 0; i < size; i++) {
            size_t record = i / 20;
            size_t field = i % 20;
            uint8_t b = 0;
            if (field < 2) {
                b = uint8_t(record >> (8 * field));
            } else if (field < 8) {
                b = field % 2 == 0 ? uint8_t(rng.Next() % 64) : 0;
            } else if (field == 8) {
                b = uint8_t(1 << (rng.Next() % 4));
            }
            data[i] = b;
        }
        break;
    }
    }
    return data;
}

const char *LzSampleName(LzSample kind)
{
    switch (kind) {
    case LzSample::Zeros:
        return "zeros";
    case LzSample::Random:
        return "random";
    case LzSample::Text:
        return "text";
    case LzSample::Runs:
        return "runs";
    case LzSample::Texture:
        return "texture";
    case LzSample::Records:
        return "records";
    }
    return "?";
}

} // namespace kalder_test
