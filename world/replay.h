// Replays: recording the controls frame by frame, and playing them back.
#pragma once
#include <cstdint>

extern int32_t REPLAY_State;  // 0 recording, 1 playing, 2 idle
extern int32_t REPLAY_Active; // 1 while a replay runs: the HUD shows the controller
extern int32_t REPLAY_Index;  // the record being recorded or played

void REPLAY_RecordFrame();
void REPLAY_PlayFrame();
