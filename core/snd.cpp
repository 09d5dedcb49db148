// Sound output: the effect channels, the film-sound stream and the dialogue voice on the platform's
// sound buffers, with handles, channel choice and distance attenuation.
#include "core/snd.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/clk.h"
#include "core/fconv.h"
#include "core/fsb.h"
#include "core/win.h"
#include "engine3d/object.h"
#include "plat/sound.h"
#include "world/actor.h"

SND_Channel SND_Channels[SND_MAX_CHANNELS];
int32_t SND_ChannelCount;
SND_Channel SND_Stream;
SND_Channel SND_Voice;
int32_t SND_MasterVolume;
int32_t SND_StreamBlock;
int32_t SND_MaxDistance;
PLAT_SoundDevice *SND_Device;
PLAT_SoundBuffer *SND_Primary;
uint32_t SND_StreamStartTime;
uint8_t SND_On;
uint8_t SND_HandleCounter;

namespace {

// The channel a handle names when it is still the one last started there; null otherwise.
SND_Channel *current(SND_Handle handle)
{
    if (handle == 0) {
        return nullptr;
    }
    int32_t index = int32_t((handle >> 19) & 0xF);
    if (index >= SND_ChannelCount || SND_Channels[index].handle != handle) {
        return nullptr;
    }
    return &SND_Channels[index];
}

// 1 with the status bits in *status, 0 when they cannot be read.
bool read_status(const SND_Channel &channel, uint32_t *status)
{
    return PLAT_SoundGetStatus(channel.buffer, status) != 0;
}

// Every record but the primary, in the order the master volume and the stop reach them.
template <typename Fn> void each_record(Fn fn)
{
    for (int32_t i = 0; i < SND_ChannelCount; i++) {
        fn(SND_Channels[i]);
    }
    fn(SND_Stream);
    fn(SND_Voice);
}

void forget_buffers()
{
    for (SND_Channel &c : SND_Channels) {
        c = SND_Channel{};
    }
    SND_Stream = SND_Channel{};
    SND_Voice = SND_Channel{};
    SND_Primary = nullptr;
    SND_Device = nullptr;
    SND_ChannelCount = 0;
}

// A failed start: closing the device releases every buffer made so far.
int32_t fail_init()
{
    PLAT_SoundClose(SND_Device);
    forget_buffers();
    return 0;
}

} // namespace

int32_t SND_Init(int32_t channels)
{
    if (SND_On != 0) {
        SND_Shutdown();
    }
    SND_On = 0;
    SND_Device = PLAT_SoundOpen();
    if (SND_Device == nullptr) {
        return 0;
    }
    if (PLAT_SoundCooperate(SND_Device, WIN_MainWindow) == 0 || SND_SetPrimaryFormat() == 0 ||
        SND_CreateBuffers(channels) == 0) {
        return fail_init();
    }
    SND_On = 1;
    SND_SetMasterVolume(127);
    SND_SetMaxDistance(1500);
    return 1;
}

int32_t SND_SetPrimaryFormat()
{
    SND_Primary = PLAT_SoundCreateBuffer(SND_Device, 1, 0, 0, 0, 0);
    if (SND_Primary == nullptr) {
        return 0;
    }
    return PLAT_SoundSetFormat(SND_Primary, PLAT_SOUND_CHANNELS, PLAT_SOUND_RATE, PLAT_SOUND_BITS);
}

int32_t SND_CreateBuffers(int32_t channels)
{
    SND_ChannelCount = 0;
    int32_t n = std::min(channels, SND_MAX_CHANNELS);
    for (int32_t i = 0; i < n; i++) {
        PLAT_SoundBuffer *b = PLAT_SoundCreateBuffer(SND_Device, 0, 1, 11025, 16, SND_EFFECT_BYTES);
        if (b == nullptr) {
            return 0;
        }
        SND_Channels[i] = SND_Channel{b, 0, 0, 0, 0, nullptr};
        SND_ChannelCount = i + 1;
    }
    SND_Stream = SND_Channel{PLAT_SoundCreateBuffer(SND_Device, 0, 2, 22050, 16, SND_STREAM_BYTES), 0, 0, 0, 0,
                             nullptr};
    if (SND_Stream.buffer == nullptr) {
        return 0;
    }
    SND_Voice = SND_Channel{PLAT_SoundCreateBuffer(SND_Device, 0, 1, 11025, 8, SND_VOICE_BYTES), 0, 0, 0, 0,
                            nullptr};
    return SND_Voice.buffer != nullptr ? 1 : 0;
}

