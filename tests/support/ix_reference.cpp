// A plain IX picture decoder written from the format's description, pixel by pixel, for differential tests.
#include "tests/support/ix_reference.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "core/fconv.h"

namespace kalder_test {

const int kIxZigZag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                           12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                           35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                           58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

static const int kK1[8][8] = {{16, 11, 10, 16, 24, 40, 51, 61},     {12, 12, 14, 19, 26, 58, 60, 55},
                              {14, 13, 16, 24, 40, 57, 69, 56},     {14, 17, 22, 29, 51, 87, 80, 62},
                              {18, 22, 37, 56, 68, 109, 103, 77},   {24, 35, 55, 64, 81, 104, 113, 92},
                              {49, 64, 78, 87, 103, 121, 120, 101}, {72, 92, 95, 98, 112, 100, 103, 99}};

static int k2(int r, int c)
{
    static const int rows[4][4] = {{17, 18, 24, 47}, {18, 21, 26, 66}, {24, 26, 56, 99}, {47, 66, 99, 99}};
    return r < 4 && c < 4 ? rows[r][c] : 99;
}

int32_t IxScaleFactor(int place)
{
    // Worked out once: the encoders ask for every factor of every tile.
    static const std::array<int32_t, 64> factors = [] {
        auto a = [](int k) -> long double {
            return k == 0 ? 1.0L : std::sqrt(2.0L) * std::cos(k * 3.14159265358979323846264338327950288L / 16.0L);
        };
        std::array<int32_t, 64> out{};
        for (int p = 0; p < 64; p++) {
            out[size_t(p)] = round_i32(double(16384.0L * a(p / 8) * a(p % 8)));
        }
        return out;
    }();
    return factors[size_t(place)];
}

int32_t IxQuantEntry(int component, int place, int32_t quality)
{
    const int32_t s = quality < 50 ? int32_t(5000u / uint32_t(std::max(quality, 1))) : 200 - 2 * quality;
    const int base = component == 0 ? kK1[place / 8][place % 8] : k2(place / 8, place % 8);
    int32_t entry = (base * s + 50) / 100;
    entry = std::min(std::max(entry, 8), 255);
    return (entry * IxScaleFactor(place)) >> 13;
}

static void transform8(int32_t *v[8])
{
    int32_t x[8];
    for (int i = 0; i < 8; i++) {
        x[i] = *v[i];
    }
    int32_t t10 = x[0] + x[4], t11 = x[0] - x[4], t13 = x[2] + x[6];
    int32_t t12 = ((3 * (x[2] - x[6])) >> 1) - t13;
    int32_t e0 = t10 + t13, e3 = t10 - t13, e1 = t11 + t12, e2 = t11 - t12;
    int32_t z13 = x[5] + x[3], z10 = x[5] - x[3], z11 = x[1] + x[7], z12 = x[1] - x[7];
    int32_t s = z12 + z10;
    int32_t o7 = z11 + z13;
    int32_t o11 = (3 * (z11 - z13)) >> 1;
    int32_t o10 = (17 * z12 - 30 * s) >> 4;
    int32_t o12 = (30 * s - 40 * z10) >> 4;
    int32_t o6 = o12 - o7, o5 = o11 - o6, o4 = o10 + o5;
    const int32_t y[8] = {e0 + o7, e1 + o6, e2 + o5, e3 - o4, e3 + o4, e2 - o5, e1 - o6, e0 - o7};
    for (int i = 0; i < 8; i++) {
        *v[i] = y[i];
    }
}

static void column_pass(int32_t *block, int c)
{
    int32_t *v[8];
    for (int r = 0; r < 8; r++) {
        v[r] = &block[r * 8 + c];
    }
    transform8(v);
}

static void row_pass(int32_t *block, int r)
{
    int32_t *v[8];
    for (int c = 0; c < 8; c++) {
        v[c] = &block[r * 8 + c];
    }
    transform8(v);
}

static int highest_bit(int byte)
{
    int h = -1;
    for (int i = 0; i < 8; i++) {
        if (byte & (1 << i)) {
            h = i;
        }
    }
    return h;
}

void IxReferenceIDCT(int32_t block[64], uint16_t mask, IxPassOrder order)
{
    if (order == IxPassOrder::ColumnsFirst || order == IxPassOrder::RowsFirst) {
        for (int i = 0; i < 8; i++) {
            order == IxPassOrder::ColumnsFirst ? column_pass(block, i) : row_pass(block, i);
        }
        for (int i = 0; i < 8; i++) {
            order == IxPassOrder::ColumnsFirst ? row_pass(block, i) : column_pass(block, i);
        }
        return;
    }
    if (mask == 0x0101) {
        for (int i = 1; i < 64; i++) {
            block[i] = block[0];
        }
        return;
    }
    const int rows = mask >> 8;
    const int columns = mask & 0xFF;
    if (int8_t(rows) >= int8_t(columns)) {
        for (int c = 0; c <= highest_bit(columns); c++) {
            column_pass(block, c);
        }
        for (int r = 0; r < 8; r++) {
            if (columns == 1) {
                for (int c = 1; c < 8; c++) {
                    block[r * 8 + c] = block[r * 8];
                }
            } else {
                row_pass(block, r);
            }
        }
    } else {
        for (int r = 0; r <= highest_bit(rows); r++) {
            row_pass(block, r);
        }
        for (int c = 0; c < 8; c++) {
            if (rows == 1) {
                for (int r = 1; r < 8; r++) {
                    block[r * 8 + c] = block[c];
                }
            } else {
                column_pass(block, c);
            }
        }
    }
}

uint16_t IxReferencePixel(int32_t Y, int32_t U, int32_t V, IxFormat format)
{
    const int32_t y = (Y >> 4) + 128;
    const int32_t v = std::clamp(V >> 4, -256, 511);
    const int32_t u = std::clamp(U >> 4, -256, 511);
    const int32_t a = (16 * v + 8) / 10;
    const int32_t b = u / 3;
    const int32_t ri = std::clamp((y + a) >> 2, -64, 127);
    const int32_t gi = std::clamp((y - (a >> 1) - b) >> 2, -64, 127);
    const int32_t bi = std::clamp((y + (U >> 3)) >> 2, -64, 127);
    auto top = [](int32_t i, int32_t limit) { return i < 0 ? 0 : std::min(i, limit); };
    if (format == IxFormat::Rgb565) {
        return uint16_t(top(ri >> 1, 31) << 11 | top(gi, 62) << 5 | top(bi >> 1, 31));
    }
    return uint16_t(top(ri >> 1, 31) << 10 | top(gi >> 1, 30) << 5 | top(bi >> 1, 31));
}

void IxSpiralEntry(int index, int *x, int *y)
{
    // Walk the spiral forward from the centre: entry 0 is (1, 0), then the rings of side 1, 3, ..., 63
    // are walked in the opposite direction of their filling.
    static int xs[4096], ys[4096];
    static bool made = false;
    if (!made) {
        int px = 32, py = 32, n = 4095;
        for (int side = 63; side > 0; side -= 2) {
            const int dx[4] = {-1, 0, 1, 0}, dy[4] = {0, -1, 0, 1};
            for (int d = 0; d < 4; d++) {
                for (int s = 0; s < side; s++) {
                    xs[n] = px;
                    ys[n] = py;
                    n--;
                    px += dx[d];
                    py += dy[d];
                }
            }
            px -= 1;
            py -= 1;
        }
        made = true;
    }
    *x = xs[index];
    *y = ys[index];
}

void IxWindowEntry(int table, int index, int *x, int *y)
{
    if (table == 1) {
        *y = 31 - index / 64;
        *x = 31 - index % 64;
    } else {
        *y = 6 - index / 128;
        *x = 63 - index % 128;
    }
}

namespace {

// The decoder's straightforward state: byte positions of the sub-streams, read as the bits ask.
struct Decoder {
    const std::vector<uint8_t> &p;
    const uint16_t *ref;
    uint16_t *out;
    uint16_t *second;
    IxFormat format;
    bool intra = false;
    int32_t quality = 0;
    uint32_t control, vectors, spiral, codes_start, code_groups;
    uint64_t code_index = 0;
    uint32_t word = 0;
    int bits = 0;
    bool have_second = false;
    uint32_t second_index = 0;
    bool stopped = false;

