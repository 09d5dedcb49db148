// Sprite sets. Not built yet: every slot stays empty. The blend product tables are built here.
#include "interface/spr.h"

#include "engine3d/gfx_sprite.h"

void SPR_LoadSet(const char *, int32_t) {}

void BLEND_BuildTables()
{
    for (uint32_t i = 0; i < 32; i++) {
        for (uint32_t j = 0; j < 32; j++) {
            BLEND_Table32[i * 32 + j] = i * j;
        }
    }
    for (uint32_t i = 0; i < 64; i++) {
        for (uint32_t j = 0; j < 64; j++) {
            BLEND_Table64[i * 64 + j] = i * j;
        }
    }
}
