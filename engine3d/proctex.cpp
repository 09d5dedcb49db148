// Procedural textures. Not built yet: the fire map stays cold.
#include "engine3d/proctex.h"

uint8_t GFX_FireMap[84 * 64];

void GFX_UpdateFireTexture(uint8_t *, uint32_t) {}
