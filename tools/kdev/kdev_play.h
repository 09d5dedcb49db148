// kdev play and kdev ai: the program played headless on an installation folder, round by round.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/play_run.h"

// What kdev play and kdev ai read after the command's name.
struct KdevPlayArgs {
    const char *folder = nullptr;
    kalder_test::PlayOptions options;
    const char *png = nullptr; // --png: the last frame's picture (kdev play)
    uint32_t seed = 1;         // --seed: the draws' seed right after the first load (kdev ai)
    const char *keys = nullptr;  // --keys: the key script replayed (kdev play)
    const char *trace = nullptr; // --trace: the per-frame hero trace written (kdev play)
    bool triggers = false;     // --triggers: print the scene triggers that fired each tick (kdev play)
    bool partner = false;      // --partner: the hero is a conversation partner from the first frame (kdev play)
    // --save NAME@K and --load NAME@K: before round K the game is saved under NAME, or loaded from it.
    struct SaveStep {
        std::string name;
        int round;
        bool load;
    };
    std::vector<SaveStep> saves;
};

inline constexpr int KDEV_TAKES_PNG = 0x01;
inline constexpr int KDEV_TAKES_SEED = 0x02;
inline constexpr int KDEV_TAKES_TRIGGERS = 0x04;
inline constexpr int KDEV_TAKES_SCRIPT = 0x08;
inline constexpr int KDEV_TAKES_PARTNER = 0x10;
inline constexpr int KDEV_TAKES_SAVES = 0x20;

// Reads "<folder> [--frames N] [--place X,Y,Z@K]... [--project NAME]" and the options `takes` allows
// (KDEV_TAKES_*). False on anything else: the caller prints its usage.
bool KdevReadPlayArgs(int argc, char **argv, int takes, KdevPlayArgs &args);
// Maps the folder's drives and plays. Returns 0 with the result, or 1 after naming what stopped the
// run (no drives folder, no such project, the game's fatal stop) on stderr; an unknown project is
// reported under the subcommand's name `command` ("kdev fx: no project NAME").
int KdevPlayFolder(const char *command, const KdevPlayArgs &args, kalder_test::PlayResult &result);

int KdevPlay(int argc, char **argv);
