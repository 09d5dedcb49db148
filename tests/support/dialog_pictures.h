// The dialog window run headless on the demo installation, for its tests and kdev dialog: the game
// started as WinMain starts it, the demo's Project0 frame as the last picture shown, and the window
// run with the clock moved a fixed step a round and keys tapped at chosen ticks.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "tests/support/screen_target.h"

namespace kalder_test {

// The demo's Project0 composed on a width x height screen: loaded from the installation whose drives
// are mapped, its stream run for 31 frames, as the level tests show it.
std::vector<uint16_t> DemoProject0Frame(int width, int height);

// The game started on the mapped demo installation (its dialogue file open, sound on, no film), drawing
// into a width x height screen that shows `background`; shut down when it goes.
class DialogStage {
public:
    DialogStage(int width, int height, const std::vector<uint16_t> &background);
    ~DialogStage();
    DialogStage(const DialogStage &) = delete;
    DialogStage &operator=(const DialogStage &) = delete;
    ScreenTarget &screen() { return *screen_; }

private:
    std::unique_ptr<ScreenTarget> screen_;
};

struct DialogScript {
    uint32_t round_ms = 35;
    std::vector<std::pair<int32_t, int>> keys; // (tick, virtual key) tapped on the first round at that tick
    int32_t quit_at = -1;                      // the window is closed at this tick
    int round_limit = 5000;
    // Called at every round with the tick, before the round's keys.
    std::function<void(int32_t tick)> on_round;
    // Called after every present with the frame's tick.
    std::function<void(int32_t tick)> on_present;
};

// A presented frame: the tick it belongs to and its pixels.
struct DialogFrame {
    int32_t tick;
    std::vector<uint16_t> pixels;
};

struct DialogRun {
    std::vector<DialogFrame> frames;
    int rounds = 0;
    bool limit_hit = false;
};

// Ticks of the window counted from its first round and on across the end of the voice and replays:
// the tick counter while the voice plays, the voice's duration plus the counter during the offer.
int32_t DialogTick();

// DLG_LoadEntry(entry) and, when it loads, DLG_RunWindow under the script, every presented frame kept.
DialogRun RunDialog(int32_t entry, const DialogScript &script);

// The last frame presented at or before the tick; null when none was.
const DialogFrame *FrameAt(const DialogRun &run, int32_t tick);

} // namespace kalder_test
