// The game world's frame and the 3D engine's heap.
#pragma once
#include <cstddef>
#include <cstdint>

inline constexpr size_t GAME_3DHeapSize = 7850000;

extern int32_t GAME_FarClip; // the current project's far clipping distance
// The 3D library's work area, allocated zeroed once at start-up; every level load clears it and
// starts the library on it again.
extern void *GAME_3DHeap;

int32_t GAME_Init3DEngine();
void GAME_Exit3DEngine();
void GAME_Tick(int32_t mode);
