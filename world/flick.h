// Flickering lights carried by actors.
#pragma once

// The level load frees the 4 light slots.
void FLICK_Reset();
