// The colour-keyed spans: texel 0 leaves the pixel, every other texel is drawn shaded, by groups of
// four and alone at the ends; the perspective one against the plain perspective span.
#include <algorithm>
#include <vector>

#include "tests/engine3d/span_fixture.h"

namespace kalder_test {
namespace {

constexpr int32_t kRow = 6;

// What the line under the keyed pattern holds before a span: a value no texel of row 6 gives.
uint16_t Before(int32_t x) { return uint16_t(0x0700 + x); }

class SpanKeyTest : public SpanTest {
protected:
    SpanKeyTest()
    {
        Set8(SURF_SHADE, kRow);
        Fill();
    }

    void Fill()
    {
        for (int32_t x = 0; x < 320; x++) {
            line[x] = Before(x);
        }
    }

    void Surface(int32_t u, int32_t v, int32_t du, int32_t dv, int32_t edge_column = 0)
    {
        Set32(SURF_X, edge_column * 4096);
        Set32(SURF_U, u);
        Set32(SURF_V, v);
        Set32(SURF_U_X, du);
        Set32(SURF_V_X, dv);
    }

    // Texel values along row 0 of the map from column 0.
    void Row0(const std::vector<uint8_t> &values) { std::copy(values.begin(), values.end(), texels()); }

    // Checks the line after a keyed span over [start, start + count) whose pixel k read the texel at
    // `texel_at(k)`: opaque texels drawn through row 6, transparent ones and the rest of the line left.
    template <class At> void Expect(int32_t start, int32_t count, At texel_at)
    {
        for (int32_t x = 0; x < 320; x++) {
            uint16_t expected = Before(x);
            if (x >= start && x < start + count) {
                const uint8_t t = texels()[texel_at(x - start)];
                if (t != 0) {
                    expected = uint16_t(kRow << 11 | t);
                }
            }
            ASSERT_EQ(line[x], expected) << "start " << start << " count " << count << " column " << x;
        }
    }
};

TEST_F(SpanKeyTest, AllTransparentTexelsLeaveTheLine)
{
    std::fill(texels(), texels() + 65536, 0);
    Surface(0x123456, 0x234567, 0x18000, 0x3000);
    for (int32_t count : {1, 7, 16, 33, 200}) {
        Draw(-5, 11, count);
        Draw(-5, 40, count);
        Expect(0, 0, [](int32_t) { return 0; });
    }
}

TEST_F(SpanKeyTest, AlternatingTexelsWriteEverySecondPixelInBothPhases)
{
    std::vector<uint8_t> values(64);
    for (size_t i = 0; i < values.size(); i++) {
        values[i] = i % 2 == 0 ? 0 : uint8_t(100 + i);
    }
    Row0(values);
    for (int32_t phase : {0, 1}) { // masks 10 (0, x, 0, x), then masks 5 (x, 0, x, 0)
        Fill();
        Surface(phase << 16, 0, 0x10000, 0, 8);
        Draw(-5, 8, 16);
        Expect(8, 16, [phase](int32_t k) { return uint32_t(k + phase); });
        for (int32_t k = 0; k < 16; k++) {
            ASSERT_EQ(line[8 + k] != Before(8 + k), (k + phase) % 2 == 1) << "phase " << phase << " k " << k;
        }
    }
}

TEST_F(SpanKeyTest, EachGroupMaskWritesItsListedPixels)
{
    // The pixels each mask writes, by group position.
    const std::vector<int32_t> written[16] = {{0, 1, 2, 3}, {0, 1, 2}, {0, 1, 3}, {0, 1}, {0, 2, 3}, {0, 2},
                                              {0, 3},       {0},       {1, 2, 3}, {1, 2}, {1, 3},    {1},
                                              {2, 3},       {2},       {3},       {}};
    for (int32_t mask = 0; mask < 16; mask++) {
        // Group 0 carries the mask; groups 1 to 3 are fully opaque and fully transparent in turn.
        std::vector<uint8_t> values(16, 0);
        for (int32_t i = 0; i < 4; i++) {
            values[size_t(i)] = (mask >> (3 - i)) & 1 ? 0 : uint8_t(200 + i);
            values[size_t(4 + i)] = uint8_t(50 + i);
            values[size_t(12 + i)] = uint8_t(60 + i);
        }
        Row0(values);
        Fill();
        Surface(0, 0, 0x10000, 0, 20);
        Draw(-5, 20, 16);
        std::vector<int32_t> drawn;
        for (int32_t i = 0; i < 4; i++) {
            if (line[20 + i] != Before(20 + i)) {
                drawn.push_back(i);
            }
        }
        EXPECT_EQ(drawn, written[mask]) << "mask " << mask;
        Expect(20, 16, [](int32_t k) { return uint32_t(k); });
    }
}

TEST_F(SpanKeyTest, AnOddFirstPixelGoesAloneBeforeTheGroups)
{
    // Pixel 0 at column 11 (an odd address) alone, then one group of 16 from column 12, then one more.
    std::vector<uint8_t> values(18);
    for (size_t i = 1; i < values.size(); i++) {
        values[i] = i % 3 == 0 ? 0 : uint8_t(i);
    }
    Surface(0, 0, 0x10000, 0, 11);
    for (uint8_t first : {0, 77}) { // skipped, then drawn
        values[0] = first;
        Row0(values);
        Fill();
        Draw(-5, 11, 18);
        Expect(11, 18, [](int32_t k) { return uint32_t(k); });
        EXPECT_EQ(line[11] != Before(11), first != 0);
    }
}

TEST_F(SpanKeyTest, LengthsAndStartsFollowTheTexelsOfTheirSteps)
{
    // Steps whose low fraction byte is 0: the odd first pixel, the groups and the last pixels read the
    // same texels as an exact walk.
    FillHashTexels(texels());
    struct Case {
        int32_t u, v, du, dv;
        const char *what;
    } cases[] = {
        {0x100000, 0x200000, 0x8000, 0x0100, "slow steps: runs of two"},
        {0x3F0000, 0x100000, 0x10000, 0x10000, "diagonal"},
        {0x900000, 0x800000, -0x13000, -0x04000, "negative steps"},
        {0xF80000, 0x200000, 0x1200, 0x100, "u past 255 runs into the next row"},
    };
    for (const Case &c : cases) {
        Surface(c.u, c.v, c.du, c.dv, 3);
        for (int32_t start : {10, 11}) {
            for (int32_t count : {1, 2, 15, 16, 17, 31, 32, 33, 100}) {
                Fill();
                Draw(-5, start, count);
                const uint32_t u = uint32_t(c.u) + uint32_t(start - 3) * uint32_t(c.du);
                const uint32_t v = uint32_t(c.v) + uint32_t(start - 3) * uint32_t(c.dv);
                SCOPED_TRACE(c.what);
                Expect(start, count, [&](int32_t k) { return AffineTexel(u, v, k, c.du, c.dv); });
            }
        }
    }
}

TEST_F(SpanKeyTest, TheLastPixelsStepWithEightBitFractions)
{
    FillHashTexels(texels());
    // u's low byte and its step's low byte add up to a carry that 8-bit fractions never see.
    const int32_t u = 0x1000FF, du = 0xFF80, v = 0x50000;
    Surface(u, v, du, 0);
    auto eight_bit = [&](int32_t from, int32_t k) {
        const uint32_t at = uint32_t(u) + uint32_t(from) * uint32_t(du);
        const uint32_t u8 = uint32_t(int32_t(at) >> 8) + uint32_t(k) * uint32_t(du >> 8);
        return (5u * 256 + (u8 >> 8)) & 0xFFFF;
    };
    bool differs = false;
    for (int32_t k = 0; k < 15; k++) {
        differs = differs || eight_bit(0, k) != AffineTexel(uint32_t(u), uint32_t(v), k, du, 0);
    }
    ASSERT_TRUE(differs) << "the case must tell 8-bit from 16-bit fractions";
    Draw(-5, 0, 15);
    Expect(0, 15, [&](int32_t k) { return eight_bit(0, k); });
    // 20 pixels: one group of 16 at exact steps, then four from where it ended.
    Fill();
    Draw(-5, 0, 20);
    Expect(0, 20, [&](int32_t k) { return k < 16 ? AffineTexel(uint32_t(u), uint32_t(v), k, du, 0) : eight_bit(16, k - 16); });
}

TEST_F(SpanKeyTest, OpaquePixelsTakeTheShadeLevelsRow)
{
    Row0({0, 9, 0, 10, 11, 12, 0, 0});
    Surface(0, 0, 0x10000, 0, 4);
    for (uint8_t row : {0, 13, 31}) {
        Set8(SURF_SHADE, row);
        Fill();
        Draw(-5, 4, 8);
        EXPECT_EQ(line[4], Before(4));
        EXPECT_EQ(line[5], uint16_t(row << 11 | 9));
        EXPECT_EQ(line[9], uint16_t(row << 11 | 12));
        EXPECT_EQ(line[10], Before(10));
    }
}

TEST_F(SpanEdgeOfAreaTest, KeyedSpansReadInsideTheMap)
{
    FarAffine();
    const uint8_t *map = Work_Area + Work_Size - 65536;
    Draw(-5, 0, 300);
    for (int32_t k = 0; k < 300; k++) {
        // Row 0 gives the texel itself; a hole leaves the line's 0.
        ASSERT_EQ(line[k], map[AffineTexel(kFarU, kFarV, k, kFarDu, kFarDv)]) << k;
    }
    // Perspective: a plane whose u and v run far off the map.
    const float w = 0.001f;
    SetF(SURF_DEPTH, w);
    SetF(SURF_DEPTH_X, 0.0f);
    SetF(SURF_DEPTH_16, 0.0f);
    SetF(SURF_U, 3.0e4f * 65536 * w);
    SetF(SURF_V, -2.0e4f * 65536 * w);
    SetF(SURF_U_X, 900.0f * 65536 * w);
    SetF(SURF_V_X, 700.0f * 65536 * w);
    SetF(SURF_U_16, 16 * 900.0f * 65536 * w);
    SetF(SURF_V_16, 16 * 700.0f * 65536 * w);
    Draw(-6, 0, 300);
}

// ---- Perspective ----------------------------------------------------------------------------------

using SpanKeyPerspTest = SpanKeyTest;

TEST_F(SpanKeyPerspTest, OpaquePixelsMatchThePerspectiveSpanAndHolesLeaveThePixel)
{
    // About half of the texels are holes, in runs of every length.
    for (uint32_t i = 0; i < 65536; i++) {
        const uint32_t h = (i * 2654435761u) >> 24;
        texels()[i] = h < 128 ? 0 : uint8_t(h);
    }
    Set8(SURF_SHADE, 0); // row 0 of the row table: a pixel is its texel, so 0 tells a hole
    struct Case {
        float edge_x, w, dw, u, du, v, dv;
    } cases[] = {
        {10.25f, 0.01f, 0.0001f, 20, 0.3f, 40, 0.05f},
        {3.5f, 0.002f, -0.00001f, 200, -1.7f, 10, 0.9f},
        {0.0f, 0.05f, 0.0f, 0, 1.0f, 128, 0},
    };
    for (const Case &c : cases) {
        Plane(c.edge_x, c.w, c.dw, c.u, c.du, c.v, c.dv);
        for (int32_t start : {12, 13}) {
            for (int32_t count : {1, 2, 16, 17, 32, 33, 90}) {
                std::fill(std::begin(line), std::end(line), 0);
                Draw(3, start, count);
                const std::vector<uint16_t> plain(std::begin(line), std::end(line));
                Fill();
                Draw(-6, start, count);
                for (int32_t x = 0; x < 320; x++) {
                    const bool inside = x >= start && x < start + count;
                    const uint16_t expected = inside && plain[size_t(x)] != 0 ? plain[size_t(x)] : Before(x);
                    ASSERT_EQ(line[x], expected) << "start " << start << " count " << count << " column " << x;
                }
            }
        }
    }
}

} // namespace
} // namespace kalder_test
