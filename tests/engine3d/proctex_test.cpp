// The procedural textures: the fire's seed row and heat, the flow's planes and three step forms, the
// byte carry of the flow average, and the two-row scroll.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine3d/proctex.h"
#include "tests/support/gfx_pictures.h"
#include "tests/support/golden.h"

namespace kalder_test {
namespace {

constexpr uint32_t kInitialSeed = 0xFE9A735C;
constexpr int kTexture = 256 * 256;

class ProcTexTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_seed_ = GFX_FireSeed;
        GFX_FireSeed = kInitialSeed;
        std::memset(map, 0, sizeof map);
    }
    void TearDown() override { GFX_FireSeed = saved_seed_; }

    uint8_t map[84 * 64];
    uint8_t at(int r, int c) const { return map[r * 64 + c]; }

private:
    uint32_t saved_seed_ = 0;
};

// A reproducible texture of every byte value.
std::vector<uint8_t> RandomTexture(uint32_t seed)
{
    std::vector<uint8_t> t(kTexture);
    for (uint8_t &v : t) {
        seed = seed * 1103515245u + 12345u;
        v = uint8_t(seed >> 16);
    }
    return t;
}

std::vector<uint8_t> Planes() { return {GFX_FlowPlanes, GFX_FlowPlanes + 2 * GFX_FLOW_PLANE}; }

TEST_F(ProcTexTest, FireSeedRowFromTheInitialSeed)
{
    GFX_UpdateFireTexture(map, 0);
    const uint8_t first[8] = {0xAC, 0xA6, 0x25, 0x01, 0xA8, 0x22, 0x0B, 0x02};
    EXPECT_TRUE(std::equal(first, first + 8, map + 83 * 64));
    EXPECT_EQ(GFX_FireSeed, 0x66C8CB5Cu);
    // Every seed byte went through the 0xAF mask.
    EXPECT_TRUE(std::all_of(map + 83 * 64, map + 84 * 64, [](uint8_t v) { return (v & 0x50) == 0; }));
}

TEST_F(ProcTexTest, FireHeatRisesAndHalvesFromAColdMap)
{
    GFX_UpdateFireTexture(map, 0);
    int below = 0;
    for (int c = 1; c <= 62; c++) {
        below = std::max<int>(below, at(82, c));
    }
    EXPECT_LE(below, 0x57);
    EXPECT_GT(below, 0);
    for (int r = 81; r >= 1; r--) {
        int largest = 0;
        for (int c = 1; c <= 62; c++) {
            largest = std::max<int>(largest, at(r, c));
        }
        EXPECT_LE(largest, below / 2) << "row " << r;
        below = largest;
    }
}

TEST_F(ProcTexTest, FireNeverWritesRowZeroNorTheEdgeColumns)
{
    // Whatever the inputs, row 0 and columns 0 and 63 of rows 0..82 stay as they were.
    for (uint32_t i = 0; i < 1000; i++) {
        GFX_UpdateFireTexture(map, i * 0x9E3779B9u);
    }
    for (int c = 0; c < 64; c++) {
        EXPECT_EQ(at(0, c), 0) << c;
    }
    for (int r = 0; r <= 82; r++) {
        EXPECT_EQ(at(r, 0), 0) << r;
        EXPECT_EQ(at(r, 63), 0) << r;
    }
    EXPECT_NE(at(40, 20), 0);
}

TEST_F(ProcTexTest, FireIsTheSameFromTheSameSeedAndInputs)
{
    uint8_t first[84 * 64];
    for (uint32_t i = 0; i < 50; i++) {
        GFX_UpdateFireTexture(map, i * 77);
    }
    std::memcpy(first, map, sizeof map);
    const uint32_t first_seed = GFX_FireSeed;
    std::memset(map, 0, sizeof map);
    GFX_FireSeed = kInitialSeed;
    for (uint32_t i = 0; i < 50; i++) {
        GFX_UpdateFireTexture(map, i * 77);
    }
    EXPECT_EQ(std::memcmp(first, map, sizeof map), 0);
    EXPECT_EQ(GFX_FireSeed, first_seed);
    // Another input gives another fire.
    GFX_UpdateFireTexture(map, 1);
    GFX_FireSeed = first_seed;
    uint8_t other[84 * 64];
    std::memcpy(other, first, sizeof first);
    GFX_UpdateFireTexture(other, 2);
    EXPECT_NE(std::memcmp(other, map, sizeof map), 0);
}

TEST(ProcTexFlow, RowsOfOneValueBelow128StayThemselves)
{
    for (uint8_t v : {0, 1, 64, 127}) {
        std::vector<uint8_t> texture(kTexture, v);
        GFX_InitFlowTexture(texture.data());
        for (int i = 0; i < 37; i++) {
            GFX_StepFlowTexture(texture.data());
        }
        EXPECT_EQ(texture, std::vector<uint8_t>(kTexture, v)) << int(v);
    }
    // One value per row: B moves up a row, so each output row is its value averaged with the next row's.
    std::vector<uint8_t> texture(kTexture);
    for (int r = 0; r < 256; r++) {
        std::fill_n(texture.begin() + r * 256, 256, uint8_t(r / 2));
    }
    GFX_InitFlowTexture(texture.data());
    GFX_StepFlowTexture(texture.data());
    for (int r = 0; r < 256; r++) {
        const int b = ((r + 1) % 256) / 2;
        EXPECT_EQ(texture[size_t(r * 256 + 7)], (r / 2 + b) >> 1) << r;
    }
}