    Decoder(const std::vector<uint8_t> &payload) : p(payload) {}

    bool fits(uint32_t at, uint32_t n) const { return at <= p.size() && p.size() - at >= n; }

    int bit()
    {
        if (bits == 0) {
            if (stopped || !fits(control, 4)) {
                stopped = true;
                return 0;
            }
            word = 0;
            for (int i = 0; i < 4; i++) {
                word |= uint32_t(p[control + i]) << (8 * i);
            }
            control += 4;
            bits = 32;
        }
        bits--;
        return (word >> bits) & 1;
    }
    int read_bits(int n)
    {
        int v = 0;
        while (n-- > 0) {
            v = v * 2 + bit();
        }
        return v;
    }
    uint32_t vector()
    {
        if (stopped || !fits(vectors, 2)) {
            stopped = true;
            return 0;
        }
        uint32_t w = p[vectors] | p[vectors + 1] << 8;
        vectors += 2;
        return w;
    }
    uint32_t spiral_index()
    {
        if (have_second) {
            have_second = false;
            return second_index;
        }
        if (stopped || !fits(spiral, 3)) {
            stopped = true;
            return 0;
        }
        uint32_t v = p[spiral] | p[spiral + 1] << 8 | p[spiral + 2] << 16;
        spiral += 3;
        have_second = true;
        second_index = v >> 12;
        return v & 0xFFF;
    }
    int code()
    {
        const uint64_t byte = code_index / 2;
        const int high = int(code_index & 1);
        code_index++;
        if (byte >= uint64_t(code_groups) * 8 || codes_start + byte >= p.size()) {
            return 0;
        }
        const uint8_t b = p[codes_start + byte];
        return high ? b >> 4 : b & 15;
    }

