// fuzz_seeds <folder>: writes the seeds of every harness, made by the fixture writers.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/coll_meshes.h"
#include "tests/support/hmap_writer.h"
#include "tests/support/icon_pack_writer.h"
#include "tests/support/font_writer.h"
#include "tests/support/fsb_writer.h"
#include "tests/support/character_writer.h"
#include "tests/support/image_builder.h"
#include "tests/support/install_writer.h"
#include "tests/support/inventory_writer.h"
#include "tests/support/level_writer.h"
#include "tests/support/pack_writer.h"
#include "tests/support/sprite_set_writer.h"
#include "tests/support/symbol_writer.h"
#include "tests/support/wav_writer.h"
#include "tests/support/weapon_models.h"

namespace fs = std::filesystem;
using kalder_test::PackWriterEntry;
using kalder_test::PackWriterOptions;

static std::vector<uint8_t> bytes_of(const std::string &text) { return {text.begin(), text.end()}; }

static bool write(const fs::path &dir, const std::string &name, const std::vector<uint8_t> &bytes)
{
    return kalder_test::WriteHostFile((dir / name).string(), bytes);
}

// The 3D loader's seeds: valid images of every kind, with and without materials, and the damaged
// images of the loader's tests.
static bool write_image_seeds(const fs::path &dir)
{
    using namespace kalder_test;
    fs::create_directories(dir);
    const Convention R = Convention::Record0;
    std::vector<std::pair<std::string, ImageBuilder>> seeds;
    auto cube = [] { return HierarchyImage(CubeObjects(), CubeMaterials()); };
    std::vector<ObjectSpec> family(4);
    family[0].name = "Root";
    for (int i = 1; i < 4; i++) {
        family[size_t(i)].name = "C" + std::to_string(i);
        family[size_t(i)].parent = 0;
    }
    const TrackSpec track{{{0, {0, 0, 0, 0x8000}}, {10, {0, 0, 0x4000, 0x4000}}}, {{0, {1, 2, 3}}, {10, {4, 5, 6}}}};
    auto mesh = [] { return CollisionImage({{0, 0, 0}, {100, 0, 0}, {0, 0, 100}, {100, 0, 100}}, {{0, 2, 1}, {1, 2, 3}}); };
    seeds.push_back({"cube", cube()});
    seeds.push_back({"no-materials", HierarchyImage(family, {})});
    seeds.push_back({"flat-only", HierarchyImage({CubeObjects()[0]}, {{"CUBE", "", 5}})});
    // The hero's weapons, as every level loads them.
    for (const Weapon w : {Weapon::Sword, Weapon::Bow, Weapon::Gun}) {
        seeds.push_back({"weapon-" + WeaponFileName(w), HierarchyImage(WeaponObjects(w), WeaponMaterials(w))});
    }
    seeds.push_back({"records", RecordImage({{1, 2, 3}, {4, 5, 6}})});
    seeds.push_back({"material", MaterialImage([](int r, int i) { return uint16_t(r * 256 + i); })});
    seeds.push_back({"tracks", TrackImage(4, {track, track})});
    seeds.push_back({"splines", TrackImage(6, {track})});
    TrackSpec eased = track;
    eased.rotations.push_back({25, {0x4000, 0, 0, 0x6EDA}});
    eased.rotation_splines = {{0.5f, 0.25f, {0, 0, 0x4000, 0x6EDA}, {0x5A82, 0, 0, 0x5A82}},
                              {0.75f, 0.75f, {0, 0x8000, 0, 0}, {0, 0, 0, -0x8000}},
                              {0.1f, 0.0f, {0, 0, 0, 0x8000}, {0, 0, 0, 0x8000}}};
    eased.position_splines = {{0.3f, 0.6f, {100, -200, 300}, {-5, 5, -5}}, {0.0f, 0.9f, {7, 8, 9}, {1000, 0, -1000}}};
    seeds.push_back({"splines-eased", TrackImage(6, {eased, track})});
    TrackSpec odd = eased;
    odd.rotation_splines[0].ease_a = std::nanf("");
    odd.rotation_splines[1].ease_b = -3.0f;
    odd.position_splines[0].ease_a = 1e30f;
    odd.position_splines[1].ease_b = -1e30f;
    seeds.push_back({"splines-odd-ease", TrackImage(6, {odd})});
    const TrackSpec late{{{30000, {0, 0, 0, 0x8000}}, {30000, {0, 0, 0x4000, 0x4000}}, {65535, {0, 0x8000, 0, 0}}},
                         {{65535, {2000000000, -2000000000, 5}}, {65535, {-2000000000, 2000000000, 6}}}};
    seeds.push_back({"tracks-late-equal-times", TrackImage(4, {late, track, late})});
    seeds.push_back({"morph-frames", RecordImage({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}})});
    seeds.push_back({"mesh", mesh()});
    seeds.push_back({"mesh-floor", FloorGrid(6, 5, 64, 40, 1).Image()});
    seeds.push_back({"mesh-soup", Soup(40, 16, 256, 2).Image()});
    CollMeshSpec shapes = Wall(0, 300, 100, -50, 200);
    shapes.Append(Ramp(0, 300, 0, 90, 150, 400));
    shapes.Append(Degenerate({10, 10, 10}, {90, 10, 200}));
    seeds.push_back({"mesh-shapes", shapes.Image()});
    auto damaged = [&](const char *name, ImageBuilder b, auto damage) {
        damage(b);
        seeds.push_back({name, b});
    };
    damaged("count-negative", cube(), [](ImageBuilder &b) { b.Damage32("table", 0, -1); });
    damaged("count-huge", cube(), [](ImageBuilder &b) { b.Damage32("table", 0, 0x7FFFFFFF); });
    damaged("record-past", cube(), [](ImageBuilder &b) { b.Damage32("table", 4, 0x100000); });
    damaged("record-header", cube(), [](ImageBuilder &b) { b.Damage32("table", 8, -16); });
    damaged("truncated", cube(), [](ImageBuilder &b) { b.TruncateAt(5000); });
    damaged("link-non-record", cube(), [&](ImageBuilder &b) { b.DamageLink("rec0", 20, "verts0", 0, R); });
    damaged("root-parent", cube(), [&](ImageBuilder &b) { b.DamageLink("rec0", 16, "rec1", 0, R); });
    damaged("sibling-cycle", HierarchyImage(family, {}), [&](ImageBuilder &b) { b.DamageLink("rec3", 24, "rec1", 0, R); });
    damaged("unreachable", HierarchyImage(family, {}), [&](ImageBuilder &b) { b.Damage32("rec2", 24, 0); });
    damaged("node-a-type", cube(), [](ImageBuilder &b) { b.Damage32("nodeA1", 4, 5); });
    damaged("node-b-type", cube(), [](ImageBuilder &b) { b.Damage32("nodeB1", 4, 0); });
    damaged("face-count", cube(), [](ImageBuilder &b) { b.Damage32("nodeA0", 28, 100000); });
    damaged("edge-count", cube(), [](ImageBuilder &b) { b.Damage32("nodeB0", 8, 100000); });
    damaged("face-wrong-array", cube(), [&](ImageBuilder &b) { b.DamageLink("faces0", 8, "fnorms0", 0, R); });
    damaged("shared-faces", cube(), [&](ImageBuilder &b) { b.DamageLink("nodeA1", 32, "faces0", 0, R); });
    damaged("material-count", cube(), [](ImageBuilder &b) { b.Damage32("materials", 0, 100000); });
    damaged("name-no-nul", cube(), [](ImageBuilder &b) { b.DamageBytes("rec1", 0, std::vector<uint8_t>(12, 'A')); });
    damaged("key-offset", TrackImage(4, {track}), [](ImageBuilder &b) { b.Damage32("track0", 16, 100000); });
    damaged("key-count", TrackImage(4, {track}), [](ImageBuilder &b) { b.Damage32("track0", 4, 100000); });
    damaged("mesh-word", mesh(), [](ImageBuilder &b) { b.Damage32("body", 4, 0); });
    damaged("mesh-tris", mesh(), [](ImageBuilder &b) { b.Damage32("body", 8, 1000); });
    damaged("mesh-owner", mesh(), [](ImageBuilder &b) { b.Damage32("tris", 68, 2); });
    damaged("parent-cycle", HierarchyImage(family, {}), [&](ImageBuilder &b) {
        b.DamageLink("rec2", 16, "rec3", 0, R);
        b.DamageLink("rec3", 16, "rec2", 0, R);
        b.Damage32("rec2", 24, 0);
    });
    damaged("face-edge-size", cube(), [&](ImageBuilder &b) { b.DamageLink("faces0", 16, "edges1", 0, R); });
    damaged("node-two-lists", cube(), [&](ImageBuilder &b) { b.DamageLink("rec1", 164, "nodeA0", 0, R); });
    damaged("vertex-pointer", cube(), [](ImageBuilder &b) { b.Damage32("rec0", 128, 0x7FFFFFF0); });
    damaged("box-count", cube(), [](ImageBuilder &b) { b.Damage32("rec0", 156, 100000); });
    damaged("material-count-negative", cube(), [](ImageBuilder &b) { b.Damage32("materials", 0, -1); });
    damaged("material-name-no-nul", cube(), [](ImageBuilder &b) { b.DamageBytes("materials", 4, std::vector<uint8_t>(16, 'A')); });
    damaged("file-name-no-nul", cube(), [](ImageBuilder &b) { b.DamageBytes("materials", 20, std::vector<uint8_t>(16, 'A')); });
    damaged("node-name-no-nul", cube(), [](ImageBuilder &b) { b.DamageBytes("nodeA0", 12, std::vector<uint8_t>(16, 'A')); });
    damaged("mesh-word-past", mesh(), [](ImageBuilder &b) { b.Damage32("body", 20, 100000); });
    damaged("material-short", MaterialImage([](int, int) { return uint16_t(0); }), [](ImageBuilder &b) { b.TruncateAt(8 + 98323); });
    damaged("tracks-unsorted", TrackImage(4, {eased}), [](ImageBuilder &b) { b.Damage32("rot0", 20, -50); });
    damaged("splines-unsorted", TrackImage(6, {eased}), [](ImageBuilder &b) { b.Damage32("pos0", 48, -0x7FFFFFFF); });
    for (const auto &seed : seeds) {
        if (!write(dir, seed.first, seed.second.Finish().bytes)) {
            return false;
        }
    }
    return write(dir, "short-27", std::vector<uint8_t>(27, 0));
}
// Packs inside packs: one that names the entry it lies in (the harness also stores every input in
// such an entry), the pack holding it, and a chain of three.
static bool write_nested_pack_seeds(const fs::path &dir)
{
    using kalder_test::PackImage;
    std::vector<PackWriterEntry> entries;
    auto entry = [&](const std::string &name, const std::vector<uint8_t> &bytes) {
        PackWriterEntry e;
        e.name = name;
        e.bytes = bytes;
        entries.push_back(e);
    };
    entry("Z:\\INNER.BF", bytes_of("not the inner pack"));
    entry("A.TXT", bytes_of("inner a"));
    const std::vector<uint8_t> names_itself = PackImage(entries);
    entries.clear();
    entry("Z:\\INNER.BF", names_itself);
    entry("B.TXT", bytes_of("outer b"));
    entry("A.TXT", bytes_of("outer a"));
    const std::vector<uint8_t> outer = PackImage(entries);
    entries.clear();
    entry("I.TXT", bytes_of("innermost"));
    const std::vector<uint8_t> innermost = PackImage(entries);
    entries.clear();
    entry("M.TXT", bytes_of("middle"));
    entry("Z:\\IN.BF", innermost);
    const std::vector<uint8_t> middle = PackImage(entries);
    entries.clear();
    entry("Z:\\MID.BF", middle);
    entry("O.TXT", bytes_of("outer"));
    return write(dir, "nested-names-itself", names_itself) && write(dir, "nested-outer", outer) &&
           write(dir, "nested-three", PackImage(entries));
}

