// IX pictures: the chunk header, the sub-stream readers, the quality tables and the coefficient codes.
#include <algorithm>
#include <cstring>

#include "films/ix.h"

HNM_IXStreams HNM_IX;
int32_t HNM_IXQuant[3][64];
int32_t HNM_IXBlocks[3][64];
uint16_t HNM_IXBlockMask[3];
uint16_t HNM_IXMask[64];

const uint8_t HNM_IXZigZag[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// The base quantisation tables of luminance and colour difference, row-major.
static const int32_t kLuminanceBase[64] = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
static const int32_t kChrominanceBase[64] = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
    99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

// The 14-bit scale factors of the fast inverse transform, round(16384 x a(row) x a(column)).
const int32_t HNM_IXScale[64] = {
    16384, 22725, 21407, 19266, 16384, 12873, 8867,  4520,  22725, 31521, 29692, 26722, 22725,
    17855, 12299, 6270,  21407, 29692, 27969, 25172, 21407, 16819, 11585, 5906,  19266, 26722,
    25172, 22654, 19266, 15137, 10426, 5315,  16384, 22725, 21407, 19266, 16384, 12873, 8867,
    4520,  12873, 17855, 16819, 15137, 12873, 10114, 6967,  3552,  8867,  12299, 11585, 10426,
    8867,  6967,  4799,  2446,  4520,  6270,  5906,  5315,  4520,  3552,  2446,  1247};

void HNM_IXSetQuality(int32_t q)
{
    q = std::clamp(q, 0, 100);
    // Quality 0 would divide by zero; it scales as quality 1, where every entry saturates anyway.
    const uint32_t s = q < 50 ? 5000u / uint32_t(q == 0 ? 1 : q) : uint32_t(200 - 2 * q);
    for (int k = 0; k < 64; k++) {
        const int32_t p = HNM_IXZigZag[k];
        const int32_t luminance = std::clamp((kLuminanceBase[p] * int32_t(s) + 50) / 100, 8, 255);
        const int32_t chrominance = std::clamp((kChrominanceBase[p] * int32_t(s) + 50) / 100, 8, 255);
        HNM_IXQuant[0][k] = (luminance * HNM_IXScale[p]) >> 13;
        HNM_IXQuant[1][k] = (chrominance * HNM_IXScale[p]) >> 13;
        HNM_IXQuant[2][k] = HNM_IXQuant[1][k];
    }
}

// ---- Sub-streams 1 to 3 -------------------------------------------------------------------------

static uint32_t s_word;      // the control word being read
static int32_t s_bits_left;  // its unread bits
static bool s_have_second;   // the second index of the spiral pair read last is still to be used
static uint32_t s_second;

static void stop_picture() { HNM_IX.stopped = true; }

// Control bits are read from the top of little-endian 32-bit words; the next word is fetched only
// when a bit is wanted, so that a picture whose bits end with the payload still decodes whole.
int32_t HNM_IXReadBit()
{
    if (s_bits_left == 0) {
        if (HNM_IX.stopped || HNM_IX.length - HNM_IX.control < 4) {
            stop_picture();
            return 0;
        }
        const uint8_t *p = HNM_IX.payload + HNM_IX.control;
        s_word = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
        HNM_IX.control += 4;
        s_bits_left = 32;
    }
    s_bits_left--;
    return int32_t((s_word >> s_bits_left) & 1);
}

int32_t HNM_IXReadBits(int32_t n)
{
    int32_t v = 0;
    for (int32_t i = 0; i < n; i++) {
        v = v << 1 | HNM_IXReadBit();
    }
    return v;
}

uint32_t HNM_IXReadVector()
{
    if (HNM_IX.stopped || HNM_IX.length - HNM_IX.vectors < 2) {
        stop_picture();
        return 0;
    }
    const uint8_t *p = HNM_IX.payload + HNM_IX.vectors;
    HNM_IX.vectors += 2;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}

// Spiral indices come two to three bytes: the first use of a pair reads both, the next takes the second.
uint32_t HNM_IXReadSpiral()
{
    if (s_have_second) {
        s_have_second = false;
        return s_second;
    }
    if (HNM_IX.stopped || HNM_IX.length - HNM_IX.spiral < 3) {
        stop_picture();
        return 0;
    }
    const uint8_t *p = HNM_IX.payload + HNM_IX.spiral;
    HNM_IX.spiral += 3;
    const uint32_t pair = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    s_second = pair >> 12;
    s_have_second = true;
    return pair & 0xFFF;
}

// ---- Sub-stream 4: the nibble buffer -------------------------------------------------------------

alignas(16) static uint8_t s_nibbles[IX_NIBBLE_BUFFER];
static int32_t s_read;    // next code to read
static int32_t s_filled;  // codes unpacked into the buffer; the rest reads as 0

// Unpacks up to room_groups 8-byte groups behind the codes already in the buffer. Bytes past the
// payload's end unpack as 0, and so does everything behind the last group.
static void unpack_groups(int32_t room_groups)
{
    const uint32_t n = std::min(uint32_t(std::max(room_groups, 0)), HNM_IX.groups_left);
    HNM_IX.groups_left -= n;
    uint8_t *to = s_nibbles + s_filled;
    for (uint32_t g = 0; g < n; g++) {
        for (int i = 0; i < 8; i++) {
            const uint32_t at = HNM_IX.codes++;
            const uint8_t b = at < HNM_IX.length ? HNM_IX.payload[at] : 0;
            *to++ = b & 15;
            *to++ = b >> 4;
        }
    }
    s_filled += int32_t(n) * 16;
    std::memset(s_nibbles + s_filled, 0, size_t(IX_NIBBLE_BUFFER - s_filled));
}

void HNM_IXUnpackNibbles()
{
    s_read = 0;
    s_filled = 0;
    unpack_groups(IX_NIBBLE_BUFFER / 16);
}

// Called at the start of every coded tile: clears the blocks, and once the read position has passed the
// mark, moves the unread codes (from a 16-code boundary) to the start and unpacks more behind them.
void HNM_IXRefillNibbles()
{
    std::memset(HNM_IXBlocks, 0, sizeof HNM_IXBlocks);
    if (s_read <= IX_REFILL_MARK) {
        return;
    }
    const int32_t keep = s_read & ~15;
    if (keep < s_filled) {
        std::memmove(s_nibbles, s_nibbles + keep, size_t(s_filled - keep));
        s_filled -= keep;
    } else {
        s_filled = 0;
    }
    s_read &= 15;
    unpack_groups((IX_NIBBLE_BUFFER - s_filled) / 16);
}

// ---- The coefficient codes -----------------------------------------------------------------------

static int32_t *s_block;        // the block being read
static const int32_t *s_quant;  // its dequantisation entries, zig-zag order
static uint16_t s_mask;
static int32_t s_pos;           // zig-zag position of the next value

static const int32_t kPairValues[4] = {1, 2, -2, -1};
static const int32_t kSingleValues[16] = {1, 2, 3, 4, 5, 6, 7, 8, -8, -7, -6, -5, -4, -3, -2, -1};

// A tile takes at most about 576 codes and starts at most at the mark, so reads stay in the buffer's
// extra room; the bound only keeps a damaged table of handlers from reading past it.
static inline int32_t next_code() { return s_read < IX_NIBBLE_BUFFER ? s_nibbles[s_read++] : 0; }

// Every store marks its position's row and column, whatever the value; past position 63 values are
// read and dropped.
static inline void store(int32_t value)
{
    if (s_pos < 64) {
        s_block[HNM_IXZigZag[s_pos]] = value * s_quant[s_pos];
        s_mask |= HNM_IXMask[s_pos];
    }
    s_pos++;
}

static inline void store_pair(int32_t code)
{
    store(kPairValues[code >> 2]);
    store(kPairValues[code & 3]);
}

static inline int32_t long_value()
{
    const int32_t h = next_code();
    const int32_t l = next_code();
    return (h >= 8 ? h - 16 : h) * 16 + l;
}

static void code_end() {}
static void code_skip5() { s_pos += 5; }
template <int Skip, int Value> static void code_skip_value()
{
    s_pos += Skip;
    store(Value);
}
static void code_pairs()
{
    const int32_t a = next_code();
    const int32_t b = next_code();
    s_pos += ((a >> 2) & 3) + 1;
    store_pair(b);
    if ((a & 3) >= 2) {
        store_pair(next_code());
    }
    if ((a & 3) & 1) {
        store(kPairValues[next_code() >> 2]);
    }
}
static void code_singles()
{
    const int32_t a = next_code();
    const int32_t b = next_code();
    s_pos += ((a >> 2) & 3) + 1;
    store(kSingleValues[b]);
    for (int32_t i = 0; i < (a & 3); i++) {
        store(kSingleValues[next_code()]);
    }
}
static void code_pair() { store_pair(next_code()); }
template <int Count> static void code_single()
{
    for (int i = 0; i < Count; i++) {
        store(kSingleValues[next_code()]);
    }
}
static void code_skip1() { s_pos += 1; }
static void code_long() { store(long_value()); }

static void (*const kCodeHandlers[16])() = {
    code_end,          code_skip5,           code_skip_value<1, 1>, code_skip_value<1, -1>,
    code_skip_value<2, 1>, code_skip_value<2, -1>, code_skip_value<3, 1>, code_skip_value<3, -1>,
    code_pairs,        code_singles,         code_pair,             code_single<1>,
    code_single<2>,    code_single<3>,       code_skip1,            code_long};

// Reads the three blocks of one coded tile (luminance, then the two colour differences) with their masks.
void HNM_IXReadBlocks()
{
    for (int c = 0; c < 3; c++) {
        s_block = HNM_IXBlocks[c];
        s_quant = HNM_IXQuant[c];
        s_mask = 0;
        s_pos = 0;
        store(long_value());
        int32_t code = next_code();
        for (;;) {
            kCodeHandlers[code]();
            if (code == 0 || s_pos >= 64) {
                break;
            }
            code = next_code();
        }
        HNM_IXBlockMask[c] = s_mask;
    }
}

int32_t HNM_IXCodesRead() { return s_read; }

// ---- The picture ----------------------------------------------------------------------------------

static uint32_t read_u32(const uint8_t *p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

void HNM_DecodeIXFrame(const uint8_t *payload, uint32_t length, const uint16_t *reference, uint16_t *output,
                       uint16_t *second)
{
    // A picture whose header does not hold together keeps the picture shown last.
    bool refused = length < IX_HEADER_SIZE;
    uint32_t offsets[5] = {};
    if (!refused) {
        for (int i = 0; i < 5; i++) {
            offsets[i] = read_u32(payload + 4 + 4 * i);
            refused = refused || offsets[i] > length;
        }
        refused = refused || offsets[4] < offsets[3];
    }
    if (refused) {
        if (output != reference) {
            std::memcpy(output, reference, size_t(IX_PIXELS) * 2);
        }
        return;
    }
    const int32_t raw = int32_t(read_u32(payload));
    HNM_IX = {};
    HNM_IX.payload = payload;
    HNM_IX.length = length;
    HNM_IX.control = offsets[0];
    HNM_IX.vectors = offsets[1];
    HNM_IX.spiral = offsets[2];
    HNM_IX.codes = offsets[3];
    HNM_IX.codes_end = offsets[4];
    HNM_IX.groups_left = uint32_t((uint64_t(offsets[4] - offsets[3]) + 7) / 8);
    HNM_IX.reference = reference;
    HNM_IX.output = output;
    HNM_IX.second = second;
    s_bits_left = 0;
    s_have_second = false;

    // An intra picture's quality is the negated value, negated in 64 bits so that -2^31 stays in range.
    const int64_t quality = raw < 0 ? -int64_t(raw) : int64_t(raw);
    HNM_IXSetQuality(int32_t(std::min<int64_t>(quality, 100)));
    HNM_IXUnpackNibbles();
    if (raw >= 0) {
        HNM_IXDecodeInterPicture();
    } else {
        HNM_IXDecodeIntraPicture();
    }
}
