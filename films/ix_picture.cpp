// IX pictures: the tile walk, the bit trees of inter and intra pictures, the motion tables and block copies.
#include <cstring>

#include "films/ix.h"

int32_t HNM_IXSpiral[4096];
int32_t HNM_IXWindow1[4096];
int32_t HNM_IXWindow2[4096];
int32_t HNM_IXColumnWrap[2048];

void HNM_IXBuildMotionTables()
{
    // The spiral is filled from its last entry backwards, ring by ring from the outside in: each ring
    // starts at its bottom-right corner and walks left, up, right and down back to it.
    int32_t x = 32, y = 32, index = 4095;
    for (int side = 63; side >= 1; side -= 2) {
        static const int32_t kStep[4][2] = {{-1, 0}, {0, -1}, {1, 0}, {0, 1}};
        HNM_IXSpiral[index--] = y * IX_PITCH + x;
        for (int d = 0; d < 4; d++) {
            for (int s = 0; s < side; s++) {
                x += kStep[d][0];
                y += kStep[d][1];
                if (d < 3 || s < side - 1) {
                    HNM_IXSpiral[index--] = y * IX_PITCH + x;
                }
            }
        }
        x--;
        y--;
    }
    for (int32_t wy = 31; wy >= -32; wy--) {
        for (int32_t wx = 31; wx >= -32; wx--) {
            HNM_IXWindow1[(31 - wy) * 64 + (31 - wx)] = wy * IX_PITCH + wx;
        }
    }
    for (int32_t wy = 6; wy >= -25; wy--) {
        for (int32_t wx = 63; wx >= -64; wx--) {
            HNM_IXWindow2[(6 - wy) * 128 + (63 - wx)] = wy * IX_PITCH + wx;
        }
    }
    // A block vector's column wraps within the row: column tile x + 128 - dx, brought into 0..639 once.
    for (int32_t i = -1024; i < 1024; i++) {
        int32_t column = i + 128;
        if (column < 0) {
            column += IX_WIDTH;
        } else if (column >= IX_WIDTH) {
            column -= IX_WIDTH;
        }
        HNM_IXColumnWrap[i + 1024] = column;
    }
}

// ---- Block copies ---------------------------------------------------------------------------------

// Copies a w x h block in one of eight orientations. The whole source block is read before any pixel is
// written, so a copy within one frame whose source overlaps its destination has one defined result.
template <int W, int H, int O> static void copy_block(uint16_t *to, const uint16_t *from)
{
    uint16_t pixels[H * W];
    for (int r = 0; r < H; r++) {
        for (int c = 0; c < W; c++) {
            int sr, sc;
            switch (O) {
            case 0: sr = r, sc = c; break;
            case 1: sr = r, sc = W - 1 - c; break;
            case 2: sr = H - 1 - r, sc = c; break;
            case 3: sr = H - 1 - r, sc = W - 1 - c; break;
            case 4: sr = W - 1 - c, sc = H - 1 - r; break;
            case 5: sr = W - 1 - c, sc = r; break;
            case 6: sr = c, sc = H - 1 - r; break;
            default: sr = c, sc = r; break;
            }
            pixels[r * W + c] = from[sr * IX_PITCH + sc];
        }
    }
    for (int r = 0; r < H; r++) {
        std::memcpy(to + r * IX_PITCH, pixels + r * W, W * sizeof(uint16_t));
    }
}

using CopyRoutine = void (*)(uint16_t *, const uint16_t *);

template <int W, int H> struct CopyGroup {
    static constexpr CopyRoutine routines[8] = {copy_block<W, H, 0>, copy_block<W, H, 1>, copy_block<W, H, 2>,
                                                copy_block<W, H, 3>, copy_block<W, H, 4>, copy_block<W, H, 5>,
                                                copy_block<W, H, 6>, copy_block<W, H, 7>};
};

