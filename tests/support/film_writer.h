// Writes .hnm film images for tests, the fuzz seeds, the tools and the benchmarks, with knobs to damage
// them, and encodes 22,050 Hz stereo sound into the films' DPCM codes.
//
// A film is a 64-byte header (magic at 0, u16 width at 8, u16 height at 10, u32 frame count at 16, a
// u32 at 28), then frames: a u32 whose low 24 bits are the frame's size with these 4 bytes, then chunks
// of a u32 size with their 8-byte header, two tag characters and two unused bytes. Picture payloads are
// opaque bytes here.
//
// Chunks of more than 0x50000 bytes are refused unless AllowLargeChunks: the player reads through a
// ring of 0x58000 bytes that a fill tops up by whole blocks of 0x8000, so 0x50001 bytes is the largest
// read the ring can serve from every read position.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kalder_test {

constexpr uint32_t kFilmLargestChunk = 0x50000;
constexpr size_t kFilmSoundCodes = 2940;

// One run of a PL chunk: the first index, the colours (red, green, blue of 6 bits each). A count of 256
// is stored as 0.
struct PaletteRun {
    uint8_t first = 0;
    std::vector<std::array<uint8_t, 3>> colours;
};

using DeltaTable = std::array<int16_t, 256>;
// delta[k] = (k - 128) x 64.
DeltaTable DefaultDeltaTable();

// Payloads of the chunk kinds.
std::vector<uint8_t> SubtitlePayload(const std::string &text); // the text and its NUL
std::vector<uint8_t> PalettePayload(const std::vector<PaletteRun> &runs, bool end_marker = false);
std::vector<uint8_t> SoundFirstPayload(const DeltaTable &table, const std::vector<uint8_t> &codes);

// A film image built frame by frame.
class FilmWriter {
public:
    explicit FilmWriter(const std::string &magic);

    // Header fields. The frame count defaults to the frames ended so far.
    FilmWriter &Size(uint16_t width, uint16_t height);
    FilmWriter &FrameCount(uint32_t count);
    FilmWriter &Word28(uint32_t word);
    // Lets Chunk write payloads past kFilmLargestChunk.
    FilmWriter &AllowLargeChunks(bool allow = true);

    FilmWriter &BeginFrame();
    FilmWriter &Chunk(const std::string &tag, const std::vector<uint8_t> &payload);
    // The same with the size word given as it is written (damage: below 8, past the frame, garbage in
    // the top bits).
    FilmWriter &ChunkSizeWord(const std::string &tag, const std::vector<uint8_t> &payload, uint32_t size_word);
    // Patches the frame's size into the low 24 bits of its header; with a word, writes that instead.
    FilmWriter &EndFrame(std::optional<uint32_t> size_word = {});
    // The 4-byte frame header of size 0 that ends the block-transform films.
    FilmWriter &ZeroFrame();

    // Chunk helpers.
    FilmWriter &Subtitle(const std::string &text);
    FilmWriter &Palette(const std::vector<PaletteRun> &runs, bool end_marker = false);
    FilmWriter &SoundFirst(const DeltaTable &table, const std::vector<uint8_t> &codes);
    FilmWriter &Sound(const std::vector<uint8_t> &codes);
    // A whole block-transform frame with its chunks in the order SD, ST, then IX, so that the last
    // frames, whose chunk loop ends at the picture, lose nothing. The first sound payload of a film
    // is given with its table (SoundFirstPayload).
    FilmWriter &IXFrame(const std::vector<std::vector<uint8_t>> &sound, const std::string &subtitle,
                        const std::vector<uint8_t> &picture);

    // Size of the open frame so far, its header included.
    uint32_t OpenFrameSize() const;
    // Offsets of every frame header and chunk header written, in order, and the end.
    const std::vector<size_t> &Boundaries() const { return boundaries_; }
    uint32_t FramesEnded() const { return frames_; }

    // Cuts the image at byte k.
    FilmWriter &TruncateAt(size_t k);
    std::vector<uint8_t> Bytes() const;
    bool WriteHost(const std::string &host_path) const;

private:
    std::vector<uint8_t> bytes_;
    std::vector<size_t> boundaries_;
    std::optional<uint32_t> frame_count_;
    std::optional<size_t> truncate_at_;
    size_t frame_start_ = 0;
    bool frame_open_ = false;
    bool allow_large_ = false;
    uint32_t frames_ = 0;
};

// Sound encoded into blocks of 2,940 codes, and the PCM the player makes of them: for each block,
// 2,940 int16_t, left and right interleaved.
struct DpcmSound {
    std::vector<std::vector<uint8_t>> blocks;
    std::vector<int16_t> pcm;
};
// From stereo samples (left, right interleaved; padded with silence to whole blocks): each code is
// the one whose delta brings the channel's 16-bit level, wrapping as the player's does, nearest to the
// sample. The levels start at 0, as at the film's first block.
DpcmSound EncodeDpcm(const std::vector<int16_t> &stereo, const DeltaTable &table = DefaultDeltaTable());
// What the player makes of codes: levels carried between calls in *accumulators (low half left).
std::vector<int16_t> DecodeDpcm(const std::vector<uint8_t> &codes, const DeltaTable &table, uint32_t *accumulators);

} // namespace kalder_test