void SND_Shutdown()
{
    SND_PreShutdown();
    if (SND_On == 0) {
        return;
    }
    PLAT_SoundRelease(SND_Primary);
    for (int32_t i = 0; i < SND_ChannelCount; i++) {
        PLAT_SoundRelease(SND_Channels[i].buffer);
    }
    PLAT_SoundRelease(SND_Stream.buffer);
    // The voice buffer goes with the device.
    PLAT_SoundClose(SND_Device);
    forget_buffers();
    SND_On = 0;
}

void SND_SetMasterVolume(int32_t master)
{
    if (SND_On == 0) {
        return;
    }
    SND_MasterVolume = master;
    each_record([&](SND_Channel &c) { SND_SetBufferVolume(&c, master); });
}

void SND_SetMaxDistance(int32_t distance)
{
    if (SND_On == 0) {
        return;
    }
    SND_MaxDistance = distance;
}

SND_Handle SND_PlayEffect(const SND_Request *request)
{
    if (SND_On == 0) {
        return 0;
    }
    ActorRecord *owner = (request->flags & SND_OWNER) ? request->owner : nullptr;
    int32_t index = SND_PickChannel(request->flags, owner, request->sound);
    if (index < 0) {
        return 0;
    }
    SND_Channel &channel = SND_Channels[index];
    SND_StopRewind(&channel);
    channel.handle = SND_MakeHandle(request->kind, request->sound, index);
    channel.flags = request->flags;
    channel.owner = owner;
    channel.paused = 0;
    if (SND_SetRequestVolume(&channel, request) == 0 || request->kind != 1) {
        return 0;
    }
    int32_t sound = int8_t(uint8_t(request->sound));
    if (SND_FillBuffer(&channel, FSB_GetSound(sound), FSB_GetSoundSize(sound)) == 0) {
        return 0;
    }
    if (PLAT_SoundPlay(channel.buffer, (request->flags & SND_LOOP) ? 1 : 0) == 0) {
        return 0;
    }
    return channel.handle;
}

int32_t SND_PickChannel(uint8_t flags, ActorRecord *owner, int32_t sound)
{
    if (flags & SND_LAST_CHANNEL) {
        return SND_ChannelCount - 1;
    }
    // With an owner an unreadable status counts as not playing and the last free channel wins;
    // without one it counts as playing and the first free channel wins.
    int32_t candidate = -1;
    int32_t free_choice = -1;
    for (int32_t i = 0; i < SND_ChannelCount; i++) {
        const SND_Channel &c = SND_Channels[i];
        uint32_t status = 0;
        bool readable = read_status(c, &status);
        if (owner != nullptr) {
            bool playing = readable && (status & PLAT_SOUND_PLAYING);
            if (playing && c.owner == owner) {
                return (c.handle & 0xFFFF) != uint32_t(sound) ? i : -1;
            }
            if (playing && !(c.flags & SND_TAKE_OVER)) {
                candidate = i;
            } else if (!playing) {
                free_choice = i;
            }
        } else {
            bool playing = !readable || (status & PLAT_SOUND_PLAYING);
            if (!playing) {
                return i;
            }
            if (!(c.flags & SND_TAKE_OVER)) {
                candidate = i;
            }
        }
    }
    if (free_choice >= 0) {
        return free_choice;
    }
    if ((flags & SND_TAKE_OVER) && candidate >= 0) {
        SND_Stop(SND_Channels[candidate].handle);
        return candidate;
    }
    return -1;
}

int32_t SND_SetRequestVolume(SND_Channel *channel, const SND_Request *request)
{
    if (request->flags & SND_POSITIONAL) {
        return SND_Attenuate(channel, request->owner);
    }
    // Only positional effects are placed; every other one plays from the centre.
    if (PLAT_SoundSetPan(channel->buffer, 0) == 0) {
        return 0;
    }
    if (request->flags & SND_VOLUME) {
        if (request->volume < 0) {
            return 0;
        }
        return SND_SetBufferVolume(channel, std::min(request->volume, int32_t(127)));
    }
    return 1;
}

