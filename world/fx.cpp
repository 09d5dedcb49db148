// Effect models. Not built yet: nothing is loaded.
#include "world/fx.h"

void FX_LoadModels() {}
void FX_LoadShotModels() {}
void FX_InitEmitters() {}
void FX_LoadThrownModel() {}
void FX_LoadManaSpheres() {}
void FX_LoadGroundElements() {}
