// The hero's per-frame trace line (see play_trace.h).
#include "tests/support/play_trace.h"

#include <cstdio>

#include "core/rand.h"
#include "world/actor.h"
#include "world/fgt.h"
#include "world/fgt_moves.h"

namespace kalder_test {

std::string PlayTraceLine(int frame, const std::string &held)
{
    const ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
    int projectiles = 0;
    for (const ActorRecord &projectile : ACTOR_Projectiles) {
        projectiles += (projectile.flags[0] & ACTOR_F0_IN_USE) != 0 ? 1 : 0;
    }
    char line[512];
    std::snprintf(line, sizeof line,
                  "%d %s %.3f %.3f %.3f %d %d %d %d %d %.3f %.3f %.3f %.3f %02x %u %02x %02x %02x %.3f %d %d\n",
                  frame, held.c_str(), hero.position[0], hero.position[1], hero.position[2], int(hero.heading),
                  int(hero.pitch), int(hero.tilt), int(hero.physics_mode), int(hero.current_anim),
                  double(hero.frame_position), double(hero.life), double(hero.second_gauge), double(hero.air),
                  unsigned(hero.coll_flags[0]), unsigned(hero.contact_measure), unsigned(hero.flags[2]),
                  unsigned(hero.flags[4]), unsigned(hero.flags[7]), double(FGT_LandingSpeed),
                  int(FGT_TakeOffTimer), projectiles);
    return line;
}

void ScriptedRun(PlayOptions &options, std::vector<KeyEvent> keys, int frames, std::string *trace)
{
    options.keys = std::move(keys);
    options.frames = frames;
    options.at_first_frame = [] {
        FGT_FightOption = 1;
        SYS_SRand(1);
    };
    options.after_frame = [trace](int frame, const std::string &held) { *trace += PlayTraceLine(frame, held); };
}

} // namespace kalder_test
