// Seeds of the save files' harness: each fixture of the save tests and the demo save, behind the byte
// that chooses the file.
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "tests/support/save_writer.h"

namespace fs = std::filesystem;

namespace {

bool write(const fs::path &dir, const std::string &name, int kind, const std::vector<uint8_t> &bytes)
{
    std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
    const char chooser = char(kind);
    out.write(&chooser, 1);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

} // namespace

bool WriteSaveSeeds(const char *folder)
{
    using namespace kalder_test;
    const fs::path dir = fs::path(folder) / "save";
    std::error_code error;
    fs::create_directories(dir, error);
    bool ok = true;

    SlotTableWriter damaged = DemoSlotTable();
    damaged.slots[1] = {"ABCDEFGHIJKLMNOPQRSTUV", 1, 70000, 12};
    damaged.slots[2] = {"Minus", 0, 1, -7};
    damaged.slots[3] = {"Again", 0, 4, 0};
    SlotTableWriter cut = DemoSlotTable();
    cut.size = 100;
    SlotTableWriter longer = DemoSlotTable();
    longer.size = 341;
    ok = ok && write(dir, "table-demo", 0, DemoSlotTable().Bytes()) && write(dir, "table-damaged", 0, damaged.Bytes()) &&
         write(dir, "table-cut", 0, cut.Bytes()) && write(dir, "table-longer", 0, longer.Bytes());

    GameFileWriter full = DemoGameFile();
    for (size_t r = 0; r < 8; r++) {
        full.ring[r].name = "Project" + std::to_string(r % 2);
        for (size_t e = 0; e < 32; e++) {
            full.ring[r].entries[e] = {{double(r) * 100.0, -double(e), 5.5}, float(e) - 2.0f, 40.0f, int32_t(r * 1000 + e)};
        }
    }
    full.cursor = 7;
    full.inventory = FullInventory();
    full.hand_sets[2] = 9;
    full.hand_sprites[2] = 5000;
    GameFileWriter original = DemoGameFile();
    original.as_original = true;
    GameFileWriter cursor = DemoGameFile();
    cursor.cursor = 8;
    GameFileWriter unknown = DemoGameFile();
    unknown.project = "Project99";
    GameFileWriter nan = DemoGameFile();
    nan.life = std::numeric_limits<float>::quiet_NaN();
    GameFileWriter short_file = DemoGameFile();
    short_file.size = 10412;
    ok = ok && write(dir, "game-demo", 1, DemoGameFile().Bytes()) && write(dir, "game-full", 1, full.Bytes()) &&
         write(dir, "game-original", 1, original.Bytes()) && write(dir, "game-cursor", 1, cursor.Bytes()) &&
         write(dir, "game-unknown", 1, unknown.Bytes()) && write(dir, "game-nan", 1, nan.Bytes()) &&
         write(dir, "game-short", 1, short_file.Bytes());

    std::vector<uint8_t> thumb_short = ThumbnailImage(DemoThumbnail());
    thumb_short.resize(8191);
    ok = ok && write(dir, "thumb-demo", 2, ThumbnailImage(DemoThumbnail())) &&
         write(dir, "thumb-card", 2, ThumbnailImage(ScaledCard())) && write(dir, "thumb-short", 2, thumb_short);
    return ok;
}
