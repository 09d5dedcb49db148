// The camera's demonstration: the test figure walking a square on the "floor" scene at 640 x 480,
// seen through the camera as it follows, turns the corners, pulls in, and plays its scripted shots.
#pragma once
#include <vector>

#include "tests/support/actor_pictures.h"

namespace kalder_test {

// What the camera reads of the game, as a project without camera settings leaves it: preset 0, the
// camera hold word 1, a time factor of 1, not paused, no editor and no controls held.
void ResetCameraWorld();

// The chosen frames of the walk, each rendered through the root camera as the camera step left it:
// "follow" (on the straight), "corner", "close" (close quarters after a turn about), "overhead",
// "fixed" (a fixed shot), "shot" (a shot of the figure) and "return" (following again). Each picture
// is 640 x 480. Starts and stops the camera itself; leaves the library started.
std::vector<NamedPicture> CameraDemoPictures();

} // namespace kalder_test
