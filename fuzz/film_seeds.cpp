// The film player's seeds: the whole and damaged sample films, the demo's opening film and the start of
// its hi-colour film with sound on at 640 x 480, a 256-colour film of encoded pictures whole and cut, the
// demo's texture film whole and damaged, and the whole films again with sound off at 320 x 200.
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/demo_film.h"
#include "tests/support/film_samples.h"
#include "tests/support/film_writer.h"
#include "tests/support/iv_film.h"
#include "tests/support/iv_writer.h"
#include "tests/support/hnm4_writer.h"
#include "tests/support/pack_writer.h"

namespace fs = std::filesystem;

namespace {

// Six encoded 256 x 16 pictures, an intra picture every three, a palette before each of those.
std::vector<uint8_t> hnm4_film()
{
    std::vector<std::vector<uint8_t>> pictures;
    for (uint32_t p = 0; p < 6; p++) {
        pictures.push_back(kalder_test::NoiseHnm4Picture(16, p));
    }
    kalder_test::FilmWriter film("HNM4");
    film.Size(256, 16);
    for (const kalder_test::Hnm4Chunk &c : kalder_test::Hnm4Encoder(16, 3, true).Encode(pictures).chunks) {
        film.BeginFrame();
        if (c.subtype == 'Z') {
            film.Palette({{0, {{1, 2, 3}, {63, 0, 9}}}});
        }
        film.Chunk(std::string("I") + c.subtype, c.payload).EndFrame();
    }
    return film.Bytes();
}

} // namespace

bool WriteFilmSeeds(const char *folder)
{
    const fs::path dir = fs::path(folder) / "film";
    fs::create_directories(dir);
    const std::vector<kalder_test::FilmSample> whole = kalder_test::WholeFilmSamples();
    std::vector<kalder_test::FilmSample> films = whole;
    const std::vector<kalder_test::FilmSample> damaged = kalder_test::DamagedFilmSamples();
    films.insert(films.end(), damaged.begin(), damaged.end());
    films.push_back({"demo", kalder_test::DemoFilmImage()});
    // A hi-colour film of random pictures with a palette, whole and cut inside its second picture.
    kalder_test::FilmWriter iv("MIB2");
    kalder_test::PaletteRun ramp;
    for (int i = 0; i < 256; i++) {
        ramp.colours.push_back({uint8_t(i % 64), uint8_t(i / 4), uint8_t(63 - i % 64)});
    }
    for (uint32_t k = 0; k < 3; k++) {
        iv.BeginFrame();
        if (k == 0) {
            iv.Palette({ramp});
        }
        iv.Chunk("IV", kalder_test::IvRandomStream(40 + k).payload).EndFrame();
    }
    films.push_back({"iv", iv.Bytes()});
    const std::vector<uint8_t> iv_bytes = iv.Bytes();
    films.push_back({"iv-cut", std::vector<uint8_t>(iv_bytes.begin(), iv_bytes.begin() + long(iv.Boundaries()[4]) + 40)});
    // The demo's hi-colour film, its first four frames (the whole film is large for a seed): as it is, cut
    // inside its third picture, and with bytes of its second picture changed.
    const kalder_test::IvFilm &encoded = kalder_test::IvSyntheticFilm();
    kalder_test::FilmWriter demo2("MIB2");
    for (size_t k = 0; k < 4; k++) {
        demo2.BeginFrame();
        if (k == 0) {
            demo2.Palette({kalder_test::IvSyntheticPalette()});
        }
        demo2.Chunk("IV", encoded.payloads[k]).EndFrame();
    }
    const std::vector<uint8_t> demo2_bytes = demo2.Bytes();
    films.push_back({"demo2", demo2_bytes});
    // Frame headers and chunk headers: frame 1, PL, IV, frame 2, IV, frame 3, IV...
    const std::vector<size_t> &at = demo2.Boundaries();
    films.push_back({"demo2-cut", std::vector<uint8_t>(demo2_bytes.begin(), demo2_bytes.begin() + long(at[6]) + 500)});
    std::vector<uint8_t> scrambled = demo2_bytes;
    for (size_t k = at[4] + 12; k < at[5]; k += 97) {
        scrambled[k] ^= 0xA5;
    }
    films.push_back({"demo2-scrambled", scrambled});
    std::vector<uint8_t> hnm4 = hnm4_film();
    films.push_back({"hnm4", hnm4});
    hnm4.resize(hnm4.size() * 2 / 3);
    films.push_back({"hnm4-cut", hnm4});
    // The demo's texture film, whole, cut in its second intra picture, and with a delta picture's
    // ops overwritten.
    const std::vector<uint8_t> demo4 = kalder_test::DemoAnimFilmImage();
    films.push_back({"demo4", demo4});
    films.push_back({"demo4-cut", std::vector<uint8_t>(demo4.begin(), demo4.begin() + long(demo4.size() / 2))});
    std::vector<uint8_t> scribbled = demo4;
    for (size_t k = scribbled.size() / 4; k < scribbled.size() / 4 + 64; k++) {
        scribbled[k] = uint8_t(k * 37);
    }
    films.push_back({"demo4-scribbled", scribbled});
    bool ok = true;
    int n = 0;
    // Byte 0: bit 0 sound on, the rest the index of the screen size.
    auto write = [&](const kalder_test::FilmSample &film, uint8_t choice) {
        std::vector<uint8_t> bytes(1, choice);
        bytes.insert(bytes.end(), film.bytes.begin(), film.bytes.end());
        ok = ok && kalder_test::WriteHostFile((dir / ("film" + std::to_string(n++))).string(), bytes);
    };
    for (const kalder_test::FilmSample &film : films) {
        write(film, 1 | 1 << 1);
    }
    for (const kalder_test::FilmSample &film : whole) {
        write(film, 5 << 1);
    }
    return ok;
}