bool WriteLzSeeds(const char *folder); // lz_seeds.cpp
bool WriteSceneSeeds(const char *folder); // scene_seeds.cpp
bool WriteLevelSeeds(const char *folder); // level_seeds.cpp
bool WriteAiSeeds(const char *folder);    // ai_seeds.cpp
bool WriteTickSeeds(const char *folder);  // tick_seeds.cpp
bool WriteSaveSeeds(const char *folder);  // save_seeds.cpp
bool WriteZoneSeeds(const char *folder);  // zon_seeds.cpp
bool WriteTriggerSeeds(const char *folder); // trg_seeds.cpp
bool WriteFxSeeds(const char *folder);      // fx_seeds.cpp
bool WriteFilmSeeds(const char *folder);  // film_seeds.cpp
bool WriteIxSeeds(const char *folder); // ix_seeds.cpp
bool WriteIvSeeds(const char *folder); // iv_seeds.cpp
bool WriteHnm4Seeds(const char *folder); // hnm4_seeds.cpp
bool WriteDialogueSeeds(const char *folder); // drd_seeds.cpp

// kalder.dat: a sound database with projects that lead to each other, and one of each damage.
static bool write_prj_seeds(const fs::path &dir)
{
    using kalder_test::KalderDatWriter;
    using kalder_test::LevelRecordBuilder;
    fs::create_directories(dir);
    KalderDatWriter linked;
    for (int n = 0; n < 4; n++) {
        linked.records[size_t(n)] = LevelRecordBuilder(kalder_test::BlankEditorRecord())
                                        .Name("Project" + std::to_string(n))
                                        .InUse()
                                        .Exit(0, "EXIT1", "Project" + std::to_string((n + 1) % 4), 1, {1, 2, 3},
                                              {4, 5, 6})
                                        .Exit(1, "EXIT2", "Nowhere", 1, {}, {})
                                        .Bytes();
    }
    linked.records[5] = LevelRecordBuilder(linked.records[5]).Name("ABCDEFGHIJKLMNOPQRST").Bytes();
    KalderDatWriter cut = linked, offset = linked, dangling = linked, longer = linked;
    cut.truncate_at = 1500;
    offset.offset_overrides[10] = 5;
    dangling.raw_records[2] = kalder_test::ZeroRunPack(kalder_test::BlankEditorRecord());
    dangling.raw_records[2].push_back(0);
    longer.records[1].push_back(0);
    longer.append.assign(64, 0x11);
    return write(dir, "linked", linked.Image()) && write(dir, "minimal", kalder_test::MinimalDatabase().Image()) &&
           write(dir, "cut", cut.Image()) && write(dir, "offset", offset.Image()) &&
           write(dir, "dangling", dangling.Image()) && write(dir, "longer", longer.Image());
}

