// Collision box pairs: the pool of box records and the pairs they form.
#pragma once
#include <cstdint>

int32_t Pairs_Init(int32_t boxes);
