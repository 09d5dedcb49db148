// The hi-colour film decoder and its frame blitter. Not built yet: pictures change nothing.
#include "films/iv.h"

void HNM_DecodeIVFrame(const uint8_t *, uint32_t) {}
void HNM_BlitIVFrame(const uint8_t *, uint16_t *, const uint32_t *, int32_t) {}
