// Seeds of the hi-colour harness, made with the op writer and the encoder: the three example payloads,
// pictures of the encoded film, random valid streams, and each kind of damage, with palettes and screen sizes varied, in <folder>/iv.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/iv_film.h"
#include "tests/support/iv_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;
using kalder_test::IvWriter;

bool Write(const std::filesystem::path &file, uint8_t choice, const Bytes &palette, const Bytes &picture)
{
    Bytes bytes = {choice, uint8_t(palette.size())};
    bytes.insert(bytes.end(), palette.begin(), palette.end());
    bytes.insert(bytes.end(), picture.begin(), picture.end());
    std::FILE *f = std::fopen(file.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

bool WriteIvSeeds(const char *folder)
{
    const std::filesystem::path dir = std::filesystem::path(folder) / "iv";
    std::filesystem::create_directories(dir);
    // A palette run of 20 colours from 240 (past the end of the palette) and a short one.
    Bytes palette = {240, 20};
    for (int i = 0; i < 60; i++) palette.push_back(uint8_t(i * 5));
    const Bytes cut_palette = {3, 0, 1, 2};
    IvWriter whole;
    whole.Mode(2);
    for (int band = 0; band < 150; band++) {
        whole.CopySame(255).CopySame(255).CopySame(127).BandEnd(band == 149 ? 1 : 2);
    }
    struct Seed {
        std::string name;
        Bytes picture;
    };
    std::vector<Seed> seeds = {
        {"rows", {0, 2, 0x20, 0xFF, 0x20, 0xFF, 0x20, 0x7F, 0xE0, 0x01}},
        {"literal", {0, 3, 0xA0, 0, 1, 2, 3, 4, 5, 6, 0xE0, 0, 0xFF, 9, 0xE0, 0, 0xFF, 9, 0xE0, 0, 0x7D, 9, 0xE0, 1}},
        {"whole", whole.Bytes()},
        {"mode-48", IvWriter().Mode(2).CopySame(3).BandEnd(48).Bytes()},
        {"cut-run", IvWriter().Mode(2).CopySame(3).Raw({0x00, 0x00}).Bytes()},
        {"cut-literal", IvWriter().Mode(4).Raw({0xA0, 3, 1, 2}).Bytes()},
        {"window-above", IvWriter().Mode(33).Run(0, 31, 0).BandEnd(1).Bytes()},
        {"offset-before", IvWriter().Mode(2).Run(7, 31, 0).BandEnd(1).Bytes()},
        {"one-byte", {0}},
    };
    // Pictures of the encoded film: the first (from cleared frames), later ones, and one in coverage mode.
    const kalder_test::IvFilm &film = kalder_test::IvSyntheticFilm();
    for (size_t k : {size_t(0), size_t(1), size_t(2), size_t(9)}) {
        seeds.push_back({"encoded-" + std::to_string(k), film.payloads[k]});
    }
    for (uint32_t seed = 1; seed <= 6; seed++) {
        const Bytes stream = kalder_test::IvRandomStream(seed).payload;
        seeds.push_back({"random-" + std::to_string(seed), stream});
        seeds.push_back({"random-cut-" + std::to_string(seed), Bytes(stream.begin(), stream.begin() + long(stream.size() / 2))});
    }
    bool ok = true;
    uint8_t choice = 0;
    for (const Seed &s : seeds) {
        // Every reference pattern, pixel format and screen size in turn.
        ok = ok && Write(dir / s.name, choice, choice % 3 == 2 ? cut_palette : palette, s.picture);
        choice = uint8_t(choice + 5);
    }
    return ok;
}