// Inventory images: an empty record, a full one, and the full one with each damage reading repairs.
static bool write_inv_image_seeds(const fs::path &dir)
{
    fs::create_directories(dir);
    kalder_test::InventoryWriter empty;
    empty.in_use = 0;
    kalder_test::InventoryWriter unterminated = kalder_test::FullInventory();
    unterminated.unterminated_name = 0;
    kalder_test::InventoryWriter selected = kalder_test::FullInventory();
    selected.selected = 32;
    kalder_test::InventoryWriter quick = kalder_test::FullInventory();
    quick.quick[0] = -7;
    quick.quick[2] = 100000;
    return write(dir, "empty", empty.Image()) && write(dir, "full", kalder_test::FullInventory().Image()) &&
           write(dir, "unterminated", unterminated.Image()) && write(dir, "selected", selected.Image()) &&
           write(dir, "quick", quick.Image());
}

// Sprite sets: the demo fonts and cursor set, and one file for each damage of the loader's tests.
// The icon pack: the demo's, a small one of one sprite a set, and the small one with each damage the
// loader refuses (and one it takes: 1-byte pixels read for 2 at the pack's end).
static bool write_icon_pack_seeds(const fs::path &dir)
{
    using kalder_test::SpriteSetWriter;
    fs::create_directories(dir);
    const char *names[5] = {"MAGIE.ALP", "ANIM.ALP", "PYRAM.ALP", "TOUCHES.SPR", "INTERF.ALP"};
    std::vector<SpriteSetWriter> small(5);
    for (int i = 0; i < 5; i++) {
        const int pixel = i == 3 ? 1 : 2;
        std::vector<uint8_t> pixels(size_t(4 * 3 * pixel));
        for (size_t k = 0; k < pixels.size(); k++) {
            pixels[k] = uint8_t(1 + k * 7);
        }
        small[size_t(i)].Put(0, 4, 3, 1, 1, pixels);
        small[size_t(i)].Put(15, 4, 3, 0, 0, pixels);
        small[size_t(i)].palette[1] = 0x7FFF;
    }
    const auto pack = [&](const std::vector<SpriteSetWriter> &sets, bool directory_first = false) {
        std::vector<PackWriterEntry> entries;
        for (size_t i = 0; i < sets.size(); i++) {
            entries.push_back({names[i], sets[i].Image()});
        }
        PackWriterOptions options;
        options.directory_first = directory_first;
        return kalder_test::PackImage(entries, options);
    };
    std::vector<std::pair<std::string, std::vector<uint8_t>>> seeds = {{"demo", kalder_test::DemoIconPack()},
                                                                       {"small", pack(small)}};
    const auto damaged = [&](const char *name, int set, auto damage) {
        std::vector<SpriteSetWriter> sets = small;
        damage(sets[size_t(set)]);
        seeds.push_back({name, pack(sets)});
    };
    damaged("cut-short", 2, [](SpriteSetWriter &w) { w.cut_at = 512 + 7171; });
    damaged("offset-in-palette", 0, [](SpriteSetWriter &w) { w.entries[0].offset = 100; });
    damaged("offset-in-directory", 4, [](SpriteSetWriter &w) { w.entries[15].offset = int64_t(w.Size()) - 7172 - 10; });
    damaged("offset-past-file", 1, [](SpriteSetWriter &w) { w.entries[0].offset = 1 << 20; });
    damaged("width-4097", 0, [](SpriteSetWriter &w) { w.entries[15].written_width = 4097; });
    damaged("height-negative", 2, [](SpriteSetWriter &w) { w.entries[0].written_height = -1; });
    damaged("plain-into-directory", 3, [](SpriteSetWriter &w) { w.entries[15].offset = int64_t(w.Size()) - 7172 - 11; });
    damaged("entry-0-empty", 4, [](SpriteSetWriter &w) { w.entries[0] = {}; });
    std::vector<SpriteSetWriter> missing = small;
    missing.pop_back();
    seeds.push_back({"set-missing", pack(missing)});
    std::vector<SpriteSetWriter> last = small;
    last[3].Put(100, 100, 100, 0, 0, std::vector<uint8_t>(100 * 100, 3));
    std::vector<PackWriterEntry> entries;
    for (int i : {0, 1, 2, 4, 3}) {
        entries.push_back({names[i], last[size_t(i)].Image()});
    }
    PackWriterOptions first;
    first.directory_first = true;
    seeds.push_back({"plain-at-the-end", kalder_test::PackImage(entries, first)});
    for (const auto &seed : seeds) {
        if (!write(dir, seed.first, seed.second)) {
            return false;
        }
    }
    return true;
}

