// Whole and damaged sample films (see film_samples.h).
#include "tests/support/film_samples.h"

#include <functional>
#include <utility>

#include "tests/support/film_writer.h"

namespace kalder_test {

namespace {

using Chunks = std::vector<std::pair<std::string, std::vector<uint8_t>>>;

struct FilmPlan {
    std::string magic;
    std::vector<Chunks> frames;
    bool zero_end;
};

std::vector<uint8_t> pattern(size_t n, uint8_t seed)
{
    std::vector<uint8_t> out(n);
    for (size_t i = 0; i < n; i++) {
        out[i] = uint8_t(i * 37 + seed);
    }
    return out;
}

// Three frames of the magic's decoder, each with a sound block.
FilmPlan plan_of(const std::string &magic)
{
    const std::vector<uint8_t> first_sound = SoundFirstPayload(DefaultDeltaTable(), pattern(40, 1));
    const std::vector<uint8_t> sound = pattern(40, 2);
    const std::vector<uint8_t> palette = PalettePayload({{0, {{1, 2, 3}}}}, true);
    const std::vector<uint8_t> subtitle = SubtitlePayload("a");
    const std::vector<uint8_t> picture = pattern(48, 3);
    if (magic[2] == '4' || magic[3] == '4') {
        return {magic,
                {{{"SD", first_sound}, {"PL", palette}, {"IZ", picture}}, {{"SD", sound}, {"IU", picture}},
                 {{"SD", sound}, {"IA", picture}}},
                false};
    }
    const std::string tag = magic[0] == 'M' ? "IV" : "IX";
    return {magic,
            {{{"SD", first_sound}, {"PL", palette}, {"ST", subtitle}, {tag, picture}}, {{"SD", sound}, {tag, picture}},
             {{"SD", sound}, {tag, picture}}},
            tag == "IX"};
}

struct Damage {
    // Size word of the second frame's first chunk, from its true size and the frame's chunk bytes.
    std::function<uint32_t(uint32_t, uint32_t)> chunk = nullptr;
    // The second frame's size word, from its true size.
    std::function<uint32_t(uint32_t)> frame = nullptr;
    bool large_picture = false; // the second frame's picture of 0x60000 bytes
    bool no_zero_end = false;
};

FilmWriter build(const FilmPlan &plan, const Damage &damage = {})
{
    FilmWriter film(plan.magic);
    film.Size(256, 256).AllowLargeChunks(damage.large_picture);
    for (size_t f = 0; f < plan.frames.size(); f++) {
        const bool damaged = f == 1;
        uint32_t chunk_bytes = 0;
        for (const auto &chunk : plan.frames[f]) {
            chunk_bytes += uint32_t(chunk.second.size() + 8);
        }
        film.BeginFrame();
        for (size_t c = 0; c < plan.frames[f].size(); c++) {
            const auto &[tag, payload] = plan.frames[f][c];
            const bool picture = c + 1 == plan.frames[f].size();
            if (damaged && picture && damage.large_picture) {
                film.Chunk(tag, std::vector<uint8_t>(0x60000, 0x11));
            } else if (damaged && c == 0 && damage.chunk) {
                film.ChunkSizeWord(tag, payload, damage.chunk(uint32_t(payload.size() + 8), chunk_bytes));
            } else {
                film.Chunk(tag, payload);
            }
        }
        film.EndFrame(damaged && damage.frame ? std::optional<uint32_t>(damage.frame(film.OpenFrameSize()))
                                              : std::nullopt);
    }
    if (plan.zero_end && !damage.no_zero_end) {
        film.ZeroFrame();
    }
    return film;
}

} // namespace

std::vector<FilmSample> WholeFilmSamples()
{
    std::vector<FilmSample> out;
    for (const char *magic : {"HNM4", "HNS4", "MIB2", "MIS2", "HNM6", "HNS6"}) {
        const bool sound = magic[2] == 'S';
        out.push_back({magic, build(plan_of(magic)).Bytes(), 3, sound ? 3 : 0});
    }
    return out;
}

std::vector<FilmSample> DamagedFilmSamples()
{
    std::vector<FilmSample> out;
    for (const char *magic : {"HNS4", "MIS2", "HNS6"}) {
        const FilmPlan plan = plan_of(magic);
        const FilmWriter whole = build(plan);
        const std::vector<size_t> &bounds = whole.Boundaries();
        const size_t size = whole.Bytes().size();
        // Cuts below the header and the first frame header leave a film that does not open.
        for (size_t i = 0; i < bounds.size(); i++) {
            const size_t next = i + 1 < bounds.size() ? bounds[i + 1] : size;
            for (size_t cut : {bounds[i], (bounds[i] + next) / 2}) {
                if (cut >= 68) {
                    out.push_back({std::string(magic) + " cut at " + std::to_string(cut),
                                   build(plan).TruncateAt(cut).Bytes()});
                }
            }
        }
        // The second frame damaged: nothing of the damaged chunk, nor anything after it, is used.
        const bool masked = plan.magic != "HNS4";
        struct Row {
            std::string what;
            Damage damage;
            int pictures, sounds;
        };
        std::vector<Row> rows = {
            {"chunk size 0", {.chunk = [](uint32_t, uint32_t) { return 0u; }}, 1, 1},
            {"chunk size 7", {.chunk = [](uint32_t, uint32_t) { return 7u; }}, 1, 1},
            {"garbage in a chunk size's top bits", {.chunk = [](uint32_t size, uint32_t) { return size | 0xF8000000u; }},
             masked ? 3 : 1, masked ? 3 : 1},
            {"frame size top byte set", {.frame = [](uint32_t size) { return size | 0xFF000000u; }}, 3, 3},
            {"a chunk of 0x60000 bytes", {.large_picture = true}, 1, 2},
        };
        if (masked) {
            rows.push_back({"chunk size past its frame", {.chunk = [](uint32_t, uint32_t rest) { return rest + 1; }}, 1, 1});
            for (uint32_t word = 0; word < 4; word++) {
                rows.push_back({"frame size " + std::to_string(word), {.frame = [word](uint32_t) { return word; }}, 1, 1});
            }
        }
        if (plan.zero_end) {
            rows.push_back({"no zero frame header", {.no_zero_end = true}, 3, 3});
        }
        for (const Row &row : rows) {
            out.push_back({std::string(magic) + " " + row.what, build(plan, row.damage).Bytes(), row.pictures, row.sounds});
        }
    }
    return out;
}

} // namespace kalder_test
