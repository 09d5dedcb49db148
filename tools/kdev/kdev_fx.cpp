// kdev fx: the effect rings, mana spheres, ground elements and vents of a project, tick by tick.
#include "tools/kdev/kdev_fx.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/png16.h"
#include "tools/kdev/kdev_play.h"
#include "world/actor.h"
#include "world/fx.h"

namespace {

int Live(int32_t read, int32_t write, int32_t count) { return int((write - read + count) % count); }

void Print_Tables()
{
    for (int32_t i = 0; i < FX_TABLE_COUNT; i++) {
        const FX_ManaSphere &s = FX_ManaSpheres[i];
        if ((s.flags & (FX_SPHERE_PRESENT | FX_SPHERE_TAKEN)) != 0) {
            std::printf("sphere %2d at %7.1f %7.1f %7.1f value %5.1f %s\n", int(i), double(s.pos[0]), double(s.pos[1]),
                        double(s.pos[2]), double(s.value), (s.flags & FX_SPHERE_TAKEN) != 0 ? "taken" : "present");
        }
    }
    for (int32_t i = 0; i < FX_TABLE_COUNT; i++) {
        const FX_GroundElement &g = FX_GroundElements[i];
        if ((g.flags & FX_GROUND_ACTIVE) != 0) {
            std::printf("element %2d at %7.1f %7.1f %7.1f target %7.1f %7.1f %7.1f speed %4.1f leader %2d flags %02x\n",
                        int(i), double(g.pos[0]), double(g.pos[1]), double(g.pos[2]), double(g.target[0]),
                        double(g.target[1]), double(g.target[2]), double(g.speed),
                        g.leader != nullptr ? int(g.leader - FX_GroundElements) : -1, unsigned(g.flags));
        }
    }
    for (int32_t i = 0; i < FX_TABLE_COUNT; i++) {
        const FX_Emitter &e = FX_Emitters[i];
        if (e.in_use != 0) {
            std::printf("vent %2d at %7.1f %7.1f %7.1f rate %4.1f\n", int(i), double(e.pos[0]), double(e.pos[1]),
                        double(e.pos[2]), double(e.rate));
        }
    }
}

int Usage()
{
    std::fprintf(stderr, "usage: kdev fx <folder> [--project NAME] [--ticks N] [--burst] [--png OUT.png]\n");
    return 2;
}

} // namespace

int KdevFx(int argc, char **argv)
{
    // --ticks is the play command's --frames; --burst is ours.
    bool burst = false;
    std::vector<char *> rest;
    static char frames[] = "--frames";
    for (int i = 0; i < argc; i++) {
        if (std::strcmp(argv[i], "--burst") == 0) {
            burst = true;
        } else if (std::strcmp(argv[i], "--ticks") == 0) {
            rest.push_back(frames);
        } else {
            rest.push_back(argv[i]);
        }
    }
    KdevPlayArgs args;
    if (!KdevReadPlayArgs(int(rest.size()), rest.data(), KDEV_TAKES_PNG, args)) {
        return Usage();
    }
    // Ticks count from the end of the first load (play's --frames counts presented rounds).
    args.options.frames = args.options.rounds;
    if (burst) {
        args.options.at_first_frame = [] {
            // 300 units the way the hero faces, as a projectile it launched would fly.
            const ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
            const double a = double(4096 - hero.heading) * 6.2831853071794 / 4096.0;
            const float centre[3] = {float(hero.position[0] + 300.0 * std::cos(a)), float(hero.position[1]),
                                     float(hero.position[2] + 300.0 * std::sin(a))};
            FX_RingBurst(centre);
        };
    }
    args.options.after_frame = [](int frame, const std::string &) {
        std::printf("tick %d: particles %d..%d live %d, sparks %d..%d live %d\n", frame, int(FX_ParticleRead),
                    int(FX_ParticleWrite), Live(FX_ParticleRead, FX_ParticleWrite, FX_PARTICLE_COUNT), int(FX_SparkRead),
                    int(FX_SparkWrite), Live(FX_SparkRead, FX_SparkWrite, FX_SPARK_COUNT));
    };
    kalder_test::PlayResult result;
    if (KdevPlayFolder("fx", args, result) != 0) {
        return 1;
    }
    Print_Tables();
    if (args.png != nullptr) {
        if (result.last_frame.empty() ||
            !kalder_test::WritePng16(args.png, result.last_frame.data(), result.width, result.height, false)) {
            std::fprintf(stderr, "kdev: cannot write %s\n", args.png);
            return 1;
        }
        std::printf("picture %s\n", args.png);
    }
    return 0;
}