enum BlockSize { kTile, kHalfColumn, kHalfRow, kQuarter, kEighthColumn, kEighthRow, kSixteenth };
static constexpr int kWidth[7] = {8, 4, 8, 4, 2, 4, 2};
static constexpr int kHeight[7] = {8, 8, 4, 4, 4, 2, 2};

// The 56 copy routines, size-major: 8x8, 4x8, 8x4, 4x4, 2x4, 4x2, 2x2, each in orientations 0..7.
static CopyRoutine s_copy[56];

static void fill_copy_table()
{
    const CopyRoutine *groups[7] = {CopyGroup<8, 8>::routines, CopyGroup<4, 8>::routines,
                                    CopyGroup<8, 4>::routines, CopyGroup<4, 4>::routines,
                                    CopyGroup<2, 4>::routines, CopyGroup<4, 2>::routines,
                                    CopyGroup<2, 2>::routines};
    for (int s = 0; s < 7; s++) {
        for (int o = 0; o < 8; o++) {
            s_copy[s * 8 + o] = groups[s][o];
        }
    }
}

// ---- The tile trees -------------------------------------------------------------------------------

static int32_t s_tile_x;
static int32_t s_tile_y;
static int32_t s_tile;  // pixel offset of the tile's top-left corner
static bool s_inter;

// The destination block takes the reference's pixels at its own place.
static void unchanged(int size, int32_t to)
{
    s_copy[size * 8](HNM_IX.output + to, HNM_IX.reference + to);
}

// A copy whose source block, oriented, does not lie wholly in the frame is done as unchanged.
static void copy(int size, int orientation, int32_t to, const uint16_t *frame, int32_t from)
{
    const bool turned = orientation >= 4;
    const int32_t width = turned ? kHeight[size] : kWidth[size];
    const int32_t height = turned ? kWidth[size] : kHeight[size];
    const int32_t last = from + (height - 1) * IX_PITCH + width - 1;
    if (from < 0 || last >= IX_PIXELS) {
        unchanged(size, to);
        return;
    }
    s_copy[size * 8 + orientation](HNM_IX.output + to, frame + from);
}

static void spiral_copy(int size, int32_t to)
{
    copy(size, 0, to, HNM_IX.reference, to + HNM_IXSpiral[HNM_IXReadSpiral() & 0xFFF]);
}

// A block vector is measured from the tile's corner; base is the row offset of copies within the
// picture (0 for whole tiles, 4 for halves and quarters), copies from the reference take 64. In intra
// pictures bit 15 is the orientation's low bit instead of the source frame.
static void vector_copy(int size, int orientation, int32_t to, int32_t base)
{
    const uint32_t w = HNM_IXReadVector();
    const int32_t dy = int32_t(w & 0x7F);
    const int32_t dx = int32_t((w >> 7) & 0xFF);
    bool within = true;
    if (s_inter) {
        within = (w & 0x8000) != 0;
    } else {
        orientation |= int32_t(w >> 15);
    }
    const int32_t row = s_tile_y + (within ? base : 64) - dy;
    const int32_t from = row * IX_PITCH + HNM_IXColumnWrap[s_tile_x - dx + 1024];
    copy(size, orientation, to, within ? HNM_IX.output : HNM_IX.reference, from);
}

static void window_copy(int size, int32_t to)
{
    const uint32_t w = HNM_IXReadVector();
    const int orientation = int((w >> 12) & 7);
    if (s_inter && (w & 0x8000) == 0) {
        copy(size, orientation, to, HNM_IX.reference, s_tile + HNM_IXWindow1[w & 0xFFF]);
    } else {
        copy(size, orientation, to, HNM_IX.output, s_tile + HNM_IXWindow2[w & 0xFFF]);
    }
}

static void coded_tile()
{
    uint16_t *to = HNM_IX.output + s_tile;
    HNM_IXDecodeTile(to, IX_PITCH);
    if (HNM_IX.second != nullptr) {
        for (int r = 0; r < 8; r++) {
            std::memcpy(HNM_IX.second + s_tile + r * IX_PITCH, to + r * IX_PITCH, 8 * sizeof(uint16_t));
        }
    }
}

