// The game's random generator: 15-bit draws for every chance of the game (AI, effects, particles, zones).
//
// Nothing in the program calls the C library's rand(): its range and sequence differ from host to host,
// while every chance formula of the game counts on 0..32767 and the same sequence on every machine.
#pragma once
#include <cstdint>

// The next draw, 0..32767. The state starts at 1, as an unseeded generator of the game's era did.
int32_t SYS_Rand();
// Sets the state; the game never seeds, tests do.
void SYS_SRand(uint32_t seed);
