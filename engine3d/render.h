// The render of one frame of the 3D scene into a 16-bit frame buffer.
#pragma once
#include <cstdint>

void Render_Frame(uint16_t *frame);

// Render settings the rasteriser reads. Placeholder until the render entry is built: only these two.
extern int32_t Background_Type; // surface type of the background run: 14 fills with the clear colour
extern int32_t Debug_Level;     // 0; above 0 the rasteriser draws its counters and overlays
