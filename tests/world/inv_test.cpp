// The inventory: adding items by name, finding and removing them, the empty record, and the saved
// game's image of it.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/que.h"
#include "interface/menj.h"
#include "tests/support/inventory_writer.h"
#include "world/actor.h"
#include "world/inv.h"

namespace {

using kalder_test::InventoryItem;
using kalder_test::InventoryWriter;

std::string name_of(const INV_Record &record, int i) { return std::string(record.names[i], strnlen(record.names[i], 16)); }

struct InvTest : ::testing::Test {
    void SetUp() override
    {
        ACTOR_InitRecord(&hero);
        ACTOR_InitRecord(&bare);
        kept_queue = MENJ_Queue;
        MENJ_Queue = QUE_Create(50);
        INV_Data.inUse = 0;
        INV_Init(&hero);
    }
    void TearDown() override
    {
        QUE_Destroy(MENJ_Queue);
        MENJ_Queue = kept_queue;
        INV_Reset();
    }
    // The names of the pick-up events waiting in MENJ's queue, taken out.
    static std::vector<std::string> posted()
    {
        std::vector<std::string> names;
        MGM_Event event;
        while (QUE_Read(MENJ_Queue, &event) != 0) {
            EXPECT_EQ(event.type, MENJ_PICKUP);
            names.emplace_back(MENJ_PostedName(event.a));
        }
        return names;
    }
    // The record starts as the image holds it, owned by the hero.
    void start_from(const InventoryWriter &writer)
    {
        const std::vector<uint8_t> image = writer.Image();
        INV_FromImage(&INV_Data, image.data());
    }

