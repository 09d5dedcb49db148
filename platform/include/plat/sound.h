// Sound output device: a device with a primary buffer and secondary PCM buffers that play, loop, are
// locked for writing and mixed into one 22,050 Hz stereo 16-bit output.
#pragma once
#include <cstdint>

struct PLAT_Window;
struct PLAT_SoundDevice;
struct PLAT_SoundBuffer;

// The format the output runs at; the only one the primary buffer accepts.
enum {
    PLAT_SOUND_RATE = 22050,
    PLAT_SOUND_CHANNELS = 2,
    PLAT_SOUND_BITS = 16,
};

// Status bits.
enum {
    PLAT_SOUND_PLAYING = 0x1,
    PLAT_SOUND_LOST = 0x2,
    PLAT_SOUND_LOOPING = 0x4,
};

// Answers of a lock.
enum {
    PLAT_SOUND_LOCK_FAIL = 0,
    PLAT_SOUND_LOCK_OK = 1,
    PLAT_SOUND_LOCK_LOST = 2,
};

// The two parts of a locked span: part 1 from the offset up to the buffer's end at most, part 2 from
// the buffer's start when the span wraps (size 0 otherwise).
struct PLAT_SoundLock {
    uint8_t *part1;
    uint32_t size1;
    uint8_t *part2;
    uint32_t size2;
};

// Opens the default output; null when there is none. Closing it releases every buffer it still holds.
PLAT_SoundDevice *PLAT_SoundOpen();
void PLAT_SoundClose(PLAT_SoundDevice *device);
// Ties the device to the main window: its buffers fall silent while the window lacks the focus.
int PLAT_SoundCooperate(PLAT_SoundDevice *device, PLAT_Window *window);

// Secondary buffers: 1 or 2 channels, 8 or 16 bits, 11,025 or 22,050 Hz, bytes > 0 and a multiple of
// the block align; they start silent, stopped, at position 0, volume 0, pan 0. The primary buffer is
// the output itself (its format arguments are ignored until PLAT_SoundSetFormat). Null on failure.
PLAT_SoundBuffer *PLAT_SoundCreateBuffer(PLAT_SoundDevice *device, int primary, int channels, int rate, int bits,
                                         uint32_t bytes);
void PLAT_SoundRelease(PLAT_SoundBuffer *buffer);
// Primary only: 1 for 2 channels, 22,050 Hz, 16 bits; 0 for anything else.
int PLAT_SoundSetFormat(PLAT_SoundBuffer *buffer, int channels, int rate, int bits);

// 1 on success, 0 on failure. Play starts from the current position (on a playing buffer it only
// changes the looping flag); stop keeps the position; a position is rounded down to the block align,
// and one at or beyond the size fails.
int PLAT_SoundPlay(PLAT_SoundBuffer *buffer, int looping);
int PLAT_SoundStop(PLAT_SoundBuffer *buffer);
int PLAT_SoundSetPosition(PLAT_SoundBuffer *buffer, uint32_t bytes);
int PLAT_SoundGetPosition(PLAT_SoundBuffer *buffer, uint32_t *bytes);
int PLAT_SoundGetStatus(PLAT_SoundBuffer *buffer, uint32_t *status);
// Hundredths of a decibel: volume -10000..0, pan -10000..10000 (negative attenuates the right side).
int PLAT_SoundSetVolume(PLAT_SoundBuffer *buffer, int32_t volume);
int PLAT_SoundSetPan(PLAT_SoundBuffer *buffer, int32_t pan);

// Locks bytes at offset for writing: PLAT_SOUND_LOCK_OK with the parts filled, _LOST while the buffer
// is lost, _FAIL when bytes is 0 or above the size, or the offset at or beyond it.
int PLAT_SoundLockBuffer(PLAT_SoundBuffer *buffer, uint32_t offset, uint32_t bytes, PLAT_SoundLock *lock);
// 1 when the parts are those the lock gave.
int PLAT_SoundUnlockBuffer(PLAT_SoundBuffer *buffer, const PLAT_SoundLock &lock);
// Clears "lost"; the contents are kept.
int PLAT_SoundRestore(PLAT_SoundBuffer *buffer);
