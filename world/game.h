// The game world's frame and the 3D engine's heap.
#pragma once
#include <cstdint>

extern int32_t GAME_FarClip; // the current project's far clipping distance

int32_t GAME_Init3DEngine();
void GAME_Exit3DEngine();
void GAME_Tick(int32_t mode);
