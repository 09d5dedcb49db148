// The hero's fight step per frame (two scans of the characters around it, the reach and stance, the
// weapon step) with 0, 8 and 16 characters near it, and the sword growing into the hand for weapon
// models of 100 and 5,000 vertices. This logic is the game's own: there is no peer to run beside it.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>

#include "core/game_frame.h"
#include "engine3d/image.h"
#include "tests/support/character_writer.h"
#include "tests/support/image_area.h"
#include "tests/support/mem_file_source.h"
#include "tests/support/weapon_models.h"
#include "world/actor.h"
#include "world/ctrl.h"
#include "world/fgt.h"
#include "world/prj.h"
#include "world/wpn.h"

namespace {

// The hero at the origin on the ground, and `count` enemy characters on a ring around it, half of
// them within reach.
void Ring(int count)
{
    for (ActorRecord &slot : ACTOR_Slots) {
        ACTOR_InitRecord(&slot);
    }
    ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    hero->flags[0] = ACTOR_F0_IN_USE | ACTOR_F0_HERO;
    hero->physics_mode = 1;
    hero->life = 100.0f;
    hero->second_gauge = 60.0f;
    ACTOR_Slots[0].flags[0] = ACTOR_F0_IN_USE;
    ACTOR_Slots[ACTOR_SCENE].flags[0] = ACTOR_F0_IN_USE;
    for (int i = 0; i < count; i++) {
        ActorRecord *e = &ACTOR_Slots[3 + i];
        e->flags[0] = ACTOR_F0_IN_USE;
        e->flags[1] = ACTOR_F1_AI | ACTOR_F1_TEAM;
        e->life = 100.0f;
        e->range = 1000;
        const double angle = 2.0 * 3.14159265358979 * i / count, r = (i & 1) ? 600.0 : 1400.0;
        e->position[0] = r * std::cos(angle);
        e->position[2] = r * std::sin(angle);
    }
    ACTOR_BuildActiveLists();
}

void BM_HeroFight(benchmark::State &state)
{
    static LevelRecord project{};
    PRJ_Current = &project;
    GAME_TimeFactor = 1.0;
    std::memset(CTRL_Controls, 0, sizeof CTRL_Controls);
    Ring(int(state.range(0)));
    ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    for (auto _ : state) {
        FGT_HeroFight(hero);
        benchmark::DoNotOptimize(hero->flags[4]);
    }
    state.SetItemsProcessed(state.iterations());
    PRJ_Current = nullptr;
}
BENCHMARK(BM_HeroFight)->Arg(0)->Arg(8)->Arg(16);

void BM_SwordGrowing(benchmark::State &state)
{
    kalder_test::ImageArea area(8000000);
    const kalder_test::NamedFile figure = kalder_test::CharacterModel();
    kalder_test::MemFiles_Add(figure.name, figure.bytes);
    const kalder_test::NamedFile sword = kalder_test::WeaponModelOfVertices(int32_t(state.range(0)));
    kalder_test::MemFiles_Add(sword.name, sword.bytes);
    Ring(0);
    ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    hero->node = Load_Obj("data\\3dc\\tf_.3dc");
    GAME_TimeFactor = 1.0;
    std::memset(CTRL_Controls, 0, sizeof CTRL_Controls);
    WPN_LoadSword();
    WPN_DrawSword();
    for (auto _ : state) {
        // Always at the start of the growth, with the gauge far from the blink.
        WPN_GrowFactor = 0.2f;
        hero->second_gauge = 100.0f;
        WPN_SwordUpdate();
    }
    state.SetItemsProcessed(state.iterations());
    WPN_Sword = WPN_Model{-1, -1, {}, {}};
}
BENCHMARK(BM_SwordGrowing)->Arg(100)->Arg(5000);

} // namespace

BENCHMARK_MAIN();
