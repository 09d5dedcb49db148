// The game tick's seeds: the demo Project0 with exits of every kind around where the hero is put, and
// text fields that fill their room.
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/demo_level.h"
#include "tests/support/level_writer.h"
#include "tests/support/pack_writer.h"

namespace fs = std::filesystem;

namespace {

// The hero's places after the record: 4 x (x, y, z) as i16, then the death byte.
std::vector<uint8_t> with_places(std::vector<uint8_t> record, const std::vector<int16_t> &places, uint8_t dies)
{
    record.resize(8704);
    for (int16_t v : places) {
        record.push_back(uint8_t(uint16_t(v) & 0xFF));
        record.push_back(uint8_t(uint16_t(v) >> 8));
    }
    record.resize(8704 + 24, 0);
    record.push_back(dies);
    return record;
}

} // namespace

bool WriteTickSeeds(const char *folder)
{
    using kalder_test::LevelRecordBuilder;
    namespace level = kalder_test::level;
    const fs::path dir = fs::path(folder) / "tick";
    fs::create_directories(dir);
    const kalder_test::KalderDatWriter db = kalder_test::DemoDatabase();
    const std::vector<uint8_t> &project0 = db.records[0];
    const std::vector<int16_t> into_exit = {1400, 140, 0, -2400, 140, 0, 0, 0, 0, 1400, 140, 0};
    const size_t exit1 = level::Exit(1);
    std::vector<std::pair<std::string, std::vector<uint8_t>>> seeds = {
        {"project0", project0},
        {"into-exit", with_places(project0, into_exit, 0)},
        {"death", with_places(project0, {0, 0, 0}, 1)},
        // A box-less exit to Project1 with conditions, a film on the target, the fade to black.
        {"boxless", with_places(LevelRecordBuilder(project0)
                                    .Exit(0, "EXIT1", "Project1", 0x1F, {0, 0, 0}, {0, 0, 0})
                                    .Text(level::Exit(0) + level::kExitCondition, 16, "KEY")
                                    .I32(level::kFadeKind, 1)
                                    .Bytes(),
                                into_exit, 0)},
        // An outside box, an exit for any object, an unknown target, and fields without their NUL.
        {"outside", with_places(LevelRecordBuilder(project0)
                                    .Exit(0, "EXIT1", "ABCDEFGHIJKL", 0xC1, {-100, -100, -100}, {100, 100, 100})
                                    .Text(level::Exit(0) + level::kExitCondition, 16, "ABCDEFGHIJKLMNOP")
                                    .Text(exit1 + level::kExitTarget, 12, "Project2")
                                    .I32(exit1 + level::kExitFlags, 0x21)
                                    .Text(level::kFilm, level::kTextSize, "ABCDEFGHIJKLMNOP")
                                    .Bytes(),
                                into_exit, 1)},
        // The end scene itself.
        {"end", db.records[2]},
    };
    bool ok = true;
    for (const auto &[name, bytes] : seeds) {
        ok = ok && kalder_test::WriteHostFile((dir / name).string(), bytes);
    }
    return ok;
}
