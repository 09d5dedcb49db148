// Seeds of the scene stream and container harnesses, written by the fixture writers: valid files and
// the damaged ones of the readers' tests, in <folder>/dsn and <folder>/dan.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/dan_writer.h"
#include "tests/support/dsn_writer.h"
#include "tests/support/image_builder.h"
#include "tests/support/lz_packer.h"

namespace {

namespace fs = std::filesystem;
using kalder_test::DanWriter;
using kalder_test::DsnWriter;

std::vector<uint8_t> Sample_File(size_t size, kalder_test::LzSample kind = kalder_test::LzSample::Records)
{
    std::vector<uint8_t> file = {'F', '3', 'D', 'C', 0xC2, 1, 0, 0};
    const std::vector<uint8_t> data = kalder_test::LzSampleData(kind, size, uint32_t(size));
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

std::vector<uint8_t> Material_File(uint32_t seed)
{
    return kalder_test::MaterialImage([seed](int r, int i) { return uint16_t(r * 64 + i + seed); }).Finish().bytes;
}

kalder_test::DsnMap Map(const std::string &name, uint32_t seed)
{
    kalder_test::DsnMap map{name, kalder_test::DsnMapRecord(Material_File(seed)), {}, kalder_test::DsnTestPicture(seed)};
    map.palette.assign(256, uint16_t(seed * 99));
    return map;
}

bool Write_Dsn(const fs::path &dir)
{
    fs::create_directories(dir);
    DsnWriter good;
    good.maps = {Map("FLOOR", 1), Map("CRATE", 2)};
    good.model = Sample_File(3000);
    good.collision = Sample_File(1000);
    DsnWriter none;
    none.model = Sample_File(100);
    none.collision = Sample_File(60);
    const std::vector<std::pair<const char *, std::function<void(DsnWriter &)>>> damage = {
        {"two-maps", [](DsnWriter &) {}},
        {"magic", [](DsnWriter &w) { w.magic = "DSNG"; }},
        {"eight-bytes", [](DsnWriter &w) { w.cut_at = 8; }},
        {"33-maps", [](DsnWriter &w) { w.count = 33; }},
        {"model-type-2", [](DsnWriter &w) { w.retype_block = 1, w.new_type = 2; }},
        {"swapped", [](DsnWriter &w) { w.swap_a = 1, w.swap_b = 2; }},
        {"length-3", [](DsnWriter &w) { w.relength_block = 1, w.new_length = 3; }},
        {"length-past-file", [](DsnWriter &w) { w.relength_block = 1, w.new_length = 300000; }},
        {"random-model", [](DsnWriter &w) { w.raw_block = 1; }},
        {"cut-after-model", [](DsnWriter &w) { w.cut_at = 9 + 5 + 2 + 62 + 5 + 200; }},
        {"no-palettes", [](DsnWriter &w) { w.drop_block = 3; }},
        {"part-40-type-3", [](DsnWriter &w) { w.retype_block = 44, w.new_type = 3; }},
        {"part-repeated", [](DsnWriter &w) { w.repeat_block = 11; }},
        {"appended", [](DsnWriter &w) { w.appended = std::vector<uint8_t>(300, 0x5A); }},
        {"random-part", [](DsnWriter &w) { w.raw_block = 20; }},
    };
    bool ok = none.WriteTo((dir / "no-maps").string());
    for (const auto &[name, knob] : damage) {
        DsnWriter w = good;
        knob(w);
        ok = ok && w.WriteTo((dir / name).string());
    }
    return ok;
}

bool Write_Dan(const fs::path &dir)
{
    fs::create_directories(dir);
    DanWriter good;
    good.model = Sample_File(2000);
    good.maps = {{"skin", Material_File(1)}, {"armour", Material_File(2)}};
    good.anims = {{"xh_an4.3da", Sample_File(300)}, {"xh_an4x.3da", Sample_File(200)}, {"xh_run01.3da", Sample_File(250)}};
    const std::vector<size_t> blocks = good.BlockOffsets();
    const std::vector<std::pair<const char *, std::function<void(DanWriter &)>>> damage = {
        {"character", [](DanWriter &) {}},
        {"magic", [](DanWriter &w) { w.magic = "DANG"; }},
        {"byte4", [](DanWriter &w) { w.byte4 = 1; }},
        {"tables-type-1", [](DanWriter &w) { w.tables_type = 1; }},
        {"cut-map-names", [](DanWriter &w) { w.cut_at = w.MapNamesAt() + 15; }},
        {"cut-anim-names", [](DanWriter &w) { w.cut_at = w.AnimNamesAt() + 20; }},
        {"cut-model", [&](DanWriter &w) { w.cut_at = blocks[0] + 100; }},
        {"cut-map", [&](DanWriter &w) { w.cut_at = blocks[2] + 100; }},
        {"7-maps", [](DanWriter &w) { w.map_count = 7; }},
        {"65-anims", [](DanWriter &w) { w.anim_count = 65; }},
        {"map-type-3", [](DanWriter &w) { w.retype_block = 1, w.new_type = 3; }},
        {"maps-past-buffer", [](DanWriter &w) { w.pad_block = 1, w.pad_to = 614401; }},
        {"length-4", [](DanWriter &w) { w.relength_block = 2, w.new_length = 4; }},
        {"random-anim", [](DanWriter &w) { w.raw_block = 3; }},
        {"model-filling-buffer", [](DanWriter &w) { w.pad_block = 0, w.pad_to = 614400; }},
    };
    bool ok = true;
    for (const auto &[name, knob] : damage) {
        DanWriter w = good;
        knob(w);
        ok = ok && w.WriteTo((dir / name).string());
    }
    return ok;
}

} // namespace

bool WriteSceneSeeds(const char *folder)
{
    return Write_Dsn(fs::path(folder) / "dsn") && Write_Dan(fs::path(folder) / "dan");
}
