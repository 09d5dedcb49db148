// CD audio device: a drive that plays the audio tracks of its disc by itself once told to. Every call
// answers an error number, 0 for none, and completes before it returns.
#pragma once
#include <cstdint>

// The play mode a status query reports.
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

// The device's own errors; each has a text.
enum PLAT_CdError {
    PLAT_CD_OK = 0,
    PLAT_CD_ERR_NO_DEVICE = 1,  // open: there is no CD audio device
    PLAT_CD_ERR_NOT_OPEN = 2,   // the id names no open device
    PLAT_CD_ERR_NOT_READY = 3,  // play or resume with the door open
    PLAT_CD_ERR_BAD_TRACK = 4,  // a from-track outside 1..count
};

// Positions are TMSF values: track | minute << 8 | second << 16 | frame << 24. The device reads the
// track byte only; the game sends track starts.
inline constexpr uint32_t PLAT_CdTmsfTrack(uint32_t tmsf) { return tmsf & 0xFF; }

int PLAT_CdOpen(uint32_t *id); // *id is non-zero on success
int PLAT_CdClose(uint32_t id);
// TMSF is the one time format; setting it changes nothing else.
int PLAT_CdSetTimeFormatTmsf(uint32_t id);
// Plays from the start of `from` to the start of `to`.
int PLAT_CdPlay(uint32_t id, uint32_t from, uint32_t to);
// Plays from the start of `from` to the end of the disc.
int PLAT_CdPlayToEnd(uint32_t id, uint32_t from);
// Plays from the current position to the end of the disc.
int PLAT_CdResume(uint32_t id);
// Both keep the position.
int PLAT_CdStop(uint32_t id);
int PLAT_CdPause(uint32_t id);
// Opening the door stops play; while it is open, play and resume answer PLAT_CD_ERR_NOT_READY.
int PLAT_CdSetDoor(uint32_t id, int open);
int PLAT_CdStatusMode(uint32_t id, int *mode);
int PLAT_CdStatusTrackCount(uint32_t id, uint32_t *count);
// Copies the error's text, cut to size - 1 characters and always terminated; 1 when there is a text,
// 0 (and an empty string) when there is none.
int PLAT_CdErrorText(int error, char *text, uint32_t size);
