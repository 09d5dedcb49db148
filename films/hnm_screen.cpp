// The films' frame buffers and screen output. Not built yet: no decoder takes memory or draws, so every
// film plays its sound and pacing and leaves the screen as it was.
#include "films/hnm_screen.h"

int32_t HNM_SetupHNM4(const HNM_Header *) { return 1; }
void HNM_ReleaseHNM4() {}

int32_t HNM_AllocIVBuffers() { return 1; }
void HNM_FreeIVBuffers() {}
void HNM_SetIVPalette(const uint8_t *, uint32_t) {}
void HNM_ShowIVFrame() {}
void HNM_SwapIVBuffers() {}

int32_t HNM_AllocIXBuffers() { return 1; }
void HNM_FreeIXBuffers() {}
void HNM_ShowIXFrame(const uint8_t *, uint32_t) {}
void HNM_SwapIXBuffers() {}
