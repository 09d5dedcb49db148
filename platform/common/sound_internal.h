// Shared between the sound service and the back-ends: the buffer model, the mixer, and the hooks each
// back-end supplies (the headless one catches up with the fake clock, the SDL one locks its output).
#pragma once
#include <cstdint>
#include <vector>

#include "plat/sound.h"

// Operations, in the order the headless back-end's call log and fault rules name them.
enum SNDM_Op {
    SNDM_OP_OPEN,
    SNDM_OP_COOPERATE,
    SNDM_OP_CREATE,
    SNDM_OP_SET_FORMAT,
    SNDM_OP_PLAY,
    SNDM_OP_STOP,
    SNDM_OP_SET_POSITION,
    SNDM_OP_GET_POSITION,
    SNDM_OP_GET_STATUS,
    SNDM_OP_SET_VOLUME,
    SNDM_OP_SET_PAN,
    SNDM_OP_LOCK,
    SNDM_OP_UNLOCK,
    SNDM_OP_RESTORE,
    SNDM_OP_RELEASE,
    SNDM_OP_CLOSE,
};

// A source of sound mixed beside the buffers (CD audio joins here). mix adds frames x 2 values
// (left, right) to acc; acc is null when the frames pass without output.
struct SNDM_Source {
    void (*mix)(void *context, int64_t *acc, uint32_t frames);
    void *context;
};

struct PLAT_SoundBuffer {
    PLAT_SoundDevice *device;
    int id; // creation order since the device's back-end started, for logs and inspection
    bool primary;
    int channels;
    int rate;
    int bits;
    uint32_t align;
    uint32_t bytes;
    std::vector<uint8_t> data;
    bool playing;
    bool looping;
    bool lost;
    bool locked;
    PLAT_SoundLock lock;
    uint64_t pos;  // source frames, 16.16 fixed point
    uint64_t step; // added per output frame: (rate << 16) / 22,050
    int32_t volume;
    int32_t pan;
    int64_t gain_left; // Q16
    int64_t gain_right;
};

struct PLAT_SoundDevice {
    std::vector<PLAT_SoundBuffer *> buffers; // in creation order
    PLAT_Window *window;
    bool muted; // the buffers play on in silence
    bool dead;  // the output went away: every buffer reads as stopped
    std::vector<SNDM_Source> sources;
};

// The model, used by the service functions and by the back-ends.
PLAT_SoundDevice *SNDM_NewDevice();
void SNDM_DeleteDevice(PLAT_SoundDevice *device); // with every buffer it holds
// Q16 gain of an attenuation in hundredths of a decibel; 0 at -10,000 and below.
int64_t SNDM_Gain(int32_t attenuation);
// Mixes frames of output (interleaved left, right) from every playing buffer and source, moving the
// cursors; out null advances the same cursors without forming output, in O(1) per buffer.
void SNDM_Mix(PLAT_SoundDevice *device, int16_t *out, uint32_t frames);
// Buffers alive in every device.
int SNDM_LiveBuffers();
// Next buffer id; the headless reset starts it again at 1.
extern int SNDM_NextId;

// Back-end hooks. SNDB_Open makes the device (SNDM_NewDevice) and its output, or answers null;
// SNDB_Close ends the output before the device goes.
PLAT_SoundDevice *SNDB_Open();
void SNDB_Close(PLAT_SoundDevice *device);
// Around every other service call. Enter answers 0 to go on, -1 for a scripted failure and -2 for a
// scripted "lost" (a lock only). args are the call's numbers, for the headless call log.
int SNDB_Enter(PLAT_SoundDevice *device, int op, PLAT_SoundBuffer *buffer, const int64_t *args, int count);
void SNDB_Leave(PLAT_SoundDevice *device);
// Between a successful lock and its unlock the output stays held (SDL keeps its device locked).
void SNDB_Hold(PLAT_SoundDevice *device, bool hold);
