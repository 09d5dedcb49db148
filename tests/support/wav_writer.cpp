// Writes RIFF WAVE images with the canonical 44-byte header, from sample generators.
#include "tests/support/wav_writer.h"

#include <cmath>
#include <cstring>

namespace kalder_test {

namespace {

void put32(std::vector<uint8_t> &out, uint32_t v)
{
    for (int i = 0; i < 4; i++) {
        out.push_back(uint8_t(v >> (8 * i)));
    }
}

void put16(std::vector<uint8_t> &out, uint16_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

// A four-letter chunk name.
void put_text(std::vector<uint8_t> &out, const char *text)
{
    for (int i = 0; i < 4; i++) {
        out.push_back(uint8_t(text[i]));
    }
}

} // namespace

std::vector<uint8_t> WavSamples(const WavFormat &format, Wave wave, uint32_t frames, double frequency,
                                double amplitude)
{
    const double pi = 3.14159265358979323846;
    std::vector<uint8_t> out;
    uint32_t noise = 12345;
    for (uint32_t i = 0; i < frames; i++) {
        double phase = std::fmod(double(i) * frequency / format.rate, 1.0);
        double v = 0.0; // -1..1
        switch (wave) {
        case Wave::Silence:
            break;
        case Wave::Ramp:
            v = double(int32_t(i % 256) - 128) / 128.0;
            break;
        case Wave::Sine:
            v = std::sin(2.0 * pi * phase);
            break;
        case Wave::Square:
            v = phase < 0.5 ? 1.0 : -1.0;
            break;
        case Wave::Noise:
            noise = noise * 1103515245u + 12345u;
            v = double(int32_t(noise >> 16) - 32768) / 32768.0;
            break;
        }
        for (int c = 0; c < format.channels; c++) {
            if (format.bits == 16) {
                put16(out, uint16_t(int16_t(std::lround(v * amplitude * 32767.0))));
            } else {
                out.push_back(uint8_t(128 + std::lround(v * amplitude * 127.0)));
            }
        }
    }
    return out;
}

std::vector<uint8_t> WavImage(const WavFormat &format, const std::vector<uint8_t> &samples, const WavDamage &damage)
{
    const uint32_t data = uint32_t(samples.size());
    const uint16_t align = uint16_t(format.channels * format.bits / 8);
    std::vector<uint8_t> out;
    put_text(out, "RIFF");
    put32(out, damage.riff_size >= 0 ? uint32_t(damage.riff_size) : 36 + data);
    put_text(out, "WAVE");
    put_text(out, "fmt ");
    put32(out, 16);
    put16(out, 1);
    put16(out, uint16_t(format.channels));
    put32(out, uint32_t(format.rate));
    put32(out, uint32_t(format.rate) * align);
    put16(out, align);
    put16(out, uint16_t(format.bits));
    put_text(out, "data");
    put32(out, damage.data_size >= 0 ? uint32_t(damage.data_size) : data);
    out.insert(out.end(), samples.begin(), samples.end());
    if (damage.truncate_at >= 0 && size_t(damage.truncate_at) < out.size()) {
        out.resize(size_t(damage.truncate_at));
    }
    return out;
}

} // namespace kalder_test
