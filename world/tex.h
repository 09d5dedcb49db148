// The scene's texture slots, their shading and their animation.
#pragma once
#include <cstdint>

// The shading state of the scene's textures, filled at level load; the fade moves colours A and C.
struct TEX_ShadingState {
    int32_t colour_a[3];
    int32_t colour_c[3];
};
extern TEX_ShadingState TEX_Shading;

// Non-zero when animated textures are on and a slot is animated.
int32_t TEX_HasAnimated();
// Called once per frame by the game tick: the scene textures' colour step.
void TEX_Update();
// Called once per frame by the game tick: starts the scene's music, save and films on the first
// tick after its stream closed.
void TEX_SceneStart();
// Called once per frame by the game tick after the particle reset: the particle sprite's frame.
void TEX_SpriteFrame();
