// Shadows under the actors.
#pragma once

// The level load loads the shadow models and frees the 16 shadow slots.
void SHADOW_Start();