    // A copy of a w x h block from frame at linear source offset from to destination offset to; a
    // source that leaves the frame leaves the block unchanged.
    void copy(int w, int h, int orientation, const uint16_t *frame, int64_t from, int64_t to)
    {
        const int sw = orientation >= 4 ? h : w;
        const int sh = orientation >= 4 ? w : h;
        const int64_t last = from + int64_t(sh - 1) * kIxWidth + sw - 1;
        if (from < 0 || last >= kIxPixels) {
            frame = ref;
            from = to;
            orientation = 0;
        }
        std::vector<uint16_t> block(size_t(w * h));
        for (int r = 0; r < h; r++) {
            for (int c = 0; c < w; c++) {
                int sr = r, sc = c;
                switch (orientation) {
                case 1: sc = w - 1 - c; break;
                case 2: sr = h - 1 - r; break;
                case 3: sr = h - 1 - r, sc = w - 1 - c; break;
                case 4: sr = w - 1 - c, sc = h - 1 - r; break;
                case 5: sr = w - 1 - c, sc = r; break;
                case 6: sr = c, sc = h - 1 - r; break;
                case 7: sr = c, sc = r; break;
                default: break;
                }
                block[size_t(r * w + c)] = frame[from + sr * kIxWidth + sc];
            }
        }
        for (int r = 0; r < h; r++) {
            for (int c = 0; c < w; c++) {
                out[to + r * kIxWidth + c] = block[size_t(r * w + c)];
            }
        }
    }

    int tx = 0, ty = 0;
    int64_t tile() const { return int64_t(ty) * kIxWidth + tx; }

