// The frame buffer, its presentation and the composition of a game frame: the 3D render, the
// letterbox bars, the timed message, and a screen-sized copy that the in-game menu darkens.
#pragma once
#include <cstdint>

extern uint16_t *SCR_FrameBuffer; // SCR_Width x SCR_Height pixels, rows top-down, stride = width
extern uint32_t SCR_Width;
extern uint32_t SCR_Height;
extern uint16_t *SCR_ShownFrame;  // the frame last presented

// The copy of the screen in the memory arena. The arena starts blocks at any byte, so the copy is
// addressed as bytes.
extern uint8_t *SCR_CopyBuffer;
extern uint8_t *SCR_CopyStart;        // the block's start, for the free
extern uint16_t *SCR_KeptFrameBuffer; // the real frame buffer while drawing goes into the copy

// The timed on-screen message.
extern char SCR_Message[80];
extern float SCR_MessageTimer; // frames of 1/30 s left

void SCR_Flip();
void SCR_InitBuffers();
void SCR_ComposeFrame();
// Copies at most 79 characters of the text; the message shows for that many 30 Hz frames.
void SCR_SetMessage(const char *text, float frames);
void SCR_DrawMessage();

// 1 when width x height x 2 bytes were taken from the arena, else 0.
int32_t SCR_AllocCopy();
void SCR_FreeCopy();
void SCR_SaveShownFrame();
void SCR_SaveScreen();
void SCR_RestoreScreen();
// Writes the copy into the frame buffer darkened: 0 about 100%, 1 50%, 2 just under 50%, 3 25%.
void SCR_BlendScreen(int32_t mode);
void SCR_DrawToCopy();
void SCR_DrawToScreen();

// Steps the title menu's fire eight times so that it burns when the menu first shows.
void GFX_PrimeFireTexture();
