// Dialogue files built in memory from a description of their entries (a voice image, timed lines, an
// optional picture), with knobs that damage the header, the offset table, the entries and their chunks.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kalder_test {

struct DrdLine {
    uint32_t start = 0; // hundredths of a second
    std::string text;   // the bytes as written (they may hold zeros)
    bool terminate = true; // the writer adds a zero inside the counted length
};

struct DrdEntry {
    std::vector<uint8_t> voice;   // a WAVE image (wav_writer)
    std::vector<DrdLine> lines;
    std::vector<uint8_t> picture; // a sprite-file image; empty: no picture chunk

    // Damage knobs of the entry and its chunks.
    uint8_t type = 1;
    std::optional<uint32_t> length;     // L as written (default: the entry's real length)
    std::optional<uint32_t> line_count; // as written (default: the lines written)
    uint8_t voice_type = 2, lines_type = 3, picture_type = 4;
    std::optional<uint32_t> voice_chunk_length, lines_chunk_length, picture_chunk_length;
    bool lines_first = false; // the lines' chunk before the voice's
    // Patched into the voice image when it holds the field: byte rate (u32 at 28), block align (i16 at 32).
    std::optional<uint32_t> byte_rate;
    std::optional<int16_t> block_align;
};

struct DrdWriter {
    std::vector<DrdEntry> entries;

    // Damage knobs of the file.
    std::string magic = "DRDF";
    std::optional<uint32_t> count;       // the header's entry count (default: the entries written)
    std::optional<uint32_t> buffer_size; // default: the largest L - 9
    uint8_t block_type = 0;
    std::optional<uint32_t> block_length; // default: 5 + 4 x count
    std::vector<std::pair<size_t, uint32_t>> offsets; // entry offsets written instead of the real ones
    std::optional<size_t> cut_at;         // the file cut to this many bytes

    // The bytes of entry i as they stand in the file (header and chunks).
    std::vector<uint8_t> EntryBytes(size_t i) const;
    std::vector<uint8_t> Bytes() const;
    bool WriteTo(const std::string &host_path) const;
};

// A spoken voice for the tests and the demo: 11,025 Hz mono 8-bit, `seconds` long, of square-wave
// syllables gliding from 180 to 130 Hz with silences between them; `groups` syllables from each start
// (in seconds), or by default one syllable every 0.4 s from the start.
std::vector<uint8_t> DemoVoice(double seconds, const std::vector<std::pair<double, int>> &groups = {});
// Where the file lies below the installation folder.
inline constexpr const char *kDialoguePath = "DATA/3DC/DIALOG.DRD";

} // namespace kalder_test
