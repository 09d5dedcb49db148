// The scene's texture slots and their animation.
#pragma once
#include <cstdint>

// Non-zero when animated textures are on and a slot is animated.
int32_t TEX_HasAnimated();

// The film player, at each PL chunk of a 256-colour film: the palette runs of the film-fed textures.
void TEX_ApplyFilmPalette(const uint8_t *payload, uint32_t length);
