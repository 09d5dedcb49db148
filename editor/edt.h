// The built-in level editor. Nothing in the game enters it.
#pragma once
#include <cstdint>

extern int32_t EDT_CaptureContinuous; // 1 while the editor captures every frame
extern int32_t EDT_Active;            // non-zero in editor mode
extern int32_t EDT_Modified;          // 1 once a project record was changed; cleared when the database loads
