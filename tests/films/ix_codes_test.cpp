// IX pictures: the quality tables, the coefficient codes and the nibble buffer's refill.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "films/ix.h"
#include "tests/support/ix_encoder.h"
#include "tests/support/ix_reference.h"
#include "tests/support/synthetic_film.h"

using namespace kalder_test;

namespace {

class IxCodes : public ::testing::Test {
protected:
    void SetUp() override { HNM_InitIX565(); }
};

// Reads one coded tile's three blocks from codes with the decoder's own reader, as at a tile's start.
// The payload is exactly the packed codes, so bytes past it are the payload's end.
struct ReadResult {
    int32_t blocks[3][64];
    uint16_t masks[3];
    int32_t read;
};

ReadResult read_tile(const std::vector<uint8_t> &codes, int32_t quality, std::vector<uint8_t> *keep)
{
    keep->assign((codes.size() + 1) / 2, 0);
    for (size_t i = 0; i < codes.size(); i++) {
        (*keep)[i / 2] |= uint8_t(codes[i] << (i % 2 ? 4 : 0));
    }
    HNM_IX = {};
    HNM_IX.payload = keep->data();
    HNM_IX.length = uint32_t(keep->size());
    HNM_IX.codes = 0;
    HNM_IX.codes_end = HNM_IX.length;
    HNM_IX.groups_left = (HNM_IX.length + 7) / 8;
    HNM_IXSetQuality(quality);
    HNM_IXUnpackNibbles();
    HNM_IXRefillNibbles();
    HNM_IXReadBlocks();
    ReadResult r;
    std::memcpy(r.blocks, HNM_IXBlocks, sizeof r.blocks);
    std::memcpy(r.masks, HNM_IXBlockMask, sizeof r.masks);
    r.read = HNM_IXCodesRead();
    return r;
}

} // namespace

TEST_F(IxCodes, QualityScalesTheBaseTables)
{
    struct Case {
        int32_t quality;
        int place;          // row-major
        int component;
        int32_t entry;      // after the factor of the fast transform
    };
    const Case cases[] = {
        {100, 0, 0, 16},        // every entry at the lower limit 8: 8 x 16384 >> 13
        {100, 63, 1, 1},        // 8 x 1247 >> 13
        {49, 53, 0, 104},       // s = 5000 / 49 = 102: (121 x 102 + 50) / 100 = 123, x 6967 >> 13
        {50, 53, 0, 102},       // s = 100: 121
        {49, 0, 0, 32},         // (16 x 102 + 50) / 100 = 16
        {49, 63, 2, 15},        // (99 x 102 + 50) / 100 = 101, x 1247 >> 13
        {1, 0, 0, 510},         // s = 5000: saturates at 255
        {75, 0, 1, 18},         // s = 50: (17 x 50 + 50) / 100 = 9
    };
    for (const Case &c : cases) {
        HNM_IXSetQuality(c.quality);
        int k = 0;
        while (HNM_IXZigZag[k] != c.place) {
            k++;
        }
        EXPECT_EQ(HNM_IXQuant[c.component][k], c.entry) << "quality " << c.quality << " place " << c.place;
    }
    // Every quality against the table written from the format, both ends clamped; 0 scales as 1.
    for (int32_t q = -5; q <= 105; q++) {
        HNM_IXSetQuality(q);
        const int32_t clamped = std::clamp(q, 0, 100);
        for (int k = 0; k < 64; k++) {
            for (int c = 0; c < 3; c++) {
                ASSERT_EQ(HNM_IXQuant[c][k], IxQuantEntry(c, HNM_IXZigZag[k], clamped)) << q << " " << k;
            }
        }
    }
}

TEST_F(IxCodes, ScaleFactorsAndZigZagAreTheFormats)
{
    for (int p = 0; p < 64; p++) {
        EXPECT_EQ(HNM_IXScale[p], IxScaleFactor(p)) << p;
    }
    const uint8_t first[8] = {0, 1, 8, 16, 9, 2, 3, 10};
    for (int k = 0; k < 8; k++) {
        EXPECT_EQ(HNM_IXZigZag[k], first[k]);
    }
    EXPECT_EQ(HNM_IXZigZag[63], 63);
    std::vector<int> seen(64, 0);
    for (int k = 0; k < 64; k++) {
        seen[HNM_IXZigZag[k]]++;
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), 64);
}

