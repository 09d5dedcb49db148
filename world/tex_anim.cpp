// Animated textures and the scene start. Not built yet: a scene starts without music, save or films,
// and no texture animates.
#include "world/tex.h"

void TEX_SceneStart() {}
void TEX_SpriteFrame() {}