    void unchanged(int w, int h, int64_t to) { copy(w, h, 0, ref, to, to); }
    void spiral_copy(int w, int h, int64_t to)
    {
        int x, y;
        IxSpiralEntry(int(spiral_index()), &x, &y);
        copy(w, h, 0, ref, to + int64_t(y) * kIxWidth + x, to);
    }
    void vector_copy(int w, int h, int orientation, int base, int64_t to)
    {
        uint32_t v = vector();
        int dy = v & 0x7F, dx = (v >> 7) & 0xFF;
        bool within = true;
        if (intra) {
            orientation |= int(v >> 15);
        } else {
            within = (v >> 15) != 0;
        }
        int column = ((tx + 128 - dx) % kIxWidth + kIxWidth) % kIxWidth;
        int row = ty + (within ? base : 64) - dy;
        copy(w, h, orientation, within ? out : ref, int64_t(row) * kIxWidth + column, to);
    }
    void window_copy(int w, int h, int64_t to)
    {
        uint32_t v = vector();
        int x, y;
        bool from_ref = !intra && (v & 0x8000) == 0;
        IxWindowEntry(from_ref ? 1 : 2, int(v & 0xFFF), &x, &y);
        copy(w, h, int((v >> 12) & 7), from_ref ? ref : out, tile() + int64_t(y) * kIxWidth + x, to);
    }

    void coded()
    {
        int32_t blocks[3][64] = {};
        uint16_t masks[3] = {};
        read_blocks(blocks, masks);
        for (int c = 0; c < 3; c++) {
            IxReferenceIDCT(blocks[c], masks[c]);
        }
        for (int r = 0; r < 8; r++) {
            for (int c = 0; c < 8; c++) {
                const uint16_t px = IxReferencePixel(blocks[0][r * 8 + c], blocks[1][r * 8 + c], blocks[2][r * 8 + c], format);
                out[tile() + r * kIxWidth + c] = px;
                if (second != nullptr) {
                    second[tile() + r * kIxWidth + c] = px;
                }
            }
        }
    }

    void read_blocks(int32_t blocks[3][64], uint16_t masks[3])
    {
        static const int S[4] = {1, 2, -2, -1};
        static const int T[16] = {1, 2, 3, 4, 5, 6, 7, 8, -8, -7, -6, -5, -4, -3, -2, -1};
        for (int c = 0; c < 3; c++) {
            int pos = 0;
            auto put = [&](int value) {
                if (pos < 64) {
                    const int place = kIxZigZag[pos];
                    blocks[c][place] = value * IxQuantEntry(c, place, quality);
                    masks[c] |= uint16_t((1 << (place / 8)) << 8 | 1 << (place % 8));
                }
                pos++;
            };
            auto signed4 = [](int h) { return h >= 8 ? h - 16 : h; };
            int h = code();
            put(signed4(h) * 16 + code());
            int handler = code();
            while (true) {
                if (handler == 0) {
                    break;
                } else if (handler == 1) {
                    pos += 5;
                } else if (handler <= 7) {
                    pos += (handler - 2) / 2 + 1;
                    put(handler % 2 == 0 ? 1 : -1);
                } else if (handler == 8 || handler == 9) {
                    int a = code(), b = code();
                    pos += ((a >> 2) & 3) + 1;
                    if (handler == 8) {
                        put(S[b >> 2]);
                        put(S[b & 3]);
                        if ((a & 3) >= 2) {
                            int x = code();
                            put(S[x >> 2]);
                            put(S[x & 3]);
                        }
                        if ((a & 3) == 1 || (a & 3) == 3) {
                            put(S[code() >> 2]);
                        }
                    } else {
                        put(T[b]);
                        for (int i = 0; i < (a & 3); i++) {
                            put(T[code()]);
                        }
                    }
                } else if (handler == 10) {
                    int x = code();
                    put(S[x >> 2]);
                    put(S[x & 3]);
                } else if (handler <= 13) {
                    for (int i = 0; i < handler - 10; i++) {
                        put(T[code()]);
                    }
                } else if (handler == 14) {
                    pos += 1;
                } else {
                    int hh = code();
                    put(signed4(hh) * 16 + code());
                }
                if (pos >= 64) {
                    break;
                }
                handler = code();
            }
        }
    }

