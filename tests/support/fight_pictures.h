// The hero's weapons in hand on the demo level: the fight goldens and kdev fight.
#pragma once
#include <vector>

#include "tests/support/actor_pictures.h"

namespace kalder_test {

// With the demo's Project0 loaded and the camera started: the root camera placed 600 units in front of
// the hero, looking at it, and the hero drawn with each weapon in hand, grown for 12 frames: "hero-sword",
// "hero-bow", "hero-gun"; and the sword at gauge 15.0 blinking, "hero-sword-blink" on a frame of parity
// 0 (shown at half its size) and "hero-sword-blink-odd" on the next (gone). Each picture has the view's
// size. Leaves the gun drawn.
std::vector<NamedPicture> FightPictures();

} // namespace kalder_test
