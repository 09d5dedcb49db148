// An IX picture encoder: bit trees, coefficient codes and the five sub-streams, plus damaged payloads.
#include "tests/support/ix_encoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/fconv.h"

namespace kalder_test {

IxNode IxNode::Coded(std::vector<uint8_t> codes)
{
    IxNode n;
    n.kind = Kind::Coded;
    n.codes = std::move(codes);
    return n;
}

IxNode IxNode::Unchanged() { return IxNode{}; }

IxNode IxNode::Spiral(uint32_t index)
{
    IxNode n;
    n.kind = Kind::Spiral;
    n.value = index & 0xFFF;
    return n;
}

IxNode IxNode::Vector(int orientation, uint32_t dx, uint32_t dy, bool within)
{
    IxNode n;
    n.kind = Kind::Vector;
    n.orientation = orientation & 7;
    n.value = (dy & 0x7F) | (dx & 0xFF) << 7;
    n.within = within;
    return n;
}

IxNode IxNode::Window(int orientation, uint32_t index, bool within)
{
    IxNode n;
    n.kind = Kind::Window;
    n.value = (index & 0xFFF) | uint32_t(orientation & 7) << 12 | (within ? 0x8000u : 0u);
    return n;
}

IxNode IxNode::Split(Kind kind, std::vector<IxNode> parts)
{
    IxNode n;
    n.kind = kind;
    n.parts = std::move(parts);
    return n;
}

namespace {

using Kind = IxNode::Kind;

// The five sub-streams as they are written.
struct Streams {
    std::vector<uint32_t> words;  // sub-stream 1, filled from the top bit
    int used = 32;
    std::vector<uint8_t> vectors;
    std::vector<uint8_t> spiral;
    bool pair_open = false;
    uint32_t pair_first = 0;
    std::vector<uint8_t> codes;   // one code a byte, packed at the end
    std::map<std::string, int> branches;
    bool intra = false;

    void bit(int b)
    {
        if (used == 32) {
            words.push_back(0);
            used = 0;
        }
        used++;
        if (b) {
            words.back() |= 1u << (32 - used);
        }
    }
    void bits(uint32_t v, int n)
    {
        for (int i = n - 1; i >= 0; i--) {
            bit(int((v >> i) & 1));
        }
    }
    void word(uint32_t w)
    {
        vectors.push_back(uint8_t(w));
        vectors.push_back(uint8_t(w >> 8));
    }
    void spiral_index(uint32_t index)
    {
        if (!pair_open) {
            pair_first = index & 0xFFF;
            pair_open = true;
            return;
        }
        const uint32_t v = pair_first | (index & 0xFFF) << 12;
        spiral.insert(spiral.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16)});
        pair_open = false;
    }
    void close_pair()
    {
        if (pair_open) {
            spiral.insert(spiral.end(), {uint8_t(pair_first), uint8_t(pair_first >> 8), 0});
            pair_open = false;
        }
    }
    void count(const std::string &tree, const char *branch)
    {
        branches[std::string(intra ? "intra." : "inter.") + tree + "." + branch]++;
    }

    void vector_copy(const IxNode &n, int orientation_bits)
    {
        if (intra) {
            bits(uint32_t(n.orientation >> 1), 2);
            word(n.value | uint32_t(n.orientation & 1) << 15);
        } else {
            bits(uint32_t(n.orientation), orientation_bits);
            word(n.value | (n.within ? 0x8000u : 0u));
        }
    }

    void sixteenth(const IxNode &n)
    {
        if (intra) {
            word(n.value);
            count("sixteenth", "window");
            return;
        }
        switch (n.kind) {
        case Kind::Spiral: bit(0), spiral_index(n.value), count("sixteenth", "spiral"); break;
        case Kind::Window: bits(2, 2), word(n.value), count("sixteenth", "window"); break;
        default: bits(3, 2), count("sixteenth", "unchanged"); break;
        }
    }