    // The trees, as the format's tables give them.
    int64_t quarter(int q) const { return tile() + (q / 2) * 4 * kIxWidth + (q % 2) * 4; }

    void inter_sixteenth(int64_t at)
    {
        if (bit() == 0) {
            spiral_copy(2, 2, at);
        } else if (bit() == 0) {
            window_copy(2, 2, at);
        } else {
            unchanged(2, 2, at);
        }
    }
    void inter_eighth(bool wide, int64_t at)
    {
        const int w = wide ? 4 : 2, h = wide ? 2 : 4;
        if (bit() == 0) {
            spiral_copy(w, h, at);
        } else if (bit() == 0) {
            window_copy(w, h, at);
        } else if (bit() == 0) {
            unchanged(w, h, at);
        } else {
            inter_sixteenth(at);
            inter_sixteenth(wide ? at + 2 : at + 2 * kIxWidth);
        }
    }
    void inter_quarter(int q)
    {
        const int64_t at = quarter(q);
        if (bit() == 0) {
            if (bit() == 0) {
                spiral_copy(4, 4, at);
            } else {
                int o = read_bits(3);
                vector_copy(4, 4, o, 4, at);
            }
            return;
        }
        int b = read_bits(2);
        if (b == 0) {
            unchanged(4, 4, at);
        } else if (b == 1) {
            inter_eighth(true, at);
            inter_eighth(true, at + 2 * kIxWidth);
        } else if (b == 2) {
            inter_eighth(false, at);
            inter_eighth(false, at + 2);
        } else {
            for (int k = 0; k < 4; k++) {
                inter_sixteenth(at + (k / 2) * 2 * kIxWidth + (k % 2) * 2);
            }
        }
    }
    void inter_half(bool wide, int half)
    {
        const int w = wide ? 8 : 4, h = wide ? 4 : 8;
        const int64_t at = tile() + (wide ? half * 4 * kIxWidth : half * 4);
        int b = read_bits(2);
        if (b == 0) {
            spiral_copy(w, h, at);
        } else if (b == 1) {
            int o = read_bits(3);
            vector_copy(w, h, o, 4, at);
        } else if (b == 2) {
            inter_quarter(wide ? half * 2 : half);
            inter_quarter(wide ? half * 2 + 1 : half + 2);
        } else {
            unchanged(w, h, at);
        }
    }
    void inter_tile()
    {
        if (bit() == 0) {
            if (bit() == 0) {
                spiral_copy(8, 8, tile());
            } else if (bit() == 0) {
                int o = read_bits(3);
                vector_copy(8, 8, o, 0, tile());
            } else {
                coded();
            }
        } else if (bit() == 0) {
            bool wide = bit() == 0;
            inter_half(wide, 0);
            inter_half(wide, 1);
        } else if (bit() == 0) {
            unchanged(8, 8, tile());
        } else if (bit() == 0) {
            for (int q = 0; q < 4; q++) {
                inter_quarter(q);
            }
        } else {
            stopped = true;
        }
    }

