// The 256-colour film decoder: pictures of the film-fed scene textures.
#pragma once
#include <cstdint>

struct HNM_Header;

// HNM_SetupHNM4, when a 256-colour film starts: the two picture buffers and the film's header.
void HNM_InitHNM4Decoder(uint8_t *a, uint8_t *b, const HNM_Header *header);
// HNM_ReleaseHNM4, when the film stops.
void HNM_CloseHNM4Decoder();
// The player, at each video chunk: subtype is the tag's second letter ('Z' intra, 'U' delta, any other
// only advances the frame counter); flag 1 writes the picture into the target texture.
void HNM_DecodeHNM4Frame(int32_t flag, char subtype, const uint8_t *payload, uint32_t length);
