// Clock services: the millisecond clock, the high-resolution counter and sleep.
#pragma once
#include <cstdint>

// Milliseconds since an arbitrary origin; wraps at 32 bits like the system timer the game was written for.
uint32_t PLAT_TimeMs();

// High-resolution counter and its ticks per second (the clock stamps of the input events).
uint64_t PLAT_Counter();
uint64_t PLAT_CounterFrequency();

void PLAT_Sleep(uint32_t ms);
