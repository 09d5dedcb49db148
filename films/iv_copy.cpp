// The hi-colour decoder's run copies: blocks of the band's height in eight orientations, and their tables.
#include <array>
#include <cstring>
#include <utility>

#include "films/iv.h"

namespace {

// Moves one group of Cols columns by H rows: every source pixel is read before any is written, so that a
// run reading the output frame sees what earlier groups wrote, never what this group writes.
template <int32_t H, int32_t Kc, int32_t Kr, int32_t Cols>
inline void MoveGroup(const uint8_t *from, uint8_t *to)
{
    uint8_t block[H][Cols];
    for (int32_t r = 0; r < H; r++) {
        for (int32_t c = 0; c < Cols; c++) {
            block[r][c] = from[c * Kc + r * Kr];
        }
    }
    for (int32_t r = 0; r < H; r++) {
        std::memcpy(to + r * IV_WIDTH, block[r], Cols);
    }
}

constexpr int32_t Lo(int32_t k, int32_t count) { return k < 0 ? k * (count - 1) : 0; }
constexpr int32_t Hi(int32_t k, int32_t count) { return k > 0 ? k * (count - 1) : 0; }

// One run copy of a family in a band kind; Tail = n mod 4 for the lengths sharing the handler.
template <int32_t H, bool Window, int32_t Family, int32_t Tail>
HNM_IVStep RunCopy(HNM_IVCursor &s)
{
    // Bit 7 swaps the roles of column and row, bit 6 negates the row term, bit 5 the column term.
    constexpr bool transposed = (Family & 4) != 0;
    constexpr int32_t sr = (Family & 2) ? -1 : 1;
    constexpr int32_t sc = (Family & 1) ? -1 : 1;
    constexpr int32_t Kc = transposed ? sc * IV_WIDTH : sc;
    constexpr int32_t Kr = transposed ? sr : sr * IV_WIDTH;
    constexpr int64_t op_bytes = Window ? 2 : 3;
    if (s.end - s.stream < op_bytes) {
        return IV_STOP;
    }
    const uint8_t *op = s.stream;
    const int32_t n = HNM_IVRunLengths[H - 2][op[0] & 31];
    const int64_t anchor = Window ? s.position + s.window[op[1]] : s.position + (op[1] | op[2] << 8) + s.bias;
    if (!HNM_IVInside(s.position, s.position + (H - 1) * IV_WIDTH + n - 1) ||
        !HNM_IVInside(anchor + Lo(Kc, n) + Lo(Kr, H), anchor + Hi(Kc, n) + Hi(Kr, H))) {
        return IV_STOP;
    }
    const uint8_t *from = s.source + anchor;
    uint8_t *to = s.output + s.position;
    const int32_t groups = n / 4;
    for (int32_t g = 0; g < groups; g++) {
        MoveGroup<H, Kc, Kr, 4>(from + g * 4 * Kc, to + g * 4);
    }
    if constexpr (Tail != 0) {
        MoveGroup<H, Kc, Kr, Tail>(from + groups * 4 * Kc, to + groups * 4);
    }
    s.stream += op_bytes;
    s.position += n;
    return IV_NEXT_OP;
}

template <int32_t H, bool Window, size_t Code>
constexpr HNM_IVOpHandler Pick()
{
    constexpr int32_t family = int32_t(Code >> 5), code = int32_t(Code & 31);
    if constexpr (code == 0 && family == 1) {
        return HNM_IVCopySame;
    } else if constexpr (code == 0 && family == 3) {
        return HNM_IVLiteralColumn;
    } else if constexpr (code == 0 && family == 5) {
        return HNM_IVLiteralRun;
    } else if constexpr (code == 0 && family == 7) {
        return HNM_IVFillOrEnd;
    } else {
        return RunCopy<H, Window, family, HNM_IVRunLength(code, H) % 4>;
    }
}

template <int32_t H, bool Window, size_t... Codes>
constexpr std::array<HNM_IVOpHandler, 256> MakeTable(std::index_sequence<Codes...>)
{
    return {Pick<H, Window, Codes>()...};
}

constexpr std::array<HNM_IVOpHandler, 256> kTables[6] = {
    MakeTable<2, false>(std::make_index_sequence<256>()), MakeTable<3, false>(std::make_index_sequence<256>()),
    MakeTable<4, false>(std::make_index_sequence<256>()), MakeTable<2, true>(std::make_index_sequence<256>()),
    MakeTable<3, true>(std::make_index_sequence<256>()),  MakeTable<4, true>(std::make_index_sequence<256>()),
};

} // namespace

const HNM_IVOpHandler *HNM_IVHandlerTable(int32_t height, bool window)
{
    return kTables[(window ? 3 : 0) + height - 2].data();
}
