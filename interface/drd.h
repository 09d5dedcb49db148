// The dialogue file, and the dialogue entries it holds.
#pragma once
#include <cstdint>

int32_t DRD_Open(const char *path);
void DRD_Close();

// Loads dialogue entry n for the window; 1 when it loaded. Called for a scene's dialogue event.
int32_t DLG_LoadEntry(int32_t n);
// Runs the dialogue window over the game on the loaded entry until it closes.
void DLG_RunWindow();
