// IX pictures: the inverse transform's pass order and shortcuts, and the colour conversion.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "films/ix.h"
#include "tests/support/ix_encoder.h"
#include "tests/support/ix_reference.h"

using namespace kalder_test;

namespace {

class IxTile : public ::testing::Test {
protected:
    void SetUp() override { HNM_InitIX565(); }
    void TearDown() override { HNM_InitIX565(); }
};

struct Block {
    int32_t v[64] = {};
    uint16_t mask = 0;
    Block &set(int row, int column, int32_t value)
    {
        v[row * 8 + column] = value;
        mask |= uint16_t((1 << row) << 8 | 1 << column);
        return *this;
    }
};

std::vector<int32_t> transformed(Block b, IxPassOrder order)
{
    IxReferenceIDCT(b.v, b.mask, order);
    return {b.v, b.v + 64};
}

std::vector<int32_t> decoded(Block b)
{
    HNM_IXInverseDCT(b.v, b.mask);
    return {b.v, b.v + 64};
}

} // namespace

TEST_F(IxTile, DcOnlyBlockFillsWithItsValue)
{
    for (int32_t c : {0, 1, -1, 16 * 127, -16 * 128, 128 * 981, -128 * 981}) {
        Block b;
        b.set(0, 0, c);
        EXPECT_EQ(decoded(b), std::vector<int32_t>(64, c)) << c;
        EXPECT_EQ(transformed(b, IxPassOrder::ColumnsFirst), std::vector<int32_t>(64, c)) << c;
    }
}

TEST_F(IxTile, PassOrderFollowsTheMasks)
{
    // A coefficient in row 7 makes the row byte negative: the rows go first.
    Block row7;
    row7.set(0, 0, 800).set(7, 1, 500).set(0, 2, -300);
    EXPECT_EQ(decoded(row7), transformed(row7, IxPassOrder::Rule));
    EXPECT_EQ(decoded(row7), transformed(row7, IxPassOrder::RowsFirst));
    EXPECT_NE(decoded(row7), transformed(row7, IxPassOrder::ColumnsFirst)) << "the order changes the result";

    // Blocks on which the shortcuts apply: a copy of column 0, or of row 0, for the second pass.
    Block column0;
    column0.set(0, 0, 800).set(3, 0, -250).set(5, 0, 333);
    EXPECT_EQ(decoded(column0), transformed(column0, IxPassOrder::ColumnsFirst));
    Block row0;
    row0.set(0, 0, 700).set(0, 3, 91).set(0, 6, -1111);
    EXPECT_EQ(decoded(row0), transformed(row0, IxPassOrder::RowsFirst));

    // Dense blocks of both kinds match the rule as written.
    Block dense, tall;
    for (int i = 0; i < 64; i++) {
        dense.set(i / 8, i % 8, (i * 7919) % 2001 - 1000);
    }
    tall.set(0, 0, 5).set(6, 0, 3000).set(2, 3, -77).set(1, 4, 1);
    EXPECT_EQ(decoded(dense), transformed(dense, IxPassOrder::Rule));
    EXPECT_EQ(decoded(tall), transformed(tall, IxPassOrder::Rule));
}

TEST_F(IxTile, FlatTilesGiveTheirGrey)
{
    // Quality 100: a DC value d scales to 16d, so luminance is y = d + 128 and the colour differences 0.
    struct Case {
        int32_t d;
        uint16_t rgb565;
        uint16_t rgb555;
    };
    const Case cases[] = {{-128, 0x0000, 0x0000}, {-1, 0x7BEF, 0x3DEF}, {0, 0x8410, 0x4210},
                          {100, 0xE73C, 0x739C}, {127, 0xFFDF, 0x7FDF}};
    std::vector<uint16_t> zero(size_t(IX_PIXELS), 0), out(IX_PIXELS);
    for (const Case &c : cases) {
        IxPicture picture;
        picture.intra = true;
        picture.quality = 100;
        int32_t values[3][64] = {};
        values[0][0] = c.d;
        picture.tiles.assign(80 * 38, IxNode::Coded(IxCodeValues(values)));
        const IxWritten w = IxWrite(picture);
        for (bool rgb555 : {false, true}) {
            rgb555 ? HNM_InitIX555() : HNM_InitIX565();
            HNM_DecodeIXFrame(w.payload.data(), uint32_t(w.payload.size()), zero.data(), out.data(), nullptr);
            const uint16_t expected = rgb555 ? c.rgb555 : c.rgb565;
            EXPECT_EQ(std::count(out.begin(), out.end(), expected), IX_PIXELS) << "d " << c.d << (rgb555 ? " 5-5-5" : " 5-6-5");
        }
    }
}