    void eighth(const IxNode &n)
    {
        if (intra) {
            if (n.kind == Kind::Sixteenths) {
                bit(1), count("eighth", "split");
                sixteenth(n.parts.at(0)), sixteenth(n.parts.at(1));
            } else {
                bit(0), word(n.value), count("eighth", "window");
            }
            return;
        }
        switch (n.kind) {
        case Kind::Spiral: bit(0), spiral_index(n.value), count("eighth", "spiral"); break;
        case Kind::Window: bits(2, 2), word(n.value), count("eighth", "window"); break;
        case Kind::Sixteenths:
            bits(7, 3), count("eighth", "split");
            sixteenth(n.parts.at(0)), sixteenth(n.parts.at(1));
            break;
        default: bits(6, 3), count("eighth", "unchanged"); break;
        }
    }

    void quarter(const IxNode &n)
    {
        auto parts = [&](size_t k, auto f) {
            for (size_t i = 0; i < k; i++) {
                f(n.parts.at(i));
            }
        };
        if (intra) {
            switch (n.kind) {
            case Kind::EighthsRows: bits(1, 2), count("quarter", "eighths-rows"), parts(2, [&](auto &p) { eighth(p); }); break;
            case Kind::EighthsColumns: bits(2, 2), count("quarter", "eighths-columns"), parts(2, [&](auto &p) { eighth(p); }); break;
            case Kind::Sixteenths: bits(3, 2), count("quarter", "sixteenths"), parts(4, [&](auto &p) { sixteenth(p); }); break;
            default: bits(0, 2), vector_copy(n, 2), count("quarter", "vector"); break;
            }
            return;
        }
        switch (n.kind) {
        case Kind::Spiral: bits(0, 2), spiral_index(n.value), count("quarter", "spiral"); break;
        case Kind::Vector: bits(1, 2), vector_copy(n, 3), count("quarter", "vector"); break;
        case Kind::EighthsRows: bits(5, 3), count("quarter", "eighths-rows"), parts(2, [&](auto &p) { eighth(p); }); break;
        case Kind::EighthsColumns: bits(6, 3), count("quarter", "eighths-columns"), parts(2, [&](auto &p) { eighth(p); }); break;
        case Kind::Sixteenths: bits(7, 3), count("quarter", "sixteenths"), parts(4, [&](auto &p) { sixteenth(p); }); break;
        default: bits(4, 3), count("quarter", "unchanged"); break;
        }
    }

    void half(const IxNode &n)
    {
        if (intra) {
            if (n.kind == Kind::Quarters) {
                bit(0), count("half", "quarters");
                quarter(n.parts.at(0)), quarter(n.parts.at(1));
            } else {
                bit(1), vector_copy(n, 2), count("half", "vector");
            }
            return;
        }
        switch (n.kind) {
        case Kind::Spiral: bits(0, 2), spiral_index(n.value), count("half", "spiral"); break;
        case Kind::Vector: bits(1, 2), vector_copy(n, 3), count("half", "vector"); break;
        case Kind::Quarters:
            bits(2, 2), count("half", "quarters");
            quarter(n.parts.at(0)), quarter(n.parts.at(1));
            break;
        default: bits(3, 2), count("half", "unchanged"); break;
        }
    }

