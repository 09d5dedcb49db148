// Animated scene textures. Not built yet: a film's palette changes no texture.
#include "world/tex.h"

void TEX_ApplyFilmPalette(const uint8_t *, uint32_t) {}
