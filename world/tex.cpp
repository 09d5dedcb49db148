// Scene textures. Not built yet: no slot is loaded, so none is animated.
#include "world/tex.h"

TEX_ShadingState TEX_Shading;

int32_t TEX_HasAnimated() { return 0; }
void TEX_Update() {}
