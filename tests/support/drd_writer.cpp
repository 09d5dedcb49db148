// Writes dialogue files (see drd_writer.h).
#include "tests/support/drd_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tests/support/pack_writer.h"
#include "tests/support/wav_writer.h"

namespace kalder_test {

namespace {

void put_u32(std::vector<uint8_t> &out, uint32_t v)
{
    for (int i = 0; i < 4; i++) {
        out.push_back(uint8_t(v >> (8 * i)));
    }
}

void set_u32(std::vector<uint8_t> &out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++) {
        out[at + size_t(i)] = uint8_t(v >> (8 * i));
    }
}

std::vector<uint8_t> chunk(uint8_t type, const std::vector<uint8_t> &data, std::optional<uint32_t> length)
{
    std::vector<uint8_t> out{type};
    put_u32(out, length.value_or(uint32_t(data.size() + 5)));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

std::vector<uint8_t> voice_of(const DrdEntry &e)
{
    std::vector<uint8_t> voice = e.voice;
    if (e.byte_rate && voice.size() >= 32) {
        set_u32(voice, 28, *e.byte_rate);
    }
    if (e.block_align && voice.size() >= 34) {
        voice[32] = uint8_t(uint16_t(*e.block_align));
        voice[33] = uint8_t(uint16_t(*e.block_align) >> 8);
    }
    return voice;
}

std::vector<uint8_t> lines_of(const DrdEntry &e)
{
    std::vector<uint8_t> out;
    for (const DrdLine &line : e.lines) {
        put_u32(out, line.start);
        std::string text = line.text;
        if (line.terminate) {
            text.push_back('\0');
        }
        out.push_back(uint8_t(text.size()));
        out.insert(out.end(), text.begin(), text.end());
    }
    return out;
}

} // namespace

std::vector<uint8_t> DrdWriter::EntryBytes(size_t i) const
{
    const DrdEntry &e = entries[i];
    const std::vector<uint8_t> voice = chunk(e.voice_type, voice_of(e), e.voice_chunk_length);
    const std::vector<uint8_t> lines = chunk(e.lines_type, lines_of(e), e.lines_chunk_length);
    std::vector<uint8_t> body = e.lines_first ? lines : voice;
    const std::vector<uint8_t> &second = e.lines_first ? voice : lines;
    body.insert(body.end(), second.begin(), second.end());
    if (!e.picture.empty()) {
        const std::vector<uint8_t> picture = chunk(e.picture_type, e.picture, e.picture_chunk_length);
        body.insert(body.end(), picture.begin(), picture.end());
    }
    std::vector<uint8_t> out{e.type};
    put_u32(out, e.length.value_or(uint32_t(body.size() + 9)));
    put_u32(out, e.line_count.value_or(uint32_t(e.lines.size())));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

std::vector<uint8_t> DrdWriter::Bytes() const
{
    const uint32_t n = count.value_or(uint32_t(entries.size()));
    uint32_t largest = 0;
    for (size_t i = 0; i < entries.size(); i++) {
        largest = std::max(largest, uint32_t(EntryBytes(i).size() - 9));
    }
    std::vector<uint8_t> out(magic.begin(), magic.end());
    out.resize(8, 0);
    put_u32(out, n);
    put_u32(out, buffer_size.value_or(largest));
    out.push_back(block_type);
    put_u32(out, block_length.value_or(uint32_t(5 + 4 * entries.size())));
    const size_t table = out.size();
    out.resize(table + 4 * entries.size(), 0);
    for (size_t i = 0; i < entries.size(); i++) {
        set_u32(out, table + 4 * i, uint32_t(out.size()));
        const std::vector<uint8_t> entry = EntryBytes(i);
        out.insert(out.end(), entry.begin(), entry.end());
    }
    for (const auto &[i, offset] : offsets) {
        set_u32(out, table + 4 * i, offset);
    }
    if (cut_at && *cut_at < out.size()) {
        out.resize(*cut_at);
    }
    return out;
}

bool DrdWriter::WriteTo(const std::string &host_path) const { return WriteHostFile(host_path, Bytes()); }

namespace {

constexpr int Rate = 11025;

// Syllables of a square wave whose pitch glides from 180 to 130 Hz, with 10 ms fades, 0.1 s of silence
// after each; `group` syllables from each start (in seconds), lengths cycling 0.25, 0.30, 0.35 s.
std::vector<uint8_t> speak(double seconds, const std::vector<std::pair<double, int>> &groups)
{
    std::vector<uint8_t> samples(size_t(std::lround(seconds * Rate)), 0x80);
    const double lengths[3] = {0.25, 0.30, 0.35};
    const int fade = Rate / 100;
    int k = 0;
    for (const auto &[start, count] : groups) {
        size_t at = size_t(std::lround(start * Rate));
        for (int s = 0; s < count; s++, k++) {
            const int n = int(std::lround(lengths[k % 3] * Rate));
            double phase = 0.0;
            for (int i = 0; i < n && at + size_t(i) < samples.size(); i++) {
                const double pitch = 180.0 - 50.0 * i / n;
                phase += pitch / Rate;
                const double edge = std::min({1.0, double(i) / fade, double(n - 1 - i) / fade});
                const double level = (phase - std::floor(phase) < 0.5 ? 1.0 : -1.0) * 48.0 * edge;
                samples[at + size_t(i)] = uint8_t(128 + std::lround(level));
            }
            at += size_t(n) + size_t(Rate / 10);
        }
    }
    return samples;
}

} // namespace

std::vector<uint8_t> DemoVoice(double seconds, const std::vector<std::pair<double, int>> &groups)
{
    // Without groups, one syllable for every 0.4 s from the start.
    const std::vector<std::pair<double, int>> spread = {{0.0, std::max(1, int(seconds / 0.4))}};
    return WavImage(WavFormat{1, Rate, 8}, speak(seconds, groups.empty() ? spread : groups));
}

} // namespace kalder_test
