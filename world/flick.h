// Flickering lights carried by actors.
#pragma once
#include <cstdint>

// 1 while any light slot is in use: the scene textures then keep all their shade tables current.
extern int32_t FLICK_LightsPresent;
// Set by TEX_FindLightActors when it created a light: the texture step then moves the lights.
extern int32_t FLICK_LightsCreated;

// The level load frees the 4 light slots.
void FLICK_Reset();
// At the end of the texture preparation of a level load: a light for every light-carrying actor.
void TEX_FindLightActors();
// Once per tick from the texture step while lights were created: the lights follow their actors.
void TEX_MoveLights();
