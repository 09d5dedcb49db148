// Save games: the slot table of game.dat, and the games in their slots.
#pragma once
#include <cstdint>

// Start-up (MENJ_Init): reads the slot table; -1 when there is none.
int32_t SAVE_ReadSlots();
