// Sound output: the effect channels, the film-sound stream and the dialogue voice on the platform's
// sound buffers, with handles, channel choice and distance attenuation.
#pragma once
#include <cstdint>

struct ActorRecord;
struct PLAT_SoundBuffer;
struct PLAT_SoundDevice;

using SND_Handle = uint32_t;

// Request flags.
enum : uint8_t {
    SND_POSITIONAL = 0x01,
    SND_LOOP = 0x02,
    SND_TAKE_OVER = 0x04,
    SND_VOLUME = 0x08,
    SND_OWNER = 0x10,
    SND_LAST_CHANNEL = 0x20,
};

// One buffer: an effect channel, the stream or the 8-bit voice.
struct SND_Channel {
    PLAT_SoundBuffer *buffer;
    uint32_t handle; // the sound last started on it; 0 = none
    uint8_t flags;   // that request's flags
    int32_t paused;  // 1 while paused by SND_Pause
    uint32_t length; // bytes last copied in
    ActorRecord *owner;
};

// An effect request, filled by the caller.
struct SND_Request {
    uint8_t kind;   // 1: a sample of the sound bank, the only kind that plays
    int32_t sound;  // low byte, signed: the bank index
    uint8_t flags;
    ActorRecord *owner;
    int32_t volume; // 0..127, with SND_VOLUME
};

constexpr int SND_MAX_CHANNELS = 5;
constexpr uint32_t SND_EFFECT_BYTES = 102400;
constexpr uint32_t SND_STREAM_BYTES = 176400;
constexpr int32_t SND_STREAM_BLOCKS = 30;
constexpr uint32_t SND_VOICE_BYTES = 307200;

extern SND_Channel SND_Channels[SND_MAX_CHANNELS];
extern int32_t SND_ChannelCount;
extern SND_Channel SND_Stream;
extern SND_Channel SND_Voice;
extern int32_t SND_MasterVolume;
extern int32_t SND_StreamBlock;
extern int32_t SND_MaxDistance;
extern PLAT_SoundDevice *SND_Device;
extern PLAT_SoundBuffer *SND_Primary;
// Game clock at the last SND_StreamPlay: the film player paces its frames from it.
extern uint32_t SND_StreamStartTime;
extern uint8_t SND_On;
extern uint8_t SND_HandleCounter;

// Service 18 of the message manager starts sound with 8 channels asked for; 1 when it is on.
int32_t SND_Init(int32_t channels);
int32_t SND_SetPrimaryFormat();
int32_t SND_CreateBuffers(int32_t channels);
// Service 19 and the manager's destruction.
void SND_Shutdown();
// The options screen.
void SND_SetMasterVolume(int32_t master);
void SND_SetMaxDistance(int32_t distance);

SND_Handle SND_PlayEffect(const SND_Request *request);
int32_t SND_PickChannel(uint8_t flags, ActorRecord *owner, int32_t sound);
int32_t SND_SetRequestVolume(SND_Channel *channel, const SND_Request *request);
int32_t SND_Attenuate(SND_Channel *channel, ActorRecord *owner);
int32_t SND_VolumeToDb(int32_t volume);
int32_t SND_SetBufferVolume(SND_Channel *channel, int32_t volume);
// The stereo pan, in hundredths of a decibel, of a left-right position p (0 left edge, 64 ahead).
int32_t SND_PanOf(int32_t p);
void SND_StopRewind(SND_Channel *channel);
int32_t SND_FillBuffer(SND_Channel *channel, const uint8_t *wav, uint32_t size);
int32_t SND_CopyToBuffer(SND_Channel *channel, const uint8_t *data, uint32_t length, uint32_t offset);
SND_Handle SND_MakeHandle(uint8_t kind, int32_t sound, int32_t channel);

void SND_Stop(SND_Handle handle);
SND_Handle SND_Restart(SND_Handle handle, const SND_Request *request);
void SND_Pause(SND_Handle handle);
void SND_Resume(SND_Handle handle);
// 1 stopped (also when sound is off or the handle is stale), 2 playing, 4 paused.
int32_t SND_GetStatus(SND_Handle handle);
void SND_StopAll();
void SND_PauseAll();
void SND_ResumeAll();
// Once per message-manager round: ends effects whose play cursor passed their data.
void SND_Update();

// Film sound: the film player resets the stream, writes 5,880-byte blocks and starts it.
void SND_StreamReset();
void SND_StreamWrite(const uint8_t *data, int32_t block, uint32_t size);
void SND_StreamPlay();
void SND_StreamStop();

// Dialogue voice: an 8-bit WAVE image of size bytes, played once.
void SND_Play8Bit(const uint8_t *wav, uint32_t size);
void SND_Stop8Bit();

// Entry points without work: three that nothing calls, and one SND_Shutdown calls first.
void SND_Reserved1();
void SND_Reserved2();
void SND_Reserved3(int32_t, int32_t);
void SND_PreShutdown();
