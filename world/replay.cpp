// Replays. Not built yet: the state stays idle and nothing is recorded or played.
#include "world/replay.h"

int32_t REPLAY_State = 2;
int32_t REPLAY_Active;
int32_t REPLAY_Index;

void REPLAY_RecordFrame() {}
void REPLAY_PlayFrame() {}
