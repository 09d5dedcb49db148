// The FSB sound bank: every sound effect's RIFF WAVE image, loaded whole from data\sound\fsb.dat.
#pragma once
#include <cstdint>

struct FSB_Sound {
    const uint8_t *data; // null when the sizes put the sound outside the data block
    uint32_t size;
};

extern uint32_t FSB_Count;
extern FSB_Sound *FSB_Table;
extern uint8_t *FSB_Block;
extern uint32_t FSB_BlockSize;

// Service 18 of the message manager, once sound is on. Any damage ends the program with its fatal text.
void FSB_Load(const char *path);
// Service 19, and a load over an earlier bank.
void FSB_Free();
// Sound i's WAVE image and its size; null and 0 when i is outside the bank or the image outside the block.
const uint8_t *FSB_GetSound(int32_t i);
uint32_t FSB_GetSoundSize(int32_t i);
