// Seeds of the dialogue file's harness: the demo file, the timing example, an empty file, and one
// file for each way the dialogue writer can damage one.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/demo_level.h"
#include "tests/support/drd_writer.h"
#include "tests/support/pack_writer.h"
#include "tests/support/wav_writer.h"

namespace fs = std::filesystem;
using kalder_test::DrdEntry;
using kalder_test::DrdWriter;

namespace {

// The timing example: lines at 0, 1.5 and 3 s over a 3 s voice.
DrdWriter timing()
{
    const kalder_test::WavFormat format{1, 11025, 8};
    DrdEntry e;
    e.voice = kalder_test::WavImage(format, kalder_test::WavSamples(format, kalder_test::Wave::Square, 33075, 150.0));
    e.lines = {{0, "one"}, {150, "two"}, {300, "three"}};
    DrdWriter w;
    w.entries = {e, e};
    w.entries[1].picture = std::vector<uint8_t>(7700, 0);
    return w;
}

} // namespace

bool WriteDialogueSeeds(const char *folder)
{
    const fs::path dir = fs::path(folder) / "drd";
    fs::create_directories(dir);
    const std::vector<std::pair<std::string, std::function<void(DrdWriter &)>>> damages = {
        {"timing", [](DrdWriter &) {}},
        {"magic", [](DrdWriter &w) { w.magic = "DRDX"; }},
        {"count-wraps", [](DrdWriter &w) { w.count = 0x40000002; }},
        {"count-large", [](DrdWriter &w) { w.count = 70; }},
        {"buffer-huge", [](DrdWriter &w) { w.buffer_size = 0xFFFFFFF0; }},
        {"buffer-small", [](DrdWriter &w) { w.buffer_size = 20; }},
        {"block-type", [](DrdWriter &w) { w.block_type = 1; }},
        {"block-length", [](DrdWriter &w) { w.block_length = 4; }},
        {"offset-past-end", [](DrdWriter &w) { w.offsets = {{1, 0x7FFFFFFF}}; }},
        {"offset-into-header", [](DrdWriter &w) { w.offsets = {{1, 3}}; }},
        {"entry-type", [](DrdWriter &w) { w.entries[1].type = 0; }},
        {"length-below-9", [](DrdWriter &w) { w.entries[1].length = 5; }},
        {"length-past-file", [](DrdWriter &w) { w.entries[1].length = 0x10000; }},
        {"line-count-65", [](DrdWriter &w) { w.entries[0].line_count = 65; }},
        {"line-count-more", [](DrdWriter &w) { w.entries[0].line_count = 9; }},
        {"chunk-order", [](DrdWriter &w) { w.entries[0].lines_first = true; }},
        {"chunk-types", [](DrdWriter &w) { w.entries[0].voice_type = 4; }},
        {"voice-length", [](DrdWriter &w) { w.entries[0].voice_chunk_length = 40; }},
        {"picture-longer", [](DrdWriter &w) { w.entries[1].picture_chunk_length = 0x20000; }},
        {"picture-below-5", [](DrdWriter &w) { w.entries[1].picture_chunk_length = 2; }},
        {"text-without-zero", [](DrdWriter &w) { w.entries[0].lines[2].terminate = false; }},
        {"wave-short", [](DrdWriter &w) { w.entries[0].voice.resize(40); }},
        {"byte-rate-0", [](DrdWriter &w) { w.entries[0].byte_rate = 0; }},
        {"block-align-0", [](DrdWriter &w) { w.entries[0].block_align = 0; }},
        {"block-align-negative", [](DrdWriter &w) { w.entries[0].block_align = -2; }},
        {"truncated", [](DrdWriter &w) { w.cut_at = 200; }},
    };
    bool ok = kalder_test::WriteHostFile((dir / "demo").string(), kalder_test::DemoDialogue().Bytes()) &&
              kalder_test::WriteHostFile((dir / "empty").string(), DrdWriter{}.Bytes());
    for (const auto &[name, damage] : damages) {
        DrdWriter w = timing();
        damage(w);
        ok = ok && kalder_test::WriteHostFile((dir / name).string(), w.Bytes());
    }
    return ok;
}
