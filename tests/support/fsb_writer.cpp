// Writes FSB sound banks from WAVE images.
#include "tests/support/fsb_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tests/support/pack_writer.h"
#include "tests/support/wav_writer.h"

namespace kalder_test {

namespace {

void put32(std::vector<uint8_t> &out, uint32_t v)
{
    for (int i = 0; i < 4; i++) {
        out.push_back(uint8_t(v >> (8 * i)));
    }
}

} // namespace

std::vector<uint8_t> FsbImage(const std::vector<std::vector<uint8_t>> &sounds, const FsbOptions &options)
{
    std::vector<uint8_t> out(options.magic.begin(), options.magic.end());
    put32(out, options.count >= 0 ? uint32_t(options.count) : uint32_t(sounds.size()));
    for (size_t i = 0; i < sounds.size(); i++) {
        auto it = options.sizes.find(i);
        put32(out, it != options.sizes.end() ? it->second : uint32_t(sounds[i].size()));
    }
    for (const std::vector<uint8_t> &s : sounds) {
        out.insert(out.end(), s.begin(), s.end());
    }
    out.insert(out.end(), options.surplus.begin(), options.surplus.end());
    if (options.truncate_at >= 0 && size_t(options.truncate_at) < out.size()) {
        out.resize(size_t(options.truncate_at));
    }
    return out;
}

bool WriteFsb(const std::string &host_path, const std::vector<std::vector<uint8_t>> &sounds,
              const FsbOptions &options)
{
    return WriteHostFile(host_path, FsbImage(sounds, options));
}

std::vector<std::vector<uint8_t>> DemoSounds(int count)
{
    const WavFormat format{1, 11025, 16};
    const uint32_t frames = 2205;            // 0.2 s
    const uint32_t fade = 55;                // 5 ms
    std::vector<std::vector<uint8_t>> sounds;
    for (int i = 0; i < count; i++) {
        double frequency = 220.0 * std::pow(2.0, i / 12.0);
        std::vector<uint8_t> samples = WavSamples(format, Wave::Sine, frames, frequency, 0.5);
        for (uint32_t f = 0; f < frames; f++) {
            uint32_t edge = std::min(f, frames - 1 - f);
            if (edge >= fade) {
                continue;
            }
            int16_t s;
            std::memcpy(&s, &samples[f * 2], 2);
            s = int16_t(std::lround(s * double(edge) / fade));
            std::memcpy(&samples[f * 2], &s, 2);
        }
        sounds.push_back(WavImage(format, samples));
    }
    return sounds;
}

} // namespace kalder_test
