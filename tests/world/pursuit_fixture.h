// The demo level's pursuit played through the real frame handler: the creature leaves its spawn point,
// sees the hero standing at its start, runs at it and attacks. Shared by the creature's and the hero's
// scenario tests.
#pragma once
#include <functional>

#include "core/rand.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/play_run.h"
#include "world/actor.h"
#include "world/ai.h"
#include "world/fgt.h"

namespace kalder_test {

// The fight option and the core put back after a run, whatever the test's end.
struct PursuitReset {
    ~PursuitReset()
    {
        FGT_FightOption = 0;
        ResetCore();
    }
};

struct PursuitRun {
    PlayResult result;
    ActorRecord *creature = nullptr; // the first grouped member after the load; null when none
    int attack_round = -1;           // the round whose tick gave the creature an attack animation
};

inline bool IsAttackAnim(int32_t anim) { return anim == 16 || anim == 18 || anim == 20 || anim == 22; }

// Plays the installation already written at most 900 rounds, the draws seeded with 1 right after round
// 1's tick loaded Project0. observe(round, creature) sees every round from 1 up to the one whose tick
// starts the creature's attack, which ends the run.
inline PursuitRun RunDemoPursuit(const std::function<void(int round, ActorRecord *creature)> &observe)
{
    PursuitRun run;
    PlayOptions options;
    options.rounds = 901;
    options.between_rounds = [&](int round) {
        if (round == 1) {
            SYS_SRand(1);
            run.creature = AI_MemberCount > 0 ? AI_MemberList[0] : nullptr;
        }
        if (run.creature == nullptr || run.attack_round >= 0) {
            return;
        }
        observe(round, run.creature);
        if (IsAttackAnim(run.creature->current_anim)) {
            run.attack_round = round;
            test::PostQuit();
        }
    };
    run.result = PlayRun(options);
    return run;
}

} // namespace kalder_test
