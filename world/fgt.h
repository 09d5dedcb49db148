// The hero's fight: stance, weapons and the danger around it.
#pragma once

// Frames the fight stance is still held; the level load clears it.
extern float FGT_StanceHoldTime;