TEST_F(IxCodes, IntraQualityIsNegatedWithoutOverflow)
{
    // The lowest quality word is an intra picture at quality 100, the same as -100.
    IxPicture picture;
    picture.intra = true;
    for (int t = 0; t < 80 * 38; t++) {
        int32_t values[3][64] = {};
        values[0][0] = (t % 7) * 9 - 30;
        values[0][1] = 3;
        values[2][2] = -5;
        picture.tiles.push_back(IxNode::Coded(IxCodeValues(values)));
    }
    picture.quality = 100;
    const IxWritten at100 = IxWrite(picture);
    IxDamage lowest;
    lowest.raw_quality = INT32_MIN;
    const IxWritten at_min = IxWrite(picture, lowest);
    std::vector<uint16_t> ref(size_t(IX_PIXELS), 0), a(IX_PIXELS), b(IX_PIXELS);
    HNM_DecodeIXFrame(at100.payload.data(), uint32_t(at100.payload.size()), ref.data(), a.data(), nullptr);
    HNM_DecodeIXFrame(at_min.payload.data(), uint32_t(at_min.payload.size()), ref.data(), b.data(), nullptr);
    EXPECT_EQ(a, b);
    // Quality 0 decodes as quality 1.
    IxDamage zero, one;
    zero.raw_quality = 0;
    one.raw_quality = 1;
    picture.intra = false;
    const IxWritten w0 = IxWrite(picture, zero);
    HNM_DecodeIXFrame(w0.payload.data(), uint32_t(w0.payload.size()), ref.data(), a.data(), nullptr);
    const IxWritten w1 = IxWrite(picture, one);
    HNM_DecodeIXFrame(w1.payload.data(), uint32_t(w1.payload.size()), ref.data(), b.data(), nullptr);
    EXPECT_EQ(a, b);
}

