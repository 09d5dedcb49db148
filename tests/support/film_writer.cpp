// Film images and DPCM sound for tests, seeds, tools and benchmarks (see film_writer.h).
#include "tests/support/film_writer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "tests/support/pack_writer.h"

namespace kalder_test {

namespace {

void put32(std::vector<uint8_t> &out, uint32_t v)
{
    for (int i = 0; i < 4; i++) {
        out.push_back(uint8_t(v >> (8 * i)));
    }
}

void patch32(std::vector<uint8_t> &out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++) {
        out[at + size_t(i)] = uint8_t(v >> (8 * i));
    }
}

void patch16(std::vector<uint8_t> &out, size_t at, uint16_t v)
{
    out[at] = uint8_t(v);
    out[at + 1] = uint8_t(v >> 8);
}

// The player's level step: the 16-bit level plus the delta, wrapping.
int16_t step(int16_t level, int16_t delta) { return int16_t(uint16_t(uint16_t(level) + uint16_t(delta))); }

} // namespace

DeltaTable DefaultDeltaTable()
{
    DeltaTable table{};
    for (int k = 0; k < 256; k++) {
        table[size_t(k)] = int16_t((k - 128) * 64);
    }
    return table;
}

std::vector<uint8_t> SubtitlePayload(const std::string &text)
{
    std::vector<uint8_t> out(text.begin(), text.end());
    out.push_back(0);
    return out;
}

std::vector<uint8_t> PalettePayload(const std::vector<PaletteRun> &runs, bool end_marker)
{
    std::vector<uint8_t> out;
    for (const PaletteRun &run : runs) {
        out.push_back(run.first);
        out.push_back(uint8_t(run.colours.size() & 0xFF));
        for (const auto &rgb : run.colours) {
            out.insert(out.end(), rgb.begin(), rgb.end());
        }
    }
    if (end_marker) {
        out.push_back(0xFF);
    }
    return out;
}

std::vector<uint8_t> SoundFirstPayload(const DeltaTable &table, const std::vector<uint8_t> &codes)
{
    std::vector<uint8_t> out(512 + codes.size());
    std::memcpy(out.data(), table.data(), 512);
    std::copy(codes.begin(), codes.end(), out.begin() + 512);
    return out;
}

FilmWriter::FilmWriter(const std::string &magic) : bytes_(64, 0)
{
    std::memcpy(bytes_.data(), magic.data(), std::min<size_t>(magic.size(), 4));
}

FilmWriter &FilmWriter::Size(uint16_t width, uint16_t height)
{
    patch16(bytes_, 8, width);
    patch16(bytes_, 10, height);
    return *this;
}

FilmWriter &FilmWriter::FrameCount(uint32_t count)
{
    frame_count_ = count;
    return *this;
}

FilmWriter &FilmWriter::Word28(uint32_t word)
{
    patch32(bytes_, 28, word);
    return *this;
}

FilmWriter &FilmWriter::AllowLargeChunks(bool allow)
{
    allow_large_ = allow;
    return *this;
}

FilmWriter &FilmWriter::BeginFrame()
{
    if (frame_open_) {
        throw std::logic_error("film writer: a frame is already open");
    }
    frame_open_ = true;
    frame_start_ = bytes_.size();
    boundaries_.push_back(frame_start_);
    put32(bytes_, 0);
    return *this;
}

FilmWriter &FilmWriter::Chunk(const std::string &tag, const std::vector<uint8_t> &payload)
{
    if (payload.size() + 8 > kFilmLargestChunk && !allow_large_) {
        throw std::length_error("film writer: a chunk larger than the player's ring can serve");
    }
    return ChunkSizeWord(tag, payload, uint32_t(payload.size() + 8));
}

FilmWriter &FilmWriter::ChunkSizeWord(const std::string &tag, const std::vector<uint8_t> &payload, uint32_t size_word)
{
    if (tag.size() != 2) {
        throw std::invalid_argument("film writer: a tag has two characters");
    }
    boundaries_.push_back(bytes_.size());
    put32(bytes_, size_word);
    bytes_.push_back(uint8_t(tag[0]));
    bytes_.push_back(uint8_t(tag[1]));
    bytes_.push_back(0);
    bytes_.push_back(0);
    bytes_.insert(bytes_.end(), payload.begin(), payload.end());
    return *this;
}