TEST(ProcTexFlow, PlanesComeBackAfter256Steps)
{
    std::vector<uint8_t> texture = RandomTexture(7);
    GFX_InitFlowTexture(texture.data());
    const std::vector<uint8_t> start = Planes();
    std::vector<uint8_t> out(kTexture);
    for (int i = 0; i < 256; i++) {
        GFX_StepFlowTexture(out.data());
        if (i == 0) {
            EXPECT_NE(std::vector<uint8_t>(GFX_FlowPlanes, GFX_FlowPlanes + GFX_FLOW_PLANE),
                      std::vector<uint8_t>(start.begin(), start.begin() + GFX_FLOW_PLANE));
        }
    }
    EXPECT_EQ(Planes(), start);
}

TEST(ProcTexFlow, TheThreeStepFormsGiveTheSameOutput)
{
    using Step = void (*)(uint8_t *);
    const std::vector<uint8_t> texture = RandomTexture(42);
    std::vector<std::vector<uint8_t>> outputs[3];
    const Step steps[3] = {GFX_StepFlowTexture, GFX_StepFlowTexture2, GFX_StepFlowTexture3};
    for (int form = 0; form < 3; form++) {
        GFX_InitFlowTexture(texture.data());
        std::vector<uint8_t> out(kTexture);
        for (int i = 0; i < 10; i++) {
            steps[form](out.data());
            outputs[form].push_back(out);
        }
    }
    EXPECT_EQ(outputs[1], outputs[0]);
    EXPECT_EQ(outputs[2], outputs[0]);
}

// One word of A against one word of B: the texture's first word after a step, with the other bytes
// of the row zero. A's row 0 moves left a byte, so A's word is taken from bytes 1..4 of the texture,
// and B's row 0 is the texture's row 1.
TEST(ProcTexFlow, TheAverageCarriesBetweenBytesOfAWord)
{
    struct Case {
        uint32_t a, b, out;
    };
    const Case cases[] = {
        {0x00000010, 0x00000030, 0x00000020}, // a plain average
        {0x000000FF, 0x00000001, 0x00000000}, // 0xFF + 0x01: the carry is byte 1's low bit, masked away
        {0x00000080, 0x00000080, 0x00000000}, // 0x80 + 0x80 the same
        {0x00000180, 0x00000080, 0x00000100}, // byte 0's carry makes byte 1's 0x01 + 0x00 a 0x02
        {0x0000FF01, 0x00000101, 0x00000001}, // byte 1's carry lost into byte 2's masked bit
        {0x80000000, 0x80000000, 0x00000000}, // the top byte's carry leaves the word
    };
    for (const Case &k : cases) {
        std::vector<uint8_t> texture(kTexture, 0);
        std::memcpy(&texture[1], &k.a, 4);
        std::memcpy(&texture[256], &k.b, 4);
        GFX_InitFlowTexture(texture.data());
        GFX_StepFlowTexture(texture.data());
        uint32_t out;
        std::memcpy(&out, &texture[0], 4);
        EXPECT_EQ(out, k.out) << std::hex << k.a << " + " << k.b;
    }
}

TEST(ProcTexFlow, ScrollAndRotateMoveOneStepWithWrap)
{
    std::vector<uint8_t> texture = RandomTexture(3);
    GFX_InitFlowTexture(texture.data());
    GFX_ScrollFlowPlane();
    GFX_RotateFlowPlane();
    const uint8_t *a = GFX_FlowPlanes;
    const uint8_t *b = GFX_FlowPlanes + GFX_FLOW_PLANE;
    int wrong = 0;
    for (int r = 0; r < 256; r++) {
        for (int c = 0; c < 256; c++) {
            wrong += a[r * 256 + c] != texture[size_t(r * 256 + (c + 1) % 256)];
            wrong += b[r * 256 + c] != texture[size_t((r + 1) % 256 * 256 + c)];
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(ProcTexScroll, MovesUpTwoRowsAndComesBackAfter128)
{
    const std::vector<uint8_t> start = RandomTexture(11);
    std::vector<uint8_t> texture = start;
    GFX_ScrollTexture(texture.data());
    int wrong = 0;
    for (int r = 0; r < 256; r++) {
        wrong += std::memcmp(&texture[size_t(r * 256)], &start[size_t((r + 2) % 256 * 256)], 256) != 0;
    }
    EXPECT_EQ(wrong, 0);
    for (int i = 1; i < 128; i++) {
        GFX_ScrollTexture(texture.data());
    }
    EXPECT_EQ(texture, start);
}

TEST(ProcTexGolden, FireAndFlow)
{
    const uint32_t saved = GFX_FireSeed;
    const Picture fire = FirePicture(64);
    GFX_FireSeed = saved;
    EXPECT_TRUE(MatchesGolden("fire-64", fire.pixels.data(), fire.width, fire.height, false));
    const Picture flow = FlowPicture(100);
    EXPECT_TRUE(MatchesGolden("flow-100", flow.pixels.data(), flow.width, flow.height, false));
}

} // namespace
} // namespace kalder_test
