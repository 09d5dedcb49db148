// Height-map files for tests, fuzz seeds and kdev: any header, literal and ramp runs, and damage.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace kalder_test {

struct HmapRun {
    uint8_t tag = 1;                // 1: literal samples; anything else: a ramp
    uint16_t count = 0;             // written as it is, whatever the samples hold
    std::vector<uint16_t> samples;  // a literal run's samples
    int32_t start = 0, step = 0;    // a ramp's
};

// A literal run of the given samples, and a ramp run (tag 0 unless another is given).
HmapRun LiteralRun(const std::vector<uint16_t> &samples);
HmapRun RampRun(uint16_t count, int32_t start, int32_t step, uint8_t tag = 0);

struct HmapWriter {
    int32_t width = 0, height = 0;
    int32_t shift = 0;
    int32_t word12 = 0;
    int32_t lens = 400;
    float position[3] = {0, 0, 0};
    float target[3] = {0, 0, 1000};
    std::vector<HmapRun> runs;
    size_t truncate_at = SIZE_MAX; // the file is cut after this many bytes

    // The file's bytes.
    std::vector<uint8_t> Bytes() const;
    // Sets the grid's size and shift and fills it with literal runs of (2^30 / z(x, y)) >> shift, row by
    // row; z of 0 or less gives the sample 0.
    void FromDepth(int32_t w, int32_t h, int32_t sample_shift, const std::function<double(int32_t, int32_t)> &z);
};

// The sample that stands for depth z at the given shift.
uint16_t DepthSample(double z, int32_t shift);

} // namespace kalder_test