    void tile(const IxNode &n)
    {
        auto halves = [&] {
            half(n.parts.at(0));
            half(n.parts.at(1));
        };
        auto quarters = [&] {
            for (int q = 0; q < 4; q++) {
                quarter(n.parts.at(size_t(q)));
            }
        };
        if (intra) {
            switch (n.kind) {
            case Kind::HalvesRows: bits(0, 2), count("tile", "halves-rows"), halves(); break;
            case Kind::HalvesColumns: bits(1, 2), count("tile", "halves-columns"), halves(); break;
            case Kind::Quarters: bits(2, 2), count("tile", "quarters"), quarters(); break;
            case Kind::Coded: bits(6, 3), count("tile", "coded"), codes.insert(codes.end(), n.codes.begin(), n.codes.end()); break;
            default: bits(7, 3), vector_copy(n, 2), count("tile", "vector"); break;
            }
            return;
        }
        switch (n.kind) {
        case Kind::Spiral: bits(0, 2), spiral_index(n.value), count("tile", "spiral"); break;
        case Kind::Vector: bits(2, 3), vector_copy(n, 3), count("tile", "vector"); break;
        case Kind::Coded: bits(3, 3), count("tile", "coded"), codes.insert(codes.end(), n.codes.begin(), n.codes.end()); break;
        case Kind::HalvesRows: bits(4, 3), count("tile", "halves-rows"), halves(); break;
        case Kind::HalvesColumns: bits(5, 3), count("tile", "halves-columns"), halves(); break;
        case Kind::Quarters: bits(14, 4), count("tile", "quarters"), quarters(); break;
        case Kind::NoCode: bits(15, 4), count("tile", "no-code"); break;
        default: bits(6, 3), count("tile", "unchanged"); break;
        }
    }
};

void put32(std::vector<uint8_t> &out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++) {
        out[at + size_t(i)] = uint8_t(v >> (8 * i));
    }
}

} // namespace

IxWritten IxWrite(const IxPicture &picture, const IxDamage &damage)
{
    Streams s;
    s.intra = picture.intra;
    for (const IxNode &tile : picture.tiles) {
        s.tile(tile);
    }
    s.close_pair();

    std::vector<uint8_t> stream[4];
    for (uint32_t w : s.words) {
        stream[0].insert(stream[0].end(), {uint8_t(w), uint8_t(w >> 8), uint8_t(w >> 16), uint8_t(w >> 24)});
    }
    stream[1] = s.vectors;
    stream[2] = s.spiral;
    // Codes two to a byte, the low nibble first, in groups of 8 bytes.
    stream[3].assign((s.codes.size() + 15) / 16 * 8, 0);
    for (size_t i = 0; i < s.codes.size(); i++) {
        stream[3][i / 2] |= uint8_t((s.codes[i] & 15) << (i % 2 ? 4 : 0));
    }

    IxWritten w;
    w.payload.assign(24, 0);
    uint32_t offsets[5];
    int order[4] = {0, 1, 2, 3};
    const int last = std::clamp(damage.last_stream, 1, 4) - 1;
    std::rotate(order, order + last + 1, order + 4);
    for (int k : order) {
        offsets[k] = uint32_t(w.payload.size());
        w.payload.insert(w.payload.end(), stream[k].begin(), stream[k].end());
    }
    offsets[4] = offsets[3] + uint32_t(stream[3].size());
    const int32_t quality = picture.intra ? -picture.quality : picture.quality;
    put32(w.payload, 0, uint32_t(damage.raw_quality.value_or(quality)));
    for (int i = 0; i < 5; i++) {
        put32(w.payload, 4 + size_t(i) * 4, damage.offsets[i].value_or(offsets[i]));
    }
    w.payload.resize(w.payload.size() - std::min<size_t>(damage.cut, w.payload.size()));
    w.branches = std::move(s.branches);
    return w;
}

// ---- Coefficient codes ----------------------------------------------------------------------------

static int pair_code(int v)
{
    switch (v) {
    case 1: return 0;
    case 2: return 1;
    case -2: return 2;
    case -1: return 3;
    default: return -1;
    }
}

static int single_code(int v)
{
    if (v >= 1 && v <= 8) {
        return v - 1;
    }
    if (v >= -8 && v <= -1) {
        return 16 + v;
    }
    return -1;
}

