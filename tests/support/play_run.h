// Plays the window program headless: its start-up through WinMain, the title (5 ms of the fake clock a
// dispatch pass, its keys tapped one by one), any film that holds the game (5 ms a pass as well), then
// rounds of the real frame handler, 35 ms of the fake clock each, with the hero placed where asked
// between rounds. Rounds count from the title's and the film's end. The film's end, every fade step, project made current, load and the end are written down as
// they happen. Shared by kdev play and the end-to-end tests, without GoogleTest.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/key_script.h"

namespace kalder_test {

// The hero is put at (x, y, z) before round `round` (counted from 1) runs its tick.
struct PlayPlacement {
    double x, y, z;
    int round;
};

struct PlayOptions {
    int rounds = 120;         // the quit is posted once this many frames were presented
    // Keys tapped while the title runs, one every title_key_passes dispatch passes: Space leaves the
    // intro, Return chooses "NEW GAME". A title still running after title_pass_limit passes gets the
    // quit, so that a title that misses its keys ends the run instead of hanging it.
    std::vector<int> title_keys = {0x20, 0x0D};
    int title_key_passes = 20;
    int title_pass_limit = 6000;
    uint32_t round_ms = 35;   // fake clock per round: 7 units of the 5 ms game clock
    std::vector<PlayPlacement> placements;
    // The project the new game starts at instead of the first one (empty: the first one): it takes the
    // first project's place once the title has left, before the first tick loads it.
    std::string project;
    // Called with each line as it is written down ("round 61: fade 13.95", "round 76: Project1 loaded
    // ...", "round 92: end of the game").
    std::function<void(const std::string &line)> print;
    // Called at each present, after the line of that round was written: what a test checks between
    // frames. round counts from 1.
    std::function<void(int round)> between_rounds;
    // Called at each present that is no round: the start-up's and the title's, a film's that holds the
    // game, and those of a modal window the game runs inside its frame (the dialog window).
    std::function<void()> other_present;
    // Called before round `round` runs its tick, after the hero was placed: what kdev play's saves and
    // loads do between frames.
    std::function<void(int round)> before_round;
    // Frames are numbered from 0, the first frame after the first level load has finished. The keys of
    // a frame go down and up before its tick; after its tick `after_frame` sees it, with the keys the
    // script holds. With `frames` above 0 the quit is posted once that many numbered frames ran (and
    // `rounds` is not looked at).
    std::vector<KeyEvent> keys;
    int frames = 0;
    // Called once, as frame 0 is about to run.
    std::function<void()> at_first_frame;
    std::function<void(int frame, const std::string &held)> after_frame;
};

struct PlayResult {
    int win_main_result = -1;   // WinMain's result; -1 when it did not return (a fatal stop)
    int exit_code = 0;          // the fatal stop's code when there was one
    int rounds = 0;             // frames presented
    int title_passes = 0;       // dispatch passes of the title
    int title_frames = 0;       // frames the start-up and the title presented
    bool ended_by_itself = false; // the game ended without the posted quit
    bool project_missing = false; // the database holds no such project: the quit was posted at once
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
