// SDL sound device: one 22,050 Hz stereo output whose audio callback runs the common mixer; every
// service call holds the output's lock, and a removed output is reopened.
#include <SDL.h>

#include "../common/sound_internal.h"
#include "internal.h"
#include "plat/window.h"

namespace {

// The opened output. CD audio mixes into the same one.
struct Output {
    SDL_AudioDeviceID id;
    PLAT_SoundDevice *device;
};
Output output;

void callback(void *, Uint8 *stream, int len)
{
    if (output.device == nullptr) {
        SDL_memset(stream, 0, size_t(len));
        return;
    }
    SNDM_Mix(output.device, reinterpret_cast<int16_t *>(stream), uint32_t(len) / 4);
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

} // namespace

PLAT_SoundDevice *SNDB_Open()
{
    if (output.device != nullptr) {
        return nullptr;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return nullptr;
    }
    output.device = SNDM_NewDevice();
    output.id = open_output();
    if (output.id == 0) {
        SNDM_DeleteDevice(output.device);
        output.device = nullptr;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    return output.device;
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
        SDL_CloseAudioDevice(output.id);
    }
    output.id = 0;
    output.device = nullptr;
    SNDM_DeleteDevice(d);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
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