static int32_t quarter_at(int q) { return s_tile + (q >> 1) * 4 * IX_PITCH + (q & 1) * 4; }
static int32_t eighth_at(int size, int32_t quarter, int s)
{
    return quarter + (size == kEighthRow ? s * 2 * IX_PITCH : s * 2);
}
static int32_t sixteenth_at(int32_t quarter, int k) { return quarter + (k >> 1) * 2 * IX_PITCH + (k & 1) * 2; }

// The two 2 x 2 blocks of an eighth: side by side in a 4 x 2 eighth, one above the other in a 2 x 4.
static int32_t eighth_part(int size, int32_t eighth, int s)
{
    return eighth + (size == kEighthRow ? s * 2 : s * 2 * IX_PITCH);
}

// The quarters inside a half, in ascending order: 0, 1 / 2, 3 of the 8 x 4 halves, 0, 2 / 1, 3 of the 4 x 8.
static int quarter_of_half(int size, int half, int n)
{
    return size == kHalfRow ? half * 2 + n : half + n * 2;
}

static void inter_sixteenth(int32_t to)
{
    if (HNM_IXReadBit() == 0) {
        spiral_copy(kSixteenth, to);
    } else if (HNM_IXReadBit() == 0) {
        window_copy(kSixteenth, to);
    } else {
        unchanged(kSixteenth, to);
    }
}

static void inter_eighth(int size, int32_t to)
{
    if (HNM_IXReadBit() == 0) {
        spiral_copy(size, to);
    } else if (HNM_IXReadBit() == 0) {
        window_copy(size, to);
    } else if (HNM_IXReadBit() == 0) {
        unchanged(size, to);
    } else {
        inter_sixteenth(eighth_part(size, to, 0));
        inter_sixteenth(eighth_part(size, to, 1));
    }
}

static void inter_quarter(int q)
{
    const int32_t to = quarter_at(q);
    if (HNM_IXReadBit() == 0) {
        if (HNM_IXReadBit() == 0) {
            spiral_copy(kQuarter, to);
        } else {
            const int orientation = HNM_IXReadBits(3);
            vector_copy(kQuarter, orientation, to, 4);
        }
        return;
    }
    switch (HNM_IXReadBits(2)) {
    case 0: unchanged(kQuarter, to); break;
    case 1:
        inter_eighth(kEighthRow, eighth_at(kEighthRow, to, 0));
        inter_eighth(kEighthRow, eighth_at(kEighthRow, to, 1));
        break;
    case 2:
        inter_eighth(kEighthColumn, eighth_at(kEighthColumn, to, 0));
        inter_eighth(kEighthColumn, eighth_at(kEighthColumn, to, 1));
        break;
    default:
        for (int k = 0; k < 4; k++) {
            inter_sixteenth(sixteenth_at(to, k));
        }
        break;
    }
}

static void inter_half(int size, int half)
{
    const int32_t to = s_tile + (size == kHalfRow ? half * 4 * IX_PITCH : half * 4);
    switch (HNM_IXReadBits(2)) {
    case 0: spiral_copy(size, to); break;
    case 1: {
        const int orientation = HNM_IXReadBits(3);
        vector_copy(size, orientation, to, 4);
        break;
    }
    case 2:
        inter_quarter(quarter_of_half(size, half, 0));
        inter_quarter(quarter_of_half(size, half, 1));
        break;
    default: unchanged(size, to); break;
    }
}

