// The scene's texture slots, their shading and their animation.
#pragma once
#include <cstdint>

struct ActorRecord;

// The scene's shading: the tint and its fade, the flicker, the under-water shift and the shade
// steps. The level load fills it from the project record; the fade between projects moves the tint
// and colour C.
struct TEX_ShadingState {
    int32_t tint[3];              // current tint r, g, b (project colour A)
    float tint_float[3];
    int32_t fade_target[3];       // project colour D
    int32_t fade_seconds;         // project shade value
    float fade_frames;
    float fade_step[3];
    int32_t flicker[3];           // flicker amplitude (project colour B)
    int32_t water_offset[3];      // under-water offsets r, g, b
    int32_t water_extra;          // under-water extra amplitude
    int32_t colour_c[3];          // project colour C, stored in reverse order
    int32_t shade_steps[3];       // 64 each when fades brighten, -64 when they darken
    int32_t smoothed[3];          // smoothed tint: 128 each when fades brighten, -128 when they darken
    int32_t shade_phase;          // 0..31
    int32_t scene_shade_step;     // 2, or the project's shading mode
    int32_t character_shade_step; // 8, or the project's shading depth
    int32_t flag_a;               // the two flags the resource load clears
    int32_t flag_b;
};
extern TEX_ShadingState TEX_Shading;
// 0 after each project load, 1 once the scene has started.
extern int32_t TEX_SceneStarted;

// Non-zero when animated textures are on and a slot is animated.
int32_t TEX_HasAnimated();
// The resource load frees the 64 texture slots.
void TEX_Reset();
// The level load registers each material name of the 3D library's cache (upper-cased in place):
// 1, or 0 for an empty or unknown name or when no slot is free.
int32_t TEX_Register(char *name);
// The level load binds the texture slots named after a character to its tint.
void TEX_BindShaded(ActorRecord *actor);
// The level load builds the shade tables of the registered slots.
void TEX_Prepare();
// Called once per frame by the game tick: the scene textures' colour step.
void TEX_Update();
// Called once per frame by the game tick: starts the scene's music, save and films on the first
// tick after its stream closed.
void TEX_SceneStart();
// Called once per frame by the game tick after the particle reset: the particle sprite's frame.
void TEX_SpriteFrame();
