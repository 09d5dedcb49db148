// Height-map files for tests, fuzz seeds and kdev (see hmap_writer.h).
#include "tests/support/hmap_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kalder_test {

namespace {

void Put(std::vector<uint8_t> &out, const void *value, size_t n)
{
    const uint8_t *p = static_cast<const uint8_t *>(value);
    out.insert(out.end(), p, p + n);
}

} // namespace

HmapRun LiteralRun(const std::vector<uint16_t> &samples)
{
    HmapRun r;
    r.tag = 1;
    r.count = uint16_t(samples.size());
    r.samples = samples;
    return r;
}

HmapRun RampRun(uint16_t count, int32_t start, int32_t step, uint8_t tag)
{
    HmapRun r;
    r.tag = tag;
    r.count = count;
    r.start = start;
    r.step = step;
    return r;
}

std::vector<uint8_t> HmapWriter::Bytes() const
{
    std::vector<uint8_t> out;
    for (int32_t v : {width, height, shift, word12, lens}) {
        Put(out, &v, 4);
    }
    Put(out, position, 12);
    Put(out, target, 12);
    for (const HmapRun &r : runs) {
        out.push_back(r.tag);
        Put(out, &r.count, 2);
        if (r.tag == 1) {
            for (uint16_t s : r.samples) {
                Put(out, &s, 2);
            }
        } else {
            Put(out, &r.start, 4);
            Put(out, &r.step, 4);
        }
    }
    if (truncate_at < out.size()) {
        out.resize(truncate_at);
    }
    return out;
}

uint16_t DepthSample(double z, int32_t shift)
{
    if (!(z > 0)) {
        return 0;
    }
    return uint16_t(int64_t(std::floor(1073741824.0 / z)) >> (shift & 31));
}

void HmapWriter::FromDepth(int32_t w, int32_t h, int32_t sample_shift, const std::function<double(int32_t, int32_t)> &z)
{
    width = w;
    height = h;
    shift = sample_shift;
    runs.clear();
    std::vector<uint16_t> samples;
    for (int32_t y = 0; y < h; y++) {
        for (int32_t x = 0; x < w; x++) {
            samples.push_back(DepthSample(z(x, y), sample_shift));
            if (samples.size() == 65535) {
                runs.push_back(LiteralRun(samples));
                samples.clear();
            }
        }
    }
    if (!samples.empty()) {
        runs.push_back(LiteralRun(samples));
    }
}

} // namespace kalder_test
