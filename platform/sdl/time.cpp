// SDL clock services.
#include <SDL.h>

#include "plat/time.h"

uint32_t PLAT_TimeMs() { return SDL_GetTicks(); }
uint64_t PLAT_Counter() { return SDL_GetPerformanceCounter(); }
uint64_t PLAT_CounterFrequency() { return SDL_GetPerformanceFrequency(); }
void PLAT_Sleep(uint32_t ms) { SDL_Delay(ms); }
