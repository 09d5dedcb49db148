// The actor record's defaults, the active lists and the flag word.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "world/actor.h"

namespace {

TEST(ActorTest, ANewRecordHoldsTheDefaultsAndNothingElse)
{
    ActorRecord actor;
    std::memset(&actor, 0x5A, sizeof actor);
    ACTOR_InitRecord(&actor);

    struct Number {
        const char *what;
        double value;
        double expected;
    } numbers[] = {
        {"physics mode", double(actor.physics_mode), 1},
        {"life", actor.life, 100.0},
        {"second gauge", actor.second_gauge, 10.0},
        {"air", actor.air, 100.0},
        {"strength", actor.strength, 20.0},
        {"zone", double(actor.zone), -1},
        {"point", double(actor.point), -1},
        {"second spell slot's type", double(actor.spell_slots[1][1]), 1},
        {"radius", double(actor.radius), 135},
        {"second radius", double(actor.second_radius), 160},
        {"pursuit range", double(actor.pursuit_range), 50000},
        {"sight radius", double(actor.sight_radius), 2000},
        {"animation speed", actor.anim_speed, 1.5},
        {"speed factor", actor.speed_factor, 1.0},
        {"range", double(actor.range), 1000},
        {"parry chance", double(actor.parry_chance), 16},
        {"attack chance", double(actor.attack_chance), 20},
        {"mass", actor.mass, 80.0},
        {"shadow slot: none", double(actor.shadow_slot), 16},
        {"symbol list: none", double(actor.symbol_menu), -1},
        // Zero defaults that a reader could take for "none".
        {"node: the root camera's handle", double(actor.node), 0},
        {"requested animation", double(actor.requested_anim), 0},
        {"animation set", double(actor.anim_set), 0},
        {"first spell slot's type", double(actor.spell_slots[0][1]), 0},
        {"third spell slot's type", double(actor.spell_slots[2][1]), 0},
        {"motion scale", actor.motion_scale, 0},
    };
    for (const Number &n : numbers) {
        EXPECT_EQ(n.value, n.expected) << n.what;
    }

    // Every other byte is zero: the record with those defaults put back to zero is all zero bytes.
    ActorRecord rest;
    std::memcpy(&rest, &actor, sizeof rest);
    rest.physics_mode = 0;
    rest.life = rest.second_gauge = rest.air = rest.strength = 0.0f;
    rest.zone = rest.point = 0;
    rest.spell_slots[1][1] = 0;
    rest.radius = rest.second_radius = rest.pursuit_range = rest.sight_radius = 0;
    rest.anim_speed = rest.speed_factor = 0.0f;
    rest.range = rest.parry_chance = rest.attack_chance = 0;
    rest.mass = 0.0;
    rest.shadow_slot = 0;
    rest.symbol_menu = 0;
    const uint8_t *bytes = reinterpret_cast<const uint8_t *>(&rest);
    for (size_t i = 0; i < sizeof rest; i++) {
        ASSERT_EQ(bytes[i], 0) << "byte " << i << " of the record";
    }
}

TEST(ActorTest, TheActiveListsHoldSlotsInOrderThenProjectiles)
{
    struct Case {
        const char *what;
        std::vector<int> slots;
        std::vector<int> projectiles;
    } cases[] = {
        {"none in use", {}, {}},
        {"slots 1, 2, 5 and projectiles 0, 15", {1, 2, 5}, {0, 15}},
        {"all 32 slots and 16 projectiles", {}, {}},
        {"projectiles only", {}, {3}},
        {"the last slot", {31}, {}},
    };
    for (int c = 0; c < int(std::size(cases)); c++) {
        Case &k = cases[c];
        SCOPED_TRACE(k.what);
        if (c == 2) {
            for (int i = 0; i < 32; i++) {
                k.slots.push_back(i);
            }
            for (int i = 0; i < 16; i++) {
                k.projectiles.push_back(i);
            }
        }
        for (ActorRecord &a : ACTOR_Slots) {
            ACTOR_InitRecord(&a);
            a.flags[0] = ACTOR_F0_HERO; // other bits do not make a slot active
            a.flags[1] = 0xFF;
        }
        for (ActorRecord &a : ACTOR_Projectiles) {
            ACTOR_InitRecord(&a);
            a.flags[0] = 0xFE;
        }
        std::vector<ActorRecord *> list1, list2;
        for (int i : k.slots) {
            ACTOR_Slots[i].flags[0] |= ACTOR_F0_IN_USE;
            list1.push_back(&ACTOR_Slots[i]);
            list2.push_back(&ACTOR_Slots[i]);
        }
        for (int i : k.projectiles) {
            ACTOR_Projectiles[i].flags[0] |= ACTOR_F0_IN_USE;
            list1.push_back(&ACTOR_Projectiles[i]);
        }
        ACTOR_ActiveCount1 = ACTOR_ActiveCount2 = 99;
        ACTOR_BuildActiveLists();
        ASSERT_EQ(ACTOR_ActiveCount1, int32_t(list1.size()));
        ASSERT_EQ(ACTOR_ActiveCount2, int32_t(list2.size()));
        EXPECT_EQ(std::vector<ActorRecord *>(ACTOR_ActiveList1, ACTOR_ActiveList1 + ACTOR_ActiveCount1), list1);
        EXPECT_EQ(std::vector<ActorRecord *>(ACTOR_ActiveList2, ACTOR_ActiveList2 + ACTOR_ActiveCount2), list2);
    }
}

TEST(ActorTest, FlagBytesZeroToThreeReadAsOneLittleEndianWord)
{
    ActorRecord actor;
    ACTOR_InitRecord(&actor);
    actor.flags[1] = ACTOR_F1_TEAM;
    EXPECT_EQ(ACTOR_FlagWord(&actor), 0x2000u);
    EXPECT_EQ(ACTOR_WORD_TEAM, 0x2000u);
    actor.flags[0] = 0x01;
    actor.flags[2] = 0x02;
    actor.flags[3] = 0x84;
    actor.flags[4] = 0xFF; // not part of the word
    EXPECT_EQ(ACTOR_FlagWord(&actor), 0x84022001u);
}

} // namespace
