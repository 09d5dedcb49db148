// Particles: the particle sprites and the particle pool.
#pragma once
#include <cstdint>

void PTC_LoadSprites();
int32_t PART_Create(int32_t count, int32_t mode, int32_t spawn_shift);