static void code_block(const int32_t values[64], std::vector<uint8_t> &out)
{
    auto long_value = [&](int32_t v) {
        v = std::clamp(v, -128, 127);
        out.push_back(uint8_t((v >> 4) & 15));
        out.push_back(uint8_t(v & 15));
    };
    long_value(values[0]);
    int p = 1;
    auto value = [&](int k) { return k < 64 ? std::clamp(values[k], -128, 127) : 0; };
    auto run_of = [&](int k, auto fits) {
        int n = 0;
        while (k + n < 64 && fits(value(k + n))) {
            n++;
        }
        return n;
    };
    auto is_pair = [](int v) { return pair_code(v) >= 0; };
    auto is_single = [](int v) { return single_code(v) >= 0; };
    while (p < 64) {
        int next = p;
        while (next < 64 && value(next) == 0) {
            next++;
        }
        if (next == 64) {
            out.push_back(0);
            return;
        }
        int skip = next - p;
        if (skip >= 5) {
            out.push_back(1);
            p += 5;
            continue;
        }
        const int v = value(next);
        if (skip >= 1 && skip <= 4) {
            const int pairs = run_of(next, is_pair);
            const int singles = run_of(next, is_single);
            if (skip <= 3 && (v == 1 || v == -1) && pairs < 2) {
                out.push_back(uint8_t(2 + (skip - 1) * 2 + (v == 1 ? 0 : 1)));
                p = next + 1;
            } else if (pairs >= 2) {
                // Skip, a pair, then up to a pair and a single more.
                const int extra = pairs >= 5 ? 3 : pairs >= 4 ? 2 : pairs >= 3 ? 1 : 0;
                out.push_back(8);
                out.push_back(uint8_t((skip - 1) << 2 | extra));
                out.push_back(uint8_t(pair_code(value(next)) << 2 | pair_code(value(next + 1))));
                int at = next + 2;
                if (extra >= 2) {
                    out.push_back(uint8_t(pair_code(value(at)) << 2 | pair_code(value(at + 1))));
                    at += 2;
                }
                if (extra & 1) {
                    out.push_back(uint8_t(pair_code(value(at)) << 2));
                    at += 1;
                }
                p = at;
            } else if (singles >= 1) {
                const int n = std::min(singles, 4);
                out.push_back(9);
                out.push_back(uint8_t((skip - 1) << 2 | (n - 1)));
                for (int i = 0; i < n; i++) {
                    out.push_back(uint8_t(single_code(value(next + i))));
                }
                p = next + n;
            } else {
                out.push_back(14);
                p += 1;
            }
            continue;
        }
        // No skip: the value at p.
        const int pairs = run_of(p, is_pair);
        const int singles = run_of(p, is_single);
        if (pairs >= 2 && singles < 3) {
            out.push_back(10);
            out.push_back(uint8_t(pair_code(value(p)) << 2 | pair_code(value(p + 1))));
            p += 2;
        } else if (singles >= 1) {
            const int n = std::min(singles, 3);
            out.push_back(uint8_t(10 + n));
            for (int i = 0; i < n; i++) {
                out.push_back(uint8_t(single_code(value(p + i))));
            }
            p += n;
        } else {
            out.push_back(15);
            long_value(value(p));
            p += 1;
        }
    }
}

std::vector<uint8_t> IxCodeValues(const int32_t values[3][64])
{
    std::vector<uint8_t> codes;
    for (int c = 0; c < 3; c++) {
        code_block(values[c], codes);
    }
    return codes;
}

// ---- Coefficients from pixels ---------------------------------------------------------------------

namespace {

// The decoder's one-dimensional transform read as real numbers (its shifts as exact divisions), and
// its inverse.
struct Transform {
    double m[8][8];
    double inverse[8][8];

