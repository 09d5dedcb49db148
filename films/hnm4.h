// The 256-colour film decoder: pictures of the film-fed scene textures.
#pragma once
#include <cstdint>

struct HNM_Header;

// HNM_SetupHNM4, when a 256-colour film starts: the two picture buffers (width x height bytes each,
// cleared here so that a film opening on a delta picture reads no earlier film) and the film's header.
// The header's size was checked by the caller: 256 wide, an even height of 2..256.
void HNM_InitHNM4Decoder(uint8_t *a, uint8_t *b, const HNM_Header *header);
// HNM_ReleaseHNM4, when the film stops.
void HNM_CloseHNM4Decoder();
// The player, at each video chunk: subtype is the tag's second letter ('Z' intra, 'U' delta, any other
// only advances the frame counter); flag 1 writes the picture into HNM_TargetTexture when it is set.
// Returns 1 for a whole picture or another subtype, 0 for a picture stopped at damage (the player
// plays on: the next intra picture repairs it).
int32_t HNM_DecodeHNM4Frame(int32_t flag, char subtype, const uint8_t *payload, uint32_t length);

// The decoder's frame counter: its parity says which buffer the next picture is built in (even: B).
uint16_t HNM_HNM4Counter();
