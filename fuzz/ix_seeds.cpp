// Seeds of the IX picture harness, made with the encoder: intra and inter pictures of the synthetic film,
// random pictures using every branch of the trees, a picture past the nibble buffer's refill, and each
// kind of damage, in <folder>/ix.
#include <climits>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/ix_encoder.h"
#include "tests/support/synthetic_film.h"

namespace {

using Bytes = std::vector<uint8_t>;
using namespace kalder_test;

bool Write(const std::filesystem::path &file, uint8_t mode, const Bytes &payload)
{
    std::FILE *f = std::fopen(file.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    bool ok = std::fputc(mode, f) != EOF && std::fwrite(payload.data(), 1, payload.size(), f) == payload.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

bool WriteIxSeeds(const char *folder)
{
    const std::filesystem::path dir = std::filesystem::path(folder) / "ix";
    std::filesystem::create_directories(dir);
    const std::vector<uint16_t> f0 = SyntheticFilmFrame(0), f1 = SyntheticFilmFrame(1);
    const IxEncoded intra = EncodeIntra(f0, 90);
    bool ok = Write(dir / "intra", 0, intra.payload) && Write(dir / "intra-555", 1, intra.payload) &&
              Write(dir / "inter", 2, EncodeInter(f1, intra.predicted, 75, &f0).payload);
    for (uint32_t seed = 1; seed <= 2; seed++) {
        for (bool is_intra : {true, false}) {
            const std::string name = std::string(is_intra ? "random-intra-" : "random-inter-") + std::to_string(seed);
            ok = ok && Write(dir / name, uint8_t(seed + 1), IxWrite(IxRandomPicture(seed, is_intra, 40)).payload);
        }
    }
    // Long tiles of 573 codes, more than the buffer holds before the refill.
    IxPicture refill;
    refill.intra = true;
    refill.quality = 20;
    for (int t = 0; t < 40; t++) {
        int32_t values[3][64];
        for (int c = 0; c < 3; c++) {
            for (int k = 0; k < 64; k++) {
                values[c][k] = (k * 37 + t * 11 + c) % 256 - 128;
            }
        }
        refill.tiles.push_back(IxNode::Coded(IxCodeValues(values)));
    }
    ok = ok && Write(dir / "refill", 0, IxWrite(refill).payload);

    // Damage: each kind the decoder must refuse or stop at.
    IxPicture spirals;
    spirals.tiles.assign(80 * 38, IxNode::Spiral(0));
    IxPicture vectors;
    vectors.tiles.assign(80 * 38, IxNode::Vector(3, 0, 127, true));
    IxPicture nocode = spirals;
    nocode.tiles[300] = IxNode::Split(IxNode::Kind::NoCode, {});
    auto damaged = [&](const char *name, const IxPicture &p, auto change) {
        IxDamage d;
        change(d);
        return Write(dir / name, 2, IxWrite(p, d).payload);
    };
    const Bytes good = IxWrite(spirals).payload;
    ok = ok && Write(dir / "short-header", 2, Bytes(good.begin(), good.begin() + 23)) &&
         Write(dir / "no-code", 2, IxWrite(nocode).payload) &&
         damaged("offset-past-end", spirals, [&](IxDamage &d) { d.offsets[1] = uint32_t(good.size() + 9); }) &&
         damaged("end-before-start", spirals, [](IxDamage &d) { d.offsets[4] = 24; d.offsets[3] = 25; }) &&
         damaged("quality-zero", refill, [](IxDamage &d) { d.raw_quality = 0; }) &&
         damaged("quality-lowest", refill, [](IxDamage &d) { d.raw_quality = INT32_MIN; }) &&
         damaged("control-cut", spirals, [](IxDamage &d) { d.last_stream = 1; d.cut = 5; }) &&
         damaged("vectors-cut", vectors, [](IxDamage &d) { d.last_stream = 2; d.cut = 3; }) &&
         damaged("spiral-cut", spirals, [](IxDamage &d) { d.last_stream = 3; d.cut = 1; }) &&
         damaged("codes-cut", refill, [&](IxDamage &d) {
             d.cut = 2000;
             d.offsets[4] = uint32_t(IxWrite(refill).payload.size() - 2000);
         });
    return ok;
}
