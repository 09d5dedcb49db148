// Replays: recording the controls frame by frame, and playing them back.
#pragma once
#include <cstdint>

extern int32_t REPLAY_State; // 0 recording, 1 playing, 2 idle

void REPLAY_RecordFrame();
void REPLAY_PlayFrame();
