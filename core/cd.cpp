// CD audio over the platform's CD device: open and close, reset, play one track, stop, pause, resume,
// the door, the play mode and the track count. Every device error shows the "MCI Error" box.
#include "core/cd.h"

#include <cstring>

#include "plat/cd.h"
#include "plat/dialog.h"

uint32_t CD_DeviceId;
uint32_t CD_TrackCount;

void CD_ReportError(int32_t error)
{
    PLAT_Beep(PLAT_ICON_EXCLAMATION);
    char text[256];
    if (PLAT_CdErrorText(error, text, sizeof text) == 0) {
        std::strcpy(text, "Unknown Error");
    }
    PLAT_MessageBox(nullptr, text, "MCI Error", PLAT_ICON_EXCLAMATION);
}

// Reports an error; true when there was none.
static bool ok(int error)
{
    if (error != 0) {
        CD_ReportError(error);
        return false;
    }
    return true;
}

int32_t CD_Open()
{
    // A second open would lose the live device: close it first.
    if (CD_DeviceId != 0) {
        CD_Close();
    }
    uint32_t id = 0;
    if (!ok(PLAT_CdOpen(&id))) {
        return 0;
    }
    CD_DeviceId = id;
    CD_Reset();
    return 1;
}

void CD_Close()
{
    if (CD_DeviceId == 0) {
        return;
    }
    CD_Reset();
    ok(PLAT_CdClose(CD_DeviceId));
    CD_DeviceId = 0;
}

int32_t CD_Reset()
{
    if (CD_DeviceId == 0) {
        return 1;
    }
    CD_Stop();
    if (!ok(PLAT_CdSetTimeFormatTmsf(CD_DeviceId))) {
        return 1;
    }
    CD_TrackCount = CD_GetTrackCount();
    return 4;
}

void CD_PlayTrack(uint32_t track)
{
    if (CD_DeviceId == 0 || track == 0 || track > CD_TrackCount) {
        return;
    }
    if (track < CD_TrackCount) {
        ok(PLAT_CdPlay(CD_DeviceId, track, track + 1));
    } else {
        ok(PLAT_CdPlayToEnd(CD_DeviceId, track));
    }
}

void CD_Stop()
{
    if (CD_DeviceId != 0) {
        ok(PLAT_CdStop(CD_DeviceId));
    }
}

void CD_Pause()
{
    if (CD_DeviceId != 0) {
        ok(PLAT_CdPause(CD_DeviceId));
    }
}

void CD_Resume()
{
    if (CD_DeviceId != 0) {
        ok(PLAT_CdResume(CD_DeviceId));
    }
}

void CD_OpenDoor()
{
    if (CD_DeviceId != 0) {
        ok(PLAT_CdSetDoor(CD_DeviceId, 1));
    }
}

void CD_CloseDoor()
{
    if (CD_DeviceId != 0) {
        ok(PLAT_CdSetDoor(CD_DeviceId, 0));
    }
}

int32_t CD_GetMode()
{
    if (CD_DeviceId == 0) {
        return 1;
    }
    int mode = PLAT_CD_NOT_READY;
    if (!ok(PLAT_CdStatusMode(CD_DeviceId, &mode))) {
        return 0;
    }
    switch (mode) {
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

uint32_t CD_GetTrackCount()
{
    if (CD_DeviceId == 0) {
        return 0;
    }
    uint32_t count = 0;
    if (!ok(PLAT_CdStatusTrackCount(CD_DeviceId, &count))) {
        return 0;
    }
    return count;
}

void CD_EmptyService(int32_t) {}
int32_t CD_ConstantService() { return 100; }
