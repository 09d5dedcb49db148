// Sprite sets, and the product tables that the sprite blitters blend with.
#pragma once
#include <cstdint>

void SPR_LoadSet(const char *path, int32_t slot);

// Fills BLEND_Table32 and BLEND_Table64; the sprite-set and icon-set loaders run it at every load.
void BLEND_BuildTables();
