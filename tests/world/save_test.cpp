// Save games on the demo installation: the slot table, the game files (damaged, original and round
// tripped), writes under scripted failures, the load's effects and the thumbnails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "core/opt.h"
#include "core/scr.h"
#include "core/sys.h"
#include "engine3d/view.h"
#include "interface/menj.h"
#include "tests/support/golden.h"
#include "tests/support/install_writer.h"
#include "tests/support/save_writer.h"
#include "tests/world/tick_fixture.h"
#include "world/cam.h"
#include "world/game.h"
#include "world/inv.h"
#include "world/prj.h"
#include "world/save.h"
#include "world/visited.h"

namespace fs = std::filesystem;

namespace {

using kalder_test::GameFileWriter;
using kalder_test::SlotTableWriter;

std::vector<uint8_t> ReadHost(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteHost(const fs::path &path, const std::vector<uint8_t> &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

// Everything a game load may change, to tell a refusal that changed nothing.
struct GameState {
    std::vector<uint8_t> bytes;
    LevelRecord *current;
    LevelRecord *next;
    static GameState Take()
    {
        GameState s;
        auto add = [&s](const void *p, size_t n) {
            const auto *b = static_cast<const uint8_t *>(p);
            s.bytes.insert(s.bytes.end(), b, b + n);
        };
        add(VIS_Ring, sizeof VIS_Ring);
        add(&VIS_Cursor, sizeof VIS_Cursor);
        add(&PRJ_SwitchBuffer, sizeof PRJ_SwitchBuffer);
        add(&SAVE_GameRecord, sizeof SAVE_GameRecord);
        add(&ACTOR_Slots[ACTOR_HERO].life, sizeof(float));
        add(&ACTOR_Slots[ACTOR_HERO].second_gauge, sizeof(float));
        add(&INV_Data, sizeof INV_Data);
        add(MENJ_Hands, sizeof MENJ_Hands);
        add(&PRJ_PendingFlag, sizeof PRJ_PendingFlag);
        add(&GAME_FadeTimer, sizeof GAME_FadeTimer);
        s.current = PRJ_Current;
        s.next = PRJ_Next;
        return s;
    }
    bool operator==(const GameState &o) const { return bytes == o.bytes && current == o.current && next == o.next; }
};

struct SaveTest : tick_test::LevelBench {
    void SetUp() override
    {
        LevelBench::SetUp();
        folder = fs::path(kalder_test::InstallHost(drives->Host('C'))) / "DATA" / "GAME";
        ASSERT_TRUE(fs::is_directory(folder));
        Reset();
    }
    void TearDown() override
    {
        Reset();
        LevelBench::TearDown();
    }
    static void Reset()
    {
        for (SAVE_Slot &slot : SAVE_Slots) {
            std::memset(&slot, 0, sizeof slot);
            slot.file_number = -1;
        }
        std::memset(VIS_Ring, 0, sizeof VIS_Ring);
        VIS_Cursor = 0;
        INV_Reset();
        for (MENJ_HandSlot &hand : MENJ_Hands) {
            hand = {-1, -1, 0};
        }
        GAME_FadeTimer = 0.0f;
    }
    void Put(const std::string &name, const std::vector<uint8_t> &bytes) { WriteHost(folder / name, bytes); }
    std::vector<uint8_t> Get(const std::string &name) { return ReadHost(folder / name); }
    bool Leftovers()
    {
        for (const auto &entry : fs::directory_iterator(folder)) {
            if (entry.path().extension() == ".tmp") {
                return true;
            }
        }
        return false;
    }
    // A table naming slot 0 "Game" with file 0.
    void OneSlot(const char *name = "Game")
    {
        SlotTableWriter table;
        table.slots[0] = {name, 0, 1, 0};
        Put("game.dat", table.Bytes());
        ASSERT_EQ(SAVE_ReadSlots(), 0);
    }
    fs::path folder;
};

std::vector<std::string> SlotNames()
{
    std::vector<std::string> names;
    for (const SAVE_Slot &slot : SAVE_Slots) {
        names.emplace_back(slot.name, strnlen(slot.name, sizeof slot.name));
    }
    return names;
}

std::vector<int32_t> Column(int32_t SAVE_Slot::*field)
{
    std::vector<int32_t> values;
    for (const SAVE_Slot &slot : SAVE_Slots) {
        values.push_back(slot.*field);
    }
    return values;
}

TEST_F(SaveTest, TheSortKeepsEveryStampedSlotOldestFirst)
{
    struct Row {
        const char *what;
        std::vector<int32_t> stamps;
        std::vector<std::string> names; // after the sort
        std::vector<int32_t> sorted;
    } rows[] = {
        {"stamps 5, 0, 9, 2", {5, 0, 9, 2, 0, 0, 0, 0, 0, 0}, {"d", "a", "c", "", "", "", "", "", "", ""},
         {1, 2, 3, 0, 0, 0, 0, 0, 0, 0}},
        {"equal stamps keep their order", {4, 4, 0, 1, 4, 0, 0, 0, 0, 0}, {"d", "a", "b", "e", "", "", "", "", "", ""},
         {1, 2, 3, 4, 0, 0, 0, 0, 0, 0}},
        {"a stamp of 70000 is kept", {70000, 3, 65535, 0, 0, 0, 0, 0, 0, 0}, {"b", "c", "a", "", "", "", "", "", "", ""},
         {1, 2, 3, 0, 0, 0, 0, 0, 0, 0}},
        {"no stamped slot leaves the table", {0, 0, -4, 0, 0, 0, 0, 0, 0, 0}, {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"},
         {0, 0, -4, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        for (int i = 0; i < 10; i++) {
            std::snprintf(SAVE_Slots[i].name, sizeof SAVE_Slots[i].name, "%c", 'a' + i);
            SAVE_Slots[i].stamp = row.stamps[size_t(i)];
            SAVE_Slots[i].file_number = i;
            SAVE_Slots[i].locked = i % 2;
        }
        SAVE_SortSlots();
        EXPECT_EQ(SlotNames(), row.names);
        EXPECT_EQ(Column(&SAVE_Slot::stamp), row.sorted);
        for (int i = 0; i < 10; i++) {
            if (!row.names[size_t(i)].empty()) {
                const int from = row.names[size_t(i)][0] - 'a';
                EXPECT_EQ(SAVE_Slots[i].file_number, from) << "the entry moves whole";
                EXPECT_EQ(SAVE_Slots[i].locked, from % 2);
            } else {
                EXPECT_EQ(SAVE_Slots[i].file_number, -1);
                EXPECT_EQ(SAVE_Slots[i].locked, 0);
            }
        }
    }
}

TEST_F(SaveTest, TheTableReadsWholeOrNotAtAll)
{
    SlotTableWriter good;
    good.slots[0] = {"First", 1, 1, 0};
    good.slots[1] = {"Second", 0, 2, 1};
    SlotTableWriter damaged = good;
    damaged.slots[2] = {"ABCDEFGHIJKLMNOPQRSTUV", 0, 3, 12}; // 22 bytes without NUL
    damaged.slots[3] = {"Minus", 0, 4, -7};
    damaged.slots[4] = {"Three", 0, 5, 3};
    damaged.slots[5] = {"Again", 0, 6, 3};
    damaged.slots[6] = {"Huge", 0, 7, 4000};
    auto sized = [](SlotTableWriter w, size_t n) {
        w.size = n;
        return w;
    };
    const std::vector<std::string> empty(10, "");
    struct Row {
        const char *what;
        bool present;
        SlotTableWriter table;
        int32_t result;
        std::vector<std::string> names;
        std::vector<int32_t> numbers;
    } rows[] = {
        {"a good table", true, good, 0, {"First", "Second", "", "", "", "", "", "", "", ""}, {0, 1, -1, -1, -1, -1, -1, -1, -1, -1}},
        {"a missing game.dat", false, good, -1, empty, std::vector<int32_t>(10, -1)},
        {"100 bytes", true, sized(good, 100), -1, empty, std::vector<int32_t>(10, -1)},
        {"341 bytes", true, sized(good, 341), -1, empty, std::vector<int32_t>(10, -1)},
        {"a name without NUL and bad file numbers", true, damaged, 0,
         {"First", "Second", "ABCDEFGHIJKLMNOPQRSTU", "Minus", "Three", "Again", "Huge", "", "", ""},
         {0, 1, -1, -1, 3, -1, -1, -1, -1, -1}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        for (SAVE_Slot &slot : SAVE_Slots) {
            std::strcpy(slot.name, "stale");
            slot.stamp = 9;
            slot.file_number = 5;
        }
        fs::remove(folder / "game.dat");
        if (row.present) {
            Put("game.dat", row.table.Bytes());
        }
        EXPECT_EQ(SAVE_ReadSlots(), row.result);
        EXPECT_EQ(SlotNames(), row.names);
        EXPECT_EQ(Column(&SAVE_Slot::file_number), row.numbers);
        if (row.result < 0) {
            EXPECT_EQ(Column(&SAVE_Slot::stamp), std::vector<int32_t>(10, 0));
            EXPECT_EQ(Column(&SAVE_Slot::locked), std::vector<int32_t>(10, 0));
        }
    }
    // Written back, a sorted table is byte for byte what was read.
    Put("game.dat", good.Bytes());
    ASSERT_EQ(SAVE_ReadSlots(), 0);
    ASSERT_EQ(SAVE_WriteSlots(), 0);
    EXPECT_EQ(Get("game.dat"), good.Bytes());
    EXPECT_FALSE(Leftovers());
}

TEST_F(SaveTest, AGameFileIsTakenWholeOrRefusedWithNothingChanged)
{
    OneSlot();
    GameFileWriter valid = kalder_test::DemoGameFile();
    valid.cursor = 3;
    valid.ring[2].name = "Project1";
    valid.ring[2].entries[5].life = -2.0f;
    valid.life = 55.5f;
    valid.second_gauge = 12.25f;
    auto change = [&valid](auto f) {
        GameFileWriter w = valid;
        f(w);
        return w;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    struct Row {
        std::string what;
        GameFileWriter file;
        int32_t result;
    };
    std::vector<Row> rows = {{"a valid file", valid, 0}};
    for (size_t cut : {0, 1, 10367, 10368, 10371, 10372, 10403, 10412, 11363, 11364, 11376, 11387, 11389}) {
        rows.push_back({"size " + std::to_string(cut), change([cut](GameFileWriter &w) { w.size = cut; }), -1});
    }
    rows.push_back({"cursor 8", change([](GameFileWriter &w) { w.cursor = 8; }), -1});
    rows.push_back({"cursor -1", change([](GameFileWriter &w) { w.cursor = -1; }), -1});
    rows.push_back({"a name without NUL", change([](GameFileWriter &w) { w.project = std::string(32, 'P'); }), -1});
    rows.push_back({"Project99", change([](GameFileWriter &w) { w.project = "Project99"; }), -1});
    rows.push_back({"EMPTY", change([](GameFileWriter &w) { w.project = "EMPTY"; }), -1});
    rows.push_back({"a NaN life", change([nan](GameFileWriter &w) { w.life = nan; }), -1});
    rows.push_back({"an infinite gauge", change([inf](GameFileWriter &w) { w.second_gauge = -inf; }), -1});
    rows.push_back({"a NaN position in the ring", change([](GameFileWriter &w) {
                         w.ring[7].entries[31].position[1] = std::numeric_limits<double>::quiet_NaN();
                     }), -1});
    rows.push_back({"an infinite life in the ring", change([inf](GameFileWriter &w) { w.ring[0].entries[0].life = inf; }), -1});
    rows.push_back({"an infinite gauge in the ring", change([inf](GameFileWriter &w) { w.ring[4].entries[9].second_gauge = inf; }), -1});
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        Reset();
        OneSlot();
        PRJ_Current = &PRJ_CurrentRecord;
        PRJ_Next = &PRJ_CurrentRecord;
        PRJ_PendingFlag = 0;
        Put("game0.dat", row.file.Bytes());
        const GameState before = GameState::Take();
        EXPECT_EQ(SAVE_ReadGame("Game"), row.result);
        if (row.result != 0) {
            EXPECT_TRUE(GameState::Take() == before) << "nothing changed";
            continue;
        }
        EXPECT_EQ(VIS_Cursor, 3);
        EXPECT_STREQ(VIS_Ring[2].name, "Project1");
        EXPECT_EQ(VIS_Ring[2].entries[5].life, -2.0f);
        EXPECT_STREQ(PRJ_Current->name, "Project0");
        EXPECT_EQ(ACTOR_Slots[ACTOR_HERO].life, 55.5f);
        EXPECT_EQ(ACTOR_Slots[ACTOR_HERO].second_gauge, 12.25f);
        EXPECT_STREQ(INV_Data.names[3], "object01");
        EXPECT_EQ(INV_Data.selected, 3);
        EXPECT_EQ(INV_Data.count[4], 3);
        EXPECT_EQ(MENJ_Hands[1].set, 0);
        EXPECT_EQ(MENJ_Hands[1].sprite, 1);
        EXPECT_EQ(MENJ_Hands[2].set, -1);
    }
    // Hand-slot pairs the icon sets cannot draw become empty; good ones stay.
    const struct {
        int32_t set, sprite, want_set, want_sprite;
    } pairs[] = {{9, 0, -1, -1}, {0, 5000, -1, -1}, {1, 15, 1, 15}, {1, 16, -1, -1}, {4, 255, 4, 255}, {-1, 3, -1, -1}};
    for (const auto &pair : pairs) {
        SCOPED_TRACE(testing::Message() << pair.set << ", " << pair.sprite);
        GameFileWriter w = valid;
        w.hand_sets[0] = pair.set;
        w.hand_sprites[0] = pair.sprite;
        Put("game0.dat", w.Bytes());
        ASSERT_EQ(SAVE_ReadGame("Game"), 0);
        EXPECT_EQ(MENJ_Hands[0].set, pair.want_set);
        EXPECT_EQ(MENJ_Hands[0].sprite, pair.want_sprite);
    }
}

TEST_F(SaveTest, OriginalFilesLoadAndSaveAgainWithZerosWhereTheyHeldAnything)
{
    OneSlot();
    GameFileWriter original = kalder_test::DemoGameFile();
    original.ring[0].name = "Project1";
    original.ring[0].entries[1].heading = 300;
    original.cursor = 1;
    original.as_original = true;
    Put("game0.dat", original.Bytes());
    ASSERT_EQ(SAVE_ReadGame("Game"), 0);
    // The save clears the cursor's record: keep the running game's ring as it was read.
    const VisitedRecord kept = VIS_Ring[VIS_Cursor];
    ASSERT_EQ(SAVE_WriteGame("Game"), 0);
    VIS_Ring[VIS_Cursor] = kept;
    const std::vector<uint8_t> again = Get("game0.dat");
    std::vector<uint8_t> expected = original.Bytes();
    for (size_t at : original.OriginalOnlyBytes()) {
        EXPECT_NE(expected[at], 0) << at;
        expected[at] = 0;
    }
    EXPECT_EQ(again, expected);
}

TEST_F(SaveTest, SaveLoadSaveGivesTheSameBytes)
{
    OneSlot();
    GameFileWriter full_ring = kalder_test::DemoGameFile();
    for (int r = 0; r < 8; r++) {
        full_ring.ring[size_t(r)].name = "Project" + std::to_string(r);
        for (int e = 0; e < 32; e++) {
            kalder_test::RingEntry &entry = full_ring.ring[size_t(r)].entries[size_t(e)];
            entry = {{r * 100.5, -e * 3.25, r + e * 0.125}, float(e) - 1.0f, float(r), (r * 977 + e * 31) & 4095};
        }
    }
    full_ring.cursor = 7;
    GameFileWriter full_inventory = kalder_test::DemoGameFile();
    full_inventory.inventory = kalder_test::FullInventory();
    GameFileWriter empty_hands = kalder_test::DemoGameFile();
    empty_hands.hand_sets[0] = empty_hands.hand_sprites[0] = -1;
    empty_hands.hand_sets[1] = empty_hands.hand_sprites[1] = -1;
    const struct {
        const char *what;
        GameFileWriter file;
    } rows[] = {{"empty ring", kalder_test::DemoGameFile()}, {"full ring", full_ring}, {"full inventory", full_inventory},
                {"empty hand slots", empty_hands}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        Put("game0.dat", row.file.Bytes());
        ASSERT_EQ(SAVE_ReadGame("Game"), 0);
        const VisitedRecord kept = VIS_Ring[VIS_Cursor];
        ASSERT_EQ(SAVE_WriteGame("Game"), 0);
        EXPECT_EQ(VIS_Ring[VIS_Cursor].name[0], '\0') << "the running game forgets its oldest level";
        VIS_Ring[VIS_Cursor] = kept;
        const std::vector<uint8_t> first = Get("game0.dat");
        EXPECT_EQ(first, row.file.Bytes());
        ASSERT_EQ(SAVE_ReadGame("Game"), 0);
        VIS_Ring[VIS_Cursor] = kept;
        ASSERT_EQ(SAVE_WriteGame("Game"), 0);
        EXPECT_EQ(Get("game0.dat"), first);
    }
}

TEST_F(SaveTest, AFailedWriteLeavesThePreviousFileWhole)
{
    struct Row {
        const char *what;
        test::FileFault fault;
        int32_t result;
    } rows[] = {
        {"the temporary file cannot be created", {test::FILE_OP_CREATE, "game0.dat.tmp", 0, -1}, -1},
        {"a write fails", {test::FILE_OP_WRITE, "game0.dat.tmp", 0, -1}, -1},
        {"a short write", {test::FILE_OP_WRITE, "game0.dat.tmp", 0, 5000}, -2},
        {"the sync fails", {test::FILE_OP_SYNC, "game0.dat.tmp", 0, -1}, -1},
        {"the close fails", {test::FILE_OP_CLOSE, "game0.dat.tmp", 0, -1}, -1},
        {"the rename fails", {test::FILE_OP_RENAME, "game0.dat", 0, -1}, -1},
    };
    OneSlot();
    const std::vector<uint8_t> previous = kalder_test::DemoGameFile().Bytes();
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        Put("game0.dat", previous);
        std::strcpy(VIS_Ring[VIS_Cursor].name, "Project1");
        test::AddFileFault(row.fault);
        EXPECT_EQ(SAVE_WriteGame("Game"), row.result);
        test::Reset(); // the faults go; the drive map stays with the fixture's drives
        for (char letter : std::string("CD")) {
            test::MapDrive(letter, drives->Host(letter));
        }
        test::ResetCurrentDirectories();
        test::SetExitHook(test::ThrowOnExit);
        EXPECT_EQ(Get("game0.dat"), previous);
        EXPECT_FALSE(Leftovers());
        EXPECT_STREQ(VIS_Ring[VIS_Cursor].name, "Project1") << "a failed save forgets nothing";
    }
    // The same faults on the table and the thumbnail.
    Put("game.dat", kalder_test::DemoSlotTable().Bytes());
    const std::vector<uint8_t> table = Get("game.dat");
    test::AddFileFault({test::FILE_OP_WRITE, "game.dat.tmp", 0, 100});
    EXPECT_EQ(SAVE_WriteSlots(), -2);
    EXPECT_EQ(Get("game.dat"), table);
    EXPECT_FALSE(Leftovers());
}

TEST_F(SaveTest, FileNumbersAreTheLowestFreeAndEmptyNamesMatchNothing)
{
    // A damaged table with only number 9 in use: the next save takes 0.
    SlotTableWriter sparse;
    sparse.slots[0] = {"Nine", 0, 1, 9};
    sparse.slots[1] = {"New", 0, 2, -1};
    Put("game.dat", sparse.Bytes());
    ASSERT_EQ(SAVE_ReadSlots(), 0);
    std::strcpy(VIS_Ring[VIS_Cursor].name, "Project3");
    EXPECT_EQ(SAVE_WriteGame("New"), 0);
    EXPECT_EQ(SAVE_Slots[1].file_number, 0);
    EXPECT_EQ(Get("game0.dat").size(), 11388u);
    EXPECT_EQ(VIS_Ring[VIS_Cursor].name[0], '\0');

    // An empty name would find a free slot.
    EXPECT_EQ(SAVE_WriteGame(""), -1);
    EXPECT_EQ(SAVE_ReadGame(""), -1);
    EXPECT_EQ(SAVE_WriteGame("Nobody"), -1);
    EXPECT_EQ(SAVE_Slots[2].file_number, -1);

    // Ten saves under distinct names, each named into the first empty slot with a newer stamp as the
    // save screens do, take the files 0..9 in turn; saving one of them again keeps its file.
    for (const auto &entry : fs::directory_iterator(folder)) {
        fs::remove(entry.path());
    }
    ASSERT_EQ(SAVE_ReadSlots(), -1);
    for (int32_t k = 0; k < SAVE_SLOT_COUNT; k++) {
        SCOPED_TRACE(k);
        const std::string name = "Save " + std::to_string(k);
        SAVE_Slot &slot = SAVE_Slots[k];
        ASSERT_EQ(slot.name[0], '\0');
        std::snprintf(slot.name, sizeof slot.name, "%s", name.c_str());
        slot.stamp = k + 1;
        std::strcpy(VIS_Ring[VIS_Cursor].name, "Project3");
        ASSERT_EQ(SAVE_WriteGame(name.c_str()), 0);
        ASSERT_EQ(SAVE_WriteSlots(), 0);
        EXPECT_EQ(SAVE_Slots[k].file_number, k);
        EXPECT_EQ(Get("game" + std::to_string(k) + ".dat").size(), 11388u);
    }
    ASSERT_EQ(SAVE_WriteGame("Save 4"), 0);
    EXPECT_EQ(Column(&SAVE_Slot::file_number), (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));

    // An eleventh name finds neither a slot nor a free number: -1, and the table, the files and the
    // ring's name at the cursor stay as they were.
    std::map<std::string, std::vector<uint8_t>> files;
    for (const auto &entry : fs::directory_iterator(folder)) {
        files[entry.path().filename().string()] = ReadHost(entry.path());
    }
    ASSERT_EQ(files.size(), 11u) << "the table and ten games";
    std::vector<uint8_t> table(sizeof SAVE_Slots);
    std::memcpy(table.data(), SAVE_Slots, sizeof SAVE_Slots);
    std::strcpy(VIS_Ring[VIS_Cursor].name, "Project3");
    EXPECT_EQ(SAVE_WriteGame("Save 10"), -1);
    EXPECT_EQ(std::memcmp(table.data(), SAVE_Slots, sizeof SAVE_Slots), 0);
    EXPECT_STREQ(VIS_Ring[VIS_Cursor].name, "Project3");
    std::map<std::string, std::vector<uint8_t>> after;
    for (const auto &entry : fs::directory_iterator(folder)) {
        after[entry.path().filename().string()] = ReadHost(entry.path());
    }
    EXPECT_TRUE(after == files) << "a file was written, changed or removed";
}

TEST_F(SaveTest, ALoadedGameLoadsItsProjectOnTheNextTick)
{
    TickUntilLoaded();
    OneSlot();
    GameFileWriter file = kalder_test::DemoGameFile();
    file.inventory.items[0].level = 4;
    Put("game0.dat", file.Bytes());
    ASSERT_EQ(SAVE_ReadGame("Game"), 0);
    EXPECT_EQ(PRJ_Current, &SAVE_GameRecord);
    EXPECT_EQ(PRJ_Next, &SAVE_GameRecord);
    EXPECT_EQ(SAVE_GameRecord.fade_kind, 1);
    EXPECT_EQ(PRJ_PendingFlag, 1);
    EXPECT_EQ(GAME_FadeTimer, 15.0f);
    EXPECT_EQ(GAME_FilmFrozen, 0);
    const ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    EXPECT_EQ(INV_Data.owner, hero);
    // "feu" (level 4) in quick slot 0 goes to hand slot 0: the hero's second spell slot.
    EXPECT_EQ(hero->spell_slots[1][0], 4);
    EXPECT_EQ(hero->spell_slots[0][0], 2);

    // The next tick loads the project. The load ends every fade, so the 15.0 fade never runs out and
    // the project is not loaded a second time: the game plays on in the saved-game record.
    GAME_Tick(0);
    EXPECT_EQ(PRJ_PendingFlag, 0);
    EXPECT_STREQ(PRJ_Current->name, "Project0");
    EXPECT_EQ(GAME_FadeTimer, 0.0f);
    for (int i = 0; i < 30; i++) {
        GAME_Tick(0);
        ASSERT_EQ(PRJ_PendingFlag, 0) << "tick " << i;
    }
    EXPECT_EQ(PRJ_Current, &SAVE_GameRecord);
    EXPECT_EQ(ACTOR_Slots[ACTOR_HERO].life, 100.0f);
    EXPECT_STREQ(INV_Data.names[0], "feu");
}

TEST_F(SaveTest, ThumbnailsReadWholeAndTheRenderGivesTheViewBack)
{
    OneSlot();
    for (size_t size : {size_t(0), size_t(8191), size_t(8193)}) {
        SCOPED_TRACE(size);
        std::memset(SAVE_Thumbnail, 0x5A, sizeof SAVE_Thumbnail);
        fs::remove(folder / "game0.ico");
        if (size > 0) {
            Put("game0.ico", std::vector<uint8_t>(size, 0x77));
        }
        EXPECT_EQ(SAVE_ReadThumbnail("Game"), -1);
        EXPECT_EQ(std::count(SAVE_Thumbnail, SAVE_Thumbnail + 4096, 0), 4096);
    }
    const std::vector<uint16_t> card = kalder_test::ScaledCard();
    Put("game0.ico", kalder_test::ThumbnailImage(card));
    ASSERT_EQ(SAVE_ReadThumbnail("Game"), 0);
    EXPECT_EQ(std::vector<uint16_t>(SAVE_Thumbnail, SAVE_Thumbnail + 4096), card);

    CAM_Init();
    OPT_Cinemascope = 1;
    for (int i = 0; i < 40; i++) {
        GAME_Tick(0);
    }
    for (int letterbox : {1, 0}) {
        SCOPED_TRACE(letterbox);
        OPT_Cinemascope = letterbox;
        OPT_SetView(int32_t(SCR_Width), int32_t(SCR_Height));
        const OBJ_ViewParams before = OBJ_View;
        ASSERT_EQ(SAVE_WriteThumbnail("Game"), 0);
        EXPECT_EQ(std::memcmp(&OBJ_View, &before, sizeof before), 0) << "the view is given back";
        EXPECT_EQ(Get("game0.ico"), kalder_test::ThumbnailImage(std::vector<uint16_t>(SAVE_Thumbnail, SAVE_Thumbnail + 4096)));
    }
    EXPECT_TRUE(kalder_test::MatchesGolden("save-thumbnail-project0", SAVE_Thumbnail, 64, 64, false));
    // A slot without a file: nothing rendered or written, the buffer cleared.
    EXPECT_EQ(SAVE_WriteThumbnail("Nobody"), -1);
    EXPECT_EQ(std::count(SAVE_Thumbnail, SAVE_Thumbnail + 4096, 0), 4096);
    CAM_Exit();
}

} // namespace
