// The hero's state as one text line a frame: what the scripted runs compare with their goldens.
#pragma once
#include <string>
#include <vector>

#include "tests/support/key_script.h"
#include "tests/support/play_run.h"

namespace kalder_test {

// "<frame> <held keys> x y z heading pitch tilt mode anim frame life gauge air coll0 measure fb2 fb4
// fb7 landing takeoff projectiles": positions, the animation frame, the gauges and the landing speed
// with three decimals, the collision and flag bytes in hex, then the projectiles in use. Ends in "\n".
std::string PlayTraceLine(int frame, const std::string &held);

// Sets up a scripted run of `frames` numbered frames: the keys replayed, the manual fight option set and
// the draws seeded as frame 0 is about to run (so that the hero takes no stance by itself and the
// creature moves alike every time), and each frame's line appended to *trace. kdev play and the tests
// share it, so that both write the same trace.
void ScriptedRun(PlayOptions &options, std::vector<KeyEvent> keys, int frames, std::string *trace);

} // namespace kalder_test
