// Effect models. Not built yet: a glow ball is only counted.
#include "world/fx.h"

int32_t FX_BallCount;

void FX_AttachBall(int32_t, ActorRecord *, int32_t, int32_t) { FX_BallCount++; }
