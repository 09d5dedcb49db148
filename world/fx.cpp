// Effect models. Not built yet: nothing is loaded, and a glow ball is only counted.
#include "world/fx.h"

int32_t FX_BallCount;

void FX_LoadModels() {}
void FX_LoadShotModels() {}
void FX_InitEmitters() {}
void FX_LoadThrownModel() {}
void FX_LoadManaSpheres() {}
void FX_LoadGroundElements() {}

void FX_AttachBall(int32_t, ActorRecord *, int32_t, int32_t) { FX_BallCount++; }
