// Writes RIFF WAVE images with the canonical 44-byte header, from sample generators, with knobs to
// damage them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kalder_test {

enum class Wave { Silence, Ramp, Sine, Square, Noise };

struct WavFormat {
    int channels = 1;
    int rate = 11025;
    int bits = 16;
};

// Samples as the data chunk stores them: frames x channels values of the format's width (16-bit
// little-endian signed, 8-bit unsigned). amplitude is a fraction of full scale; frequency in Hz (the
// ramp climbs one step a frame, the noise is a fixed sequence).
std::vector<uint8_t> WavSamples(const WavFormat &format, Wave wave, uint32_t frames, double frequency = 440.0,
                                double amplitude = 0.5);

struct WavDamage {
    int64_t riff_size = -1;   // override of the RIFF size at byte 4 (default 36 + data bytes)
    int64_t data_size = -1;   // override of the data size at byte 40
    int64_t truncate_at = -1; // cut the image at this byte
};

// The whole image: "RIFF", size, "WAVE", "fmt " 16 (PCM 1, channels, rate, byte rate, block align,
// bits), "data", data bytes, the samples.
std::vector<uint8_t> WavImage(const WavFormat &format, const std::vector<uint8_t> &samples,
                              const WavDamage &damage = {});

} // namespace kalder_test
