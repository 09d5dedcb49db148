// The demo's opening film (see demo_film.h).
#include "tests/support/demo_film.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

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

std::vector<uint8_t> DemoFilmImage() { return DemoToneFilm(SyntheticFilmPictures(int(kDemoFilmFrames)), true); }

bool WriteDemoFilm(const std::string &disc_host)
{
    const std::string dir = disc_host + "/DATA/HNM";
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    return !error && WriteHostFile(disc_host + "/" + kDemoFilmDiscPath, DemoFilmImage());
}

} // namespace kalder_test