static bool write_spr_seeds(const fs::path &dir)
{
    using kalder_test::SpriteSetWriter;
    fs::create_directories(dir);
    std::vector<std::pair<std::string, SpriteSetWriter>> seeds = {
        {"hi640", kalder_test::FontSet(kalder_test::FontSize::Large)},
        {"hi480", kalder_test::FontSet(kalder_test::FontSize::Medium)},
        {"hi320", kalder_test::FontSet(kalder_test::FontSize::Small)},
        {"sour", kalder_test::CursorSet()}};
    SpriteSetWriter base;
    base.Put(1, 3, 2, 1, 1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    base.Put(7, 2, 2, 0, 0, {1, 1, 2, 2});
    base.entries[0].width = 9;
    const int64_t directory = int64_t(base.Size()) - 7172;
    auto damaged = [&](const char *name, auto damage) {
        SpriteSetWriter w = base;
        damage(w);
        seeds.push_back({name, w});
    };
    damaged("small", [](SpriteSetWriter &) {});
    damaged("negative-width", [](SpriteSetWriter &w) { w.entries[1].written_width = -3; });
    damaged("width-4097", [](SpriteSetWriter &w) { w.entries[1].written_width = 4097; });
    damaged("height-huge", [](SpriteSetWriter &w) { w.entries[7].written_height = 0x7FFFFFFF; });
    damaged("offset-negative", [](SpriteSetWriter &w) { w.entries[1].offset = -512; });
    damaged("offset-past-file", [](SpriteSetWriter &w) { w.entries[7].offset = 1 << 20; });
    damaged("offset-in-directory", [&](SpriteSetWriter &w) { w.entries[7].offset = directory + 2; });
    damaged("offset-in-palette", [](SpriteSetWriter &w) { w.entries[1].offset = 100; });
    damaged("cut-short", [](SpriteSetWriter &w) { w.cut_at = 7000; });
    damaged("cut-in-directory", [](SpriteSetWriter &w) { w.cut_at = 512 + 12 + 4 + 7000; });
    damaged("entry-0-empty", [](SpriteSetWriter &w) { w.entries[0] = {}; w.palette_word = 0xDEADBEEF; });
    for (const auto &seed : seeds) {
        if (!write(dir, seed.first, seed.second.Image())) {
            return false;
        }
    }
    return true;
}

// The magnifier: good and bad offsets and scales, in front of a ramp tile.
static bool write_magnify_seeds(const fs::path &dir)
{
    fs::create_directories(dir);
    const uint8_t heads[][4] = {{0, 0, 8, 8}, {7, 7, 8, 8}, {3, 5, 2, 4}, {7, 0, 1, 8}, {8, 0, 1, 1}, {0, 0, 3, 2}};
    bool ok = true;
    int n = 0;
    for (const auto &head : heads) {
        std::vector<uint8_t> bytes(head, head + 4);
        for (int i = 0; i < 1024; i++) {
            bytes.push_back(uint8_t(i * 5));
        }
        ok = ok && write(dir, "seed" + std::to_string(n++), bytes);
    }
    return ok;
}

// Height maps: a ramp, literal and ramp runs, a depth picture, and the damage of the height-map tests.
static bool write_hmap_seeds(const fs::path &dir)
{
    using kalder_test::HmapWriter;
    using kalder_test::LiteralRun;
    using kalder_test::RampRun;
    fs::create_directories(dir);
    HmapWriter ramp;
    ramp.width = 5;
    ramp.height = 3;
    ramp.shift = 16;
    ramp.runs = {RampRun(15, 0, 65536)};
    HmapWriter mixed = ramp;
    mixed.shift = 1;
    mixed.runs = {LiteralRun({7, 0xFFFF, 9}), RampRun(2, -4, 2, 0x55), LiteralRun({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12})};
    HmapWriter depth;
    depth.FromDepth(64, 48, 9, [](int32_t x, int32_t y) { return x >= 20 && x < 40 && y >= 10 ? 4000.0 : 1000.0 + y; });
    std::vector<std::pair<std::string, HmapWriter>> seeds = {{"ramp", ramp}, {"mixed", mixed}, {"depth", depth}};
    auto damaged = [&](const char *name, HmapWriter w, auto damage) {
        damage(w);
        seeds.push_back({name, w});
    };
    damaged("header-43", mixed, [](HmapWriter &w) { w.truncate_at = 43; });
    damaged("width-0", mixed, [](HmapWriter &w) { w.width = 0; });
    damaged("height-negative", mixed, [](HmapWriter &w) { w.height = -1; });
    damaged("too-large", mixed, [](HmapWriter &w) { w.width = w.height = 4097; });
    damaged("run-header-cut", mixed, [](HmapWriter &w) { w.truncate_at = 44 + 9 + 2; });
    damaged("samples-cut", mixed, [](HmapWriter &w) { w.truncate_at = 44 + 3 + 3; });
    damaged("zero-runs", mixed, [](HmapWriter &w) { w.runs = std::vector<kalder_test::HmapRun>(500, RampRun(0, 1, 1)); });
    damaged("shift-40", mixed, [](HmapWriter &w) { w.shift = 40; });
    damaged("run-past-grid", ramp, [](HmapWriter &w) { w.runs = {RampRun(60000, 5, 70000)}; });
    for (const auto &seed : seeds) {
        if (!write(dir, seed.first, seed.second.Bytes())) {
            return false;
        }
    }
    return true;
}

// The symbol lists' seeds: the demo's sage with a script that talks it through, and each damaged
// step of the list's tests; the record reader's: a record in each register and each refused file.
static bool write_sym_seeds(const fs::path &dir)
{
    using kalder_test::RecordFileBuilder;
    using kalder_test::SymbolFileBuilder;
    using namespace kalder_test::sym_word;
    fs::create_directories(dir);
    const uint8_t down = 0x01 << 2, up = 0x01, sel = 0x02 << 4, fast = 0xC0;
    const auto symbols = [&](const std::vector<uint8_t> &script, const std::vector<uint8_t> &bytes) {
        std::vector<uint8_t> out = {0, uint8_t(script.size())};
        out.insert(out.end(), script.begin(), script.end());
        out.insert(out.end(), bytes.begin(), bytes.end());
        return out;
    };
    // Cut the sentence short, choose "Where", come back, go down to "End".
    std::vector<uint8_t> talk = {sel, fast, fast, down, sel, up, sel, fast, fast, fast, sel, fast, down, sel};
    talk.resize(60, fast);
    talk.insert(talk.end(), {down, down, down, sel});
    const std::vector<uint8_t> twenty(20, kWho);
    bool ok = write(dir, "sage", symbols(talk, kalder_test::DemoSageSymbols())) &&
              write(dir, "sage-quiet", symbols({}, kalder_test::DemoSageSymbols())) &&
              write(dir, "zero-length", symbols(talk, SymbolFileBuilder().Step(1, {kWho}, "A").RawStep({0, 0, 1, kWho, 0}).Bytes())) &&
              write(dir, "ids-past-end", symbols(talk, SymbolFileBuilder().RawStep({30, 1, 20, kWho, kWhere}).Bytes())) &&
              write(dir, "text-past-end", symbols(talk, SymbolFileBuilder().RawStep({9, 1, 1, kWho, 50, 'a'}).Bytes())) &&
              write(dir, "twenty-ids", symbols(talk, SymbolFileBuilder().Step(1, twenty, "C").Step(0, {kEnd}, "").Bytes())) &&
              write(dir, "id-77", symbols(talk, SymbolFileBuilder().Step(1, {77, 0x80 | kWho}, "D").Step(0, {77}, "").Bytes())) &&
              write(dir, "no-end", symbols(talk, SymbolFileBuilder().Step(1, {kWho, kHelp}, "F").Step(0, {kWho}, "").Bytes()));
    // Seventeen matches in a row: "Who" again and again.
    std::vector<uint8_t> again;
    for (int i = 0; i < 17; i++) {
        again.insert(again.end(), {sel, fast, fast, fast, fast, sel});
    }
    ok = ok && write(dir, "deep", symbols(again, SymbolFileBuilder().Step(1, {kWho}, "0").Step(0, {kWho}, "").Step(1, {kWho}, "2").Bytes()));
    // The mode byte's bit 1 is the descriptor's: registered in the first table only.
    struct Record {
        const char *name;
        uint8_t mode;
        std::vector<uint8_t> bytes;
    };
    for (const Record &r : {Record{"record-both", 1, RecordFileBuilder(0).Offset(1, 256).Offset(2, 0x7FFFFFFF).Bytes()},
                            Record{"record-first", 3, RecordFileBuilder(2, 8).Offset(1, 257).Bytes()},
                            Record{"record-short", 1, RecordFileBuilder(0).Truncate(1023).Bytes()},
                            Record{"record-256", 1, RecordFileBuilder(64).Bytes()},
                            Record{"record-minus-1", 1, RecordFileBuilder(-1).Bytes()}}) {
        const std::vector<uint8_t> &bytes = r.bytes;
        const std::string name = r.name;
        std::vector<uint8_t> out = {r.mode};
        out.insert(out.end(), bytes.begin(), bytes.end());
        ok = ok && write(dir, name, out);
    }
    return ok;
}

// The sound bank's seeds: valid banks (effects, a voice, surplus bytes, uneven sizes) and every
// damaged bank of the bank's tests.
static bool write_fsb_seeds(const fs::path &dir)
{
    using kalder_test::FsbImage;
    using kalder_test::FsbOptions;
    fs::create_directories(dir);
    const kalder_test::WavFormat effect{1, 11025, 16};
    const kalder_test::WavFormat voice{1, 11025, 8};
    std::vector<std::vector<uint8_t>> sounds = kalder_test::DemoSounds(3);
    sounds.push_back(kalder_test::WavImage(voice, kalder_test::WavSamples(voice, kalder_test::Wave::Noise, 300)));
    sounds.push_back(kalder_test::WavImage(effect, kalder_test::WavSamples(effect, kalder_test::Wave::Square, 40),
                                           {30, -1, -1}));
    const std::vector<uint8_t> good = FsbImage(sounds);
    auto with = [&](auto knob) {
        FsbOptions o;
        knob(o);
        return FsbImage(sounds, o);
    };
    auto cut = [&](size_t n) { return std::vector<uint8_t>(good.begin(), good.begin() + long(n)); };
    return write(dir, "bank", good) && write(dir, "empty-bank", FsbImage({})) &&
           write(dir, "surplus", with([](FsbOptions &o) { o.surplus = {1, 2, 3}; })) &&
           write(dir, "sizes-below", with([](FsbOptions &o) { o.sizes = {{0, 10}, {1, 20}}; })) &&
           write(dir, "sizes-above", with([](FsbOptions &o) { o.sizes = {{2, 100000}}; })) &&
           write(dir, "zero-bytes", {}) && write(dir, "eleven-bytes", cut(11)) &&
           write(dir, "one-blank", with([](FsbOptions &o) { o.magic = "KALDER FSB "; })) &&
           write(dir, "lower-case", with([](FsbOptions &o) { o.magic = "kalder fsb  "; })) &&
           write(dir, "fourteen-bytes", cut(14)) &&
           write(dir, "count-too-large", with([&](FsbOptions &o) { o.count = int64_t(good.size() - 16) / 4 + 1; })) &&
           write(dir, "count-all-ones", with([](FsbOptions &o) { o.count = 0xFFFFFFFF; })) &&
           write(dir, "cut-in-sizes", cut(22)) && write(dir, "cut-in-data", cut(good.size() - 7));
}

// The actor's players: the figure's animations under numbers of each kind, steered by a few action
// patterns, and a walk whose frame count runs past the key's 16 bits.
static bool write_actor_anim_seeds(const fs::path &dir)
{
    using namespace kalder_test;
    fs::create_directories(dir);
    CharacterOptions linear, spline;
    spline.kind = 6;
    const std::vector<NamedFile> a = CharacterAnims(linear), b = CharacterAnims(spline);
    auto seed = [&](uint8_t number, uint8_t steer, std::vector<uint8_t> actions, const std::vector<uint8_t> &file) {
        std::vector<uint8_t> bytes = {number, steer, 8};
        actions.resize(9, 0);
        bytes.insert(bytes.end(), actions.begin(), actions.end());
        bytes.insert(bytes.end(), file.begin(), file.end());
        return bytes;
    };
    ImageBuilder long_walk = TrackImage(4, CharacterTracks(4));
    long_walk.Damage32("track0", 0, 70000);
    bool ok = true;
    for (size_t i = 0; i < a.size(); i++) {
        const uint8_t number = uint8_t(a[i].name[6] - '0') * 10 + uint8_t(a[i].name[7] - '0');
        ok = ok && write(dir, "linear-" + std::to_string(number), seed(number, 0, {1, 1, 2, 2, 0x13, 9, 4, 3, 0}, a[i].bytes)) &&
             write(dir, "spline-" + std::to_string(number), seed(number, 0x21, {0x12, 1, 10, 8, 0, 4, 0x11, 7, 11}, b[i].bytes));
    }
    return ok && write(dir, "long-walk", seed(4, 0x04, {1, 1, 1, 1, 1, 1, 1, 1, 1}, long_walk.Finish().bytes));
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds <folder>\n");
        return 2;
    }
    const fs::path pack = fs::path(argv[1]) / "pack";
    const fs::path path = fs::path(argv[1]) / "path";
    fs::create_directories(pack);
    fs::create_directories(path);

    const std::vector<PackWriterEntry> icons = {{"data\\icone\\icones.ico", bytes_of("icon bytes here")},
                                                {"DATA\\ICONE\\B.ALP", std::vector<uint8_t>(300, 7)},
                                                {"EMPTY", {}}};
    PackWriterOptions first, as_given, mirx;
    first.directory_first = true;
    as_given.upper_names = false;
    mirx.magic = "MIRX";
    PackWriterOptions cut;
    cut.truncate_at = 100;
    bool ok = write(pack, "icons", kalder_test::PackImage(icons)) &&
              write(pack, "directory-first", kalder_test::PackImage(icons, first)) &&
              write(pack, "names-as-given", kalder_test::PackImage(icons, as_given)) &&
              write(pack, "empty", kalder_test::PackImage({})) &&
              write(pack, "long-name", kalder_test::PackImage({{std::string(259, 'L'), bytes_of("l")}})) &&
              write(pack, "past-the-end", kalder_test::PackImage({{"A", {}, 2000, 50}, {"B", {}, 0x7FFFFFF0, 0x40}})) &&
              write(pack, "magic", kalder_test::PackImage(icons, mirx)) &&
              write(pack, "cut", kalder_test::PackImage(icons, cut));
    ok = ok && write_nested_pack_seeds(pack);

    const char *paths[] = {
        "\x00" "D:\\DATA\\1CD.ID",
        "\x00" "d:/data/hnm/tete_e~1.hnm",
        "\x00" "d:\\data\\hnm\\TETE_E~2.HNM",
        "\x00" "C:\\VORN\\KALDER\\\\DATA\\LEVEL.ID",
        "\x02" "data\\game.dat",
        "\x02" "..\\..\\..\\X\\Data\\A",
        "\x03" "tete_e~1.hnm",
        "\x00" "C:\\..\\..\\x.dsn",
        "\x00" "\\\\X\\*.*",
        "\x00" "C:\\X\\data\\a?b.c*",
        "\x00" "C:\\x.dsn\\",
        "\x00" "Q:\\DATA",
        "\x00" "C:\\a:b",
    };
    int n = 0;
    for (const char *p : paths) {
        std::string text(p + 1);
        std::vector<uint8_t> bytes(1, uint8_t(p[0]));
        bytes.insert(bytes.end(), text.begin(), text.end());
        ok = ok && write(path, "seed" + std::to_string(n++), bytes);
    }
    const fs::path tracks = fs::path(argv[1]) / "cd_tracks";
    fs::create_directories(tracks);
    ok = ok && write(tracks, "copied-disc", bytes_of("track02.wav\nTrack03.Wav\nreadme.txt")) &&
         write(tracks, "same-number", bytes_of("TRACK2.WAV\ntrack02.wav\ntrack1.wav")) &&
         write(tracks, "ignored", bytes_of("track0.wav\ntrack100.wav\ntrack02.ogg\nmytrack02.wav\n"
                                            "track02.wav.bak\n/track04.wav"));
    ok = ok && write_image_seeds(fs::path(argv[1]) / "load_obj");
    ok = ok && write_actor_anim_seeds(fs::path(argv[1]) / "actor_anim");
    // The list reader: lists as the disc holds them, and LEVEL.ID behind an 'L'.
    const fs::path lists = fs::path(argv[1]) / "dsk_list";
    fs::create_directories(lists);
    const std::vector<std::string> names = {"DATA\\3DC\\L1.DSN", "data\\3dc\\obj.3dc", "DATA/ANIM/INTRO.HNM",
                                            "DATA\\3DC\\EMPTY.DAN", "DATA\\3DC\\NONE.DSN"};
    // A list of the length a data part's list has: the files above among hundreds the disc lacks.
    std::vector<std::string> full_size;
    for (int i = 0; i < 400; i++) {
        full_size.push_back(i % 40 < 5 ? names[size_t(i % 5)] : "DATA\\3DC\\OBJECT" + std::to_string(i) + ".3DC");
    }
    ok = ok && write(lists, "crlf", bytes_of(kalder_test::ListText(names))) &&
         write(lists, "blanks", bytes_of(kalder_test::ListText(names, " \t "))) &&
         write(lists, "outside", bytes_of(kalder_test::ListText({"..\\X", "C:\\X", "\\X", "X", "DATA\\..\\X"}))) &&
         write(lists, "no-folder", bytes_of(kalder_test::ListText({"DATA\\3DC\\L1.DSN", "X\\Y", "DATA\\GFX\\A.TGA"}))) &&
         write(lists, "level-id", bytes_of(std::string("L\x02\0\0\0", 5))) &&
         write(lists, "full-size", bytes_of(kalder_test::ListText(full_size))) &&
         write(lists, "level-id-short", bytes_of("L\x02"));

    // The drive map: the texts of KALDER_DRIVES against the harness's base folder, and a NUL for the
    // base's drives folder.
    const fs::path drive_map = fs::path(argv[1]) / "drive_map";
    fs::create_directories(drive_map);
    const char *maps[] = {"C=C;D=D",
                          "C=C;c=D",
                          "C=/;D=sub/deeper;E=link;F=dangling;G=file",
                          "C=C;;D=;=D;1=C;DD=C;D=D/..;E=../..",
                          "z=sub;Z=a b;Y=./sub/../sub/",
                          "C=a b;c",
                          ""};
    n = 0;
    for (const char *text : maps) {
        ok = ok && write(drive_map, "map" + std::to_string(n++), bytes_of(text));
    }
    ok = ok && write(drive_map, "folder", {0});
    ok = ok && WriteLzSeeds(argv[1]);
    ok = ok && write_prj_seeds(fs::path(argv[1]) / "prj");
    ok = ok && write_magnify_seeds(fs::path(argv[1]) / "magnify");
    ok = ok && write_spr_seeds(fs::path(argv[1]) / "spr_load");
    ok = ok && write_icon_pack_seeds(fs::path(argv[1]) / "icon_pack");
    ok = ok && write_inv_image_seeds(fs::path(argv[1]) / "inv_image");
    ok = ok && write_hmap_seeds(fs::path(argv[1]) / "hmap");
    ok = ok && write_fsb_seeds(fs::path(argv[1]) / "fsb");
    ok = ok && write_sym_seeds(fs::path(argv[1]) / "sym");
    ok = ok && WriteSceneSeeds(argv[1]);
    ok = ok && WriteLevelSeeds(argv[1]);
    ok = ok && WriteAiSeeds(argv[1]);
    ok = ok && WriteTickSeeds(argv[1]);
    ok = ok && WriteZoneSeeds(argv[1]);
    ok = ok && WriteTriggerSeeds(argv[1]);
    ok = ok && WriteFxSeeds(argv[1]);
    ok = ok && WriteFilmSeeds(argv[1]);
    ok = ok && WriteIxSeeds(argv[1]);
    ok = ok && WriteIvSeeds(argv[1]);
    ok = ok && WriteHnm4Seeds(argv[1]);
    ok = ok && WriteSaveSeeds(argv[1]);
    ok = ok && WriteDialogueSeeds(argv[1]);
    if (!ok) {
        std::fprintf(stderr, "fuzz_seeds: cannot write under %s\n", argv[1]);
        return 1;
    }
    return 0;
}
