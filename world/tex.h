// The scene's texture slots and their animation.
#pragma once
#include <cstdint>

// Non-zero when animated textures are on and a slot is animated.
int32_t TEX_HasAnimated();