TEST_F(IxCodes, EachHandlerStoresItsValues)
{
    struct Case {
        const char *name;
        std::vector<uint8_t> codes;                 // block 0 only
        std::vector<std::pair<int, int>> values;    // zig-zag position, value
        uint16_t mask;
        int consumed;                               // codes of block 0
    };
    auto m = [](std::initializer_list<int> positions) {
        uint16_t mask = 0;
        for (int k : positions) {
            const int p = HNM_IXZigZag[k];
            mask |= uint16_t((1 << (p / 8)) << 8 | 1 << (p % 8));
        }
        return mask;
    };
    const Case cases[] = {
        {"0 end, DC only", {0, 5, 0}, {{0, 5}}, 0x0101, 3},
        {"0 end, DC 0", {0, 0, 0}, {}, 0x0101, 3},
        {"DC -128", {8, 0, 0}, {{0, -128}}, 0x0101, 3},
        {"DC 127", {7, 15, 0}, {{0, 127}}, 0x0101, 3},
        {"1 skip 5", {0, 1, 1, 11, 3, 0}, {{0, 1}, {6, 4}}, m({0, 6}), 6},
        {"2 skip 1 +1", {0, 1, 2, 0}, {{0, 1}, {2, 1}}, m({0, 2}), 4},
        {"3 skip 1 -1", {0, 1, 3, 0}, {{0, 1}, {2, -1}}, m({0, 2}), 4},
        {"4 skip 2 +1", {0, 1, 4, 0}, {{0, 1}, {3, 1}}, m({0, 3}), 4},
        {"5 skip 2 -1", {0, 1, 5, 0}, {{0, 1}, {3, -1}}, m({0, 3}), 4},
        {"6 skip 3 +1", {0, 1, 6, 0}, {{0, 1}, {4, 1}}, m({0, 4}), 4},
        {"7 skip 3 -1", {0, 1, 7, 0}, {{0, 1}, {4, -1}}, m({0, 4}), 4},
        {"8 pair", {0, 1, 8, 0b0100, 0b0111, 0}, {{0, 1}, {3, 2}, {4, -1}}, m({0, 3, 4}), 6},
        {"8 pair single", {0, 1, 8, 0b0001, 0b1000, 0b1011, 0}, {{0, 1}, {2, -2}, {3, 1}, {4, -2}}, m({0, 2, 3, 4}), 7},
        {"8 two pairs", {0, 1, 8, 0b1010, 0b0101, 0b1111, 0}, {{0, 1}, {4, 2}, {5, 2}, {6, -1}, {7, -1}}, m({0, 4, 5, 6, 7}), 7},
        {"8 two pairs single", {0, 1, 8, 0b0011, 0b0001, 0b1010, 0b1100, 0},
         {{0, 1}, {2, 1}, {3, 2}, {4, -2}, {5, -2}, {6, -1}}, m({0, 2, 3, 4, 5, 6}), 8},
        {"9 one", {0, 1, 9, 0b0000, 7, 0}, {{0, 1}, {2, 8}}, m({0, 2}), 6},
        {"9 four", {0, 1, 9, 0b1111, 8, 15, 0, 4, 0}, {{0, 1}, {5, -8}, {6, -1}, {7, 1}, {8, 5}}, m({0, 5, 6, 7, 8}), 9},
        {"10 pair", {0, 1, 10, 0b0110, 0}, {{0, 1}, {1, 2}, {2, -2}}, m({0, 1, 2}), 5},
        {"11 single", {0, 1, 11, 9, 0}, {{0, 1}, {1, -7}}, m({0, 1}), 5},
        {"12 two", {0, 1, 12, 1, 14, 0}, {{0, 1}, {1, 2}, {2, -2}}, m({0, 1, 2}), 6},
        {"13 three", {0, 1, 13, 2, 3, 12, 0}, {{0, 1}, {1, 3}, {2, 4}, {3, -4}}, m({0, 1, 2, 3}), 7},
        {"14 skip 1", {0, 1, 14, 14, 11, 0, 0}, {{0, 1}, {3, 1}}, m({0, 3}), 7},
        {"15 long", {0, 1, 15, 8, 0, 15, 7, 15, 0}, {{0, 1}, {1, -128}, {2, 127}}, m({0, 1, 2}), 9},
        // Twelve skips of 5 reach 61; three singles fill 61..63 and the block ends with no end code.
        {"fills 63", {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 13, 0, 1, 2},
         {{0, 1}, {61, 1}, {62, 2}, {63, 3}}, m({0, 61, 62, 63}), 18},
        // A pair at 63: the second value is read and dropped.
        {"pair at 63", {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 14, 14, 10, 0b0101},
         {{0, 1}, {63, 2}}, m({0, 63}), 18},
        // Skips past 63 end the block without a selector.
        {"skip past 63", {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, {{0, 1}}, 0x0101, 15},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> codes = c.codes;
        // Blocks 1 and 2 are DC 2 and DC 3 only: they start right after what block 0 consumed.
        codes.insert(codes.end(), {0, 2, 0, 0, 3, 0});
        std::vector<uint8_t> keep;
        const ReadResult r = read_tile(codes, 100, &keep);
        int32_t expected[64] = {};
        for (auto [k, v] : c.values) {
            expected[HNM_IXZigZag[k]] = v * HNM_IXQuant[0][k];
        }
        for (int p = 0; p < 64; p++) {
            EXPECT_EQ(r.blocks[0][p], expected[p]) << "place " << p;
        }
        EXPECT_EQ(r.masks[0], c.mask);
        EXPECT_EQ(r.blocks[1][0], 2 * HNM_IXQuant[1][0]);
        EXPECT_EQ(r.blocks[2][0], 3 * HNM_IXQuant[2][0]);
        EXPECT_EQ(r.masks[1], 0x0101);
        EXPECT_EQ(r.read, c.consumed + 6);
        const IxTileBlocks ref = IxReferenceReadBlocks(codes, 100);
        EXPECT_EQ(ref.codes_read, r.read);
        EXPECT_EQ(0, std::memcmp(ref.blocks, r.blocks, sizeof r.blocks));
    }
}

TEST_F(IxCodes, CodesPastTheStreamReadAsZero)
{
    // Sixteen codes, the last a single whose value lies past the payload: it reads 0 (value 1), then the
    // selector reads 0 and ends the block; blocks 1 and 2 read DC 0 and end.
    const std::vector<uint8_t> codes = {0, 1, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 11};
    std::vector<uint8_t> keep;
    const ReadResult r = read_tile(codes, 100, &keep);
    EXPECT_EQ(r.blocks[0][0], HNM_IXQuant[0][0]);
    EXPECT_EQ(r.blocks[0][HNM_IXZigZag[14]], HNM_IXQuant[0][14]);
    EXPECT_EQ(r.blocks[1][0], 0);
    EXPECT_EQ(r.masks[2], 0x0101);
    EXPECT_EQ(r.read, 16 + 2 + 6);
}

// Tiles whose codes add up to a given count, for placing a tile at a chosen code position.
static std::vector<uint8_t> dc_tile(int extra_skips)
{
    std::vector<uint8_t> codes = {0, 1};
    codes.insert(codes.end(), size_t(extra_skips), 14);
    codes.insert(codes.end(), {0, 0, 2, 0, 0, 3, 0});
    return codes;
}

static std::vector<uint8_t> long_tile(uint32_t seed)
{
    // Every position a long value: 2 + 63 x 3 codes a block.
    std::vector<uint8_t> codes;
    for (int c = 0; c < 3; c++) {
        for (int k = 0; k < 64; k++) {
            seed = seed * 1103515245u + 12345u;
            if (k > 0) {
                codes.push_back(15);
            }
            codes.push_back(uint8_t((seed >> 16) & 15));
            codes.push_back(uint8_t((seed >> 20) & 15));
        }
    }
    return codes;
}

TEST_F(IxCodes, RefillKeepsEveryCode)
{
    // A whole picture of coded tiles (far more than 16,384 codes) against the straight nibble reader.
    const std::vector<uint16_t> frame = SyntheticFilmFrame(3);
    const IxEncoded intra = EncodeIntra(frame, 90);
    std::vector<uint16_t> zero(size_t(IX_PIXELS), 0), out(IX_PIXELS);
    HNM_DecodeIXFrame(intra.payload.data(), uint32_t(intra.payload.size()), zero.data(), out.data(), nullptr);
    uint32_t start, end;
    std::memcpy(&start, &intra.payload[16], 4);
    std::memcpy(&end, &intra.payload[20], 4);
    EXPECT_GT((end - start) * 2, 2u * IX_NIBBLE_BUFFER);
    EXPECT_EQ(out, intra.predicted);

    // A tile of 573 codes starting one code before the refill mark reads its codes from the extra room.
    IxPicture picture;
    picture.intra = true;
    picture.quality = 30;
    int32_t at = 0;
    for (int i = 0; i < 27; i++) {
        picture.tiles.push_back(IxNode::Coded(long_tile(uint32_t(i))));
        at += int32_t(picture.tiles.back().codes.size());
    }
    while (at + 9 <= IX_REFILL_MARK - 1 - 13) {
        picture.tiles.push_back(IxNode::Coded(dc_tile(0)));
        at += 9;
    }
    picture.tiles.push_back(IxNode::Coded(dc_tile(IX_REFILL_MARK - 1 - at - 9)));
    at += int32_t(picture.tiles.back().codes.size());
    ASSERT_EQ(at, IX_REFILL_MARK - 1);
    picture.tiles.push_back(IxNode::Coded(long_tile(99)));
    ASSERT_EQ(picture.tiles.back().codes.size(), 573u);
    for (int i = 0; int(picture.tiles.size()) < 80 * 38; i++) {
        picture.tiles.push_back(IxNode::Coded(i % 3 ? dc_tile(i % 5) : long_tile(uint32_t(i + 1000))));
    }
    const IxWritten w = IxWrite(picture);
    HNM_DecodeIXFrame(w.payload.data(), uint32_t(w.payload.size()), zero.data(), out.data(), nullptr);
    EXPECT_EQ(out, IxReferenceDecode(w.payload, zero));
}