    void intra_eighth(bool wide, int64_t at)
    {
        if (bit() == 0) {
            window_copy(wide ? 4 : 2, wide ? 2 : 4, at);
        } else {
            window_copy(2, 2, at);
            window_copy(2, 2, wide ? at + 2 : at + 2 * kIxWidth);
        }
    }
    void intra_quarter(int q)
    {
        const int64_t at = quarter(q);
        int b = read_bits(2);
        if (b == 0) {
            int o = read_bits(2) * 2;
            vector_copy(4, 4, o, 4, at);
        } else if (b == 1) {
            intra_eighth(true, at);
            intra_eighth(true, at + 2 * kIxWidth);
        } else if (b == 2) {
            intra_eighth(false, at);
            intra_eighth(false, at + 2);
        } else {
            for (int k = 0; k < 4; k++) {
                window_copy(2, 2, at + (k / 2) * 2 * kIxWidth + (k % 2) * 2);
            }
        }
    }
    void intra_half(bool wide, int half)
    {
        if (bit() == 0) {
            intra_quarter(wide ? half * 2 : half);
            intra_quarter(wide ? half * 2 + 1 : half + 2);
        } else {
            int o = read_bits(2) * 2;
            vector_copy(wide ? 8 : 4, wide ? 4 : 8, o, 4, tile() + (wide ? half * 4 * kIxWidth : half * 4));
        }
    }
    void intra_tile()
    {
        int b = read_bits(2);
        if (b == 0 || b == 1) {
            intra_half(b == 0, 0);
            intra_half(b == 0, 1);
        } else if (b == 2) {
            for (int q = 0; q < 4; q++) {
                intra_quarter(q);
            }
        } else if (bit() == 0) {
            coded();
        } else {
            int o = read_bits(2) * 2;
            vector_copy(8, 8, o, 0, tile());
        }
    }

    void run()
    {
        auto u32 = [&](size_t at) {
            return uint32_t(p[at]) | uint32_t(p[at + 1]) << 8 | uint32_t(p[at + 2]) << 16 | uint32_t(p[at + 3]) << 24;
        };
        if (p.size() < 24 || u32(4) > p.size() || u32(8) > p.size() || u32(12) > p.size() || u32(16) > p.size() ||
            u32(20) > p.size() || u32(20) < u32(16)) {
            std::memmove(out, ref, size_t(kIxPixels) * 2);
            return;
        }
        const int32_t raw = int32_t(u32(0));
        intra = raw < 0;
        int64_t q = intra ? -int64_t(raw) : raw;
        quality = int32_t(std::min<int64_t>(q, 100));
        control = u32(4);
        vectors = u32(8);
        spiral = u32(12);
        codes_start = u32(16);
        code_groups = uint32_t((uint64_t(u32(20)) - u32(16) + 7) / 8);
        for (int t = 0; t < 80 * 38; t++) {
            tx = (t % 80) * 8;
            ty = (t / 80) * 8;
            intra ? intra_tile() : inter_tile();
            if (stopped) {
                for (int rest = t; rest < 80 * 38; rest++) {
                    tx = (rest % 80) * 8;
                    ty = (rest / 80) * 8;
                    unchanged(8, 8, tile());
                }
                return;
            }
        }
    }
};

} // namespace

void IxReferenceDecode(const std::vector<uint8_t> &payload, const uint16_t *reference, uint16_t *output,
                       IxFormat format, uint16_t *second)
{
    Decoder d(payload);
    d.ref = reference;
    d.out = output;
    d.second = second;
    d.format = format;
    d.run();
}

std::vector<uint16_t> IxReferenceDecode(const std::vector<uint8_t> &payload, const std::vector<uint16_t> &reference,
                                        IxFormat format)
{
    std::vector<uint16_t> out(reference);
    IxReferenceDecode(payload, reference.data(), out.data(), format);
    return out;
}

IxTileBlocks IxReferenceReadBlocks(const std::vector<uint8_t> &codes, int32_t quality)
{
    // The codes become a sub-stream 4 of their own, packed low nibble first.
    std::vector<uint8_t> packed((codes.size() + 1) / 2 + 8, 0);
    for (size_t i = 0; i < codes.size(); i++) {
        packed[i / 2] |= uint8_t((codes[i] & 15) << (i % 2 ? 4 : 0));
    }
    Decoder d(packed);
    d.quality = std::clamp(quality, 0, 100);
    d.codes_start = 0;
    d.code_groups = uint32_t((codes.size() + 15) / 16);
    IxTileBlocks t = {};
    d.read_blocks(t.blocks, t.masks);
    t.codes_read = int32_t(d.code_index);
    return t;
}

} // namespace kalder_test
