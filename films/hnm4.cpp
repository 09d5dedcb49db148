// The 256-colour film decoder. Not built yet: pictures change nothing.
#include "films/hnm4.h"

void HNM_InitHNM4Decoder(uint8_t *, uint8_t *, const HNM_Header *) {}
void HNM_CloseHNM4Decoder() {}
void HNM_DecodeHNM4Frame(int32_t, char, const uint8_t *, uint32_t) {}
