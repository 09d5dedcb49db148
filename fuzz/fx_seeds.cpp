// The effects' seeds: the demo Project1's three effect zones, and one input per zone case of the tests
// (no points, one, sixteen, seventeen, a negative count, a zone not in use).
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/demo_level.h"
#include "tests/support/level_writer.h"
#include "tests/support/pack_writer.h"

namespace fs = std::filesystem;

namespace {

namespace level = kalder_test::level;

// Three zones from a record, no water, no hero flags, and a walk forward and back.
std::vector<uint8_t> Input(const std::vector<uint8_t> &record, size_t first)
{
    std::vector<uint8_t> in(record.begin() + long(level::Zone(first)), record.begin() + long(level::Zone(first + 3)));
    in.insert(in.end(), 5, 0);
    for (int t = 0; t < 60; t++) {
        in.push_back(0);
        in.push_back(uint8_t(t < 30 ? 10 : -10));
    }
    return in;
}

} // namespace

bool WriteFxSeeds(const char *folder)
{
    const fs::path dir = fs::path(folder) / "fx";
    fs::create_directories(dir);
    bool ok = kalder_test::WriteHostFile((dir / "demo").string(), Input(kalder_test::DemoDatabase().records[1], 6));
    std::vector<int32_t> points;
    for (int32_t i = 0; i < 16; i++) {
        points.insert(points.end(), {-600 + 40 * i, 150, 100 + 40 * i});
    }
    const struct {
        const char *name;
        int32_t flags, count;
    } cases[] = {{"no-points", 1, 0}, {"one", 1, 1}, {"sixteen", 1, 16}, {"seventeen", 1, 17},
                 {"negative", 1, -1}, {"not-in-use", 0, 3}};
    for (const auto &c : cases) {
        kalder_test::LevelRecordBuilder b;
        const int32_t types[3] = {2, 3, 6};
        for (size_t z = 0; z < 3; z++) {
            b.Zone(z, "FX", types[z], points).ZoneRate(z, 60).ZoneBox(z, {-800, 200, 0}, {800, 260, 1600});
            b.ZoneFlags(z, c.flags).I32(level::Zone(z) + level::kZonePointCount, c.count);
        }
        ok = ok && kalder_test::WriteHostFile((dir / c.name).string(), Input(b.Bytes(), 0));
    }
    return ok;
}