    Transform()
    {
        for (int j = 0; j < 8; j++) {
            double x[8] = {};
            x[j] = 1.0;
            double t10 = x[0] + x[4], t11 = x[0] - x[4], t13 = x[2] + x[6];
            double t12 = 1.5 * (x[2] - x[6]) - t13;
            double e0 = t10 + t13, e3 = t10 - t13, e1 = t11 + t12, e2 = t11 - t12;
            double z13 = x[5] + x[3], z10 = x[5] - x[3], z11 = x[1] + x[7], z12 = x[1] - x[7];
            double s = z12 + z10, o7 = z11 + z13, o11 = 1.5 * (z11 - z13);
            double o10 = (17.0 * z12 - 30.0 * s) / 16.0, o12 = (30.0 * s - 40.0 * z10) / 16.0;
            double o6 = o12 - o7, o5 = o11 - o6, o4 = o10 + o5;
            const double y[8] = {e0 + o7, e1 + o6, e2 + o5, e3 - o4, e3 + o4, e2 - o5, e1 - o6, e0 - o7};
            for (int i = 0; i < 8; i++) {
                m[i][j] = y[i];
            }
        }
        // Gauss-Jordan with partial pivoting.
        double a[8][16];
        for (int i = 0; i < 8; i++) {
            for (int j = 0; j < 8; j++) {
                a[i][j] = m[i][j];
                a[i][8 + j] = i == j ? 1.0 : 0.0;
            }
        }
        for (int c = 0; c < 8; c++) {
            int pivot = c;
            for (int r = c + 1; r < 8; r++) {
                if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) {
                    pivot = r;
                }
            }
            for (int j = 0; j < 16; j++) {
                std::swap(a[c][j], a[pivot][j]);
            }
            const double d = a[c][c];
            for (int j = 0; j < 16; j++) {
                a[c][j] /= d;
            }
            for (int r = 0; r < 8; r++) {
                if (r != c && a[r][c] != 0.0) {
                    const double f = a[r][c];
                    for (int j = 0; j < 16; j++) {
                        a[r][j] -= f * a[c][j];
                    }
                }
            }
        }
        for (int i = 0; i < 8; i++) {
            for (int j = 0; j < 8; j++) {
                inverse[i][j] = a[i][8 + j];
            }
        }
    }
};

const Transform &transform()
{
    static const Transform t;
    return t;
}

// Pixel channels on the decoder's 8-bit scale, at the middle of each 5- or 6-bit step.
void channels(uint16_t px, double *r, double *g, double *b)
{
    *r = double((px >> 11) & 31) * 8 + 4;
    *g = double((px >> 5) & 63) * 4 + 2;
    *b = double(px & 31) * 8 + 4;
}

double error565(uint16_t a, uint16_t b)
{
    const int da = int((a >> 11) & 31) - int((b >> 11) & 31);
    const int dg = int((a >> 5) & 63) - int((b >> 5) & 63);
    const int db = int(a & 31) - int(b & 31);
    return double(da * da * 4 + dg * dg + db * db * 4);
}

} // namespace

