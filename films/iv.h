// The hi-colour film decoder and its frame blitter.
#pragma once
#include <cstdint>

// The player, at each IV chunk: decodes the picture into the work frame of the frame pair.
void HNM_DecodeIVFrame(const uint8_t *payload, uint32_t length);
// HNM_ShowIVFrame, at the end of each hi-colour frame: the 8-bit picture onto the 16-bit screen through
// the pair table, in the layout of the screen size (-1 draws nothing).
void HNM_BlitIVFrame(const uint8_t *picture, uint16_t *screen, const uint32_t *pair_table, int32_t layout);