TEST_F(IxTile, ColourConversionSaturates)
{
    struct Case {
        const char *name;
        int32_t y, u, v;
        uint16_t rgb565, rgb555;
    };
    const Case cases[] = {
        {"index above 63", 16 * (300 - 128), 0, 0, 0xFFDF, 0x7FDF},     // 31 / 62 / 30
        {"index below 0", 16 * (-20 - 128), 0, 0, 0x0000, 0x0000},
        {"luminance huge", 500000000, 0, 0, 0xFFDF, 0x7FDF},
        {"luminance very low", -500000000, 0, 0, 0x0000, 0x0000},
        {"red difference clamped high", 0, 0, 100000000, 0xF810, 0x7C10},
        {"red difference clamped low", 0, 0, -100000000, 0x07D0, 0x03D0},
        {"blue difference clamped low", 0, -100000000, 0, 0x86A0, 0x4340},
        {"blue difference clamped high", 0, 100000000, 0, 0x801F, 0x401F},
    };
    for (const Case &c : cases) {
        for (bool rgb555 : {false, true}) {
            rgb555 ? HNM_InitIX555() : HNM_InitIX565();
            for (int i = 0; i < 64; i++) {
                HNM_IXBlocks[0][i] = c.y;
                HNM_IXBlocks[1][i] = c.u;
                HNM_IXBlocks[2][i] = c.v;
            }
            uint16_t tile[64];
            HNM_IXStoreTile(tile, 8);
            const uint16_t expected = rgb555 ? c.rgb555 : c.rgb565;
            EXPECT_EQ(tile[0], expected) << c.name << (rgb555 ? " 5-5-5" : " 5-6-5");
            EXPECT_EQ(tile[63], expected) << c.name;
            EXPECT_EQ(IxReferencePixel(c.y, c.u, c.v, rgb555 ? IxFormat::Rgb555 : IxFormat::Rgb565), expected) << c.name;
        }
    }
}

TEST_F(IxTile, ExtremeCoefficientsStayDefined)
{
    // The largest coefficient is 128 x 981 (quality 0, the factor 31521); every sign pattern of it in
    // every place runs both passes without overflow, and matches the rule as written.
    const int32_t big = 128 * 981;
    for (uint32_t pattern = 0; pattern < 16; pattern++) {
        Block b;
        for (int i = 0; i < 64; i++) {
            const bool negative = pattern == 0 ? false : pattern == 1 ? true : ((i * 2654435761u) >> (pattern + 8)) & 1;
            b.set(i / 8, i % 8, negative ? -big : big);
        }
        EXPECT_EQ(decoded(b), transformed(b, IxPassOrder::Rule)) << pattern;
        std::memcpy(HNM_IXBlocks[0], b.v, sizeof b.v);
        std::memcpy(HNM_IXBlocks[1], b.v, sizeof b.v);
        std::memcpy(HNM_IXBlocks[2], b.v, sizeof b.v);
        for (int c = 0; c < 3; c++) {
            HNM_IXInverseDCT(HNM_IXBlocks[c], b.mask);
        }
        uint16_t tile[64];
        HNM_IXStoreTile(tile, 8);
    }
    // The same through whole pictures: quality 0, long values -128 and 127 everywhere.
    IxPicture picture;
    picture.intra = true;
    picture.quality = 0;
    for (int t = 0; t < 80 * 38; t++) {
        int32_t values[3][64];
        for (int c = 0; c < 3; c++) {
            for (int k = 0; k < 64; k++) {
                values[c][k] = ((k + t + c) % 3) ? -128 : 127;
            }
        }
        picture.tiles.push_back(IxNode::Coded(IxCodeValues(values)));
    }
    const IxWritten w = IxWrite(picture);
    std::vector<uint16_t> zero(size_t(IX_PIXELS), 0), out(IX_PIXELS);
    HNM_DecodeIXFrame(w.payload.data(), uint32_t(w.payload.size()), zero.data(), out.data(), nullptr);
    EXPECT_EQ(out, IxReferenceDecode(w.payload, zero));
}

TEST_F(IxTile, TileRoutineTakesItsPitch)
{
    // The twin with 2,048-pixel rows stores the same tile, rows further apart.
    for (int i = 0; i < 64; i++) {
        HNM_IXBlocks[0][i] = (i * 37) % 1500 - 700;
        HNM_IXBlocks[1][i] = (i * 11) % 300 - 150;
        HNM_IXBlocks[2][i] = (i * 5) % 200 - 100;
    }
    std::vector<uint16_t> narrow(8 * 8), wide(2048 * 8, 0xABCD);
    HNM_IXStoreTile(narrow.data(), 8);
    HNM_IXStoreTile(wide.data(), 2048);
    for (int r = 0; r < 8; r++) {
        for (int c = 0; c < 8; c++) {
            EXPECT_EQ(wide[size_t(r * 2048 + c)], narrow[size_t(r * 8 + c)]);
            EXPECT_EQ(narrow[size_t(r * 8 + c)], IxReferencePixel(HNM_IXBlocks[0][r * 8 + c], HNM_IXBlocks[1][r * 8 + c],
                                                                  HNM_IXBlocks[2][r * 8 + c], IxFormat::Rgb565));
        }
        EXPECT_EQ(wide[size_t(r * 2048 + 8)], 0xABCD);
    }
}