void IxTileValues(const std::vector<uint16_t> &frame565, int tx, int ty, int32_t quality, int32_t values[3][64])
{
    quality = std::clamp(quality, 0, 100);
    const Transform &t = transform();
    double samples[3][8][8];
    bool flat = true;
    const uint16_t first = frame565[size_t(ty * kIxWidth + tx)];
    for (int r = 0; r < 8; r++) {
        for (int c = 0; c < 8; c++) {
            const uint16_t px = frame565[size_t((ty + r) * kIxWidth + tx + c)];
            flat = flat && px == first;
            double red, green, blue;
            channels(px, &red, &green, &blue);
            // r = y + 1.6v, g = y - 0.8v - u/3, b = y + 2u, solved for y, u and v.
            const double y = (green + 0.5 * red + blue / 6.0) / (5.0 / 3.0);
            const double u = (blue - y) / 2.0;
            const double v = (red - y) / 1.6;
            // The decoder floors each value by 16; aiming at the middle of the step centres it.
            samples[0][r][c] = 16.0 * (y - 128.0) + 8.0;
            samples[1][r][c] = 16.0 * u + 8.0;
            samples[2][r][c] = 16.0 * v + 8.0;
        }
    }
    for (int comp = 0; comp < 3; comp++) {
        // C = M^-1 S M^-T
        double tmp[8][8], coef[8][8];
        for (int i = 0; i < 8; i++) {
            for (int j = 0; j < 8; j++) {
                double s = 0;
                for (int k = 0; k < 8; k++) {
                    s += t.inverse[i][k] * samples[comp][k][j];
                }
                tmp[i][j] = s;
            }
        }
        for (int i = 0; i < 8; i++) {
            for (int j = 0; j < 8; j++) {
                double s = 0;
                for (int k = 0; k < 8; k++) {
                    s += tmp[i][k] * t.inverse[j][k];
                }
                coef[i][j] = s;
            }
        }
        for (int k = 0; k < 64; k++) {
            const int place = kIxZigZag[k];
            const double entry = double(IxQuantEntry(comp, place, quality));
            values[comp][k] = std::clamp(round_i32(coef[place / 8][place % 8] / entry), -128, 127);
        }
    }
    if (flat) {
        // A flat tile is three DC values: pick, near the solution, the triple whose colour is closest.
        const int32_t e0 = IxQuantEntry(0, 0, quality), e1 = IxQuantEntry(1, 0, quality);
        int32_t best[3] = {values[0][0], values[1][0], values[2][0]};
        double best_error = 1e30;
        for (int dy = -2; dy <= 2; dy++) {
            for (int du = -2; du <= 2; du++) {
                for (int dv = -2; dv <= 2; dv++) {
                    const int32_t cy = std::clamp(values[0][0] + dy, -128, 127);
                    const int32_t cu = std::clamp(values[1][0] + du, -128, 127);
                    const int32_t cv = std::clamp(values[2][0] + dv, -128, 127);
                    const uint16_t px = IxReferencePixel(cy * e0, cu * e1, cv * e1, IxFormat::Rgb565);
                    const double e = error565(px, first);
                    if (e < best_error) {
                        best_error = e;
                        best[0] = cy, best[1] = cu, best[2] = cv;
                    }
                }
            }
        }
        for (int comp = 0; comp < 3; comp++) {
            std::fill(values[comp], values[comp] + 64, 0);
            values[comp][0] = best[comp];
        }
    }
}

IxEncoded EncodeIntra(const std::vector<uint16_t> &frame565, int32_t quality)
{
    IxPicture picture;
    picture.intra = true;
    picture.quality = quality;
    for (int t = 0; t < 80 * 38; t++) {
        int32_t values[3][64];
        IxTileValues(frame565, (t % 80) * 8, (t / 80) * 8, quality, values);
        picture.tiles.push_back(IxNode::Coded(IxCodeValues(values)));
    }
    IxWritten w = IxWrite(picture);
    IxEncoded e;
    e.predicted = IxReferenceDecode(w.payload, std::vector<uint16_t>(size_t(kIxPixels), 0));
    e.payload = std::move(w.payload);
    e.branches = std::move(w.branches);
    return e;
}

