// SDL sound device: one 22,050 Hz stereo output whose audio callback runs the common mixer; every
// service call holds the output's lock, and a removed output is reopened.
#include <SDL.h>

#include <algorithm>

#include "../common/sound_internal.h"
#include "internal.h"
#include "plat/window.h"

namespace {

// The opened output. CD audio mixes into the same one, as a source of the sound service's device, or
// of a device without buffers (idle) while the sound service is closed.
struct Output {
    SDL_AudioDeviceID id;
    PLAT_SoundDevice *device;
    PLAT_SoundDevice *idle;
};
Output output;

PLAT_SoundDevice *mixed() { return output.device != nullptr ? output.device : output.idle; }

void callback(void *, Uint8 *stream, int len)
{
    PLAT_SoundDevice *d = mixed();
    if (d == nullptr) {
        SDL_memset(stream, 0, size_t(len));
        return;
    }
    SNDM_Mix(d, reinterpret_cast<int16_t *>(stream), uint32_t(len) / 4);
}

SDL_AudioDeviceID open_output()
{
    SDL_AudioSpec want{};
    want.freq = PLAT_SOUND_RATE;
    want.format = AUDIO_S16SYS;
    want.channels = PLAT_SOUND_CHANNELS;
    want.samples = 512;
    want.callback = callback;
    // No changes allowed: SDL converts to whatever the hardware runs at.
    SDL_AudioSpec have{};
    SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (id != 0) {
        SDL_PauseAudioDevice(id, 0);
    }
    return id;
}

void update_mute()
{
    PLAT_SoundDevice *d = output.device;
    if (d == nullptr) {
        return;
    }
    bool muted = d->window != nullptr && PLAT_HasFocus(d->window) == 0;
    if (output.id != 0) {
        SDL_LockAudioDevice(output.id);
    }
    d->muted = muted;
    if (output.id != 0) {
        SDL_UnlockAudioDevice(output.id);
    }
}

// Starts SDL's audio and the output when nothing uses them yet; false when there is no output.
bool start_output()
{
    if (output.id != 0) {
        return true;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return false;
    }
    output.id = open_output();
    if (output.id == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    return true;
}

void stop_output()
{
    if (output.id != 0) {
        SDL_CloseAudioDevice(output.id);
        output.id = 0;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

} // namespace

PLAT_SoundDevice *SNDB_Open()
{
    if (output.device != nullptr || !start_output()) {
        return nullptr;
    }
    PLAT_SoundDevice *d = SNDM_NewDevice();
    SDL_LockAudioDevice(output.id);
    if (output.idle != nullptr) {
        d->sources = output.idle->sources;
        SNDM_DeleteDevice(output.idle);
        output.idle = nullptr;
    }
    output.device = d;
    SDL_UnlockAudioDevice(output.id);
    return d;
}

void SNDB_Close(PLAT_SoundDevice *d)
{
    if (d != output.device) {
        return;
    }
    if (output.id != 0) {
        // A buffer left locked still holds the output; the callback must be free to finish.
        for (PLAT_SoundBuffer *b : d->buffers) {
            if (b->locked) {
                SDL_UnlockAudioDevice(output.id);
            }
        }
        SDL_LockAudioDevice(output.id);
    }
    if (!d->sources.empty()) {
        output.idle = SNDM_NewDevice();
        output.idle->sources = d->sources;
    }
    output.device = nullptr;
    if (output.id != 0) {
        SDL_UnlockAudioDevice(output.id);
    }
    SNDM_DeleteDevice(d);
    if (output.idle == nullptr) {
        stop_output();
    }
}

bool SDLS_AddSource(const SNDM_Source &source)
{
    if (!start_output()) {
        return false;
    }
    SDL_LockAudioDevice(output.id);
    if (output.device == nullptr && output.idle == nullptr) {
        output.idle = SNDM_NewDevice();
    }
    mixed()->sources.push_back(source);
    SDL_UnlockAudioDevice(output.id);
    return true;
}

void SDLS_RemoveSource(void *context)
{
    PLAT_SoundDevice *d = mixed();
    if (d == nullptr) {
        return;
    }
    SDL_LockAudioDevice(output.id);
    auto &v = d->sources;
    v.erase(std::remove_if(v.begin(), v.end(), [&](const SNDM_Source &s) { return s.context == context; }), v.end());
    // The idle device leaves the output while the callback is held, so that a callback already
    // waiting for the lock never mixes a deleted device.
    PLAT_SoundDevice *emptied = nullptr;
    if (output.idle != nullptr && output.idle->sources.empty()) {
        emptied = output.idle;
        output.idle = nullptr;
    }
    SDL_UnlockAudioDevice(output.id);
    if (emptied != nullptr) {
        SNDM_DeleteDevice(emptied);
        stop_output();
    }
}

void SDLS_LockOutput(bool lock)
{
    if (output.id == 0) {
        return;
    }
    if (lock) {
        SDL_LockAudioDevice(output.id);
    } else {
        SDL_UnlockAudioDevice(output.id);
    }
}

int SNDB_Enter(PLAT_SoundDevice *d, int, PLAT_SoundBuffer *, const int64_t *, int)
{
    if (d == output.device && output.id != 0) {
        SDL_LockAudioDevice(output.id);
    }
    if (d != nullptr) {
        d->muted = d->window != nullptr && PLAT_HasFocus(d->window) == 0;
    }
    return 0;
}

void SNDB_Leave(PLAT_SoundDevice *d)
{
    if (d == output.device && output.id != 0) {
        SDL_UnlockAudioDevice(output.id);
    }
}

// A lock keeps the output locked (SDL's lock nests) until its unlock, so the callback never mixes a
// half-written block.
void SNDB_Hold(PLAT_SoundDevice *d, bool hold)
{
    if (d != output.device || output.id == 0) {
        return;
    }
    if (hold) {
        SDL_LockAudioDevice(output.id);
    } else {
        SDL_UnlockAudioDevice(output.id);
    }
}

// Called by the pump for every event: focus changes mute or unmute the buffers; when the output is
// removed the default one is reopened, and without one every buffer reads as stopped.
void SDLS_SoundEvent(const SDL_Event &event)
{
    if (output.device == nullptr) {
        return;
    }
    if (event.type == SDL_AUDIODEVICEREMOVED && event.adevice.iscapture == 0 && event.adevice.which == output.id) {
        SDL_CloseAudioDevice(output.id);
        output.id = open_output();
        output.device->dead = output.id == 0;
        if (output.device->dead) {
            for (PLAT_SoundBuffer *b : output.device->buffers) {
                b->playing = false;
            }
        }
        return;
    }
    if (event.type == SDL_WINDOWEVENT) {
        update_mute();
    }
}
