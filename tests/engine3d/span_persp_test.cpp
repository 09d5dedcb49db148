// The perspective-correct spans: the first sample, the segments and the final stretch, the two kinds of
// addressing, the byte and 16-bit texel types, the 50% types and accuracy against an exact division.
#include <algorithm>
#include <cmath>
#include <vector>

#include <random>
#include "tests/engine3d/span_fixture.h"

namespace kalder_test {
namespace {

constexpr float kTexel = 65536.0f;

struct UV {
    int32_t u, v; // whole texels, as read back from the map
    bool operator==(const UV &) const = default;
};

class SpanPerspTest : public SpanTest {
protected:
    // Draws the span twice, over a map whose texels are their column and one whose texels are their
    // row, and gives back the map position each pixel read.
    // The 50% types read back over a black line: the texels then hold the position mod 16 in bits 1-4,
    // which both blend masks keep.
    std::vector<UV> Read(int32_t type, int32_t start, int32_t count)
    {
        const bool halved = type == -4 || type == -7;
        std::vector<UV> out(static_cast<size_t>(count));
        for (int pass = 0; pass < 2; pass++) {
            for (uint32_t i = 0; i < 65536; i++) {
                const uint32_t at = pass == 0 ? i & 0xFF : i >> 8;
                texels()[i] = uint8_t(halved ? (at & 15) << 1 : at);
            }
            std::fill(std::begin(line), std::end(line), 0);
            Draw(type, start, count);
            for (int32_t k = 0; k < count; k++) {
                (pass == 0 ? out[size_t(k)].u : out[size_t(k)].v) = line[start + k] & 0xFF;
            }
        }
        return out;
    }
};

// What an exact division gives for the pixel at column x: the plane's values at x + 1.
int32_t ExactWhole(double at, double step, double w, double dw, double d)
{
    return int32_t(std::floor(std::nearbyint((at + d * step) / (w + d * dw)) / 65536.0));
}

TEST_F(SpanPerspTest, ShortSpansDivideAtEachPixel)
{
    // The edge at column 10.25; the first pixel, at 12, is sampled 2.75 columns on.
    const float w = 2.0f, dw = 0.5f;
    Plane(10.25f, w, dw, 100.0f, 0, 3.5f, 0);
    SetF(SURF_U_X, 8 * kTexel);
    SetF(SURF_U_16, 128 * kTexel);
    const double u_at = 100.0 * 65536 * 2;
    const std::vector<UV> one = Read(3, 12, 1);
    EXPECT_EQ(one[0].u, ExactWhole(u_at, 8 * 65536, w, dw, 2.75));
    EXPECT_EQ(one[0].u, 65);
    const std::vector<UV> two = Read(3, 12, 2);
    EXPECT_EQ(two[0].u, 65);
    EXPECT_EQ(two[1].u, ExactWhole(u_at, 8 * 65536, w, dw, 3.75));
    EXPECT_EQ(two[1].u, 59);
}

TEST_F(SpanPerspTest, SegmentsAndTheFinalStretch)
{
    // 1/z constant, u = 10.5 texels at the first pixel and one texel per column: a segment of 16 steps
    // by the exact 1 texel, a stretch of r pixels by (r - 1) / r texel, so its last pixel lands short.
    struct Case {
        int32_t count;
        std::vector<std::pair<int32_t, int32_t>> pixels; // pixel, column read
    } cases[] = {
        {16, {{0, 10}, {1, 11}, {8, 18}, {14, 23}, {15, 24}}},
        {17, {{0, 10}, {15, 25}, {16, 26}}},
        {32, {{0, 10}, {15, 25}, {16, 26}, {17, 27}, {31, 40}}},
        {33, {{0, 10}, {16, 26}, {31, 41}, {32, 42}}},
    };
    for (const Case &c : cases) {
        Plane(21.0f, 1.0f, 0, 10.5f, 1.0f, 3.5f, 0);
        const std::vector<UV> got = Read(3, 20, c.count);
        for (auto [k, column] : c.pixels) {
            EXPECT_EQ(got[size_t(k)], (UV{column, 3})) << "count " << c.count << " pixel " << k;
        }
    }
}

TEST_F(SpanPerspTest, WrappedAddressingStaysInTheRowCarryAddressingMovesOn)
{
    // 17 pixels: one exact segment of one texel per column, and its exact end.
    Plane(31.0f, 1.0f, 0, 245.5f, 1.0f, 3.5f, 0);
    const std::vector<UV> carry = Read(3, 30, 17);
    const std::vector<UV> wrap = Read(9, 30, 17);
    for (int32_t k = 0; k < 17; k++) {
        const int32_t u = 245 + k;
        EXPECT_EQ(carry[size_t(k)], (UV{u & 255, u > 255 ? 4 : 3})) << k;
        EXPECT_EQ(wrap[size_t(k)], (UV{u & 255, 3})) << k;
    }
    // v past 255: carry addressing leaves the map at its end and comes back at row 0, as wrapping does.
    Plane(31.0f, 1.0f, 0, 5.5f, 0.0f, 250.5f, 1.0f);
    for (int32_t type : {3, 9}) {
        const std::vector<UV> got = Read(type, 30, 17);
        for (int32_t k = 0; k < 17; k++) {
            EXPECT_EQ(got[size_t(k)], (UV{5, (250 + k) & 255})) << "type " << type << " pixel " << k;
        }
    }
}

TEST_F(SpanPerspTest, ByteAndSixteenBitTexels)
{
    Plane(41.0f, 1.0f, 0, 7.5f, 1.0f, 2.5f, 0);
    for (uint32_t i = 0; i < 65536; i++) {
        texels()[i] = uint8_t(i * 3);
    }
    // 17 pixels: an exact segment of one texel per column and its exact end.
    std::fill(std::begin(line), std::end(line), 0xEEEE);
    Draw(12, 40, 17);
    const uint8_t *bytes = reinterpret_cast<const uint8_t *>(line);
    for (int32_t b = 78; b < 100; b++) {
        const bool inside = b >= 80 && b < 97;
        EXPECT_EQ(bytes[b], inside ? uint8_t((2 * 256 + 7 + b - 80) * 3) : 0xEE) << b;
    }
    // 16-bit texels, unshaded: texel (v, u) is the word at 2 (v x 256 + u); past row 127 the index
    // comes back to the start of the map.
    for (uint32_t i = 0; i < 32768; i++) {
        const uint16_t t = uint16_t(i * 5 + 1);
        std::memcpy(texels() + 2 * i, &t, 2);
    }
    Draw(29, 40, 17);
    for (int32_t k = 0; k < 17; k++) {
        EXPECT_EQ(line[40 + k], uint16_t((2 * 256 + 7 + k) * 5 + 1)) << k;
    }
    Plane(41.0f, 1.0f, 0, 7.5f, 1.0f, 130.5f, 0);
    Draw(29, 40, 3);
    EXPECT_EQ(line[40], uint16_t((2 * 256 + 7) * 5 + 1));
}

TEST_F(SpanPerspTest, BlendTypesStartInWholeColumnsAndHalveByPairs)
{
    struct Case {
        int32_t start;
        int32_t first; // column read by the first pixel
    } cases[] = {
        {14, 32}, // 4 whole columns from the edge at 10.73: 20.3 + 4 x 3
        {15, 35},
        {8, 20},  // left of the edge: the edge's own values
    };
    for (int32_t type : {-4, -7}) {
        for (const Case &c : cases) {
            Plane(10.0f + 3000.0f / 4096, 1.0f, 0, 20.3f, 3.0f, 1.5f, 0);
            const std::vector<UV> got = Read(type, c.start, 17);
            EXPECT_EQ(got[0], (UV{c.first & 15, 1})) << "type " << type << " start " << c.start;
            EXPECT_EQ(got[4], (UV{(c.first + 12) & 15, 1})) << "type " << type << " start " << c.start;
        }
    }
    // Over a white line each pixel is the masked mean: 0xF7DE on the higher pixel of a pair.
    Plane(0.0f, 1.0f, 0, 0.5f, 1.0f, 0.5f, 0);
    std::fill(texels(), texels() + 65536, 0x81);
    Set8(SURF_SHADE, 31);
    for (int32_t type : {-4, -7}) {
        for (int32_t start : {0, 1}) {
            std::fill(std::begin(line), std::end(line), 0xFFFF);
            Draw(type, start, 4);
            for (int32_t k = 0; k < 4; k++) {
                const int32_t x = start + k;
                const uint32_t colour = 31u << 11 | 0x81;
                const uint32_t mask = (x % 2 == 1 && k > 0) ? 0xF7DE : 0xF7DF;
                EXPECT_EQ(line[x], ((colour & mask) + (0xFFFF & mask)) >> 1) << "type " << type << " x " << x;
            }
        }
    }
}

TEST_F(SpanPerspTest, LevelTypesTakeTheirShadingRow)
{
    Plane(3.0f, 1.25f, 0.01f, 30.5f, 0.75f, 9.5f, 0.25f);
    for (uint32_t i = 0; i < 65536; i++) {
        texels()[i] = uint8_t(i ^ (i >> 8) * 11);
    }
    Set8(SURF_SHADE, 12);
    Draw(3, 2, 40);
    const std::vector<uint16_t> type3(line + 2, line + 42);
    Draw(20, 2, 40);
    EXPECT_EQ(std::vector<uint16_t>(line + 2, line + 42), type3);

    struct Case {
        int32_t shade;
        uint32_t row;
    } cases[] = {{0x50000, 5}, {0x5FFFF, 5}, {0x7FFFFFFF, 31}, {int32_t(0x80000000), 0}, {-1, 0}};
    Set32(SURF_LEVEL_SHADE + 8, 0x10000); // the shade step of the span is not applied
    for (const Case &c : cases) {
        Set32(SURF_LEVEL_SHADE, c.shade);
        Draw(26, 2, 40);
        for (int32_t k = 0; k < 40; k++) {
            ASSERT_EQ(line[2 + k], uint16_t(c.row << 11 | (type3[size_t(k)] & 0xFF))) << c.shade << " " << k;
        }
    }
}

TEST_F(SpanPerspTest, RandomPlanesStayWithinATexelOfTheExactDivision)
{
    std::mt19937 random(1234);
    auto uniform = [&random](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
    for (int32_t type : {3, 9}) {
        for (int trial = 0; trial < 200; trial++) {
            const int32_t start = int32_t(uniform(0, 100));
            const int32_t count = 1 + int32_t(uniform(0, 150));
            const double edge_x = start - uniform(0, 20);
            // Depth and texels at the span's two ends, u and v within the map; 1/z and u/z are linear.
            // Planes as scenes make them: 1/z changing slowly, and less than a texel per column, since the
            // last pixel of a stretch lands a step short of its exact value.
            const double z0 = uniform(1, 3), z1 = z0 * (1 + uniform(-0.004, 0.004) * count);
            const double u0 = uniform(1, 254), v0 = uniform(1, 254);
            const double u1 = std::clamp(u0 + uniform(-0.9, 0.9) * count, 1.0, 254.0);
            const double v1 = std::clamp(v0 + uniform(-0.9, 0.9) * count, 1.0, 254.0);
            const double x0 = start + 1 - edge_x, x1 = start + count - edge_x;
            const double span = std::max(1.0, x1 - x0);
            const double dw = (1 / z1 - 1 / z0) / span, du = (u1 * 65536 / z1 - u0 * 65536 / z0) / span,
                         dv = (v1 * 65536 / z1 - v0 * 65536 / z0) / span;
            const float w = float(1 / z0 - x0 * dw), ua = float(u0 * 65536 / z0 - x0 * du),
                        va = float(v0 * 65536 / z0 - x0 * dv);
            Set32(SURF_X, int32_t(edge_x * 4096));
            SetF(SURF_DEPTH, w);
            SetF(SURF_DEPTH_X, float(dw));
            SetF(SURF_DEPTH_16, float(dw * 16));
            SetF(SURF_U, ua);
            SetF(SURF_V, va);
            SetF(SURF_U_X, float(du));
            SetF(SURF_V_X, float(dv));
            SetF(SURF_U_16, float(du * 16));
            SetF(SURF_V_16, float(dv * 16));
            Set8(SURF_SHADE, 0);
            const std::vector<UV> got = Read(type, start, count);
            const double ex = double(int32_t(edge_x * 4096)) / 4096;
            for (int32_t k = 0; k < count; k++) {
                const double d = start + 1 + k - ex;
                const double q = w + d * double(float(dw));
                const double u = (ua + d * double(float(du))) / q / 65536, v = (va + d * double(float(dv))) / q / 65536;
                ASSERT_LE(std::abs(got[size_t(k)].u - std::floor(u)), 1) << "type " << type << " trial " << trial << " k " << k;
                ASSERT_LE(std::abs(got[size_t(k)].v - std::floor(v)), 1) << "type " << type << " trial " << trial << " k " << k;
            }
        }
    }
}

// Planes that divide by zero or by a tiny 1/z, and coordinates far from the map, with the texture at
// the very end of the work area: no read leaves the map.
TEST_F(SpanPerspTest, WildPlanesReadOnlyInsideTheMap)
{
    const uint32_t start = Work_Size - kTextureBytes;
    FillRowTable(Work_Area + start);
    Set32(SURF_TEXTURE, int32_t(start + kShadeTableBytes));
    const float planes[][3] = {{0.0f, 0.0f, 0.0f}, {1e-30f, 1e-3f, -1e-30f}, {1.0f, 3e9f, 1e-3f},
                               {NAN, 1.0f, 1.0f}, {-1.0f, -3e9f, INFINITY}};
    for (const auto &p : planes) {
        Set32(SURF_X, 0);
        SetF(SURF_DEPTH, p[0]);
        SetF(SURF_DEPTH_X, p[2]);
        SetF(SURF_DEPTH_16, p[2] * 16);
        SetF(SURF_U, p[1]);
        SetF(SURF_V, -p[1]);
        SetF(SURF_U_X, p[1] / 7);
        SetF(SURF_V_X, p[1] / 3);
        SetF(SURF_U_16, p[1] / 7 * 16);
        SetF(SURF_V_16, p[1] / 3 * 16);
        Set32(SURF_LEVEL_SHADE, 0x7FFFFFFF);
        for (int32_t type : {3, 9, 12, 20, 26, 29, -4, -7}) {
            for (int32_t count : {1, 2, 9, 16, 17, 250}) {
                Draw(type, 3, count);
            }
        }
    }
}

} // namespace
} // namespace kalder_test
