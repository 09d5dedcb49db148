// The creature AI's patrol seeds: the demo's zones, and paths of every shape the patrol meets (short
// and full, empty, counts outside 0..16, boxes the members stand in or on).
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/demo_level.h"
#include "tests/support/level_writer.h"
#include "tests/support/pack_writer.h"

namespace fs = std::filesystem;

namespace {

namespace level = kalder_test::level;

void Put(std::vector<uint8_t> &b, size_t at, int32_t v) { std::memcpy(b.data() + at, &v, 4); }

// The 12 zones of a record, then two members: path zone, position, radius, flags 5 and 6, contact and
// a step count.
std::vector<uint8_t> Seed(const std::vector<uint8_t> &record, int32_t x, int32_t z, uint8_t steps)
{
    std::vector<uint8_t> out(record.begin() + level::kZones,
                             record.begin() + level::kZones + level::kZoneSize * level::kZoneCount);
    for (int m = 0; m < 2; m++) {
        std::vector<uint8_t> member(24, 0);
        Put(member, 4, x + 100 * m);
        Put(member, 8, 140);
        Put(member, 12, z);
        Put(member, 16, 135);
        member[22] = uint8_t(m == 0 ? 30 : 0);
        member[23] = steps;
        out.insert(out.end(), member.begin(), member.end());
    }
    return out;
}

} // namespace

bool WriteAiSeeds(const char *folder)
{
    using kalder_test::LevelRecordBuilder;
    const fs::path dir = fs::path(folder) / "ai_path";
    fs::create_directories(dir);
    const std::vector<uint8_t> project0 = kalder_test::DemoDatabase().records[0];
    const std::vector<uint8_t> blank(project0.size(), 0);
    std::vector<int32_t> sixteen;
    for (int32_t i = 0; i < 16; i++) {
        sixteen.insert(sixteen.end(), {i * 100, 0, -i * 50});
    }
    const std::vector<std::pair<std::string, std::vector<uint8_t>>> seeds = {
        {"demo", Seed(project0, 800, 2600, 30)},
        {"three-points", Seed(LevelRecordBuilder(blank).Zone(0, "P", 0, {0, 0, 0, 100, 0, 0, 200, 0, 0}).Bytes(), 0,
                              0, 25)},
        {"no-point", Seed(LevelRecordBuilder(blank).Zone(0, "P", 0, {}).Bytes(), 0, 0, 10)},
        {"sixteen", Seed(LevelRecordBuilder(blank).Zone(3, "P", 0, sixteen).Bytes(), 700, -300, 39)},
        {"count-99", Seed(LevelRecordBuilder(blank).Zone(0, "P", 0, sixteen).I32(level::Zone(0) + level::kZonePointCount, 99).Bytes(), 0, 0, 20)},
        {"count-negative", Seed(LevelRecordBuilder(blank).Zone(0, "P", 0, {5, 5, 5}).I32(level::Zone(0) + level::kZonePointCount, -7).Bytes(), 0, 0, 20)},
        {"boxed", Seed(LevelRecordBuilder(blank)
                           .Zone(1, "OUT", 0, {0, 0, 0, 500, 0, 0})
                           .ZoneBox(1, {1000, 0, 1000}, {2000, 0, 2000})
                           .Zone(2, "IN", 0, {0, 0, 0, 0, 0, 900})
                           .ZoneBox(2, {-10, 0, -10}, {10, 0, 10})
                           .Bytes(),
                       0, 0, 15)},
        {"far-points", Seed(LevelRecordBuilder(blank).Zone(0, "P", 0, {2147483647, -2147483647 - 1, 2147483647, -5, 0, 5}).Bytes(), 0, 0, 12)},
    };
    for (const auto &[name, bytes] : seeds) {
        if (!kalder_test::WriteHostFile((dir / name).string(), bytes)) {
            return false;
        }
    }
    return true;
}