    ActorRecord hero{};
    ActorRecord bare{}; // no inventory
    MGM_Queue *kept_queue = nullptr;
};

enum class Who { Hero, Nobody, Bare };
enum class Op { Add, Remove };

struct Step {
    Op op;
    std::string name;
};

struct Place {
    int index;
    std::string name;
    int32_t count, level;
};

// Scripted sequences over a fresh record (or one read from an image): the places afterwards, the
// selected item, the last step's answer and the pick-up events posted on the way.
TEST_F(InvTest, AddingItemsFillsPlacesCountsAndLevels)
{
    const std::string twenty = "abcdefghijklmnopqrst";
    InventoryWriter fixed;
    fixed.items = {{"feu", 1, 1, 50.0f, 1}};
    InventoryWriter twice;
    twice.items = {{"feu", 1, 1}, {"", 0, 0}, {"", 0, 0}, {"feu", 4, 4}};
    const struct {
        const char *what;
        Who who;
        std::optional<InventoryWriter> start;
        std::vector<Step> steps;
        int32_t result;
        std::vector<Place> places; // every other place empty, unless full
        bool full;
        int32_t selected;
        std::vector<std::string> events;
    } cases[] = {
        {"a new item", Who::Hero, {}, {{Op::Add, "feu"}}, 1, {{0, "feu", 1, 1}}, false, -1, {"feu"}},
        {"the same item again", Who::Hero, {}, {{Op::Add, "feu"}, {Op::Add, "feu"}}, 1, {{0, "feu", 2, 2}}, false, -1,
         {"feu", "feu"}},
        {"a fixed item keeps its level", Who::Hero, fixed, {{Op::Add, "feu"}}, 1, {{0, "feu", 2, 1}}, false, -1, {"feu"}},
        {"an object is selected, a spell is not", Who::Hero, {}, {{Op::Add, "arc"}, {Op::Add, "object01"}, {Op::Add, "temps"}},
         1, {{0, "arc", 1, 1}, {1, "object01", 1, 1}, {2, "temps", 1, 1}}, false, 1, {"arc", "object01", "temps"}},
        {"a name of 20 characters", Who::Hero, {}, {{Op::Add, twenty}, {Op::Add, twenty}}, 1,
         {{0, twenty.substr(0, 15), 2, 2}}, false, -1, {twenty.substr(0, 15), twenty.substr(0, 15)}},
        {"a full record refuses a new item", Who::Hero, kalder_test::FullInventory(), {{Op::Add, "feu"}}, 0,
         {{5, "item05", 16, 0}}, true, 17, {"feu"}},
        {"a full record refuses an item it holds", Who::Hero, kalder_test::FullInventory(), {{Op::Add, "item05"}}, 0,
         {{5, "item05", 16, 0}}, true, 17, {"item05"}},
        {"no actor", Who::Nobody, {}, {{Op::Add, "feu"}}, 0, {}, false, -1, {}},
        {"an actor without inventory", Who::Bare, {}, {{Op::Add, "feu"}}, 0, {}, false, -1, {}},
        {"a freed place starts the next item afresh", Who::Hero, {},
         {{Op::Add, "feu"}, {Op::Add, "feu"}, {Op::Add, "arc"}, {Op::Remove, "feu"}, {Op::Add, "temps"}}, 1,
         {{0, "temps", 1, 1}, {1, "arc", 1, 1}}, false, -1, {"feu", "feu", "arc", "temps"}},
        {"the last of two equal names wins", Who::Hero, twice, {{Op::Add, "feu"}}, 1,
         {{0, "feu", 1, 1}, {3, "feu", 5, 5}}, false, -1, {"feu"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        if (c.start) {
            start_from(*c.start);
        }
        ActorRecord *actor = c.who == Who::Hero ? &hero : c.who == Who::Bare ? &bare : nullptr;
        int32_t result = -1;
        for (const Step &step : c.steps) {
            result = step.op == Op::Add ? INV_Add(actor, step.name.c_str()) : INV_RemoveName(actor, step.name.c_str());
        }
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(posted(), c.events);
        EXPECT_EQ(INV_Data.selected, c.selected);
        EXPECT_EQ(INV_Data.owner, c.who == Who::Hero ? &hero : nullptr);
        for (int i = 0; i < INV_ITEMS; i++) {
            SCOPED_TRACE(i);
            const Place *place = nullptr;
            for (const Place &p : c.places) {
                place = p.index == i ? &p : place;
            }
            if (place != nullptr) {
                EXPECT_EQ(name_of(INV_Data, i), place->name);
                EXPECT_EQ(INV_Data.count[i], place->count);
                EXPECT_EQ(INV_Data.level[i], place->level);
            } else if (!c.full) {
                EXPECT_EQ(INV_Data.names[i][0], 0);
            }
        }
    }
}

// Finding by the beginning of a name, and removing by the whole name.
TEST_F(InvTest, HasFindsTheBeginningRemoveTheWholeName)
{
    // A level record's 16-byte element field, without a NUL.
    struct {
        char field[16];
    } const element = {{'G', 'U', 'N', 'G', 'U', 'N', 'G', 'U', 'N', 'G', 'U', 'N', 'G', 'U', 'N', 'G'}};
    const struct {
        const char *what;
        Op op;
        const char *name;
        int32_t result;
        std::vector<std::string> names_after;
    } cases[] = {
        {"the beginning of a held name", Op::Add, "GU", 1, {}},
        {"a held name", Op::Add, "GUN", 1, {}},
        {"longer than the held name", Op::Add, "GUNS", 0, {}},
        {"in other letters", Op::Add, "gun", 0, {}},
        {"the empty name matches any held item", Op::Add, "", 1, {}},
        {"a field without NUL", Op::Add, element.field, 0, {}},
        {"removing empties the first equal place", Op::Remove, "feu", 1, {"GUN", "", "feu"}},
        {"removing needs the whole name", Op::Remove, "fe", 0, {"GUN", "feu", "feu"}},
        {"removing an item not held", Op::Remove, "arc", 0, {"GUN", "feu", "feu"}},
        {"removing by a field without NUL", Op::Remove, element.field, 0, {"GUN", "feu", "feu"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        InventoryWriter w;
        w.items = {{"GUN", 1, 1}, {"feu", 3, 2}, {"feu", 1, 1}};
        start_from(w);
        if (c.op == Op::Add) {
            EXPECT_EQ(INV_Has(&hero, c.name), c.result);
            continue;
        }
        EXPECT_EQ(INV_RemoveName(&hero, c.name), c.result);
        for (size_t i = 0; i < c.names_after.size(); i++) {
            EXPECT_EQ(name_of(INV_Data, int(i)), c.names_after[i]);
        }
        // The emptied place keeps its count and level.
        EXPECT_EQ(INV_Data.count[1], 3);
        EXPECT_EQ(INV_Data.level[1], 2);
    }
    // Nothing is held by an empty record, an actor without one or no actor.
    INV_Reset();
    INV_Init(&hero);
    EXPECT_EQ(INV_Has(&hero, ""), 0);
    EXPECT_EQ(INV_Has(&bare, ""), 0);
    EXPECT_EQ(INV_Has(nullptr, "GUN"), 0);
    EXPECT_EQ(INV_RemoveName(nullptr, "GUN"), 0);
}

// The record a level load hands out: fresh when free, as it is when in use; emptied by the reset.
TEST_F(InvTest, InitHandsOutTheRecordAndResetEmptiesIt)
{
    start_from(kalder_test::FullInventory());
    INV_Data.owner = &bare;
    INV_Data.inUse = 0;
    ActorRecord other{};
    ACTOR_InitRecord(&other);
    INV_Init(&other);
    EXPECT_EQ(other.inventory, &INV_Data);
    EXPECT_EQ(INV_Data.owner, nullptr);
    EXPECT_EQ(INV_Data.selected, -1);
    for (int k = 0; k < 3; k++) {
        EXPECT_EQ(INV_Data.quick[k], -1);
    }
    for (int i = 0; i < INV_ITEMS; i++) {
        EXPECT_EQ(INV_Data.names[i][0], 0);
        EXPECT_EQ(INV_Data.count[i], 0);
        EXPECT_EQ(INV_Data.level[i], 0);
        EXPECT_EQ(INV_Data.fixed[i], 0);
        EXPECT_FLOAT_EQ(INV_Data.charge[i], 50.0f);
    }
    EXPECT_EQ(INV_Data.inUse, 1u);

    // In use: handed over without change.
    ASSERT_EQ(INV_Add(&hero, "feu"), 1);
    INV_Record before;
    std::memcpy(&before, &INV_Data, sizeof before);
    ActorRecord third{};
    INV_Init(&third);
    EXPECT_EQ(third.inventory, &INV_Data);
    EXPECT_EQ(std::memcmp(&before, &INV_Data, sizeof before), 0);

    start_from(kalder_test::FullInventory());
    std::memset(MENJ_ResetWords, 0, sizeof MENJ_ResetWords);
    INV_Reset();
    EXPECT_EQ(INV_Data.owner, &hero) << "the owner stays";
    EXPECT_EQ(INV_Data.inUse, 0u);
    EXPECT_EQ(INV_Data.selected, -1);
    for (int i = 0; i < INV_ITEMS; i++) {
        EXPECT_EQ(std::string(INV_Data.names[i], 16), std::string(16, '\0'));
        EXPECT_EQ(INV_Data.count[i], 0);
        EXPECT_EQ(INV_Data.level[i], 0);
        EXPECT_EQ(INV_Data.fixed[i], 0);
        EXPECT_FLOAT_EQ(INV_Data.charge[i], 50.0f);
    }
    EXPECT_EQ(std::vector<int32_t>(MENJ_ResetWords, MENJ_ResetWords + 4),
              (std::vector<int32_t>{0x10200, 0x20100, 0x20100, 0x20100}));
    // The level load marks a kept record in use again.
    INV_MarkKept(&INV_Data);
    EXPECT_EQ(INV_Data.inUse, 1u);
}

// Every field is read from its place in the image.
TEST_F(InvTest, TheImageFieldsLieAtTheirOffsets)
{
    InventoryWriter w = kalder_test::FullInventory();
    w.in_use = 0x80000001u;
    start_from(w);
    for (int i = 0; i < INV_ITEMS; i++) {
        SCOPED_TRACE(i);
        const InventoryItem &item = w.items[size_t(i)];
        EXPECT_EQ(name_of(INV_Data, i), item.name);
        EXPECT_EQ(INV_Data.count[i], item.count);
        EXPECT_EQ(INV_Data.level[i], item.level);
        EXPECT_EQ(INV_Data.charge[i], item.charge);
        EXPECT_EQ(INV_Data.fixed[i], item.fixed);
    }
    EXPECT_EQ(INV_Data.selected, 17);
    EXPECT_EQ(std::vector<int32_t>(INV_Data.quick, INV_Data.quick + 3), (std::vector<int32_t>{0, 31, 9}));
    EXPECT_EQ(INV_Data.inUse, 0x80000001u);
}

// Read and written back: byte for byte, but for the owner word (written 0, the record keeping its own
// owner) and what reading makes safe.
TEST_F(InvTest, TheImageRoundTripsAndDamageIsMadeSafe)
{
    const auto with = [](InventoryWriter w, const std::function<void(InventoryWriter &)> &change) {
        change(w);
        return w;
    };
    const InventoryWriter full = kalder_test::FullInventory();
    InventoryWriter empty;
    empty.in_use = 0;
    const struct {
        const char *what;
        InventoryWriter image, expected;
        std::optional<int> unterminated; // expected: that name cut to 15 bytes
    } cases[] = {
        {"empty", empty, empty, {}},
        {"full", full, full, {}},
        {"the owner word", with(full, [](auto &w) { w.owner_word = 0xDEADBEEF; }), full, {}},
        {"a name without NUL", with(full, [](auto &w) { w.unterminated_name = 4; }), full, 4},
        {"selected 32", with(full, [](auto &w) { w.selected = 32; }), with(full, [](auto &w) { w.selected = -1; }), {}},
        {"selected -2", with(full, [](auto &w) { w.selected = -2; }), with(full, [](auto &w) { w.selected = -1; }), {}},
        {"selected 31", with(full, [](auto &w) { w.selected = 31; }), with(full, [](auto &w) { w.selected = 31; }), {}},
        {"a quick slot at 1000", with(full, [](auto &w) { w.quick[1] = 1000; }), with(full, [](auto &w) { w.quick[1] = -1; }), {}},
        {"a quick slot at -5", with(full, [](auto &w) { w.quick[2] = -5; }), with(full, [](auto &w) { w.quick[2] = -1; }), {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        INV_Data.owner = &hero;
        start_from(c.image);
        EXPECT_EQ(INV_Data.owner, &hero);
        std::vector<uint8_t> out(INV_IMAGE_BYTES, 0xCC);
        INV_ToImage(INV_Data, out.data());
        std::vector<uint8_t> expected = c.expected.Image();
        if (c.unterminated) {
            std::memset(expected.data() + INV_AT_NAMES + 16 * *c.unterminated, 'Z', 15);
            expected[size_t(INV_AT_NAMES + 16 * *c.unterminated + 15)] = 0;
        }
        EXPECT_EQ(out, expected);
    }
}

} // namespace
