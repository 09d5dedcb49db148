// The 256-colour film writer: hand-made delta ops, pair order and a model-driven encoder.
#include "tests/support/hnm4_writer.h"

#include <algorithm>
#include <cstdlib>

#include "tests/support/hnm4_model.h"
#include "tests/support/lz_packer.h"

namespace kalder_test {

Hnm4Ops &Hnm4Ops::Literal(uint8_t top, uint8_t bottom) { return Raw({0x00, top, bottom}); }

Hnm4Ops &Hnm4Ops::Skip(uint32_t n)
{
    if (n < 256) {
        return Raw({0x20, uint8_t(n)});
    }
    return Raw({0x40, uint8_t(n), uint8_t(n >> 8)});
}

Hnm4Ops &Hnm4Ops::Fill(uint8_t count, uint8_t v) { return Raw({0x60, count, v}); }

Hnm4Ops &Hnm4Ops::Copy(uint32_t mode, uint32_t offset, uint32_t count)
{
    const uint32_t op = (count & 31) | (mode & 15) << 5 | (offset & 0x7FFF) << 9;
    return Raw({uint8_t(op), uint8_t(op >> 8), uint8_t(op >> 16)});
}

Hnm4Ops &Hnm4Ops::End(uint8_t first) { return Raw({first}); }

Hnm4Ops &Hnm4Ops::Raw(const std::vector<uint8_t> &bytes)
{
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

std::vector<uint8_t> PairOrder(const std::vector<uint8_t> &picture, int32_t width, int32_t height)
{
    std::vector<uint8_t> out(size_t(width) * size_t(height));
    for (int32_t y = 0; y < height; y++) {
        for (int32_t c = 0; c < width; c++) {
            out[(size_t(y / 2) * size_t(width) + size_t(c)) * 2 + size_t(y & 1)] = picture[size_t(y) * size_t(width) + size_t(c)];
        }
    }
    return out;
}

std::vector<uint8_t> RowOrder(const std::vector<uint8_t> &pairs, int32_t width, int32_t height)
{
    std::vector<uint8_t> out(size_t(width) * size_t(height));
    for (int32_t y = 0; y < height; y++) {
        for (int32_t c = 0; c < width; c++) {
            out[size_t(y) * size_t(width) + size_t(c)] = pairs[(size_t(y / 2) * size_t(width) + size_t(c)) * 2 + size_t(y & 1)];
        }
    }
    return out;
}

std::vector<uint8_t> Hnm4Intra(const std::vector<uint8_t> &picture, int32_t width, int32_t height)
{
    const std::vector<uint8_t> pairs = PairOrder(picture, width, height);
    std::vector<uint8_t> out(4, 0);
    const std::vector<uint8_t> packed = LzPack(pairs.data(), pairs.size());
    out.insert(out.end(), packed.begin(), packed.end());
    return out;
}

namespace {

// Pairs a copy of this mode from j would produce at i, matching the wanted ones, at most 31. Pairs the
// copy writes before it reads them count as already wanted.
int32_t copy_run(Hnm4Model &model, const std::vector<uint8_t> &want, int64_t i, int64_t j, int32_t mode)
{
    std::vector<uint8_t> &build = model.Build();
    const int64_t pairs = model.Pairs();
    const int32_t most = int32_t(std::min<int64_t>(31, pairs - i));
    std::vector<uint8_t> saved(build.begin() + long(2 * i), build.begin() + long(2 * (i + most)));
    int32_t n = 0;
    for (; n < most; n++) {
        if (!model.CopyFits(i, j, n + 1, mode)) {
            break;
        }
        uint8_t pair[2];
        model.CopyPair(j, n, mode, pair);
        if (pair[0] != want[size_t(2 * (i + n))] || pair[1] != want[size_t(2 * (i + n) + 1)]) {
            break;
        }
        build[size_t(2 * (i + n))] = pair[0];
        build[size_t(2 * (i + n) + 1)] = pair[1];
    }
    std::copy(saved.begin(), saved.end(), build.begin() + long(2 * i));
    return n;
}

std::vector<uint8_t> delta_ops(Hnm4Model &model, const std::vector<uint8_t> &want, bool coverage)
{
    Hnm4Ops ops;
    // The build buffer takes each run's wanted pairs while the ops are chosen, so that later copies
    // read what the decoder will have written; it is put back for the model's own decoding.
    std::vector<uint8_t> &build = model.Build();
    const std::vector<uint8_t> saved = build;
    const std::vector<uint8_t> &other = model.Other();
    auto wrote = [&](int64_t from, int64_t n) {
        std::copy(want.begin() + long(2 * from), want.begin() + long(2 * (from + n)), build.begin() + long(2 * from));
    };
    const int64_t pairs = model.Pairs();
    auto same = [&](const std::vector<uint8_t> &v, int64_t k) {
        return v[size_t(2 * k)] == want[size_t(2 * k)] && v[size_t(2 * k + 1)] == want[size_t(2 * k + 1)];
    };
    int64_t i = 0;
    while (i < pairs) {
        int64_t run = 0;
        while (i + run < pairs && run < 65535 && same(build, i + run)) {
            run++;
        }
        if (run > 0) {
            if (i + run == pairs) {
                break; // the end op keeps the rest
            }
            ops.Skip(uint32_t(run));
            i += run;
            continue;
        }
        run = 0;
        while (i + run < pairs && run < 31 && same(other, i + run)) {
            run++;
        }
        if (run >= 2) {
            ops.Copy(1, 16384, uint32_t(run));
            wrote(i, run);
            i += run;
            continue;
        }
        const uint8_t v = want[size_t(2 * i)];
        run = 0;
        while (i + run < pairs && run < 255 && want[size_t(2 * (i + run))] == v && want[size_t(2 * (i + run) + 1)] == v) {
            run++;
        }
        if (run >= 2) {
            ops.Fill(uint8_t(run), v);
            wrote(i, run);
            i += run;
            continue;
        }
        int32_t best = 0;
        int32_t best_mode = 0;
        int64_t best_j = 0;
        const int32_t last_mode = coverage ? 15 : 0;
        for (int32_t mode = 0; mode <= last_mode; mode++) {
            for (const int64_t j : {i - 1, i - 2, i - 4, i - model.Width(), i, i + 3, i + 30}) {
                if (j - i < -16384 || j - i > 16383 || ((mode & 1) == 0 && j == i)) {
                    continue;
                }
                const int32_t n = copy_run(model, want, i, j, mode);
                if (n > best) {
                    best = n;
                    best_mode = mode;
                    best_j = j;
                }
            }
        }
        if (best >= (coverage ? 1 : 2)) {
            ops.Copy(uint32_t(best_mode), uint32_t(best_j - i + 16384), uint32_t(best));
            wrote(i, best);
            i += best;
            continue;
        }
        ops.Literal(want[size_t(2 * i)], want[size_t(2 * i + 1)]);
        wrote(i, 1);
        i++;
    }
    ops.End();
    build = saved;
    return ops.Bytes();
}

} // namespace

Hnm4Film Hnm4Encoder::Encode(const std::vector<std::vector<uint8_t>> &pictures) const
{
    Hnm4Film film;
    Hnm4Model model(256, height_);
    for (size_t p = 0; p < pictures.size(); p++) {
        const bool intra = p == 0 || (key_ != 0 && p % key_ == 0);
        Hnm4Chunk chunk{intra ? 'Z' : 'U', {}};
        if (intra) {
            chunk.payload = Hnm4Intra(pictures[p], 256, height_);
        } else {
            chunk.payload = delta_ops(model, PairOrder(pictures[p], 256, height_), coverage_);
        }
        model.Decode(chunk.subtype, chunk.payload);
        film.pictures.push_back(model.Picture());
        film.chunks.push_back(std::move(chunk));
    }
    return film;
}

std::vector<uint8_t> DemoHnm4Picture(uint32_t index)
{
    std::vector<uint8_t> out(256 * 256);
    const int32_t turn = int32_t(index % 60) * 6; // degrees
    const int32_t bar = int32_t(index * 4 % 256);
    for (int32_t y = 0; y < 256; y++) {
        for (int32_t x = 0; x < 256; x++) {
            const int32_t dx = x - 128;
            const int32_t dy = y - 128;
            uint8_t v;
            if (y >= bar && y < bar + 12) {
                v = 255;
            } else if (dx * dx + dy * dy > 120 * 120) {
                v = 0;
            } else {
                // The sector from an integer angle estimate: 16 sectors of 16 colours.
                const int32_t ax = std::abs(dx);
                const int32_t ay = std::abs(dy);
                int32_t octant_angle = (ax + ay) == 0 ? 0 : (45 * std::min(ax, ay)) / std::max(ax, ay);
                int32_t angle = ax >= ay ? octant_angle : 90 - octant_angle;
                if (dx < 0) {
                    angle = 180 - angle;
                }
                if (dy < 0) {
                    angle = 360 - angle;
                }
                angle = (angle + turn) % 360;
                const int32_t radius = (dx * dx + dy * dy) / (120 * 120 / 4 + 1);
                v = uint8_t(1 + angle * 16 / 360 * 16 + radius * 3);
            }
            out[size_t(y) * 256 + size_t(x)] = v;
        }
    }
    return out;
}

std::vector<uint8_t> NoiseHnm4Picture(int32_t height, uint32_t seed)
{
    std::vector<uint8_t> out(256 * size_t(height));
    uint32_t s = seed * 2654435761u + 1;
    for (size_t k = 0; k < out.size(); k++) {
        s = s * 1103515245u + 12345u;
        const bool flat = ((k / 256) / 2 + (k % 256) / 16 + seed) % 3 == 0;
        out[k] = flat ? uint8_t(seed * 7) : uint8_t(s >> 24);
    }
    return out;
}

} // namespace kalder_test
