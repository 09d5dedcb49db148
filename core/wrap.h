// 32-bit integer arithmetic that wraps as the processor's does. Values read from data files (level
// records, projects, effect positions) can be anything, and the game's own arithmetic on them is
// 32-bit: these give the same results without the undefined behaviour of a signed overflow.
#pragma once
#include <cstdint>

inline int32_t Wrap_Add(int32_t a, int32_t b) { return int32_t(uint32_t(a) + uint32_t(b)); }
inline int32_t Wrap_Sub(int32_t a, int32_t b) { return int32_t(uint32_t(a) - uint32_t(b)); }
inline int32_t Wrap_Mul(int32_t a, int32_t b) { return int32_t(uint32_t(a) * uint32_t(b)); }
