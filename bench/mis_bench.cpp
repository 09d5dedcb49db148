// One frame of 16 projectiles (a mix of blows, arrows and area powers, each moved and hit-tested)
// among 30 characters, and the opponent search alone over 30 candidates. This logic is the game's own:
// there is no peer to run beside it.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstring>

#include "core/game_frame.h"
#include "world/actor.h"
#include "world/mis.h"

namespace {

// 30 characters on two rings around the origin, camps alternating; the hero in slot 1.
void Characters()
{
    for (ActorRecord &slot : ACTOR_Slots) {
        ACTOR_InitRecord(&slot);
    }
    int n = 0;
    for (int32_t i = 1; i < ACTOR_SLOT_COUNT && n < 30; i++) {
        if (i == ACTOR_SCENE) {
            continue;
        }
        ActorRecord *a = &ACTOR_Slots[i];
        a->flags[0] = ACTOR_F0_IN_USE | (i == ACTOR_HERO ? ACTOR_F0_HERO : 0);
        a->flags[1] = ACTOR_F1_AI | ((n & 1) != 0 ? ACTOR_F1_TEAM : 0);
        const double angle = 2.0 * 3.14159265358979 * n / 30.0, r = (n & 2) != 0 ? 300.0 : 900.0;
        a->position[0] = r * std::cos(angle);
        a->position[2] = r * std::sin(angle);
        n++;
    }
    ACTOR_BuildActiveLists();
}

// The 16 projectiles as launched: blows, arrows, a push, helping and area powers, all in flight.
std::array<ActorRecord, ACTOR_PROJECTILE_COUNT> Launched()
{
    std::array<ActorRecord, ACTOR_PROJECTILE_COUNT> out{};
    const int32_t types[] = {MIS_TYPE_BLOW, MIS_TYPE_ARROW, MIS_TYPE_BOLT, MIS_TYPE_FREEZE, MIS_TYPE_HEAL, MIS_TYPE_SPIRIT + 1,
                             MIS_TYPE_PUSH, MIS_TYPE_SHOW_VID + 1};
    for (int32_t i = 0; i < ACTOR_PROJECTILE_COUNT; i++) {
        ActorRecord &p = out[size_t(i)];
        ACTOR_InitRecord(&p);
        p.flags[0] = ACTOR_F0_IN_USE;
        p.flags[2] = ACTOR_F2_FLYING;
        p.flags[1] = (i & 1) != 0 ? ACTOR_F1_TEAM : 0;
        p.physics_mode = types[i % 8];
        p.leader = &ACTOR_Slots[3 + i];
        p.life = 32.0f;
        const double angle = 0.4 * i;
        p.position[0] = 600.0 * std::cos(angle);
        p.position[2] = 600.0 * std::sin(angle);
        p.velocity[0] = 10.0f;
    }
    return out;
}

void BM_ProjectileFrame(benchmark::State &state)
{
    GAME_TimeFactor = 1.0;
    Characters();
    const std::array<ActorRecord, ACTOR_PROJECTILE_COUNT> start = Launched();
    for (auto _ : state) {
        // Every frame starts from the launch again: the hits would otherwise spend the projectiles.
        std::memcpy(static_cast<void *>(ACTOR_Projectiles), start.data(), sizeof ACTOR_Projectiles);
        for (int32_t i = 1; i < ACTOR_SLOT_COUNT; i++) {
            ACTOR_Slots[i].life = 100.0f;
        }
        for (ActorRecord &p : ACTOR_Projectiles) {
            MIS_Move(&p);
            MIS_CheckHits(&p);
        }
        benchmark::DoNotOptimize(ACTOR_Projectiles[0].life);
    }
}
BENCHMARK(BM_ProjectileFrame)->Unit(benchmark::kMicrosecond);

void BM_FindOpponents(benchmark::State &state)
{
    Characters();
    ActorRecord p{};
    ACTOR_InitRecord(&p);
    p.position[0] = 50.0;
    p.leader = &ACTOR_Slots[ACTOR_HERO];
    for (auto _ : state) {
        MIS_FindOpponents(&p);
        benchmark::DoNotOptimize(p.enemies[0]);
    }
}
BENCHMARK(BM_FindOpponents)->Unit(benchmark::kNanosecond);

} // namespace

BENCHMARK_MAIN();
