// The demo's opening film (see demo_film.h).
#include "tests/support/demo_film.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "tests/support/film_cache.h"
#include "tests/support/film_writer.h"
#include "tests/support/pack_writer.h"
#include "tests/support/synthetic_film.h"

namespace kalder_test {

namespace {

constexpr int kRate = 22050;
constexpr size_t kToneBlocks = 45;
constexpr size_t kBlocks = 60;
constexpr size_t kPreroll = 15;
constexpr uint32_t kSubtitleFirst = 16, kSubtitleLast = 30;

} // namespace

std::vector<int16_t> DemoFilmSamples()
{
    const size_t frames_per_block = kFilmSoundCodes / 2;
    const int tone_frames = int(kToneBlocks * frames_per_block);
    const int fade = kRate / 100;
    std::vector<int16_t> samples(kBlocks * kFilmSoundCodes, 0);
    for (int i = 0; i < tone_frames; i++) {
        const double gain = std::min({1.0, double(i) / fade, double(tone_frames - 1 - i) / fade});
        const auto v = int16_t(std::lround(8192.0 * gain * std::sin(2 * M_PI * 440.0 * i / kRate)));
        samples[size_t(i) * 2] = v;
        samples[size_t(i) * 2 + 1] = v;
    }
    return samples;
}

std::vector<uint8_t> DemoToneFilm(const std::vector<std::vector<uint8_t>> &pictures, bool subtitled)
{
    const DeltaTable table = DefaultDeltaTable();
    const DpcmSound sound = EncodeDpcm(DemoFilmSamples(), table);
    FilmWriter film("HNS6");
    film.Size(640, 304);
    std::vector<std::vector<uint8_t>> first{SoundFirstPayload(table, sound.blocks[0])};
    for (size_t b = 1; b < kPreroll; b++) {
        first.push_back(sound.blocks[b]);
    }
    film.IXFrame(first, "", pictures[0]);
    for (uint32_t frame = 2; frame <= kDemoFilmFrames; frame++) {
        const bool titled = subtitled && frame >= kSubtitleFirst && frame <= kSubtitleLast;
        film.IXFrame({sound.blocks[kPreroll + frame - 2]}, titled ? kDemoFilmSubtitle : "", pictures[frame - 1]);
    }
    film.ZeroFrame();
    return film.Bytes();
}

std::vector<uint8_t> DemoFilmImage()
{
    return CachedFilm("demo.hnm", [] { return DemoToneFilm(SyntheticFilmPictures(int(kDemoFilmFrames)), true); });
}

bool WriteDemoFilm(const std::string &disc_host)
{
    const std::string dir = disc_host + "/DATA/HNM";
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    return !error && WriteHostFile(disc_host + "/" + kDemoFilmDiscPath, DemoFilmImage());
}

std::vector<PaletteRun> DemoAnimPalette(bool rotated)
{
    // Index 0 the background, 255 the bar; 1 + 16 s + k a sector s of the wheel (hue s x 22.5
    // degrees), k its ring, brighter inward.
    PaletteRun run;
    run.first = 0;
    run.colours.resize(256);
    run.colours[0] = {4, 6, 12};
    run.colours[255] = {63, 63, 56};
    for (int v = 1; v < 255; v++) {
        const int sector = ((v - 1) / 16 + (rotated ? 5 : 0)) % 16;
        const int ring = (v - 1) % 16;
        // A hue ramp over six segments of 16 / 6 sectors, in integers.
        const int h = sector * 96 / 16; // 0..95, 16 steps a segment
        const int segment = h / 16, f = (h % 16) * 4;
        const int level = 63 - ring * 2;
        int r = 0, g = 0, b = 0;
        switch (segment) {
        case 0: r = 63; g = f; break;
        case 1: r = 63 - f; g = 63; break;
        case 2: g = 63; b = f; break;
        case 3: g = 63 - f; b = 63; break;
        case 4: r = f; b = 63; break;
        default: r = 63; b = 63 - f; break;
        }
        run.colours[size_t(v)] = {uint8_t(r * level / 63), uint8_t(g * level / 63), uint8_t(b * level / 63)};
    }
    return {run};
}

Hnm4Film DemoAnimEncoded()
{
    std::vector<std::vector<uint8_t>> pictures;
    for (uint32_t p = 0; p < kDemoAnimPictures; p++) {
        pictures.push_back(DemoHnm4Picture(p));
    }
    return Hnm4Encoder(256, kDemoAnimKeyInterval).Encode(pictures);
}

std::vector<uint8_t> DemoAnimFilmImage()
{
    const Hnm4Film encoded = DemoAnimEncoded();
    FilmWriter film("HNM4");
    film.Size(256, 256);
    for (size_t p = 0; p < encoded.chunks.size(); p++) {
        film.BeginFrame();
        if (p % kDemoAnimKeyInterval == 0) {
            film.Palette(DemoAnimPalette(p != 0));
        }
        film.Chunk(std::string("I") + encoded.chunks[p].subtype, encoded.chunks[p].payload).EndFrame();
    }
    return film.Bytes();
}

bool WriteDemoAnimFilm(const std::string &install_host)
{
    std::error_code error;
    std::filesystem::create_directories(install_host + "/DATA/ANIM", error);
    return !error && WriteHostFile(install_host + "/" + kDemoAnimFilmInstallPath, DemoAnimFilmImage());
}

} // namespace kalder_test
