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
// The hi-colour blit layout of a screen size: 0, 1, 2, 4 or 5, -1 for sizes that show no picture.
int32_t HNM_IVLayout(uint32_t width, uint32_t height);
// Two 16-bit colours per pair of palette indices: entry [hi x 256 + lo] = colour(lo) | colour(hi) << 16.
extern uint32_t *HNM_PairTable;

// The film frame pair: the picture shown last (the decoders' reference) and the one being decoded.
// Hi-colour and block-transform films use it, never at the same time.
extern uint16_t *HNM_CurrentFrame;
extern uint16_t *HNM_WorkFrame;
// The IX tables: 0 not built, 15 built for 5-5-5 pixels, 16 for 5-6-5. HNM_StartIX builds them for
// 5-6-5 once before the first IX film, while the pending flag is set.
extern int32_t HNM_IXTableState;
extern int32_t HNM_IXInitPending;

// HNM_StartIX and HNM_StopIX: the block-transform frame pair, from the memory arena. The tables are
// rebuilt first when the display's pixel format is not the one they were built for.
int32_t HNM_AllocIXBuffers();
void HNM_FreeIXBuffers();
// An IX chunk: decodes the picture into the work frame and copies it onto the screen.
void HNM_ShowIXFrame(const uint8_t *payload, uint32_t length);
// After each IX chunk.
void HNM_SwapIXBuffers();
