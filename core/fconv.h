// Float-to-integer conversions of the geometry, with the processor's answers for every input.
#pragma once
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Truncates toward zero, as the processor's truncating conversion does: NaN and results outside the
// int32 range give 0x80000000 instead of undefined behaviour.
// On x86-64 that conversion is one instruction, without the range test's branches; the plain form stands
// for it elsewhere.
inline int32_t trunc_i32(double x)
{
#if defined(__SSE2__)
    return _mm_cvttsd_si32(_mm_set_sd(x));
#else
    if (!(x > -2147483649.0 && x < 2147483648.0)) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(x);
#endif
}

inline int32_t trunc_i32(float x)
{
#if defined(__SSE2__)
    return _mm_cvttss_si32(_mm_set_ss(x));
#else
    return trunc_i32(static_cast<double>(x));
#endif
}

// Truncates toward zero and holds results outside the int32 range at its ends, so that a huge value
// still compares on its own side; NaN gives 0 (callers that must tell it apart test it first).
inline int32_t trunc_sat_i32(double x)
{
    if (x != x) {
        return 0;
    }
    if (x >= 2147483647.0) {
        return INT32_MAX;
    }
    if (x <= -2147483648.0) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(x);
}

// Rounds to nearest, ties to even, by the magic-constant trick: adding 1.5 x 2^52 leaves the rounded
// integer in the low bits of the double. Out of range the low 32 bits are taken as they fall, which is
// what the original's conversion gave; it is defined for every input.
inline int32_t round_i32(double x)
{
    double y = x + 6755399441055744.0;
    uint64_t bits;
    std::memcpy(&bits, &y, sizeof bits);
    return static_cast<int32_t>(static_cast<uint32_t>(bits));
}

inline int32_t round_i32(float x) { return round_i32(static_cast<double>(x)); }
