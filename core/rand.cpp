// The game's random generator: a 32-bit linear congruential sequence with a 15-bit result.
#include "core/rand.h"

static uint32_t Rand_State = 1;

int32_t SYS_Rand()
{
    Rand_State = Rand_State * 214013u + 2531011u;
    return static_cast<int32_t>((Rand_State >> 16) & 0x7FFF);
}

void SYS_SRand(uint32_t seed) { Rand_State = seed; }
