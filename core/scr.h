// The frame buffer and its presentation.
#pragma once
#include <cstdint>

extern uint16_t *SCR_FrameBuffer; // SCR_Width x SCR_Height pixels, rows top-down, stride = width
extern uint32_t SCR_Width;
extern uint32_t SCR_Height;
extern uint16_t *SCR_ShownFrame;  // the frame last presented

void SCR_Flip();
void SCR_InitBuffers();
