// Replays. Not built yet: the state stays idle and nothing is recorded or played.
#include "world/replay.h"

int32_t REPLAY_State = 2;

void REPLAY_RecordFrame() {}
void REPLAY_PlayFrame() {}
