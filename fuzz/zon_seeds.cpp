// The zones' seeds: the demo Project0's zones with the hero at its start, and the zone sets of the
// zone tests (paths, cameras, drains, spawners with their creatures, respawn points, damaged counts).
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/demo_level.h"
#include "tests/support/level_writer.h"
#include "tests/support/pack_writer.h"

namespace fs = std::filesystem;

namespace {

namespace level = kalder_test::level;
using kalder_test::LevelRecordBuilder;

struct Creature {
    uint8_t flags[10];
    int32_t position[3];
    uint8_t anim, frame_position;
    int32_t radius, zone, point;
};

void put32(std::vector<uint8_t> &out, int32_t v)
{
    for (int i = 0; i < 4; i++) {
        out.push_back(uint8_t(uint32_t(v) >> (8 * i)));
    }
}

// The zones of a record, then the hero and the creatures as the harness reads them.
std::vector<uint8_t> seed(const LevelRecordBuilder &record, const std::vector<int32_t> &hero, uint8_t hero_flags,
                          const std::vector<Creature> &creatures)
{
    const std::vector<uint8_t> &bytes = record.Bytes();
    std::vector<uint8_t> out(bytes.begin() + long(level::kZones),
                             bytes.begin() + long(level::kZones + level::kZoneSize * level::kZoneCount));
    for (int32_t v : hero) {
        put32(out, v);
    }
    out.push_back(hero_flags);
    for (const Creature &c : creatures) {
        out.push_back(1);
        out.insert(out.end(), c.flags, c.flags + 10);
        for (int32_t v : c.position) {
            put32(out, v);
        }
        out.push_back(c.anim);
        out.push_back(c.frame_position);
        put32(out, c.radius);
        put32(out, c.zone);
        put32(out, c.point);
    }
    return out;
}

} // namespace

bool WriteZoneSeeds(const char *folder)
{
    const fs::path dir = fs::path(folder) / "zon";
    fs::create_directories(dir);
    const LevelRecordBuilder demo(kalder_test::DemoDatabase().records[0]);
    const int32_t *start = kalder_test::demo::kHeroStart;
    const std::vector<int32_t> at_start = {start[0], start[1], start[2]};
    const Creature far{{0x01, 0x02}, {9000, 140, 0}, 0, 0, 135, -1, -1};
    const Creature dead{{0x01, 0x02}, {100, 0, 100}, 50, 29, 200, 0, 0};
    const Creature disabled{{0x01, 0x02, 0, 0x04}, {50000, 0, 0}, 0, 0, 135, -1, -1};
    const Creature video{{0x01, 0x42, 0, 0x04}, {0, 0, 0}, 0, 0, 135, -1, -1};
    const std::vector<int32_t> three = {10, 0, 0, 20, 0, 0, 30, 0, 0};
    std::vector<int32_t> sixteen;
    for (int j = 0; j < 16; j++) {
        sixteen.insert(sixteen.end(), {j * 100, 0, j * 50});
    }
    const std::vector<std::pair<std::string, std::vector<uint8_t>>> seeds = {
        {"demo", seed(demo, at_start, 0, {far})},
        {"demo-drain", seed(demo, {500, 140, -600}, 0, {far})},
        {"demo-camera", seed(demo, {-2300, 140, 2300}, 0x20, {far})},
        {"path", seed(LevelRecordBuilder()
                          .Zone(0, "PATH", 1, {0, 0, 0, 1000, 0, 0, 1000, 0, 777})
                          .ZoneRate(0, 40)
                          .Zone(1, "SAME", 1, {5, 5, 5, 5, 5, 5})
                          .ZoneRate(1, -7),
                      {0, 0, 0}, 0, {})},
        {"counts", seed(LevelRecordBuilder()
                            .Zone(0, "FORTY", 1, sixteen)
                            .I32(level::Zone(0) + level::kZonePointCount, 40)
                            .Zone(1, "NEGATIVE", 4, three)
                            .I32(level::Zone(1) + level::kZonePointCount, -3)
                            .Zone(2, "INDEX", 0, three)
                            .I32(level::Zone(2) + level::kZoneCurrent, 99),
                        {0, 0, 0}, 0, {})},
        {"camera-drain", seed(LevelRecordBuilder()
                                  .Zone(0, "CAM", 8, three)
                                  .ZoneBox(0, {-500, -100, 0}, {500, 100, 100})
                                  .Zone(1, "DRAIN", 9, {})
                                  .ZoneRate(1, 100)
                                  .Zone(2, "HEAL", 9, {})
                                  .ZoneRate(2, -500)
                                  .ZoneBox(2, {0, -100, 0}, {0, 100, 0}),
                              {0, 0, 50}, 0, {})},
        {"spawners", seed(LevelRecordBuilder().Zone(0, "SPAWN", 7, {0, 0, 0, 0, 0, 500}).Zone(1, "RESPAWN", 4, three),
                          {3000, 0, 0}, 0, {dead, far, disabled, video})},
        {"wide", seed(LevelRecordBuilder().Zone(3, "SPAWN", 7, sixteen), {8000, 0, 0}, 0x20, {far, far, dead})},
    };
    bool ok = true;
    for (const auto &[name, bytes] : seeds) {
        ok = ok && kalder_test::WriteHostFile((dir / name).string(), bytes);
    }
    return ok;
}
