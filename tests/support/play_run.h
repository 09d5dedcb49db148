// Plays the window program headless: its start-up through WinMain, then rounds of the real frame handler,
// 35 ms of the fake clock each, with the hero placed where asked between rounds. Every fade step,
// project made current, load and the end are written down as they happen. Shared by kdev play and
// the end-to-end tests, without GoogleTest.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kalder_test {

// The hero is put at (x, y, z) before round `round` (counted from 1) runs its tick.
struct PlayPlacement {
    double x, y, z;
    int round;
};

struct PlayOptions {
    int rounds = 120;         // the quit is posted once this many frames were presented
    uint32_t round_ms = 35;   // fake clock per round: 7 units of the 5 ms game clock
    std::vector<PlayPlacement> placements;
    // Called with each line as it is written down ("round 61: fade 13.95", "round 76: Project1 loaded
    // ...", "round 92: end of the game").
    std::function<void(const std::string &line)> print;
    // Called at each present, after the line of that round was written: what a test checks between
    // frames. round counts from 1.
    std::function<void(int round)> between_rounds;
};

struct PlayResult {
    int win_main_result = -1;   // WinMain's result; -1 when it did not return (a fatal stop)
    int exit_code = 0;          // the fatal stop's code when there was one
    int rounds = 0;             // frames presented
    bool ended_by_itself = false; // the game ended without the posted quit
    std::vector<std::string> lines;
    // The last frame the game presented, and its size.
    std::vector<uint16_t> last_frame;
    int width = 0;
    int height = 0;
};

// Runs the program on the drives already mapped (test::MapDrive, PLAT_LoadDriveMap) and the headless
// platform as the caller left it; the exit hook throws, so a fatal stop comes back as exit_code.
PlayResult PlayRun(const PlayOptions &options);

} // namespace kalder_test