int32_t SND_Attenuate(SND_Channel *channel, ActorRecord *owner)
{
    int32_t v[3];
    // Without an owner, a placed node or a maximum distance the effect counts as too far.
    if (owner == nullptr || SND_MaxDistance == 0 || Get_Obj_View_Pos(owner->node, v) != 0) {
        return 0;
    }
    double x = v[0];
    double y = v[1];
    double z = v[2];
    uint32_t distance = uint32_t(trunc_i32(std::sqrt(x * x + y * y + z * z)));
    if (distance > uint32_t(SND_MaxDistance)) {
        return 0;
    }
    int32_t volume = trunc_i32(127.0 - double(distance) * 127.0 / SND_MaxDistance);
    if (SND_SetBufferVolume(channel, volume) == 0) {
        return 0;
    }
    int32_t p = trunc_i32(x * 64.0 / SND_MaxDistance + 64.0);
    return PLAT_SoundSetPan(channel->buffer, SND_PanOf(p));
}

int32_t SND_PanOf(int32_t p)
{
    int32_t t = 2 * (((p % 128) + 128) % 128) - 128;
    if (t == 0) {
        return 0;
    }
    int32_t magnitude = 10000;
    int32_t a = t < 0 ? -t : t;
    if (a < 128) {
        magnitude = std::min(10000, round_i32(-2000.0 * std::log10(1.0 - a / 128.0)));
    }
    return t < 0 ? -magnitude : magnitude;
}

int32_t SND_VolumeToDb(int32_t volume)
{
    return trunc_i32(std::pow(10.0, 1.0 + 3.0 * (127 - volume) / 127.0));
}

int32_t SND_SetBufferVolume(SND_Channel *channel, int32_t volume)
{
    int32_t scaled = trunc_i32(SND_MasterVolume / 127.0 * volume);
    return PLAT_SoundSetVolume(channel->buffer, -SND_VolumeToDb(scaled));
}

void SND_StopRewind(SND_Channel *channel)
{
    PLAT_SoundStop(channel->buffer);
    PLAT_SoundSetPosition(channel->buffer, 0);
}

int32_t SND_FillBuffer(SND_Channel *channel, const uint8_t *wav, uint32_t size)
{
    if (wav == nullptr || size < 44) {
        return 0;
    }
    uint32_t riff;
    std::memcpy(&riff, wav + 4, 4);
    if (riff < 44) {
        return 0;
    }
    // The RIFF size counts 8 bytes less than the image, so a sound's last 8 sample bytes never play.
    return SND_CopyToBuffer(channel, wav + 44, std::min(riff - 44, size - 44), 0);
}

int32_t SND_CopyToBuffer(SND_Channel *channel, const uint8_t *data, uint32_t length, uint32_t offset)
{
    uint32_t span = std::max(length, channel->length);
    channel->length = 0;
    PLAT_SoundLock lock{};
    int answer = PLAT_SoundLockBuffer(channel->buffer, offset, span, &lock);
    if (answer == PLAT_SOUND_LOCK_LOST) {
        PLAT_SoundRestore(channel->buffer);
        answer = PLAT_SoundLockBuffer(channel->buffer, offset, span, &lock);
    }
    if (answer != PLAT_SOUND_LOCK_OK) {
        return 0;
    }
    if (length < span) {
        // The tail of a longer sound before it becomes silence: 0x80 in the unsigned voice buffer.
        uint8_t silence = channel == &SND_Voice ? 0x80 : 0;
        std::memset(lock.part1, silence, lock.size1);
        if (lock.size2 != 0) {
            std::memset(lock.part2, silence, lock.size2);
        }
    }
    uint32_t first = std::min(length, lock.size1);
    if (first != 0) {
        std::memcpy(lock.part1, data, first);
    }
    uint32_t rest = length - first;
    if (rest != 0 && rest <= lock.size2) {
        std::memcpy(lock.part2, data + first, rest);
    }
    channel->length = length;
    return PLAT_SoundUnlockBuffer(channel->buffer, lock);
}

SND_Handle SND_MakeHandle(uint8_t kind, int32_t sound, int32_t channel)
{
    SND_Handle h = uint32_t(sound) + (uint32_t(kind) << 16) + (uint32_t(channel) << 19) +
                   (uint32_t(SND_HandleCounter) << 23);
    SND_HandleCounter = uint8_t(SND_HandleCounter + 1);
    return h;
}

