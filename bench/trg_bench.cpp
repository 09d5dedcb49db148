// The scene triggers: µs per TRG_Evaluate of 16 active records that test the costliest conditions
// (meeting, no enemy left, both inventory tests, the disabled counts) over 30 characters, on the
// triggers' small level. No peer; the game tick of game_bench is the figure to set it beside.
#include <benchmark/benchmark.h>

#include <cstring>

#include "plat/test.h"
#include "tests/support/trigger_level.h"
#include "world/actor.h"
#include "world/inv.h"
#include "world/prj.h"
#include "world/trg.h"

namespace {

namespace tl = kalder_test::trigger_level;

struct Bench {
    kalder_test::TriggerLevel level;
    Bench()
    {
        LevelRecordBuilderWithTriggers();
        ActorRecord *hero = kalder_test::TriggerLevel::Hero();
        ActorRecord *creature = kalder_test::TriggerLevel::Actor(tl::kCreature);
        kalder_test::TriggerLevel::PlaceFrom(creature, hero, 200.0);
        kalder_test::TriggerLevel::PlaceFrom(kalder_test::TriggerLevel::Actor(tl::kCrystal), creature, 200.0);
        INV_Add(hero, "LIF1");
        // Fill the slots up to 30 characters of the hero's camp, dead: every list walk goes to the end.
        for (int32_t s = ACTOR_SCENE; s < ACTOR_SLOT_COUNT; s++) {
            ActorRecord &slot = ACTOR_Slots[s];
            if ((slot.flags[0] & ACTOR_F0_IN_USE) == 0) {
                slot = *creature;
                slot.definition = nullptr;
            }
            slot.flags[1] &= uint8_t(~ACTOR_F1_TEAM);
            slot.life = s == creature - ACTOR_Slots ? 100.0f : 0.0f;
        }
        ACTOR_BuildActiveLists();
    }
    void LevelRecordBuilderWithTriggers()
    {
        kalder_test::LevelRecordBuilder record = kalder_test::TriggerLevelRecord();
        kalder_test::TriggerSource t;
        t.element_a = tl::kCrystal;
        t.element_b = tl::kCreature;
        // All hold but the last, A unhurt (the crystal's life is changed), so nothing fires and every
        // condition is tested on every evaluation.
        t.conditions = TRG_IF_NEAR_B | TRG_IF_A_NEAR_B | TRG_IF_NO_ENEMY | TRG_IF_HAS_A | TRG_IF_LACKS_B |
                       TRG_IF_FEW_DISABLED_2 | TRG_IF_FEW_DISABLED_1 | TRG_IF_A_UNHURT;
        t.actions = TRG_DO_UNLOCK_EXITS;
        for (size_t i = 0; i < TRG_COUNT; i++) {
            record.Trigger(i, t);
        }
        level.Load(record.Bytes());
        kalder_test::TriggerLevel::Actor(tl::kCrystal)->life = 1.0f;
    }
};

void BM_Evaluate(benchmark::State &state)
{
    test::SetExitHook(test::ThrowOnExit);
    static Bench bench;
    ActorRecord *hero = kalder_test::TriggerLevel::Hero();
    for (auto _ : state) {
        TRG_Evaluate(hero);
    }
    if (TRG_LastFired != 0 || ACTOR_ActiveCount2 != ACTOR_SLOT_COUNT) {
        state.SkipWithError("the records fired or the slots are not full");
    }
    benchmark::DoNotOptimize(TRG_LastFired);
}
BENCHMARK(BM_Evaluate)->Name("trg/evaluate-16-records-30-characters")->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
