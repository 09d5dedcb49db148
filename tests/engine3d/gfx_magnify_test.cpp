// The tile magnifier: the cells each scale pair fills, the tiling of offsets, refused scales, the bounded
// form at the map's end, and the picture of all sixteen pairs.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine3d/gfx_magnify.h"
#include "tests/support/gfx_pictures.h"
#include "tests/support/golden.h"

namespace kalder_test {
namespace {

constexpr uint8_t kCanary = 0xCD;
constexpr int kMap = 256 * 256;

// A tile whose texels are all different from the canary and from each other's neighbours.
std::vector<uint8_t> Tile()
{
    std::vector<uint8_t> tile(1024);
    for (int i = 0; i < 1024; i++) {
        tile[size_t(i)] = uint8_t(i * 7 % 200 + 1);
    }
    return tile;
}

// The byte the magnifier should leave at map row y, column x, for a tile at the top-left.
uint8_t Expected(const std::vector<uint8_t> &tile, int y, int x, int rows, int columns)
{
    const bool written = y % 8 < rows && x % 8 < columns;
    return written ? tile[size_t(y / 8 * 32 + x / 8)] : kCanary;
}

TEST(GfxMagnify, EveryScalePairFillsTheTopLeftOfEachCell)
{
    const std::vector<uint8_t> tile = Tile();
    for (int rows : {1, 2, 4, 8}) {
        for (int columns : {1, 2, 4, 8}) {
            // Exactly sized: a write past the map is caught by the sanitizer.
            std::vector<uint8_t> map(kMap, kCanary);
            GFX_MagnifyBlock(tile.data(), map.data(), rows, columns);
            int written = 0, wrong = 0;
            for (int y = 0; y < 256; y++) {
                for (int x = 0; x < 256; x++) {
                    const uint8_t v = map[size_t(y * 256 + x)];
                    written += v != kCanary;
                    wrong += v != Expected(tile, y, x, rows, columns);
                }
            }
            EXPECT_EQ(written, 1024 * rows * columns) << rows << " x " << columns;
            EXPECT_EQ(wrong, 0) << rows << " x " << columns;
        }
    }
}

TEST(GfxMagnify, SixtyFourOneByOneTilesFillTheAreaWithoutOverlap)
{
    const std::vector<uint8_t> tile = Tile();
    // Room for the offsets: 7 rows and 7 columns beyond the map.
    std::vector<uint8_t> map(kMap + 8 * 256, 0);
    std::vector<uint8_t> one(1024);
    for (int r = 0; r < 8; r++) {
        for (int c = 0; c < 8; c++) {
            // Each tile writes its offset's number, plus one, into its bytes; an overlap adds up.
            std::fill(one.begin(), one.end(), uint8_t(r * 8 + c + 1));
            std::vector<uint8_t> before = map;
            GFX_MagnifyBlock(one.data(), map.data() + r * 256 + c, 1, 1);
            for (size_t i = 0; i < map.size(); i++) {
                if (map[i] != before[i]) {
                    ASSERT_EQ(before[i], 0) << "offset " << r << ", " << c << " wrote byte " << i << " twice";
                }
            }
        }
    }
    for (int y = 0; y < 256; y++) {
        for (int x = 0; x < 256; x++) {
            ASSERT_EQ(map[size_t(y * 256 + x)], (y % 8) * 8 + x % 8 + 1) << x << ", " << y;
        }
    }
}

TEST(GfxMagnify, ScalesOutsideTheFourWriteNothing)
{
    const std::vector<uint8_t> tile = Tile();
    const int bad[][2] = {{0, 1}, {1, 0}, {3, 3}, {16, 8}, {8, 16}, {-1, 2}, {5, 4}, {2, 7}};
    for (const auto &s : bad) {
        std::vector<uint8_t> map(kMap, kCanary);
        GFX_MagnifyBlock(tile.data(), map.data(), s[0], s[1]);
        GFX_MagnifyBlockChecked(tile.data(), map.data(), 0, 0, s[0], s[1]);
        EXPECT_EQ(map, std::vector<uint8_t>(kMap, kCanary)) << s[0] << " x " << s[1];
    }
}

TEST(GfxMagnify, CheckedFormRefusesOffsetsOutsideTheCell)
{
    const std::vector<uint8_t> tile = Tile();
    const int bad[][2] = {{-1, 0}, {0, -1}, {8, 0}, {0, 8}, {100, 100}};
    for (const auto &o : bad) {
        std::vector<uint8_t> map(kMap, kCanary);
        GFX_MagnifyBlockChecked(tile.data(), map.data(), o[0], o[1], 1, 1);
        EXPECT_EQ(map, std::vector<uint8_t>(kMap, kCanary)) << o[0] << ", " << o[1];
    }
}

// The checked form on an exactly sized map equals the plain form on a map with room behind it, cut
// at 65,536 bytes, for offsets and scales that spill past the end and for ones that do not.
TEST(GfxMagnify, CheckedFormStopsAtTheMapsEndAndMatchesThePlainFormInside)
{
    const std::vector<uint8_t> tile = Tile();
    const int cases[][4] = {{7, 7, 8, 8}, {7, 0, 2, 1}, {0, 7, 1, 2}, {4, 5, 8, 4}, {3, 3, 4, 4}, {0, 0, 8, 8},
                            {6, 6, 2, 2}};
    for (const auto &k : cases) {
        const int r = k[0], c = k[1], rows = k[2], columns = k[3];
        std::vector<uint8_t> roomy(kMap + 8 * 256 + 8, kCanary);
        GFX_MagnifyBlock(tile.data(), roomy.data() + r * 256 + c, rows, columns);
        std::vector<uint8_t> exact(kMap, kCanary);
        GFX_MagnifyBlockChecked(tile.data(), exact.data(), r, c, rows, columns);
        EXPECT_TRUE(std::equal(exact.begin(), exact.end(), roomy.begin()))
            << "offset " << r << ", " << c << ", scales " << rows << " x " << columns;
    }
}

TEST(GfxMagnify, SpillsPastARowsEndIntoTheNextRow)
{
    std::vector<uint8_t> tile(1024, 9);
    std::vector<uint8_t> map(kMap, 0);
    GFX_MagnifyBlockChecked(tile.data(), map.data(), 0, 7, 1, 2);
    // The last cell of map row 0 starts at column 255 and takes column 0 of row 1 as its second byte.
    EXPECT_EQ(map[255], 9);
    EXPECT_EQ(map[256], 9);
    EXPECT_EQ(map[257], 0);
}

TEST(GfxMagnify, GoldenOfTheSixteenScalePairs)
{
    const Picture p = MagnifyPicture();
    EXPECT_TRUE(MatchesGolden("magnify", p.pixels.data(), p.width, p.height, false));
}

} // namespace
} // namespace kalder_test