IxEncoded EncodeInter(const std::vector<uint16_t> &frame565, const std::vector<uint16_t> &reference, int32_t quality,
                      const std::vector<uint16_t> *previous_source)
{
    // The spiral index of each displacement within 2 pixels.
    int spiral_of[5][5];
    for (int i = 0; i < 4096; i++) {
        int x, y;
        IxSpiralEntry(i, &x, &y);
        if (x >= -2 && x <= 2 && y >= -2 && y <= 2) {
            spiral_of[y + 2][x + 2] = i;
        }
    }
    auto equal = [&](const std::vector<uint16_t> &other, int tx, int ty, int dx, int dy) {
        if (tx + dx < 0 || ty + dy < 0 || tx + dx + 8 > kIxWidth || ty + dy + 8 > kIxHeight) {
            return false;
        }
        for (int r = 0; r < 8; r++) {
            if (std::memcmp(&frame565[size_t((ty + r) * kIxWidth + tx)],
                            &other[size_t((ty + dy + r) * kIxWidth + tx + dx)], 16) != 0) {
                return false;
            }
        }
        return true;
    };
    auto same = [&](int tx, int ty, int dx, int dy) {
        return equal(reference, tx, ty, dx, dy) || (previous_source != nullptr && equal(*previous_source, tx, ty, dx, dy));
    };
    IxPicture picture;
    picture.quality = quality;
    for (int t = 0; t < 80 * 38; t++) {
        const int tx = (t % 80) * 8, ty = (t / 80) * 8;
        if (same(tx, ty, 0, 0)) {
            picture.tiles.push_back(IxNode::Unchanged());
            continue;
        }
        bool found = false;
        for (int dy = -2; dy <= 2 && !found; dy++) {
            for (int dx = -2; dx <= 2 && !found; dx++) {
                if (same(tx, ty, dx, dy)) {
                    picture.tiles.push_back(IxNode::Spiral(uint32_t(spiral_of[dy + 2][dx + 2])));
                    found = true;
                }
            }
        }
        if (!found) {
            int32_t values[3][64];
            IxTileValues(frame565, tx, ty, quality, values);
            picture.tiles.push_back(IxNode::Coded(IxCodeValues(values)));
        }
    }
    IxWritten w = IxWrite(picture);
    IxEncoded e;
    e.predicted = IxReferenceDecode(w.payload, reference);
    e.payload = std::move(w.payload);
    e.branches = std::move(w.branches);
    return e;
}

// ---- Random pictures ------------------------------------------------------------------------------

