// Scene textures. Not built yet: no slot is registered, so none is animated or shaded; only the
// shading state is kept.
#include "world/tex.h"

TEX_ShadingState TEX_Shading;
int32_t TEX_SceneStarted;

int32_t TEX_HasAnimated() { return 0; }
void TEX_Reset() {}
int32_t TEX_Register(char *) { return 0; }
void TEX_BindShaded(ActorRecord *) {}
void TEX_Prepare() {}
void TEX_Update() {}
