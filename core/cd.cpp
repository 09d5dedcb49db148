// CD audio over the platform's audio drive. Open, play, stop and the play mode work; the track
// rules, the door, pause and the error box come with the full CD module.
#include "core/cd.h"

#include "plat/cd.h"

static bool device_open;

int32_t CD_Open()
{
    device_open = PLAT_CdOpen() != 0;
    return device_open ? 1 : 0;
}

void CD_Close()
{
    if (device_open) {
        CD_Stop();
        PLAT_CdClose();
        device_open = false;
    }
}

void CD_PlayTrack(int32_t track)
{
    if (device_open && track != 0) {
        PLAT_CdPlay(track, 0);
    }
}

void CD_Stop()
{
    if (device_open) {
        PLAT_CdStop();
    }
}

void CD_Pause() {}
void CD_Resume() {}
void CD_OpenDoor() {}
void CD_CloseDoor() {}

int32_t CD_GetMode()
{
    if (!device_open) {
        return 1;
    }
    switch (PLAT_CdMode()) {
    case PLAT_CD_STOPPED:
    case PLAT_CD_DOOR_OPEN:
        return 4;
    case PLAT_CD_PLAYING:
        return 2;
    case PLAT_CD_PAUSED:
        return 3;
    default:
        return 1;
    }
}

void CD_EmptyService(int32_t) {}
int32_t CD_ConstantService() { return 100; }

// Placeholder: the full CD module stops the drive, sets its time format and reads the new disc's
// track count here.
int32_t CD_ResetCount;

int32_t CD_Reset()
{
    CD_ResetCount++;
    return 1;
}