namespace {

struct Random {
    uint32_t state;
    uint32_t next()
    {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    int below(int n) { return int(next() % uint32_t(n)); }
};

IxNode random_coded(Random &rnd)
{
    int32_t values[3][64] = {};
    for (int c = 0; c < 3; c++) {
        values[c][0] = rnd.below(256) - 128;
        const int shape = rnd.below(5);
        for (int k = 1; k < 64; k++) {
            const int roll = rnd.below(100);
            if (shape == 0) {
                break;                                           // DC only
            }
            if (shape == 4 || roll < (shape == 1 ? 8 : 30)) {
                const int kind = rnd.below(10);
                values[c][k] = kind < 5 ? (rnd.below(2) ? 1 : -1) * (1 + rnd.below(2))
                             : kind < 9 ? rnd.below(17) - 8 : rnd.below(256) - 128;
            }
        }
    }
    return IxNode::Coded(IxCodeValues(values));
}

IxNode random_window(Random &rnd, bool intra)
{
    return IxNode::Window(rnd.below(8), uint32_t(rnd.below(4096)), intra ? rnd.below(2) != 0 : rnd.below(2) != 0);
}

IxNode random_vector(Random &rnd)
{
    return IxNode::Vector(rnd.below(8), uint32_t(rnd.below(256)), uint32_t(rnd.below(128)), rnd.below(2) != 0);
}

// Each level picks one of its branches in turn (with a random start), so that every branch is used.
IxNode random_sixteenth(Random &rnd, bool intra, int pick)
{
    if (intra) {
        return random_window(rnd, true);
    }
    switch (pick % 3) {
    case 0: return IxNode::Spiral(uint32_t(rnd.below(4096)));
    case 1: return random_window(rnd, false);
    default: return IxNode::Unchanged();
    }
}

IxNode random_eighth(Random &rnd, bool intra, int pick)
{
    const int n = intra ? 2 : 4;
    switch (pick % n + (intra ? 2 : 0)) {
    case 0: return IxNode::Spiral(uint32_t(rnd.below(4096)));
    case 1: return IxNode::Unchanged();
    case 2: return random_window(rnd, intra);
    default:
        return IxNode::Split(Kind::Sixteenths, {random_sixteenth(rnd, intra, rnd.below(3)),
                                                random_sixteenth(rnd, intra, rnd.below(3))});
    }
}

IxNode random_quarter(Random &rnd, bool intra, int pick)
{
    const int n = intra ? 4 : 6;
    switch (pick % n + (intra ? 2 : 0)) {
    case 0: return IxNode::Spiral(uint32_t(rnd.below(4096)));
    case 1: return IxNode::Unchanged();
    case 2: return random_vector(rnd);
    case 3: return IxNode::Split(Kind::EighthsRows, {random_eighth(rnd, intra, rnd.below(4)), random_eighth(rnd, intra, rnd.below(4))});
    case 4: return IxNode::Split(Kind::EighthsColumns, {random_eighth(rnd, intra, rnd.below(4)), random_eighth(rnd, intra, rnd.below(4))});
    default: {
        std::vector<IxNode> parts;
        for (int k = 0; k < 4; k++) {
            parts.push_back(random_sixteenth(rnd, intra, rnd.below(3)));
        }
        return IxNode::Split(Kind::Sixteenths, parts);
    }
    }
}

IxNode random_half(Random &rnd, bool intra, int pick)
{
    const int n = intra ? 2 : 4;
    switch (pick % n + (intra ? 2 : 0)) {
    case 0: return IxNode::Spiral(uint32_t(rnd.below(4096)));
    case 1: return IxNode::Unchanged();
    case 2: return random_vector(rnd);
    default:
        return IxNode::Split(Kind::Quarters, {random_quarter(rnd, intra, rnd.below(6)), random_quarter(rnd, intra, rnd.below(6))});
    }
}

} // namespace

IxPicture IxRandomPicture(uint32_t seed, bool intra, int32_t quality)
{
    Random rnd{seed * 2654435761u + 1};
    IxPicture picture;
    picture.intra = intra;
    picture.quality = quality;
    for (int t = 0; t < 80 * 38; t++) {
        const int kinds = intra ? 5 : 7;
        const int pick = (t + int(seed)) % kinds;
        IxNode tile;
        switch (pick + (intra ? 2 : 0)) {
        case 0: tile = IxNode::Spiral(uint32_t(rnd.below(4096))); break;
        case 1: tile = IxNode::Unchanged(); break;
        case 2: tile = random_coded(rnd); break;
        case 3: tile = random_vector(rnd); break;
        case 4: tile = IxNode::Split(Kind::HalvesRows, {random_half(rnd, intra, rnd.below(4)), random_half(rnd, intra, rnd.below(4))}); break;
        case 5: tile = IxNode::Split(Kind::HalvesColumns, {random_half(rnd, intra, rnd.below(4)), random_half(rnd, intra, rnd.below(4))}); break;
        default: {
            std::vector<IxNode> parts;
            for (int q = 0; q < 4; q++) {
                parts.push_back(random_quarter(rnd, intra, rnd.below(6)));
            }
            tile = IxNode::Split(Kind::Quarters, parts);
            break;
        }
        }
        picture.tiles.push_back(std::move(tile));
    }
    return picture;
}

double IxPsnr(const std::vector<uint16_t> &a, const std::vector<uint16_t> &b)
{
    double sum = 0;
    for (size_t i = 0; i < a.size(); i++) {
        auto expand = [](uint16_t px, int ch) {
            if (ch == 0) {
                int v = (px >> 11) & 31;
                return (v << 3) | (v >> 2);
            }
            if (ch == 1) {
                int v = (px >> 5) & 63;
                return (v << 2) | (v >> 4);
            }
            int v = px & 31;
            return (v << 3) | (v >> 2);
        };
        for (int ch = 0; ch < 3; ch++) {
            const double d = expand(a[i], ch) - expand(b[i], ch);
            sum += d * d;
        }
    }
    const double mse = sum / (3.0 * double(a.size()));
    return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

} // namespace kalder_test
