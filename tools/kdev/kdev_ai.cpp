// kdev ai: the program played headless on an installation folder (kdev play's loop), the draws seeded
// right after the first load; prints the camps, squads and top groups, then every tick's trace lines
// of the grouped creatures.
#include "tools/kdev/kdev_ai.h"

#include <cstdio>
#include <string>

#include "core/rand.h"
#include "tests/support/ai_trace.h"
#include "tools/kdev/kdev_play.h"

int KdevAi(int argc, char **argv)
{
    KdevPlayArgs args;
    args.options.rounds = 400;
    if (!KdevReadPlayArgs(argc, argv, KDEV_TAKES_SEED, args)) {
        std::fprintf(stderr,
                     "usage: kdev ai <folder> [--project NAME] [--frames N] [--seed S] [--place X,Y,Z@K]...\n");
        return 2;
    }
    kalder_test::AiTrace trace;
    const uint32_t seed = args.seed;
    args.options.print = [](const std::string &line) { std::printf("%s\n", line.c_str()); };
    args.options.between_rounds = [&](int round) {
        // Round 1's tick loaded the first project.
        if (round == 1) {
            SYS_SRand(seed);
            std::printf("%s", kalder_test::AiGroups().c_str());
        }
        std::printf("%s", trace.Tick(round).c_str());
    };
    kalder_test::PlayResult result;
    return KdevPlayFolder("ai", args, result);
}