void SND_Stop(SND_Handle handle)
{
    SND_Channel *c = SND_On != 0 ? current(handle) : nullptr;
    if (c != nullptr) {
        PLAT_SoundStop(c->buffer);
        c->paused = 0;
    }
}

SND_Handle SND_Restart(SND_Handle handle, const SND_Request *request)
{
    if (SND_On == 0) {
        return 0;
    }
    if (handle == 0) {
        return SND_PlayEffect(request);
    }
    SND_Channel *c = current(handle);
    if (c == nullptr || SND_SetRequestVolume(c, request) == 0) {
        return 0;
    }
    return handle;
}

void SND_Pause(SND_Handle handle)
{
    SND_Channel *c = SND_On != 0 ? current(handle) : nullptr;
    if (c != nullptr) {
        PLAT_SoundStop(c->buffer);
        c->paused = 1;
    }
}

void SND_Resume(SND_Handle handle)
{
    SND_Channel *c = SND_On != 0 ? current(handle) : nullptr;
    if (c != nullptr && c->paused != 0) {
        PLAT_SoundPlay(c->buffer, (c->flags & SND_LOOP) ? 1 : 0);
        c->paused = 0;
    }
}

int32_t SND_GetStatus(SND_Handle handle)
{
    SND_Channel *c = SND_On != 0 ? current(handle) : nullptr;
    if (c == nullptr) {
        return 1;
    }
    if (c->paused != 0) {
        return 4;
    }
    uint32_t status = 0;
    if (read_status(*c, &status) && (status & PLAT_SOUND_PLAYING)) {
        return 2;
    }
    return 1;
}

void SND_StopAll()
{
    if (SND_On == 0) {
        return;
    }
    each_record([](SND_Channel &c) {
        PLAT_SoundStop(c.buffer);
        c.paused = 0;
    });
}

void SND_PauseAll()
{
    for (int32_t i = 0; i < SND_ChannelCount; i++) {
        SND_Pause(SND_Channels[i].handle);
    }
}

void SND_ResumeAll()
{
    for (int32_t i = 0; i < SND_ChannelCount; i++) {
        SND_Resume(SND_Channels[i].handle);
    }
}

void SND_Update()
{
    if (SND_On == 0) {
        return;
    }
    for (int32_t i = 0; i < SND_ChannelCount; i++) {
        uint32_t position = 0;
        if (PLAT_SoundGetPosition(SND_Channels[i].buffer, &position) != 0 && position > SND_Channels[i].length) {
            PLAT_SoundStop(SND_Channels[i].buffer);
        }
    }
}

void SND_StreamReset()
{
    if (SND_On == 0) {
        return;
    }
    SND_StopAll();
    PLAT_SoundSetPosition(SND_Stream.buffer, 0);
    SND_StreamBlock = 0;
}

void SND_StreamWrite(const uint8_t *data, int32_t, uint32_t size)
{
    if (SND_On == 0) {
        return;
    }
    SND_Stream.length = size;
    SND_CopyToBuffer(&SND_Stream, data, size, uint32_t(SND_StreamBlock) * size);
    SND_StreamBlock++;
    if (SND_StreamBlock == SND_STREAM_BLOCKS) {
        SND_StreamBlock = 0;
    }
}

void SND_StreamPlay()
{
    if (SND_On == 0) {
        return;
    }
    PLAT_SoundPlay(SND_Stream.buffer, 1);
    SND_StreamStartTime = CLK_GameClock;
}

void SND_StreamStop()
{
    if (SND_On != 0) {
        PLAT_SoundStop(SND_Stream.buffer);
    }
}

void SND_Play8Bit(const uint8_t *wav, uint32_t size)
{
    if (SND_On == 0) {
        return;
    }
    SND_StopRewind(&SND_Voice);
    if (SND_FillBuffer(&SND_Voice, wav, size) != 0) {
        PLAT_SoundPlay(SND_Voice.buffer, 0);
    }
}

void SND_Stop8Bit()
{
    if (SND_On != 0) {
        PLAT_SoundStop(SND_Voice.buffer);
    }
}

void SND_Reserved1() {}
void SND_Reserved2() {}
void SND_Reserved3(int32_t, int32_t) {}
void SND_PreShutdown() {}
