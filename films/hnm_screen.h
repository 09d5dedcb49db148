// The films' frame buffers and screen output: what the player calls to set up, feed, show and release
// the decoder of the film's kind.
#pragma once
#include <cstdint>

struct HNM_Header;

// HNM_StartHNM4 and HNM_StopHNM4: the two static 256-colour buffers to the decoder, and back.
int32_t HNM_SetupHNM4(const HNM_Header *header);
void HNM_ReleaseHNM4();

// HNM_StartIV and HNM_StopIV: the hi-colour frame pair and the pair table, from the memory arena.
int32_t HNM_AllocIVBuffers();
void HNM_FreeIVBuffers();
// A PL chunk of a hi-colour film: one run of colours into the pair table.
void HNM_SetIVPalette(const uint8_t *payload, uint32_t length);
// The end of each hi-colour frame: the picture shown last onto the screen.
void HNM_ShowIVFrame();
// After each IV chunk.
void HNM_SwapIVBuffers();

// HNM_StartIX and HNM_StopIX: the block-transform frame pair, from the memory arena.
int32_t HNM_AllocIXBuffers();
void HNM_FreeIXBuffers();
// An IX chunk: decodes the picture into the work frame and copies it onto the screen.
void HNM_ShowIXFrame(const uint8_t *payload, uint32_t length);
// After each IX chunk.
void HNM_SwapIXBuffers();
