// The hero's move handlers on the ground, in water and in the air.
#pragma once
#include <cstdint>

// Frames left after a take-off from open ground; the level load clears it.
extern int32_t FGT_TakeOffTimer;
