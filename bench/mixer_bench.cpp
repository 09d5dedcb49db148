// The sound mixer (with and without CD audio) against SDL's own mixing of the same sources, the sound module's copies against
// memcpy, an effect request on headless, and the bank's load against a plain read of its file.
#include <cstring>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <fcntl.h>

#ifdef KALDER_HAVE_SDL
#include <SDL.h>
#endif

#include "bench/summary.h"
#include "core/fsb.h"
#include "core/snd.h"
#include "plat/files.h"
#include "plat/sound.h"
#include "plat/test.h"
#include "platform/common/cd_internal.h"
#include "platform/common/sound_internal.h"
#include "tests/support/fsb_writer.h"
#include "tests/support/temp_drives.h"
#include "tests/support/wav_writer.h"

namespace {

using kalder_test::WavFormat;
using kalder_test::WavSamples;
using kalder_test::Wave;

struct Source {
    WavFormat format;
    uint32_t bytes;
    int32_t volume;
    int32_t pan;
};

// One effect; or five effects, the film stream and the voice, as in a busy scene with dialogue.
std::vector<Source> Sources(int count)
{
    std::vector<Source> all = {
        {{1, 11025, 16}, 102400, -10, 0},     {{1, 11025, 16}, 102400, -307, -602},
        {{1, 11025, 16}, 102400, -1754, 602}, {{1, 11025, 16}, 102400, -600, 3612},
        {{1, 11025, 16}, 102400, -900, -3612}, {{2, 22050, 16}, 176400, -10, 0},
        {{1, 11025, 8}, 307200, -10, 0},
    };
    all.resize(size_t(count));
    return all;
}

std::vector<uint8_t> Samples(const Source &s)
{
    uint32_t align = uint32_t(s.format.channels * s.format.bits / 8);
    return WavSamples(s.format, Wave::Noise, s.bytes / align, 440.0, 0.4);
}

PLAT_SoundDevice *OpenWith(const std::vector<Source> &sources)
{
    test::Reset();
    test::SetSoundDevice(true);
    PLAT_SoundDevice *device = PLAT_SoundOpen();
    for (const Source &s : sources) {
        PLAT_SoundBuffer *b =
            PLAT_SoundCreateBuffer(device, 0, s.format.channels, s.format.rate, s.format.bits, s.bytes);
        std::vector<uint8_t> samples = Samples(s);
        PLAT_SoundLock lock{};
        PLAT_SoundLockBuffer(b, 0, s.bytes, &lock);
        std::memcpy(lock.part1, samples.data(), lock.size1);
        PLAT_SoundUnlockBuffer(b, lock);
        PLAT_SoundSetVolume(b, s.volume);
        PLAT_SoundSetPan(b, s.pan);
        PLAT_SoundPlay(b, 1);
    }
    return device;
}

// CD audio as the SDL device plays it: a decoded stereo track at unity gain, moved by the disc model
// (played again from its start whenever it ends).
std::vector<int16_t> CdTrack()
{
    const WavFormat f{2, 22050, 16};
    const std::vector<uint8_t> bytes = WavSamples(f, Wave::Noise, 22050 * 10, 440.0, 0.4);
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

struct CdSource {
    CDM_Disc disc;
    std::vector<int16_t> samples = CdTrack();
    int64_t *acc = nullptr;
    CdSource()
    {
        CDM_Load(disc, {samples.size() / 2});
        CDM_Play(disc, 1, 0);
    }
    static void Mix(void *context, int64_t *acc, uint32_t frames)
    {
        auto *cd = static_cast<CdSource *>(context);
        if (cd->disc.play != CDM_PLAYING) {
            CDM_Play(cd->disc, 1, 0);
        }
        cd->acc = acc;
        CDM_Advance(cd->disc, frames, CDM_Visitor{[](void *c, uint32_t, uint64_t frame, uint32_t n, uint32_t offset) {
                                                      auto *s = static_cast<CdSource *>(c);
                                                      if (s->acc != nullptr) {
                                                          CDM_AddFrames(s->acc + size_t(offset) * 2, s->samples, frame, n);
                                                      }
                                                  },
                                                  cd});
    }
};

// sources: 1 effect; 7 = five effects, the film stream and the voice; 8 = the same and CD audio.
void BM_Mix(benchmark::State &state)
{
    const uint32_t frames = uint32_t(state.range(0));
    PLAT_SoundDevice *device = OpenWith(Sources(int(std::min<int64_t>(state.range(1), 7))));
    CdSource cd;
    if (state.range(1) == 8) {
        device->sources.push_back(SNDM_Source{CdSource::Mix, &cd});
    }
    std::vector<int16_t> out(size_t(frames) * 2);
    for (auto _ : state) {
        SNDM_Mix(device, out.data(), frames);
        benchmark::DoNotOptimize(out.data());
    }
    PLAT_SoundClose(device);
    test::Reset();
    state.counters["sound_s/s"] = benchmark::Counter(double(state.iterations()) * frames / 22050.0,
                                                     benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Mix)->ArgsProduct({{512, 1024}, {1, 7, 8}})->ArgNames({"frames", "sources"});

#ifdef KALDER_HAVE_SDL
// The peer: SDL's mixer adds the same sources, converted beforehand to the output's 22,050 Hz stereo
// S16 (outside the timing), each at its left gain as a volume of 0..128.
void BM_MixSDL(benchmark::State &state)
{
    const uint32_t frames = uint32_t(state.range(0));
    std::vector<std::vector<int16_t>> converted;
    std::vector<int> volumes;
    if (state.range(1) == 8) {
        converted.push_back(CdTrack());
        volumes.push_back(SDL_MIX_MAXVOLUME);
    }
    for (const Source &s : Sources(int(std::min<int64_t>(state.range(1), 7)))) {
        std::vector<uint8_t> samples = Samples(s);
        uint32_t align = uint32_t(s.format.channels * s.format.bits / 8);
        uint32_t source_frames = s.bytes / align;
        uint32_t repeat = 22050 / uint32_t(s.format.rate);
        std::vector<int16_t> c;
        for (uint32_t f = 0; f < source_frames; f++) {
            for (int ch = 0; ch < 2; ch++) {
                int from = s.format.channels == 2 ? ch : 0;
                int16_t v;
                if (s.format.bits == 16) {
                    std::memcpy(&v, &samples[(f * s.format.channels + from) * 2], 2);
                } else {
                    v = int16_t((samples[f * s.format.channels + from] - 128) * 256);
                }
                c.push_back(v);
            }
        }
        std::vector<int16_t> stretched;
        for (size_t f = 0; f < c.size() / 2; f++) {
            for (uint32_t r = 0; r < repeat; r++) {
                stretched.push_back(c[2 * f]);
                stretched.push_back(c[2 * f + 1]);
            }
        }
        converted.push_back(std::move(stretched));
        volumes.push_back(int(SNDM_Gain(s.volume) * SDL_MIX_MAXVOLUME / 65536));
    }
    std::vector<int16_t> out(size_t(frames) * 2);
    size_t at = 0;
    for (auto _ : state) {
        std::memset(out.data(), 0, out.size() * 2);
        for (size_t i = 0; i < converted.size(); i++) {
            size_t start = (at % (converted[i].size() / 2 - frames)) * 2;
            SDL_MixAudioFormat(reinterpret_cast<Uint8 *>(out.data()),
                               reinterpret_cast<const Uint8 *>(converted[i].data() + start), AUDIO_S16SYS,
                               frames * 4, volumes[i]);
        }
        at += frames;
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["sound_s/s"] = benchmark::Counter(double(state.iterations()) * frames / 22050.0,
                                                     benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MixSDL)->ArgsProduct({{512, 1024}, {1, 7, 8}})->ArgNames({"frames", "sources"});
#endif

// A started sound module with a bank of 32 tones, for the copies and the effect requests.
struct Started {
    kalder_test::TempDrives drives{"D"};
    Started()
    {
        test::Reset();
        test::MapDrive('D', drives.Host('D'));
        test::ResetCurrentDirectories();
        test::SetSoundDevice(true);
        drives.Write('D', "FSB.DAT", kalder_test::FsbImage(kalder_test::DemoSounds(32)));
        SND_Init(8);
        FSB_Load("D:\\FSB.DAT");
    }
    ~Started()
    {
        FSB_Free();
        SND_Shutdown();
        test::Reset();
    }
};

// The headless device logs every call; the log is emptied now and then, outside the timing.
void ForgetCalls(benchmark::State &state, int64_t n)
{
    if (n % 65536 == 0) {
        state.PauseTiming();
        test::ClearSoundCalls();
        state.ResumeTiming();
    }
}

void BM_SndCopy(benchmark::State &state)
{
    Started started;
    const uint32_t bytes = uint32_t(state.range(0));
    std::vector<uint8_t> data(bytes, 0x55);
    SND_Channel *record = bytes == 5880 ? &SND_Stream : &SND_Channels[0];
    int64_t n = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(SND_CopyToBuffer(record, data.data(), bytes, 0));
        ForgetCalls(state, ++n);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes);
}
BENCHMARK(BM_SndCopy)->Arg(102400)->Arg(5880)->ArgName("bytes");

void BM_Memcpy(benchmark::State &state)
{
    const size_t bytes = size_t(state.range(0));
    std::vector<uint8_t> from(bytes, 0x55);
    std::vector<uint8_t> to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}
BENCHMARK(BM_Memcpy)->Arg(102400)->Arg(5880)->ArgName("bytes");

// Pick, lock, copy and play: one tone on the last channel, again and again.
void BM_PlayEffect(benchmark::State &state)
{
    Started started;
    SND_Request request{1, 7, SND_LAST_CHANNEL, nullptr, 0};
    int64_t n = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(SND_PlayEffect(&request));
        ForgetCalls(state, ++n);
    }
}
BENCHMARK(BM_PlayEffect);

// A 4 MB bank: 40 sounds of 100 KB.
struct BigBank {
    kalder_test::TempDrives drives{"D"};
    BigBank()
    {
        test::Reset();
        test::MapDrive('D', drives.Host('D'));
        test::ResetCurrentDirectories();
        const WavFormat format{1, 11025, 16};
        std::vector<std::vector<uint8_t>> sounds(
            40, kalder_test::WavImage(format, WavSamples(format, Wave::Noise, 52428)));
        drives.Write('D', "FSB.DAT", kalder_test::FsbImage(sounds));
    }
};

void BM_FsbLoad(benchmark::State &state)
{
    BigBank bank;
    for (auto _ : state) {
        FSB_Load("D:\\FSB.DAT");
        benchmark::DoNotOptimize(FSB_Block);
        FSB_Free();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 40 * (52428 * 2 + 44));
}
BENCHMARK(BM_FsbLoad)->Unit(benchmark::kMillisecond);

void BM_FsbPlainRead(benchmark::State &state)
{
    BigBank bank;
    std::vector<uint8_t> buffer(40 * (52428 * 2 + 44) + 16 + 160);
    for (auto _ : state) {
        int fd = PLAT_Open("D:\\FSB.DAT", O_RDONLY);
        benchmark::DoNotOptimize(PLAT_Read(fd, buffer.data(), uint32_t(buffer.size())));
        PLAT_Close(fd);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(buffer.size()));
}
BENCHMARK(BM_FsbPlainRead)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    // Seconds of sound a second where a run mixes, MB/s where it counts bytes, else seconds a run.
    SummaryReporter reporter([](const benchmark::BenchmarkReporter::Run &r, double *value) {
        auto sound = r.counters.find("sound_s/s");
        if (sound != r.counters.end()) {
            *value = double(sound->second);
            return true;
        }
        if (PickMegabytesPerSecond(r, value)) {
            return true;
        }
        if (!PickSecondsPerIteration(r, value) || *value <= 0) {
            return false;
        }
        *value = 1.0 / *value; // runs a second
        return true;
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nSound summary (above 1 is faster)\n");
    for (int frames : {512, 1024}) {
        for (int sources : {1, 7, 8}) {
            std::string args = "/frames:" + std::to_string(frames) + "/sources:" + std::to_string(sources);
            auto it = reporter.figures.find("BM_Mix" + args);
            if (it == reporter.figures.end()) {
                continue;
            }
            std::printf("mix %4d frames, %d source%s%s: %8.0f s of sound a second, %6.0f ns a callback | mixer/SDL %s\n",
                        frames, sources, sources == 1 ? " " : "s", sources == 8 ? " (with CD)" : "", it->second, 1e9 * frames / 22050.0 / it->second,
                        Ratio(reporter, "BM_Mix" + args, "BM_MixSDL" + args).c_str());
        }
    }
    for (int bytes : {102400, 5880}) {
        std::string arg = "/bytes:" + std::to_string(bytes);
        std::printf("copy %6d bytes: SND_CopyToBuffer/memcpy %s\n", bytes,
                    Ratio(reporter, "BM_SndCopy" + arg, "BM_Memcpy" + arg).c_str());
    }
    std::printf("bank of 4 MB: FSB_Load/plain read %s\n", Ratio(reporter, "BM_FsbLoad", "BM_FsbPlainRead").c_str());
    benchmark::Shutdown();
    return 0;
}
