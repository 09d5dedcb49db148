// Scene textures. Not built yet: no slot is loaded, so none is animated.
#include "world/tex.h"

int32_t TEX_HasAnimated() { return 0; }
