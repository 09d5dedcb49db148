// Sprite sets.
#pragma once
#include <cstdint>

void SPR_LoadSet(const char *path, int32_t slot);