uint32_t FilmWriter::OpenFrameSize() const { return frame_open_ ? uint32_t(bytes_.size() - frame_start_) : 0; }

FilmWriter &FilmWriter::EndFrame(std::optional<uint32_t> size_word)
{
    if (!frame_open_) {
        throw std::logic_error("film writer: no frame is open");
    }
    const uint32_t size = OpenFrameSize();
    if (!size_word && size > 0x00FFFFFF) {
        throw std::length_error("film writer: a frame larger than its 24-bit size");
    }
    patch32(bytes_, frame_start_, size_word.value_or(size));
    frame_open_ = false;
    frames_++;
    return *this;
}

FilmWriter &FilmWriter::ZeroFrame()
{
    boundaries_.push_back(bytes_.size());
    put32(bytes_, 0);
    return *this;
}

FilmWriter &FilmWriter::Subtitle(const std::string &text) { return Chunk("ST", SubtitlePayload(text)); }

FilmWriter &FilmWriter::Palette(const std::vector<PaletteRun> &runs, bool end_marker)
{
    return Chunk("PL", PalettePayload(runs, end_marker));
}

FilmWriter &FilmWriter::SoundFirst(const DeltaTable &table, const std::vector<uint8_t> &codes)
{
    return Chunk("SD", SoundFirstPayload(table, codes));
}

FilmWriter &FilmWriter::Sound(const std::vector<uint8_t> &codes) { return Chunk("SD", codes); }

FilmWriter &FilmWriter::IXFrame(const std::vector<std::vector<uint8_t>> &sound, const std::string &subtitle,
                                const std::vector<uint8_t> &picture)
{
    BeginFrame();
    for (const auto &payload : sound) {
        Chunk("SD", payload);
    }
    if (!subtitle.empty()) {
        Subtitle(subtitle);
    }
    Chunk("IX", picture);
    return EndFrame();
}

FilmWriter &FilmWriter::TruncateAt(size_t k)
{
    truncate_at_ = k;
    return *this;
}

std::vector<uint8_t> FilmWriter::Bytes() const
{
    std::vector<uint8_t> out = bytes_;
    patch32(out, 16, frame_count_.value_or(frames_));
    if (truncate_at_ && *truncate_at_ < out.size()) {
        out.resize(*truncate_at_);
    }
    return out;
}

bool FilmWriter::WriteHost(const std::string &host_path) const { return WriteHostFile(host_path, Bytes()); }

std::vector<int16_t> DecodeDpcm(const std::vector<uint8_t> &codes, const DeltaTable &table, uint32_t *accumulators)
{
    auto left = int16_t(*accumulators & 0xFFFF);
    auto right = int16_t(*accumulators >> 16);
    std::vector<int16_t> out;
    out.reserve(codes.size());
    for (size_t k = 0; k + 1 < codes.size(); k += 2) {
        left = step(left, table[codes[k]]);
        right = step(right, table[codes[k + 1]]);
        out.push_back(left);
        out.push_back(right);
    }
    *accumulators = uint32_t(uint16_t(left)) | uint32_t(uint16_t(right)) << 16;
    return out;
}

DpcmSound EncodeDpcm(const std::vector<int16_t> &stereo, const DeltaTable &table)
{
    DpcmSound sound;
    const size_t blocks = (stereo.size() + kFilmSoundCodes - 1) / kFilmSoundCodes;
    int16_t level[2] = {0, 0};
    for (size_t b = 0; b < blocks; b++) {
        std::vector<uint8_t> codes(kFilmSoundCodes);
        for (size_t i = 0; i < kFilmSoundCodes; i++) {
            const size_t at = b * kFilmSoundCodes + i;
            const int target = at < stereo.size() ? stereo[at] : 0;
            int16_t &current = level[i & 1];
            int best = 0;
            int best_error = 1 << 30;
            for (int k = 0; k < 256; k++) {
                const int error = std::abs(step(current, table[size_t(k)]) - target);
                if (error < best_error) {
                    best_error = error;
                    best = k;
                }
            }
            codes[i] = uint8_t(best);
            current = step(current, table[size_t(best)]);
            sound.pcm.push_back(current);
        }
        sound.blocks.push_back(std::move(codes));
    }
    return sound;
}

} // namespace kalder_test