static void inter_tile()
{
    if (HNM_IXReadBit() == 0) {
        if (HNM_IXReadBit() == 0) {
            spiral_copy(kTile, s_tile);
        } else if (HNM_IXReadBit() == 0) {
            const int orientation = HNM_IXReadBits(3);
            vector_copy(kTile, orientation, s_tile, 0);
        } else {
            coded_tile();
        }
        return;
    }
    if (HNM_IXReadBit() == 0) {
        const int size = HNM_IXReadBit() == 0 ? kHalfRow : kHalfColumn;
        inter_half(size, 0);
        inter_half(size, 1);
    } else if (HNM_IXReadBit() == 0) {
        unchanged(kTile, s_tile);
    } else if (HNM_IXReadBit() == 0) {
        for (int q = 0; q < 4; q++) {
            inter_quarter(q);
        }
    } else {
        // 1 1 1 1 is no tile code: the picture ends here.
        HNM_IX.stopped = true;
    }
}

static void intra_eighth(int size, int32_t to)
{
    if (HNM_IXReadBit() == 0) {
        window_copy(size, to);
    } else {
        window_copy(kSixteenth, eighth_part(size, to, 0));
        window_copy(kSixteenth, eighth_part(size, to, 1));
    }
}

static void intra_quarter(int q)
{
    const int32_t to = quarter_at(q);
    switch (HNM_IXReadBits(2)) {
    case 0: {
        const int orientation = HNM_IXReadBits(2) << 1;
        vector_copy(kQuarter, orientation, to, 4);
        break;
    }
    case 1:
        intra_eighth(kEighthRow, eighth_at(kEighthRow, to, 0));
        intra_eighth(kEighthRow, eighth_at(kEighthRow, to, 1));
        break;
    case 2:
        intra_eighth(kEighthColumn, eighth_at(kEighthColumn, to, 0));
        intra_eighth(kEighthColumn, eighth_at(kEighthColumn, to, 1));
        break;
    default:
        for (int k = 0; k < 4; k++) {
            window_copy(kSixteenth, sixteenth_at(to, k));
        }
        break;
    }
}

static void intra_half(int size, int half)
{
    if (HNM_IXReadBit() == 0) {
        intra_quarter(quarter_of_half(size, half, 0));
        intra_quarter(quarter_of_half(size, half, 1));
    } else {
        const int32_t to = s_tile + (size == kHalfRow ? half * 4 * IX_PITCH : half * 4);
        const int orientation = HNM_IXReadBits(2) << 1;
        vector_copy(size, orientation, to, 4);
    }
}

static void intra_tile()
{
    switch (HNM_IXReadBits(2)) {
    case 0:
        intra_half(kHalfRow, 0);
        intra_half(kHalfRow, 1);
        break;
    case 1:
        intra_half(kHalfColumn, 0);
        intra_half(kHalfColumn, 1);
        break;
    case 2:
        for (int q = 0; q < 4; q++) {
            intra_quarter(q);
        }
        break;
    default:
        if (HNM_IXReadBit() == 0) {
            coded_tile();
        } else {
            const int orientation = HNM_IXReadBits(2) << 1;
            vector_copy(kTile, orientation, s_tile, 0);
        }
        break;
    }
}

// Walks the tiles row by row, left to right. When a sub-stream runs out (or an inter tile has no code),
// the rest of the picture, from the tile being made on, holds the reference's pixels.
static void walk(bool inter)
{
    if (s_copy[0] == nullptr) {
        fill_copy_table();
    }
    s_inter = inter;
    for (int32_t t = 0; t < IX_TILES_X * IX_TILES_Y; t++) {
        s_tile_x = (t % IX_TILES_X) * 8;
        s_tile_y = (t / IX_TILES_X) * 8;
        s_tile = s_tile_y * IX_PITCH + s_tile_x;
        if (inter) {
            inter_tile();
        } else {
            intra_tile();
        }
        if (HNM_IX.stopped) {
            for (int32_t rest = t; rest < IX_TILES_X * IX_TILES_Y; rest++) {
                s_tile = (rest / IX_TILES_X) * 8 * IX_PITCH + (rest % IX_TILES_X) * 8;
                unchanged(kTile, s_tile);
            }
            return;
        }
    }
}

void HNM_IXDecodeInterPicture() { walk(true); }
void HNM_IXDecodeIntraPicture() { walk(false); }
