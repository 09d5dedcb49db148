// Procedural textures: the fire map, the flow textures and the texture scroll.
#pragma once
#include <cstdint>

extern uint8_t GFX_FireMap[84 * 64]; // 84 rows of 64 bytes, the seed row last
extern uint32_t GFX_FireSeed;        // the fire's random state, kept for the life of the process
constexpr uint32_t GFX_FIRE_SEED_START = 0xFE9A735C;

// The flow texture's two moving copies, plane A then plane B, then the rows in transit of a scroll.
constexpr int32_t GFX_FLOW_PLANE = 256 * 256;
constexpr int32_t GFX_FLOW_SPARE = 512;
extern uint8_t GFX_FlowPlanes[2 * GFX_FLOW_PLANE + GFX_FLOW_SPARE];

// One step of the fire; input is any value the caller holds. Primed eight times by the frame
// composition, then stepped once a frame by the menus and the HUD.
void GFX_UpdateFireTexture(uint8_t *map, uint32_t input);

// Takes a 256 x 256 texture as both planes; called when a texture slot becomes the flow texture.
void GFX_InitFlowTexture(const uint8_t *texture);
// One step of the flow into the texture, once a frame for the flow slot: plane B up a row, plane A
// left a texel, the texture their average. The three forms give the same output.
void GFX_StepFlowTexture(uint8_t *texture);
void GFX_StepFlowTexture2(uint8_t *texture);
void GFX_StepFlowTexture3(uint8_t *texture);
// Plane B up by one row, and plane A left by one byte, each with wrap-around.
void GFX_ScrollFlowPlane();
void GFX_RotateFlowPlane();

// Scrolls a 256 x 256 texture up by two rows with wrap-around, once a frame for a scrolling slot.
void GFX_ScrollTexture(uint8_t *texture);
