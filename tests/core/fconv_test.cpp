// The two float-to-integer conversions, at the edges where the processor's answers differ from a cast.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/fconv.h"

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

TEST(Fconv, TruncatesTowardZeroWithTheProcessorsOutOfRangeValue)
{
    struct Case {
        double in;
        int32_t out;
    };
    const Case cases[] = {
        {0.0, 0},
        {-0.0, 0},
        {0.5, 0},
        {-0.5, 0},
        {1.5, 1},
        {-1.5, -1},
        {2147483647.9, 2147483647},
        {2147483648.0, INT32_MIN},
        {-2147483648.9, INT32_MIN},
        {-2147483649.0, INT32_MIN},
        {NaN, INT32_MIN},
        {Inf, INT32_MIN},
        {-Inf, INT32_MIN},
        {1e300, INT32_MIN},
        {-1e300, INT32_MIN},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(trunc_i32(c.in), c.out) << c.in;
    }
    // The float overloads convert on their own: a float just below 2^31 is still in range, 2^31 is not.
    struct FloatCase {
        float in;
        int32_t out;
    };
    const FloatCase float_cases[] = {
        {2147483520.0f, 2147483520},
        {2147483648.0f, INT32_MIN},
        {-2147483648.0f, INT32_MIN},
        {-2147483904.0f, INT32_MIN},
        {-7.9f, -7},
        {-0.99f, 0},
        {std::numeric_limits<float>::quiet_NaN(), INT32_MIN},
        {std::numeric_limits<float>::infinity(), INT32_MIN},
        {-std::numeric_limits<float>::infinity(), INT32_MIN},
    };
    for (const FloatCase &c : float_cases) {
        EXPECT_EQ(trunc_i32(c.in), c.out) << c.in;
    }
}

TEST(Fconv, RoundsHalfToEvenAndKeepsTheLowBitsOutOfRange)
{
    struct Case {
        double in;
        int32_t out;
    };
    const Case cases[] = {
        {0.5, 0},
        {1.5, 2},
        {2.5, 2},
        {-2.5, -2},
        {-0.5, 0},
        {-1.5, -2},
        {0.49999999, 0},
        {-3.7, -4},
        {2147483647.0, 2147483647},
        {-2147483648.0, INT32_MIN},
        {2147483648.0, INT32_MIN},
        {4294967301.0, 5}, // the low 32 bits, as the original's trick gave
        {NaN, 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(round_i32(c.in), c.out) << c.in;
    }
    EXPECT_EQ(round_i32(3.5f), 4);
    EXPECT_EQ(round_i32(-4.5f), -4);
}

} // namespace
