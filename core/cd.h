// CD audio: the music tracks of the game disc.
#pragma once
#include <cstdint>

int32_t CD_Open();
void CD_Close();
void CD_PlayTrack(int32_t track);
void CD_Stop();
void CD_Pause();
void CD_Resume();
void CD_OpenDoor();
void CD_CloseDoor();
int32_t CD_GetMode();
void CD_EmptyService(int32_t a);
int32_t CD_ConstantService();

// Placeholder until the full CD module: answers 1, as a reset of a device that is not open does, and
// counts its calls.
int32_t CD_Reset();
extern int32_t CD_ResetCount;
