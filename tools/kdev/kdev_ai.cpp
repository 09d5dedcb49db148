// kdev ai: the program played headless on an installation folder (kdev play's loop), the draws seeded
// right after the first load; prints the camps, squads and top groups, then every tick's trace lines
// of the grouped creatures.
#include "tools/kdev/kdev_ai.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/rand.h"
#include "plat/files.h"
#include "plat/test.h"
#include "tests/support/ai_trace.h"
#include "tests/support/play_run.h"

namespace {

int usage()
{
    std::fprintf(stderr, "usage: kdev ai <folder> [--frames N] [--seed S] [--place X,Y,Z@K]...\n");
    return 2;
}

} // namespace

int KdevAi(int argc, char **argv)
{
    if (argc < 1) {
        return usage();
    }
    const char *folder = argv[0];
    kalder_test::PlayOptions options;
    options.rounds = 400;
    uint32_t seed = 1;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            options.rounds = int(std::strtol(argv[++i], nullptr, 10));
            if (options.rounds < 1) {
                return usage();
            }
        } else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
            seed = uint32_t(std::strtoul(argv[++i], nullptr, 10));
        } else if (std::strcmp(argv[i], "--place") == 0 && i + 1 < argc) {
            kalder_test::PlayPlacement place{};
            char tail = 0;
            if (std::sscanf(argv[++i], "%lf,%lf,%lf@%d%c", &place.x, &place.y, &place.z, &place.round, &tail) != 4 ||
                place.round < 1) {
                return usage();
            }
            options.placements.push_back(place);
        } else {
            return usage();
        }
    }
    std::error_code error;
    const std::string base = std::filesystem::absolute(folder, error).string();
    test::Reset();
    if (!std::filesystem::is_directory(base + "/drives", error) || PLAT_LoadDriveMap(nullptr, base.c_str()) == 0) {
        std::fprintf(stderr, "kdev: %s holds no drives folder\n", folder);
        return 1;
    }
    kalder_test::AiTrace trace;
    options.print = [](const std::string &line) { std::printf("%s\n", line.c_str()); };
    options.between_rounds = [&](int round) {
        // Round 1's tick loaded the first project.
        if (round == 1) {
            SYS_SRand(seed);
            std::printf("%s", kalder_test::AiGroups().c_str());
        }
        std::printf("%s", trace.Tick(round).c_str());
    };
    const kalder_test::PlayResult result = kalder_test::PlayRun(options);
    if (result.exit_code != 0) {
        for (const test::MessageBox &box : test::MessageBoxes()) {
            std::fprintf(stderr, "kdev: %s: %s\n", box.title.c_str(), box.text.c_str());
        }
        std::fprintf(stderr, "kdev: the game stopped with code %d\n", result.exit_code);
        return 1;
    }
    std::printf("%d frames, %s\n", result.rounds, result.ended_by_itself ? "the game ended by itself" : "quit");
    return 0;
}
