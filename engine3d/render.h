// The render of one frame of the 3D scene into a 16-bit frame buffer.
#pragma once
#include <cstdint>

void Render_Frame(uint16_t *frame);
