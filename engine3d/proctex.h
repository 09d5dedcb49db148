// Procedural textures: the fire map, the flow textures and the texture scroll.
#pragma once
#include <cstdint>

extern uint8_t GFX_FireMap[84 * 64]; // 84 rows of 64 bytes, the seed row last

// One step of the fire; input is any value the caller holds.
void GFX_UpdateFireTexture(uint8_t *map, uint32_t input);
