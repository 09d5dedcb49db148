// Fixed-point maths: the angle tables, and the vector, matrix and quaternion routines against
// independent references, at the edges where 32-bit arithmetic, shifts or divisions go wrong.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>

#include "engine3d/maths.h"
#include "plat/system.h"
#include "plat/test.h"

namespace {

struct MathsTest : ::testing::Test {
    void SetUp() override
    {
        test::Reset();
        Build_Trig_Tables();
    }
};

// Independent references: plain 64-bit sums of products, floor-shifted.
void ref_mat_mul(const int32_t *a, const int32_t *b, int32_t *out)
{
    for (int i = 0; i < 3; i++) {
        for (int j = 0; j < 3; j++) {
            int64_t sum = 0;
            for (int k = 0; k < 3; k++) {
                sum += int64_t(a[i * 3 + k]) * b[k * 3 + j];
            }
            out[i * 3 + j] = int32_t(sum >> 15);
        }
    }
}

void expect_near(const int32_t *a, const int32_t *b, int n, int32_t tolerance, const char *what)
{
    for (int i = 0; i < n; i++) {
        EXPECT_LE(std::abs(int64_t(a[i]) - b[i]), tolerance) << what << " element " << i << ": " << a[i] << " vs " << b[i];
    }
}

void expect_same(const int32_t *a, const int32_t *b, int n, const char *what) { expect_near(a, b, n, 0, what); }

TEST_F(MathsTest, TableEntries)
{
    EXPECT_EQ(Acos_Table[0], 2048);
    EXPECT_EQ(Acos_Table[2048], 1024);
    EXPECT_EQ(Acos_Table[4095], 20);
    const struct {
        int i;
        int32_t cos;
    } cosines[] = {{0, 32768}, {512, 23170}, {1024, 0}, {2048, -32768}, {3072, 0}};
    for (const auto &c : cosines) {
        EXPECT_EQ(Cos_Table[c.i], c.cos) << c.i;
    }
    EXPECT_EQ(Sin_Table[1024], 32768);
    EXPECT_EQ(Sin_Table[2048], 0);
    EXPECT_EQ(Sin_Table[3072], -32768);
}

// The tables must not depend on the C library: every entry recomputed in long double truncates to
// the same value, and none but the exact ones lies close enough to an integer for a libm to tip it.
TEST_F(MathsTest, TablesAgreeWithLongDoubleAndStayClearOfIntegerBoundaries)
{
    const long double pi = 3.141592653589793238462643383279502884L;
    for (int i = 0; i < 4096; i++) {
        const long double values[3] = {
            cosl(i * 2.0L * pi / 4096.0L) * 32768.0L,
            sinl(i * 2.0L * pi / 4096.0L) * 32768.0L,
            acosl((i - 2048) / 2048.0L) / pi * 2048.0L,
        };
        const int32_t tables[3] = {Cos_Table[i], Sin_Table[i], Acos_Table[i]};
        const bool exact[3] = {i % 1024 == 0, i % 1024 == 0, i == 0 || i == 2048};
        for (int t = 0; t < 3; t++) {
            long double v = values[t];
            if (exact[t]) {
                long double nearest = roundl(v);
                ASSERT_NEAR(double(v), double(nearest), 1e-9) << t << " " << i;
                ASSERT_EQ(tables[t], int32_t(nearest)) << t << " " << i;
                continue;
            }
            ASSERT_EQ(tables[t], int32_t(truncl(v))) << t << " " << i;
            ASSERT_GT(fabsl(v - roundl(v)), 1e-6L) << t << " " << i;
        }
    }
    // And the three tables as they stand, pinned.
    uint64_t hash = 1469598103934665603ull;
    for (const int32_t *table : {Cos_Table, Sin_Table, Acos_Table}) {
        for (int i = 0; i < 4096; i++) {
            uint32_t v = uint32_t(table[i]);
            for (int b = 0; b < 4; b++) {
                hash = (hash ^ ((v >> (8 * b)) & 0xFF)) * 1099511628211ull;
            }
        }
    }
    EXPECT_EQ(hash, 0x2b024b11369f1a05ull);
}

TEST_F(MathsTest, AnglesOutOfRange)
{
    struct Case {
        int32_t angle, same_as;
    };
    const Case cases[] = {{-1024, 3072}, {-1, 4095}, {4096, 0}, {-4096, 0}, {5000, 904}, {-5000, 3192}, {INT32_MIN, 0}};
    for (const Case &c : cases) {
        EXPECT_EQ(Get_Sin(c.angle), Sin_Table[c.same_as]) << c.angle;
        EXPECT_EQ(Get_Cos(c.angle), Cos_Table[c.same_as]) << c.angle;
    }
    EXPECT_EQ(Get_Sin(-1024), Get_Sin(3072));
    EXPECT_EQ(Get_Cos(-1024), Get_Cos(1024));
    EXPECT_EQ(Get_Acos(-7), Acos_Table[0]);
    EXPECT_EQ(Get_Acos(4096), Acos_Table[4095]);
    EXPECT_EQ(Get_Acos(100), Acos_Table[100]);
}

TEST_F(MathsTest, RotationMatrices)
{
    int32_t m[9], identity[9];
    Mat_Identity(identity);
    Mat_Rotate(0, 0, 0, m);
    expect_same(m, identity, 9, "rotate 0");
    Mat_Rotate(1024, 0, 0, m);
    EXPECT_EQ(m[3], 0);
    EXPECT_EQ(m[4], 0);
    EXPECT_EQ(m[5], -0x8000);

    // Angles wrap: a turn more or less is the same matrix, so negative angles work.
    std::mt19937 rng(9);
    for (int n = 0; n < 200; n++) {
        int32_t a = int32_t(rng() % 4096), b = int32_t(rng() % 4096), c = int32_t(rng() % 4096);
        int32_t m1[9], m2[9], m3[9];
        Mat_Rotate(a, b, c, m1);
        Mat_Rotate(a + 4096, b - 4096, c + 8192, m2);
        Mat_Rotate(a - 4096, b, c, m3);
        expect_same(m1, m2, 9, "rotate + turns");
        expect_same(m1, m3, 9, "rotate - turn");

        // The reference: Ry(b) Rx(a) Rz(c) from the formula's own products.
        int64_t sa = Sin_Table[a], ca = Cos_Table[a], sb = Sin_Table[b], cb = Cos_Table[b];
        int64_t sc = Sin_Table[c], cc = Cos_Table[c];
        const int32_t ref[9] = {
            int32_t((cc * cb + ((sc * sa) >> 15) * sb) >> 15),
            int32_t((((cc * sa) >> 15) * sb - sc * cb) >> 15),
            int32_t((sb * ca) >> 15),
            int32_t((sc * ca) >> 15),
            int32_t((cc * ca) >> 15),
            int32_t(-sa),
            int32_t((((sc * cb) >> 15) * sa - cc * sb) >> 15),
            int32_t((((cc * cb) >> 15) * sa + sc * sb) >> 15),
            int32_t((cb * ca) >> 15),
        };
        expect_same(m1, ref, 9, "rotate reference");

        // And it is a rotation: the product of the three elementary ones, within rounding.
        int32_t rx[9], ry[9], rz[9], t[9], full[9];
        Mat_Rotate(a, 0, 0, rx);
        Mat_Rotate(0, b, 0, ry);
        Mat_Rotate(0, 0, c, rz);
        Mat_Mul(ry, rx, t);
        Mat_Mul(t, rz, full);
        expect_near(m1, full, 9, 3, "rotate = Ry Rx Rz");

        // The same turn about an axis.
        int32_t x_axis[3] = {0x8000, 0, 0}, z_axis[3] = {0, 0, 0x8000}, axis[9];
        Mat_Axis_Angle(x_axis, a, axis);
        expect_near(axis, rx, 9, 1, "axis x");
        Mat_Axis_Angle(z_axis, c - 4096, axis);
        expect_near(axis, rz, 9, 1, "axis z, negative angle");
    }
}

TEST_F(MathsTest, ProductsAgreeWithA64BitReferenceFarFromTheOrigin)
{
    std::mt19937 rng(1997);
    auto fixed = [&] { return int32_t(rng() % 65537) - 32768; };
    auto position = [&] { return int32_t(rng() % 20000001) - 10000000; };
    for (int n = 0; n < 500; n++) {
        int32_t a[9], b[9], out[9], ref[9];
        for (int i = 0; i < 9; i++) {
            a[i] = fixed();
            b[i] = fixed();
        }
        Mat_Mul(a, b, out);
        ref_mat_mul(a, b, ref);
        expect_same(out, ref, 9, "Mat_Mul");
        Mat_Mul(a, b, a); // the output may be an input
        expect_same(a, ref, 9, "Mat_Mul in place");

        int32_t v[3] = {position(), position(), position()}, r[3];
        Mat_Vec_Mul(b, v, r);
        for (int i = 0; i < 3; i++) {
            int64_t sum = int64_t(b[i * 3]) * v[0] + int64_t(b[i * 3 + 1]) * v[1] + int64_t(b[i * 3 + 2]) * v[2];
            EXPECT_EQ(r[i], int32_t(sum >> 15)) << "Mat_Vec_Mul " << n;
        }

        int32_t q[4] = {fixed(), fixed(), fixed(), fixed()}, qm[9];
        Quat_To_Matrix(q, qm);
        int64_t x = q[0], y = q[1], z = q[2], w = q[3];
        const int32_t qref[9] = {
            int32_t(32768 - ((2 * (y * y + z * z)) >> 15)), int32_t((2 * (x * y - z * w)) >> 15), int32_t((2 * (x * z + y * w)) >> 15),
            int32_t((2 * (x * y + z * w)) >> 15), int32_t(32768 - ((2 * (x * x + z * z)) >> 15)), int32_t((2 * (y * z - x * w)) >> 15),
            int32_t((2 * (x * z - y * w)) >> 15), int32_t((2 * (y * z + x * w)) >> 15), int32_t(32768 - ((2 * (x * x + y * y)) >> 15)),
        };
        expect_same(qm, qref, 9, "Quat_To_Matrix");
    }

    // Where 32-bit products overflowed: a position of 100,000 through the identity comes out whole.
    int32_t identity[9], v[3] = {100000, -10000000, 65536}, r[3];
    Mat_Identity(identity);
    Mat_Vec_Mul(identity, v, r);
    expect_same(r, v, 3, "identity far out");

    // The shift rounds toward minus infinity, not toward zero.
    const int32_t half[9] = {0x4000, 0, 0, 0, 0x4000, 0, 0, 0, 0x4000};
    const int32_t odd[3] = {-3, 3, -1}, halved[3] = {-2, 1, -1};
    Mat_Vec_Mul(half, odd, r);
    expect_same(r, halved, 3, "halved");
}

TEST_F(MathsTest, VectorRoutines)
{
    struct Case {
        int32_t in[3], unit[3], length;
    };
    const Case cases[] = {
        {{3, 0, 4}, {19660, 0, 26214}, 5},
        {{-3, 0, -4}, {-19660, 0, -26214}, 5},       // truncated toward zero
        {{100000, 0, 0}, {32768, 0, 0}, 100000},     // shifted left by 15 this would overflow
        {{0, 0, 0}, {0, 0, 0}, 0},
        {{0, -1, 0}, {0, -32768, 0}, 1},
        {{INT32_MIN, INT32_MIN, INT32_MIN}, {-18918, -18918, -18918}, INT32_MIN}, // length above 2^31
    };
    for (const Case &c : cases) {
        int32_t out[3] = {7, 7, 7};
        Vec_Normalise(c.in, out);
        expect_same(out, c.unit, 3, "Vec_Normalise");
        EXPECT_EQ(Vec_Length(c.in), c.length) << c.in[0];
    }

    const int32_t a[3] = {1, -2, 3}, b[3] = {-4, 5, 6};
    int32_t r[3];
    Vec_Cross(a, b, r);
    const int32_t cross[3] = {-27, -18, -3};
    expect_same(r, cross, 3, "cross");
    EXPECT_EQ(Vec_Dot(a, b), 4);
    // 32-bit results, wrapped as the game's were.
    const int32_t big[3] = {65536, 65536, 0};
    EXPECT_EQ(Vec_Dot(big, big), 0);
    const int32_t p[3] = {46341, 0, 0};
    EXPECT_EQ(Vec_Dot(p, p), int32_t(uint32_t(46341u * 46341u)));

    Vec_Add(a, b, r);
    const int32_t sum[3] = {-3, 3, 9};
    expect_same(r, sum, 3, "add");
    Vec_Sub(a, b, r);
    const int32_t diff[3] = {5, -7, -3};
    expect_same(r, diff, 3, "sub");
    const int32_t extreme[3] = {INT32_MIN, INT32_MAX, 0};
    Vec_Neg(extreme, r);
    const int32_t negated[3] = {INT32_MIN, -INT32_MAX, 0};
    expect_same(r, negated, 3, "neg wraps");

    const int32_t from[3] = {0, -100, 1000000}, to[3] = {255, 100, -1000000};
    const struct {
        int32_t t;
        int32_t out[3];
    } lerps[] = {{0, {0, -100, 1000000}}, {256, {255, 100, -1000000}}, {128, {127, 0, 0}}, {1, {0, -100, 992187}}};
    for (const auto &l : lerps) {
        Vec_Lerp(from, to, l.t, r);
        expect_same(r, l.out, 3, "lerp");
    }
}

void expect_unit_columns(const int32_t *m, const char *what)
{
    for (int c = 0; c < 3; c++) {
        double len = std::sqrt(double(m[c]) * m[c] + double(m[3 + c]) * m[3 + c] + double(m[6 + c]) * m[6 + c]);
        EXPECT_NEAR(len, 32768.0, 2.0) << what << " column " << c;
    }
}

TEST_F(MathsTest, FramesFromADirection)
{
    // Vertical directions: no horizontal to divide by, so the frame built around x is taken.
    for (int32_t sign : {1, -1}) {
        const int32_t d[3] = {0, sign * 32768, 0};
        int32_t m[9];
        Mat_From_Dir(d, 0, m);
        expect_unit_columns(m, "vertical");
        EXPECT_EQ(m[2], d[0]);
        EXPECT_EQ(m[5], d[1]);
        EXPECT_EQ(m[8], d[2]);
    }
    // Along x the x frame has nothing to divide by either, and takes the first construction.
    const int32_t along_x[3] = {-32768, 0, 0};
    int32_t m[9];
    Mat_From_Dir_X(along_x, 0, m);
    expect_unit_columns(m, "along x");
    EXPECT_EQ(m[2], -32768);
    EXPECT_EQ(m[3], 0);

    int32_t d[3] = {12000, -9000, 20000};
    Vec_Normalise(d, d);
    Mat_From_Dir(d, 0, m);
    expect_unit_columns(m, "general");
    EXPECT_EQ(m[3], 0); // the first column is horizontal
    EXPECT_EQ(m[2], d[0]);
    EXPECT_EQ(m[5], d[1]);
    EXPECT_EQ(m[8], d[2]);
    int32_t x_frame[9];
    Mat_From_Dir_X(d, 0, x_frame);
    expect_unit_columns(x_frame, "x frame");
    EXPECT_EQ(x_frame[1], 0); // the second column has no x component
    EXPECT_EQ(x_frame[8], d[2]);

    // A quarter turn about the direction: the direction stays, the first column becomes minus the second.
    int32_t turned[9];
    Mat_From_Dir(d, 1024, turned);
    EXPECT_EQ(turned[2], d[0]);
    EXPECT_EQ(turned[5], d[1]);
    EXPECT_EQ(turned[8], d[2]);
    EXPECT_NEAR(turned[0], -m[1], 1);
    EXPECT_NEAR(turned[3], -m[4], 1);
    EXPECT_NEAR(turned[6], -m[7], 1);

    // The safe form: far up takes the x frame, far down keeps the first.
    const int32_t up[3] = {0, 30000, 13180}, down[3] = {0, -30000, 13180};
    Mat_From_Dir_Safe(up, 0, m);
    Mat_From_Dir_X(up, 0, x_frame);
    expect_same(m, x_frame, 9, "safe up");
    int32_t y_frame[9];
    Mat_From_Dir_Safe(down, 0, m);
    Mat_From_Dir(down, 0, y_frame);
    expect_same(m, y_frame, 9, "safe down");
}

TEST_F(MathsTest, QuaternionsAndMatricesRoundTrip)
{
    const int32_t quats[][4] = {
        {0, 0, 0, 32768},          {32768, 0, 0, 0},        {0, 32768, 0, 0},         {0, 0, 32768, 0},
        {16384, 16384, 16384, 16384}, {-16384, 16384, -16384, 16384}, {23170, 0, 0, 23170}, {0, -23170, 0, 23170},
        {5000, -12000, 28000, 9000}, {-30000, 8000, 6000, -9000}, {100, 200, -300, -32766},
    };
    for (const auto &q : quats) {
        int32_t unit[4], m[9], back[4];
        double len = std::sqrt(double(q[0]) * q[0] + double(q[1]) * q[1] + double(q[2]) * q[2] + double(q[3]) * q[3]);
        for (int i = 0; i < 4; i++) {
            unit[i] = int32_t(q[i] * 32768.0 / len);
        }
        Quat_To_Matrix(unit, m);
        Mat_To_Quat(m, back);
        int sign = (int64_t(back[0]) * unit[0] + int64_t(back[1]) * unit[1] + int64_t(back[2]) * unit[2] +
                    int64_t(back[3]) * unit[3]) < 0 ? -1 : 1;
        for (int i = 0; i < 4; i++) {
            EXPECT_NEAR(back[i] * sign, unit[i], 2) << q[0] << "," << q[1] << "," << q[2] << "," << q[3] << " [" << i << "]";
        }
    }
}

TEST_F(MathsTest, SphericalInterpolation)
{
    int32_t q0[4] = {0, 0, 0, 32768}, q1[4] = {0, 23170, 0, 23170}, out[4];
    Quat_Slerp(q0, q1, 0, out);
    expect_same(out, q0, 4, "t = 0");
    Quat_Slerp(q0, q1, 256, out);
    expect_same(out, q1, 4, "t = 256");
    Quat_Slerp(q0, q1, 128, out); // half of a quarter turn about y: sin and cos of pi / 8, rounded
    const int32_t half[4] = {0, 12540, 0, 30273};
    expect_same(out, half, 4, "t = 128");
    int32_t clamped[4];
    Quat_Slerp(q0, q1, -5, clamped);
    Quat_Slerp(q0, q1, 0, out);
    expect_same(clamped, out, 4, "t = -5");
    Quat_Slerp(q0, q1, 300, clamped);
    Quat_Slerp(q0, q1, 256, out);
    expect_same(clamped, out, 4, "t = 300");

    // Equal: the quaternion itself at every weight.
    const int32_t q[4] = {10000, -20000, 5000, 23425}; // unit length
    for (int32_t t : {0, 77, 128, 256}) {
        Quat_Slerp(q, q, t, out);
        expect_same(out, q, 4, "equal");
    }
    // No shortest path: q1 = -q0 is the far end of a whole turn, through the perpendicular quaternion
    // halfway.
    const int32_t neg[4] = {-10000, 20000, -5000, -23425};
    Quat_Slerp(q, neg, 0, out);
    expect_same(out, q, 4, "opposite t = 0");
    Quat_Slerp(q, neg, -5, clamped);
    expect_same(clamped, out, 4, "opposite t = -5");
    const int32_t perpendicular[4] = {20000, 10000, -23425, 5000};
    Quat_Slerp(q, neg, 128, out);
    expect_same(out, perpendicular, 4, "opposite t = 128");
    Quat_Slerp(q, neg, 256, out);
    expect_same(out, neg, 4, "opposite t = 256");
    for (int32_t t : {1, 64, 127, 129, 200, 255}) {
        Quat_Slerp(q, neg, t, out);
        double len = std::sqrt(double(out[0]) * out[0] + double(out[1]) * out[1] + double(out[2]) * out[2] + double(out[3]) * out[3]);
        EXPECT_NEAR(len, 32768.0, 2.0) << t;
    }
}

// A unit quaternion turned by an angle about one axis, rounded to whole units.
void turned(const double *base, int axis, double degrees, int32_t *out)
{
    const double half = degrees * M_PI / 360.0;
    double r[4] = {0, 0, 0, std::cos(half)};
    r[axis] = std::sin(half);
    const double x = base[0], y = base[1], z = base[2], w = base[3];
    const double p[4] = {w * r[0] + x * r[3] + y * r[2] - z * r[1], w * r[1] - x * r[2] + y * r[3] + z * r[0],
                         w * r[2] + x * r[1] - y * r[0] + z * r[3], w * r[3] - x * r[0] - y * r[1] - z * r[2]};
    for (int i = 0; i < 4; i++) {
        out[i] = int32_t(std::lround(p[i] * 32768.0));
    }
}

// At every weight the slerp stays on the arc between its keys, within a unit of rounding of the arc in
// double precision, and as long as the arc. Weights taken from an angle table in steps of 1/4096 turn land
// tens to hundreds of units off the arc, and truncated part angles shorten the quaternion by up to 4%
// between near keys.
TEST_F(MathsTest, SlerpStaysOnTheArcAtEveryWeight)
{
    const double base[4] = {0.3, -0.2, 0.1, std::sqrt(1.0 - 0.09 - 0.04 - 0.01)};
    struct Case {
        int axis;
        double degrees;
    };
    const Case cases[] = {
        {1, 2.0},   {2, 5.0},   {0, 8.0}, {1, 20.0}, {2, 53.0}, {0, 90.0}, {1, 150.0},
        {2, 250.0}, // the far key's w has the other sign: the long way round
        {0, 355.0}, // nearly opposite keys, still on an arc
    };
    int32_t q0[4];
    for (int i = 0; i < 4; i++) {
        q0[i] = int32_t(std::lround(base[i] * 32768.0));
    }
    for (const Case &c : cases) {
        int32_t q1[4];
        turned(base, c.axis, c.degrees, q1);
        double d = 0, l0 = 0, l1 = 0;
        for (int i = 0; i < 4; i++) {
            d += double(q0[i]) * q1[i];
            l0 += double(q0[i]) * q0[i];
            l1 += double(q1[i]) * q1[i];
        }
        const double theta = std::acos(d / std::sqrt(l0 * l1));
        double worst_component = 0, worst_length = 0;
        for (int32_t t = 0; t <= 256; t++) {
            int32_t out[4];
            Quat_Slerp(q0, q1, t, out);
            const double u = t / 256.0;
            double length = 0, arc_length = 0;
            for (int i = 0; i < 4; i++) {
                double arc = (std::sin((1.0 - u) * theta) * q0[i] + std::sin(u * theta) * q1[i]) / std::sin(theta);
                worst_component = std::max(worst_component, std::fabs(out[i] - arc));
                length += double(out[i]) * out[i];
                arc_length += arc * arc;
            }
            worst_length = std::max(worst_length, std::fabs(std::sqrt(length) - std::sqrt(arc_length)));
        }
        EXPECT_LE(worst_component, 1.0) << c.degrees << " degrees about axis " << c.axis;
        EXPECT_LE(worst_length, 1.0) << c.degrees << " degrees about axis " << c.axis;
    }
}

TEST_F(MathsTest, AnglesFromAMatrixTurnBackIntoIt)
{
    const int32_t angles[][3] = {
        {0, 0, 0}, {100, 200, 300}, {1000, 3000, 2000}, {3500, 512, 4000}, {-300, 700, -1200},
        {1024, 0, 300}, {1024, 500, 300}, {3072, 1000, 0}, {2048, 100, 100}, {1020, 50, 60},
    };
    for (const auto &a : angles) {
        int32_t m[9], back[9], ra, rb, rc;
        Mat_Rotate(a[0], a[1], a[2], m);
        Mat_To_Angles(m, &ra, &rb, &rc);
        Mat_Rotate(ra, rb, rc, back);
        expect_near(back, m, 9, 200, "round trip");
        if (a[0] == 1024) {
            EXPECT_EQ(ra, 1024);
            EXPECT_EQ(rb, 0);
        }
    }
}

TEST_F(MathsTest, CopiesTransposeAndConsoleDumps)
{
    const int32_t m[9] = {1, 2, 3, 4, 5, 6, 7, 8, -9};
    int32_t t[9], c[9];
    Mat_Transpose(m, t);
    const int32_t transposed[9] = {1, 4, 7, 2, 5, 8, 3, 6, -9};
    expect_same(t, transposed, 9, "transpose");
    Mat_Copy(c, m);
    Mat_Transpose(c, c);
    expect_same(c, transposed, 9, "transpose in place");
    int32_t q[4];
    Quat_Copy(q, m);
    expect_same(q, m, 4, "quat copy");

    const int32_t v[3] = {1, -2, 2147483647};
    Print_Vec(v);
    EXPECT_EQ(test::Stdout(), "1\n-2\n2147483647\n");
    test::Reset();
    Print_Mat(m);
    EXPECT_EQ(test::Stdout(), "1 2 3\n4 5 6\n7 8 -9\n");
}

} // namespace
