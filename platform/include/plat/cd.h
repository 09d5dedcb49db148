// CD audio device, shaped after a drive that plays audio tracks by itself once told to.
#pragma once

enum PLAT_CdMode {
    PLAT_CD_NOT_READY = 0,
    PLAT_CD_STOPPED,
    PLAT_CD_PLAYING,
    PLAT_CD_RECORDING,
    PLAT_CD_SEEKING,
    PLAT_CD_PAUSED,
    PLAT_CD_DOOR_OPEN,
    PLAT_CD_OTHER,
};

// Opens the audio drive; 1 on success, 0 when there is none.
int PLAT_CdOpen();
void PLAT_CdClose();
// Plays from the start of track `from` to the start of track `to`; to = 0 plays to the end of the disc.
void PLAT_CdPlay(int from, int to);
void PLAT_CdStop();
int PLAT_CdMode();
int PLAT_CdTrackCount();
