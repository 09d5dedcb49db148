// Seeds of the 256-colour picture harness, made with the encoder: plain and coverage films, an
// intra-only film, and each kind of damaged picture, in <folder>/hnm4.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/hnm4_writer.h"
#include "tests/support/lz_packer.h"

namespace {

using Bytes = std::vector<uint8_t>;
using namespace kalder_test;

void add_chunk(Bytes &out, char subtype, const Bytes &payload)
{
    out.push_back(uint8_t(subtype));
    const uint32_t n = uint32_t(payload.size());
    for (int k = 0; k < 4; k++) {
        out.push_back(uint8_t(n >> (8 * k)));
    }
    out.insert(out.end(), payload.begin(), payload.end());
}

Bytes film_input(int32_t height, const std::vector<Hnm4Chunk> &chunks)
{
    Bytes out{uint8_t((height - 2) / 2)};
    for (const Hnm4Chunk &c : chunks) {
        add_chunk(out, c.subtype, c.payload);
    }
    return out;
}

bool write(const std::filesystem::path &file, const Bytes &bytes)
{
    std::FILE *f = std::fopen(file.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

bool WriteHnm4Seeds(const char *folder)
{
    const std::filesystem::path dir = std::filesystem::path(folder) / "hnm4";
    std::filesystem::create_directories(dir);
    bool ok = true;
    struct Film {
        const char *name;
        int32_t height;
        uint32_t key;
        bool coverage;
    };
    for (const Film &f : {Film{"plain", 16, 3, false}, Film{"coverage", 8, 0, true}, Film{"intra-only", 32, 1, false}}) {
        std::vector<std::vector<uint8_t>> pictures;
        for (uint32_t p = 0; p < 5; p++) {
            pictures.push_back(NoiseHnm4Picture(f.height, p));
        }
        ok = ok && write(dir / f.name, film_input(f.height, Hnm4Encoder(f.height, f.key, f.coverage).Encode(pictures).chunks));
    }
    // The demo film's first two pictures, whole height.
    {
        const Hnm4Film demo = Hnm4Encoder(256, 30).Encode({DemoHnm4Picture(0), DemoHnm4Picture(1)});
        ok = ok && write(dir / "demo", film_input(256, demo.chunks));
    }
    // Damaged pictures after an intra picture of height 8 (1,024 pairs).
    const Hnm4Chunk intra{'Z', Hnm4Intra(NoiseHnm4Picture(8, 1), 256, 8)};
    Bytes cut_lz = intra.payload;
    cut_lz.resize(cut_lz.size() / 2);
    const std::vector<std::pair<const char *, Hnm4Chunk>> damaged = {
        {"op-cut-1", {'U', Hnm4Ops().Literal(1, 1).Raw({0x00}).Bytes()}},
        {"op-cut-2", {'U', Hnm4Ops().Literal(1, 1).Raw({0x40, 3}).Bytes()}},
        {"copy-past-end", {'U', Hnm4Ops().Skip(1020).Copy(1, 16384, 5).End().Bytes()}},
        {"source-before-start", {'U', Hnm4Ops().Skip(4).Copy(0, 16384 - 5, 3).End().Bytes()}},
        {"shifted-above-band-0", {'U', Hnm4Ops().Skip(300).Copy(3, 16384 - 45, 2).End().Bytes()}},
        {"mirrored-below-0", {'U', Hnm4Ops().Skip(10).Copy(5, 16384 - 9, 3).End().Bytes()}},
        {"fill-past-end", {'U', Hnm4Ops().Skip(1021).Fill(5, 9).End().Bytes()}},
        {"fill-0", {'U', Hnm4Ops().Fill(0, 9).End().Bytes()}},
        {"intra-short", {'Z', {0, 0, 0}}},
        {"lz-cut", {'Z', cut_lz}},
    };
    for (const auto &[name, chunk] : damaged) {
        ok = ok && write(dir / name, film_input(8, {intra, chunk, {'U', Hnm4Ops().Copy(1, 16384, 31).End().Bytes()}}));
    }
    return ok;
}
