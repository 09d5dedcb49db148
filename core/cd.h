// CD audio: the music tracks of the game disc, played by the drive through the platform's CD device.
#pragma once
#include <cstdint>

// The open device; 0 = not open.
extern uint32_t CD_DeviceId;
// Tracks on the disc at the last reset.
extern uint32_t CD_TrackCount;

// MGM service 28 at start-up: 1 when the device opened (and was reset), 0 after an error box.
int32_t CD_Open();
// MGM service 29 and shutdown.
void CD_Close();
// After an open and a disc change: stops play, sets the time format and reads the track count. 4 on
// success, 1 when not open or on an error.
int32_t CD_Reset();
// The playlist: plays track n to the start of the next one, the last track to the end of the disc.
void CD_PlayTrack(uint32_t track);
void CD_Stop();
void CD_Pause();
void CD_Resume();
void CD_OpenDoor();
void CD_CloseDoor();
// 1 not open, 0 on an error, else 2 playing, 3 paused, 4 stopped or door open, 1 for any other mode.
int32_t CD_GetMode();
uint32_t CD_GetTrackCount();
// Beeps and shows the "MCI Error" box for a device error; the game goes on.
void CD_ReportError(int32_t error);
void CD_EmptyService(int32_t a);
int32_t CD_ConstantService();
