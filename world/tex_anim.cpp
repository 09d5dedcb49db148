// Animated textures and the scene start. Not built yet: a scene starts without music, save or films,
// no texture animates, and a film's palette changes no texture.
#include "world/tex.h"

void TEX_SceneStart() {}
void TEX_SpriteFrame() {}
void TEX_ApplyFilmPalette(const uint8_t *, uint32_t) {}
