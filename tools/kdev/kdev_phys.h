// kdev's phys command.
#pragma once

// kdev phys [scenario]: runs the physics scenarios (fall, ledge, wall, fast, ramp, push, object,
// platform; all of them without a name) on the physics scene and prints each frame's position,
// integer step, physics velocity, contact flags and contact measure. 1 for an unknown scenario.
int KdevPhys(const char *scenario);
