// The level load's seeds: the demo projects, and Project0 with the fields the loaders read set to
// values that reach their other paths.
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/demo_level.h"
#include "tests/support/level_writer.h"
#include "tests/support/pack_writer.h"

namespace fs = std::filesystem;

bool WriteLevelSeeds(const char *folder)
{
    using kalder_test::LevelRecordBuilder;
    namespace level = kalder_test::level;
    const fs::path dir = fs::path(folder) / "level";
    fs::create_directories(dir);
    const kalder_test::KalderDatWriter db = kalder_test::DemoDatabase();
    const std::vector<uint8_t> &project0 = db.records[0];
    const size_t box = level::Element(1), scene = level::Element(0);
    std::vector<std::pair<std::string, std::vector<uint8_t>>> seeds = {
        {"project0", project0},
        {"project1", db.records[1]},
        {"project2", db.records[2]},
        // Project settings and a named hero model.
        {"settings", LevelRecordBuilder(project0)
                         .I32(level::kPhysicsMode, 6)
                         .I32(level::kModelValueA, 40)
                         .I32(level::kModelRadius, 300)
                         .I32(level::kViewDistance, 20000)
                         .I32(level::kSkySpeed, -30)
                         .I32(level::kFadeKind, 1)
                         .U8(level::kModelFlags, 7)
                         .Text(level::kHeroModel, level::kTextSize, "cube.3dc")
                         .Bytes()},
        // AI-driven boxes sharing their model, scaled, heavy, with every flag; the scene from the disk.
        {"characters", LevelRecordBuilder(project0)
                           .U8(box + level::kElementFlagsA, 0xFF)
                           .U8(box + level::kElementFlagsB, 0xFE)
                           .I32(box + level::kElementScale, 48)
                           .I32(box + level::kElementWeight, 600)
                           .I32(box + level::kElementPhysics, 3)
                           .Text(box + level::kElementSymbol, level::kTextSize, "box.sym")
                           .U8(level::Element(2) + level::kElementFlagsA, 0x03)
                           .Text(scene + level::kElementFile, level::kTextSize, "cube.3dc")
                           .Bytes()},
        // File names that fill their fields without a NUL.
        {"long-names", LevelRecordBuilder(project0)
                           .Text(level::kHeroModel, level::kTextSize, "ABCDEFGHIJKLMNOP")
                           .Text(box + level::kElementFile, level::kTextSize, "box.3dcXXXXXXXXX")
                           .Bytes()},
    };
    bool ok = true;
    for (const auto &[name, bytes] : seeds) {
        ok = ok && kalder_test::WriteHostFile((dir / name).string(), bytes);
    }
    return ok;
}
