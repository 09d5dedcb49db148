// The sound module on the headless device: channel choice, handles, volumes and distance, copies into
// the buffers, the stream and the voice, and sound starting and stopping with the message manager.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/clk.h"
#include "core/fsb.h"
#include "core/mgm.h"
#include "core/snd.h"
#include "core/win.h"
#include "engine3d/workarea.h"
#include "plat/files.h"
#include "plat/sound.h"
#include "plat/test.h"
#include "plat/window.h"
#include "tests/support/core_state.h"
#include "tests/support/engine_area.h"
#include "tests/support/fsb_writer.h"
#include "tests/support/neighbours.h"
#include "tests/support/temp_drives.h"
#include "tests/support/wav_writer.h"
#include "world/actor.h"

using kalder_test::WavFormat;
using kalder_test::WavImage;

namespace {

const WavFormat EFFECT{1, 11025, 16};
const WavFormat VOICE{1, 11025, 8};

// A sound of `bytes` data bytes whose 16-bit samples count up from `first`.
std::vector<uint8_t> Counting(uint32_t bytes, int16_t first = 1, const WavFormat &format = EFFECT)
{
    std::vector<uint8_t> samples(bytes);
    for (uint32_t i = 0; i + 1 < bytes; i += 2) {
        int16_t v = int16_t(first + i / 2);
        std::memcpy(&samples[i], &v, 2);
    }
    return WavImage(format, samples);
}

struct SndTest : ::testing::Test {
    std::unique_ptr<kalder_test::TempDrives> drives;

    void SetUp() override
    {
        kalder_test::ResetCore();
        drives = std::make_unique<kalder_test::TempDrives>("CD");
        test::SetExitHook(test::ThrowOnExit);
        test::SetSoundDevice(true);
    }
    void TearDown() override
    {
        drives.reset();
        kalder_test::ResetCore();
    }

    // Starts sound and loads a bank of these sounds.
    void Start(const std::vector<std::vector<uint8_t>> &sounds, int32_t channels = 8)
    {
        drives->Write('D', "DATA/SOUND/FSB.DAT", kalder_test::FsbImage(sounds));
        ASSERT_EQ(SND_Init(channels), 1);
        FSB_Load("D:\\data\\sound\\fsb.dat");
    }

    static SND_Request Effect(int32_t sound, uint8_t flags = 0, ActorRecord *owner = nullptr, int32_t volume = 0)
    {
        return SND_Request{1, sound, flags, owner, volume};
    }

    static test::SoundBufferInfo Info(const SND_Channel &c) { return test::InspectSound(c.buffer); }
    static bool Playing(const SND_Channel &c) { return Info(c).playing; }
};

// The root camera's camera-space position, which Get_Obj_View_Pos reads for node 0.
void PlaceCamera(int32_t x, int32_t y, int32_t z)
{
    const int32_t v[3] = {x, y, z};
    std::memcpy(Get_Obj_Ptr(0) + 76, v, sizeof v);
}

TEST_F(SndTest, StartMakesSevenBuffersAndAFailedStartLeavesNone)
{
    Start({Counting(100)});
    EXPECT_EQ(SND_ChannelCount, 5);
    EXPECT_EQ(test::LiveSoundBuffers(), 8); // the primary, five effects, the stream, the voice
    test::SoundBufferInfo stream = Info(SND_Stream);
    EXPECT_EQ(stream.bytes, 176400u);
    EXPECT_EQ(stream.channels, 2);
    EXPECT_EQ(stream.rate, 22050);
    test::SoundBufferInfo voice = Info(SND_Voice);
    EXPECT_EQ(voice.bytes, 307200u);
    EXPECT_EQ(voice.bits, 8);
    test::SoundBufferInfo effect = Info(SND_Channels[4]);
    EXPECT_EQ(effect.bytes, 102400u);
    EXPECT_EQ(effect.rate, 11025);
    EXPECT_EQ(SND_MasterVolume, 127);
    EXPECT_EQ(SND_MaxDistance, 1500);
    EXPECT_EQ(effect.volume, -10);
    // A second start shuts the first down before it opens the device again.
    ASSERT_EQ(SND_Init(2), 1);
    EXPECT_EQ(SND_ChannelCount, 2);
    EXPECT_EQ(test::LiveSoundBuffers(), 5);
    SND_Shutdown();
    EXPECT_EQ(SND_On, 0);
    EXPECT_FALSE(test::SoundDeviceOpen());
    EXPECT_EQ(test::LiveSoundBuffers(), 0);

    struct Case {
        const char *what;
        test::SoundOp op;
        int nth;
    } cases[] = {
        {"device open", test::SoundOp::Open, 1},
        {"cooperative level", test::SoundOp::Cooperate, 1},
        {"primary creation", test::SoundOp::Create, 1},
        {"primary format", test::SoundOp::SetFormat, 1},
        {"third effect buffer", test::SoundOp::Create, 4},
        {"stream buffer", test::SoundOp::Create, 7},
        {"8-bit buffer", test::SoundOp::Create, 8},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        test::Reset();
        test::SetSoundDevice(true);
        test::FailSound(c.op, c.nth);
        EXPECT_EQ(SND_Init(8), 0);
        EXPECT_EQ(SND_On, 0);
        EXPECT_EQ(SND_ChannelCount, 0);
        EXPECT_FALSE(test::SoundDeviceOpen());
        EXPECT_EQ(test::LiveSoundBuffers(), 0);
    }
}

TEST_F(SndTest, WhileSoundIsOffEveryOperationReturnsAtOnce)
{
    Start({Counting(100)});
    SND_Shutdown();
    const SND_Request r = Effect(0);
    const uint8_t wav[64] = {};
    struct Case {
        const char *what;
        std::function<int64_t()> call;
        int64_t result;
    } cases[] = {
        {"play", [&] { return int64_t(SND_PlayEffect(&r)); }, 0},
        {"restart", [&] { return int64_t(SND_Restart(0, &r)); }, 0},
        {"status", [] { return int64_t(SND_GetStatus(0x10000)); }, 1},
        {"master volume", [] { SND_SetMasterVolume(3); return int64_t(SND_MasterVolume); }, 127},
        {"maximum distance", [] { SND_SetMaxDistance(3); return int64_t(SND_MaxDistance); }, 1500},
        {"stop", [] { SND_Stop(0x10000); return int64_t(0); }, 0},
        {"pause", [] { SND_Pause(0x10000); return int64_t(0); }, 0},
        {"resume", [] { SND_Resume(0x10000); return int64_t(0); }, 0},
        {"stop all", [] { SND_StopAll(); return int64_t(0); }, 0},
        {"pause all", [] { SND_PauseAll(); return int64_t(0); }, 0},
        {"resume all", [] { SND_ResumeAll(); return int64_t(0); }, 0},
        {"update", [] { SND_Update(); return int64_t(0); }, 0},
        {"stream", [&] { SND_StreamReset(); SND_StreamWrite(wav, 0, 64); SND_StreamPlay(); SND_StreamStop();
                         return int64_t(SND_StreamBlock); }, 0},
        {"voice", [&] { SND_Play8Bit(wav, 64); SND_Stop8Bit(); return int64_t(0); }, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.call(), c.result);
    }
    EXPECT_FALSE(test::SoundDeviceOpen());
}

TEST_F(SndTest, HandlesCarrySoundKindChannelAndCounter)
{
    SND_HandleCounter = 5;
    EXPECT_EQ(SND_MakeHandle(1, 7, 3), 7u + 0x10000u + (3u << 19) + (5u << 23));
    EXPECT_EQ(SND_HandleCounter, 6);
    SND_HandleCounter = 255;
    EXPECT_EQ(SND_MakeHandle(1, -1, 0), uint32_t(-1) + 0x10000u + (255u << 23));
    EXPECT_EQ(SND_HandleCounter, 0) << "the counter wraps after 256 handles";

    // Every handle made advances the counter, also one whose effect then fails.
    Start({Counting(100)});
    uint8_t before = SND_HandleCounter;
    SND_Request missing = Effect(3);
    EXPECT_EQ(SND_PlayEffect(&missing), 0u);
    EXPECT_EQ(SND_HandleCounter, uint8_t(before + 1));
}

TEST_F(SndTest, ChannelChoice)
{
    // A row's channels: '.' free, 'P' playing, 'T' playing and started with 0x04, 'A' playing sound 5
    // of owner A, 'a' stopped after sound 5 of owner A, 'U' playing with an unreadable status.
    struct Case {
        const char *channels;
        uint8_t flags;
        bool owner;
        int32_t sound;
        int32_t picked;
        bool stopped; // the picked channel was taken over and stopped
    } cases[] = {
        {".....", 0, false, 5, 0, false},
        {"PP.P.", 0, false, 5, 2, false},
        {"PPPPP", 0, false, 5, -1, false},
        {"PPPPP", 0x04, false, 5, 4, true},
        {"PPPTT", 0x04, false, 5, 2, true},
        {"TTTTT", 0x04, false, 5, -1, false},
        {"UU.P.", 0, false, 5, 2, false},
        {"UUUUU", 0x04, false, 5, 4, true},
        {"PPPPP", 0x20, false, 5, 4, false},
        {".....", 0x10, true, 5, 4, false},
        {"..PP.P", 0x10, true, 5, 4, false},
        {"PAP.P", 0x10, true, 6, 1, false},
        {"PAP.P", 0x10, true, 5, -1, false},
        {"PaPPP", 0x10, true, 5, 1, false},
        {"PaPPA", 0x10, true, 5, -1, false},
        {"PaPPA", 0x10, true, 5 + 0x10000, 4, false}, // the whole value is compared with the handle's low 16 bits
        {"PPPPP", 0x14, true, 5, 4, true},
        {"PPPPT", 0x14, true, 5, 3, true},
        {"PPPPP", 0x10, true, 5, -1, false},
        {"UPPPP", 0x10, true, 5, 0, false},
        {"PUPUP", 0x10, true, 5, 3, false},
    };
    ActorRecord a{};
    ActorRecord other{};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.channels << " flags " << int(c.flags) << " sound " << c.sound);
        kalder_test::ResetCore();
        test::SetSoundDevice(true);
        ASSERT_EQ(SND_Init(8), 1);
        for (int i = 0; i < 5; i++) {
            SND_Channel &ch = SND_Channels[i];
            char s = c.channels[i];
            ch.owner = (s == 'A' || s == 'a') ? &a : &other;
            ch.flags = s == 'T' ? 0x04 : 0;
            ch.handle = 0x10000u + 5u + (uint32_t(i) << 19);
            if (s != '.' && s != 'a') {
                PLAT_SoundPlay(ch.buffer, 1);
            }
            if (s == 'U') {
                test::FailSound(test::SoundOp::GetStatus, i + 1);
            }
        }
        EXPECT_EQ(SND_PickChannel(c.flags, c.owner ? &a : nullptr, c.sound), c.picked);
        if (c.picked >= 0) {
            EXPECT_EQ(Playing(SND_Channels[c.picked]), !c.stopped && c.channels[c.picked] != '.' &&
                                                            c.channels[c.picked] != 'a');
        }
    }
    kalder_test::ResetCore();
    test::SetSoundDevice(true);
    ASSERT_EQ(SND_Init(0), 1);
    EXPECT_EQ(SND_PickChannel(0x20, nullptr, 0), -1) << "no channel to be the last";
    SND_Request r = Effect(0, 0x20);
    EXPECT_EQ(SND_PlayEffect(&r), 0u);
}

TEST_F(SndTest, OwnersKeepOrReplaceTheirSoundAndFullChannelsRefuse)
{
    Start({Counting(4000), Counting(4000, 100), Counting(102400)});
    ActorRecord a{};
    SND_Request first = Effect(0, 0x10, &a);
    SND_Handle h = SND_PlayEffect(&first);
    ASSERT_NE(h, 0u);
    const int channel = int((h >> 19) & 0xF);
    EXPECT_EQ(channel, 4) << "with an owner the last free channel";
    test::AdvanceClock(50);
    uint32_t cursor = Info(SND_Channels[channel]).cursor;
    EXPECT_EQ(SND_PlayEffect(&first), 0u) << "that sound already plays";
    EXPECT_EQ(Info(SND_Channels[channel]).cursor, cursor);
    EXPECT_TRUE(Playing(SND_Channels[channel]));

    SND_Request second = Effect(1, 0x10, &a);
    SND_Handle h2 = SND_PlayEffect(&second);
    ASSERT_NE(h2, 0u);
    EXPECT_EQ(int((h2 >> 19) & 0xF), channel);
    EXPECT_EQ(Info(SND_Channels[channel]).cursor, 0u);
    EXPECT_EQ(SND_GetStatus(h), 1) << "the replaced handle is stale";
    EXPECT_EQ(SND_GetStatus(h2), 2);

    // Fill every channel with long loops; the one started with 0x04 is not taken over.
    for (int i = 0; i < 4; i++) {
        SND_Request loop = Effect(2, i == 3 ? 0x06 : 0x02);
        ASSERT_NE(SND_PlayEffect(&loop), 0u);
    }
    SND_Request plain = Effect(0);
    EXPECT_EQ(SND_PlayEffect(&plain), 0u);
    SND_Request takeover = Effect(0, 0x04);
    SND_Handle h3 = SND_PlayEffect(&takeover);
    EXPECT_EQ(int((h3 >> 19) & 0xF), 4) << "the last playing channel not started with 0x04";
    EXPECT_EQ(SND_GetStatus(h2), 1);
}

TEST_F(SndTest, StaleHandlesAreIgnored)
{
    Start({Counting(102400)});
    SND_Request loop = Effect(0, 0x02 | 0x20);
    SND_Handle old = SND_PlayEffect(&loop);
    SND_Handle now = SND_PlayEffect(&loop);
    ASSERT_NE(old, 0u);
    ASSERT_NE(now, old);
    SND_Channel &c = SND_Channels[4];
    SND_Stop(old);
    SND_Pause(old);
    EXPECT_TRUE(Playing(c));
    EXPECT_EQ(c.paused, 0);
    EXPECT_EQ(SND_GetStatus(old), 1);
    SND_Request quiet = Effect(0, 0x08, nullptr, 0);
    EXPECT_EQ(SND_Restart(old, &quiet), 0u);
    EXPECT_EQ(Info(c).volume, -10);
    SND_Pause(now);
    SND_Resume(old);
    EXPECT_FALSE(Playing(c));
    EXPECT_EQ(SND_GetStatus(now), 4);
    // Channel bits past the table name no channel.
    for (SND_Handle garbage : {now | (7u << 19), now | (15u << 19)}) {
        SND_Resume(garbage);
        EXPECT_EQ(SND_GetStatus(garbage), 1);
        EXPECT_EQ(SND_Restart(garbage, &quiet), 0u);
    }
    EXPECT_FALSE(Playing(c));
    EXPECT_EQ(SND_Restart(now, &quiet), now);
    EXPECT_EQ(Info(c).volume, -10000);
}

TEST_F(SndTest, PauseResumeStatusAndTheAllOperations)
{
    Start({Counting(102400)});
    SND_Request loop = Effect(0, 0x02);
    SND_Handle a = SND_PlayEffect(&loop);
    SND_Request once = Effect(0);
    SND_Handle b = SND_PlayEffect(&once);
    EXPECT_EQ(SND_GetStatus(a), 2);
    EXPECT_EQ(SND_GetStatus(b), 2);
    test::AdvanceClock(100);
    SND_Pause(a);
    EXPECT_EQ(SND_GetStatus(a), 4);
    uint32_t cursor = Info(SND_Channels[0]).cursor;
    test::AdvanceClock(100);
    EXPECT_EQ(Info(SND_Channels[0]).cursor, cursor);
    SND_Resume(a);
    EXPECT_EQ(SND_GetStatus(a), 2);
    EXPECT_TRUE(Info(SND_Channels[0]).looping) << "resumed looping, as started";
    SND_Stop(b);
    EXPECT_EQ(SND_GetStatus(b), 1);
    test::FailSound(test::SoundOp::GetStatus);
    EXPECT_EQ(SND_GetStatus(a), 1) << "an unreadable status reads as stopped";

    SND_PauseAll();
    EXPECT_EQ(SND_GetStatus(a), 4);
    EXPECT_EQ(SND_GetStatus(b), 4) << "a stopped channel is paused too";
    SND_ResumeAll();
    EXPECT_EQ(SND_GetStatus(a), 2);
    EXPECT_EQ(SND_GetStatus(b), 2);
    SND_StreamPlay();
    SND_Play8Bit(Counting(100, 0, VOICE).data(), 144);
    SND_Pause(a);
    SND_StopAll();
    EXPECT_EQ(SND_Channels[0].paused, 0);
    for (const SND_Channel *c : {&SND_Channels[0], &SND_Channels[1], &SND_Stream, &SND_Voice}) {
        EXPECT_FALSE(Playing(*c));
    }
}

TEST_F(SndTest, UpdateEndsEffectsAfterTheirData)
{
    // 2,000 bytes play (RIFF size 2,044, so the image holds 2,008 data bytes).
    Start({Counting(2008), Counting(4008), Counting(102408)});
    SND_Request once = Effect(0);
    SND_Handle h = SND_PlayEffect(&once);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(SND_Channels[0].length, 2000u);
    test::AdvanceClock(90);
    SND_Update();
    EXPECT_EQ(SND_GetStatus(h), 2);
    test::AdvanceClock(1);
    SND_Update();
    EXPECT_EQ(SND_GetStatus(h), 1);

    SND_Request looped = Effect(1, 0x02);
    SND_Handle l = SND_PlayEffect(&looped);
    test::AdvanceClock(181);
    SND_Update();
    EXPECT_EQ(SND_GetStatus(l), 2);
    test::AdvanceClock(1);
    SND_Update();
    EXPECT_EQ(SND_GetStatus(l), 1) << "a loop stops once its cursor passes its data";

    SND_Request whole = Effect(2, 0x02);
    SND_Handle w = SND_PlayEffect(&whole);
    for (int i = 0; i < 100; i++) {
        test::AdvanceClock(100);
        SND_Update();
    }
    EXPECT_EQ(SND_GetStatus(w), 2) << "only a buffer-long loop really loops";

    // The cursor on the data's end still plays; past it the effect stops.
    SND_StopAll();
    h = SND_PlayEffect(&once);
    SND_Channel &c = SND_Channels[0];
    ASSERT_EQ(c.length, 2000u);
    PLAT_SoundSetPosition(c.buffer, 2000);
    SND_Update();
    EXPECT_EQ(SND_GetStatus(h), 2);
    PLAT_SoundSetPosition(c.buffer, 2002);
    SND_Update();
    EXPECT_EQ(SND_GetStatus(h), 1);
}

// A copy whose lock runs past the buffer's end goes on at its start.
TEST_F(SndTest, ACopyWrapsAroundTheBuffersEnd)
{
    Start({Counting(1008)});
    SND_Channel &c = SND_Channels[4];
    const uint32_t bytes = Info(c).bytes;
    c.length = 0;
    std::vector<uint8_t> data(300);
    for (size_t i = 0; i < data.size(); i++) {
        data[i] = uint8_t(i + 1);
    }
    ASSERT_NE(SND_CopyToBuffer(&c, data.data(), 300, bytes - 100), 0);
    const uint8_t *buffer = Info(c).data;
    EXPECT_EQ(std::vector<uint8_t>(buffer + bytes - 100, buffer + bytes), std::vector<uint8_t>(data.begin(), data.begin() + 100));
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 200), std::vector<uint8_t>(data.begin() + 100, data.end()));
    EXPECT_EQ(buffer[200], 0);
    EXPECT_EQ(c.length, 300u);
}

TEST_F(SndTest, CopiesIntoTheBuffers)
{
    std::vector<uint8_t> big = Counting(4008, 1000);
    std::vector<uint8_t> small = Counting(1008, 1);
    Start({big, small, Counting(102401 + 8), Counting(102400 + 8)});
    SND_Request r0 = Effect(0, 0x20);
    ASSERT_NE(SND_PlayEffect(&r0), 0u);
    SND_Channel &c = SND_Channels[4];
    const uint8_t *data = Info(c).data;
    EXPECT_EQ(std::memcmp(data, big.data() + 44, 4000), 0);
    EXPECT_EQ(data[4000], 0) << "the last 8 sample bytes are not copied";
    EXPECT_EQ(data[4007], 0);

    test::ClearSoundCalls();
    SND_Request r1 = Effect(1, 0x20);
    ASSERT_NE(SND_PlayEffect(&r1), 0u);
    std::vector<int64_t> lock;
    for (const test::SoundCall &call : test::SoundCalls()) {
        if (call.op == test::SoundOp::Lock) {
            lock = call.args;
        }
    }
    EXPECT_EQ(lock, (std::vector<int64_t>{0, 4000})) << "the span of the longer sound before it";
    EXPECT_EQ(std::memcmp(data, small.data() + 44, 1000), 0);
    EXPECT_EQ(std::vector<uint8_t>(data + 1000, data + 4000), std::vector<uint8_t>(3000, 0));

    // A lost buffer is restored once; lost twice gives 0.
    test::MarkSoundLost(c.buffer);
    ASSERT_NE(SND_PlayEffect(&r0), 0u);
    EXPECT_FALSE(Info(c).lost);
    test::FailSound(test::SoundOp::Lock, 1, true);
    test::FailSound(test::SoundOp::Lock, 2, true);
    EXPECT_EQ(SND_PlayEffect(&r1), 0u);
    EXPECT_EQ(c.length, 0u);

    // 102,401 bytes do not fit the channel; 102,400 do.
    SND_Request too_long = Effect(2, 0x20);
    EXPECT_EQ(SND_PlayEffect(&too_long), 0u);
    SND_Request fits = Effect(3, 0x20);
    EXPECT_NE(SND_PlayEffect(&fits), 0u);
    EXPECT_EQ(c.length, 102400u);

    // A failed volume or play leaves the channel stopped and rewound.
    test::FailSound(test::SoundOp::Play);
    EXPECT_EQ(SND_PlayEffect(&r0), 0u);
    EXPECT_FALSE(Playing(c));
    SND_Request loud = Effect(0, 0x28, nullptr, 200);
    test::FailSound(test::SoundOp::SetVolume);
    EXPECT_EQ(SND_PlayEffect(&loud), 0u);
    EXPECT_NE(SND_PlayEffect(&loud), 0u);
    EXPECT_EQ(Info(c).volume, -10) << "a volume above 127 plays as 127";
    SND_Request negative = Effect(0, 0x28, nullptr, -1);
    EXPECT_EQ(SND_PlayEffect(&negative), 0u);
    EXPECT_EQ(Info(c).cursor, 0u);
}

TEST_F(SndTest, FillRefusesImagesThatReadOutsideThemselves)
{
    Start({Counting(100)});
    std::vector<uint8_t> ok = Counting(100);
    struct Case {
        const char *what;
        std::vector<uint8_t> wav;
        uint32_t size;
        int32_t result;
        uint32_t length;
    } cases[] = {
        {"canonical", ok, 144, 1, 92},
        {"size below the header", ok, 43, 0, 0},
        {"RIFF size below 44", WavImage(EFFECT, std::vector<uint8_t>(100), {43}), 144, 0, 0},
        {"RIFF size beyond the image", WavImage(EFFECT, std::vector<uint8_t>(100), {100000}), 144, 1, 100},
        {"header only", WavImage(EFFECT, {}), 44, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SND_Channels[0].length = 0;
        EXPECT_EQ(SND_FillBuffer(&SND_Channels[0], c.wav.data(), c.size), c.result);
        EXPECT_EQ(SND_Channels[0].length, c.length);
    }
    EXPECT_EQ(SND_FillBuffer(&SND_Channels[0], nullptr, 144), 0);
}

TEST_F(SndTest, VolumesInHundredthsOfADecibel)
{
    Start({Counting(100)});
    struct Case {
        int32_t volume;
        int32_t db;
    } cases[] = {{127, -10}, {64, -307}, {32, -1754}, {0, -10000}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.volume);
        SND_Request r = Effect(0, 0x28, nullptr, c.volume);
        ASSERT_NE(SND_PlayEffect(&r), 0u);
        EXPECT_EQ(Info(SND_Channels[4]).volume, c.db);
    }
    test::ClearSoundCalls();
    SND_SetMasterVolume(64);
    std::vector<int> set;
    for (const test::SoundCall &call : test::SoundCalls()) {
        ASSERT_EQ(call.op, test::SoundOp::SetVolume);
        EXPECT_EQ(call.args, std::vector<int64_t>{-1754});
        set.push_back(call.buffer);
    }
    EXPECT_EQ(set.size(), 7u);
    EXPECT_EQ(Info(SND_Voice).volume, -1754);
    EXPECT_EQ(Info(SND_Stream).volume, -1754);

    // A request without a volume keeps the channel's.
    SND_Request r = Effect(0, 0x28, nullptr, 127);
    ASSERT_NE(SND_PlayEffect(&r), 0u);
    int32_t before = Info(SND_Channels[4]).volume;
    SND_Request plain = Effect(0, 0x20);
    ASSERT_NE(SND_PlayEffect(&plain), 0u);
    EXPECT_EQ(Info(SND_Channels[4]).volume, before);
}

TEST(SndNumbers, VolumeToDbAgreesWithLongDoubleAndScalingWithIntegers)
{
    for (int32_t v = 0; v <= 127; v++) {
        long double exact = std::pow(10.0L, 1.0L + 3.0L * (127 - v) / 127.0L);
        EXPECT_EQ(SND_VolumeToDb(v), int32_t(std::trunc(exact))) << v;
    }
    EXPECT_EQ(SND_VolumeToDb(127), 10);
    EXPECT_EQ(SND_VolumeToDb(0), 10000);
    for (int32_t master = 0; master <= 127; master++) {
        for (int32_t v = 0; v <= 127; v++) {
            ASSERT_EQ(int32_t(master / 127.0 * v), master * v / 127) << master << " x " << v;
        }
    }
}

TEST_F(SndTest, DistanceSetsVolumeAndPan)
{
    kalder_test::EngineArea area;
    Start({Counting(100)});
    ActorRecord owner{};
    owner.node = 0;
    ActorRecord lost{};
    lost.node = 4000;
    struct Case {
        ActorRecord *owner;
        int32_t maximum;
        int32_t x, y, z;
        bool plays;
        int32_t volume;
        int32_t pan;
    } cases[] = {
        {&owner, 1500, 0, 0, 0, true, -10, 0},
        {&owner, 1500, 0, 0, 750, true, -324, 0},      // 127 - 63.5 = 63
        {&owner, 1500, 0, 1500, 0, true, -10000, 0},
        {&owner, 1500, 0, 1501, 0, false, 0, 0},
        {&owner, 1500, 900, 1200, 0, true, -10000, 782}, // 1500 away; p = 102, t = 76
        {&owner, 1500, -1500, 0, 0, true, -10000, -10000},
        {&owner, 1500, 750, 0, 0, true, -324, 602},
        {&owner, 1500, 1500, 0, 0, true, -10000, -10000}, // p = 128 wraps to the left edge
        {&owner, 1500, -750, 0, 0, true, -324, -602},
        {&owner, 1500, 2000000000, 2000000000, 0, false, 0, 0}, // squares beyond 32 bits
        {&owner, 0, 0, 0, 0, false, 0, 0},
        {nullptr, 1500, 0, 0, 0, false, 0, 0},
        {&lost, 1500, 0, 0, 0, false, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y << ", " << c.z << " of " << c.maximum);
        SND_MaxDistance = c.maximum;
        PlaceCamera(c.x, c.y, c.z);
        SND_Request r = Effect(0, 0x21, c.owner);
        SND_Handle h = SND_PlayEffect(&r);
        EXPECT_EQ(h != 0, c.plays);
        if (c.plays) {
            EXPECT_EQ(Info(SND_Channels[4]).volume, c.volume);
            EXPECT_EQ(Info(SND_Channels[4]).pan, c.pan);
        }
    }
    // Every other effect plays from the centre.
    SND_MaxDistance = 1500;
    PlaceCamera(-750, 0, 0);
    SND_Request placed = Effect(0, 0x21, &owner);
    ASSERT_NE(SND_PlayEffect(&placed), 0u);
    EXPECT_EQ(Info(SND_Channels[4]).pan, -602);
    SND_Request menu = Effect(0, 0x20);
    ASSERT_NE(SND_PlayEffect(&menu), 0u);
    EXPECT_EQ(Info(SND_Channels[4]).pan, 0);

    struct PanCase {
        int32_t p;
        int32_t pan;
    } pans[] = {{0, -10000}, {32, -602}, {64, 0}, {96, 602}, {127, 3612}, {128, -10000}};
    for (const PanCase &c : pans) {
        EXPECT_EQ(SND_PanOf(c.p), c.pan) << c.p;
    }
}

TEST_F(SndTest, StreamWritesWrapAfterThirtyBlocks)
{
    Start({Counting(100)});
    SND_StreamReset();
    std::vector<uint8_t> block(5880);
    std::vector<int64_t> offsets;
    for (int i = 0; i < 31; i++) {
        block.assign(5880, uint8_t(i + 1));
        test::ClearSoundCalls();
        SND_StreamWrite(block.data(), 1234, 5880);
        for (const test::SoundCall &call : test::SoundCalls()) {
            if (call.op == test::SoundOp::Lock) {
                offsets.push_back(call.args[0]);
            }
        }
    }
    ASSERT_EQ(offsets.size(), 31u);
    EXPECT_EQ(offsets[29], 29 * 5880);
    EXPECT_EQ(offsets[30], 0) << "the 31st write lands on block 0";
    EXPECT_EQ(SND_StreamBlock, 1);
    const uint8_t *data = Info(SND_Stream).data;
    EXPECT_EQ(data[0], 31);
    EXPECT_EQ(data[29 * 5880], 30);

    CLK_GameClock = 777;
    test::AdvanceClock(500);
    SND_StreamPlay();
    EXPECT_EQ(SND_StreamStartTime, 777u) << "the game clock as it stands";
    test::SoundBufferInfo stream = Info(SND_Stream);
    EXPECT_TRUE(stream.playing);
    EXPECT_TRUE(stream.looping);
    test::AdvanceClock(3000);
    SND_Update();
    EXPECT_TRUE(Playing(SND_Stream)) << "the stream plays until stopped";
    SND_StreamStop();
    EXPECT_FALSE(Playing(SND_Stream));
    SND_StreamReset();
    EXPECT_EQ(Info(SND_Stream).cursor, 0u);
    EXPECT_EQ(SND_StreamBlock, 0);
}

TEST_F(SndTest, VoicePlaysOnceAndItsTailIsSilent)
{
    Start({Counting(100)});
    std::vector<uint8_t> longer = WavImage(VOICE, std::vector<uint8_t>(1008, 0xF0));
    std::vector<uint8_t> shorter = WavImage(VOICE, std::vector<uint8_t>(208, 0x10));
    SND_Play8Bit(longer.data(), uint32_t(longer.size()));
    test::SoundBufferInfo voice = Info(SND_Voice);
    EXPECT_TRUE(voice.playing);
    EXPECT_FALSE(voice.looping);
    EXPECT_EQ(voice.data[999], 0xF0);
    test::AdvanceClock(50);
    SND_Play8Bit(shorter.data(), uint32_t(shorter.size()));
    voice = Info(SND_Voice);
    EXPECT_EQ(voice.cursor, 0u);
    EXPECT_EQ(voice.data[199], 0x10);
    EXPECT_EQ(std::vector<uint8_t>(voice.data + 200, voice.data + 1000), std::vector<uint8_t>(800, 0x80));
    // The voice plays to its buffer's end and stops there; SND_Update leaves it alone.
    test::AdvanceClock(30000);
    SND_Update();
    EXPECT_FALSE(Playing(SND_Voice));
    SND_Play8Bit(shorter.data(), uint32_t(shorter.size()));
    SND_Stop8Bit();
    EXPECT_FALSE(Playing(SND_Voice));

    // A refused image plays nothing, not the voice before it.
    std::vector<uint8_t> bad = WavImage(VOICE, std::vector<uint8_t>(100), {10});
    SND_Play8Bit(bad.data(), uint32_t(bad.size()));
    EXPECT_FALSE(Playing(SND_Voice));
    EXPECT_EQ(Info(SND_Voice).cursor, 0u);
}

TEST_F(SndTest, TheMessageManagerStartsAndStopsSound)
{
    struct Case {
        const char *what;
        bool present;
        bool open_fails;
        intptr_t result;
    } cases[] = {
        {"present", true, false, 1},
        {"absent", false, false, 0},
        {"open fails", true, true, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        kalder_test::ResetCoreWithInstallation();
        PLAT_SetDrive('D');
        fake::reset();
        test::SetSoundDevice(c.present);
        if (c.open_fails) {
            test::FailSound(test::SoundOp::Open);
        }
        bool bank_opened = false;
        test::SetOpenObserver([&](const char *path) { bank_opened |= std::string(path) == "data\\sound\\fsb.dat"; });
        WIN_MainWindow = PLAT_CreateWindow("Kalder", 640, 480, 0);
        ASSERT_TRUE(MGM_Create(50, 50));
        EXPECT_EQ(MGM_SendMessage(18, 8), c.result);
        EXPECT_EQ(bank_opened, c.present && !c.open_fails);
        EXPECT_EQ((MGM_SendMessage(42) & 0x0100) != 0, c.result != 0);
        EXPECT_EQ(FSB_Count, c.result != 0 ? 1u : 0u);
        if (c.result == 0) {
            continue;
        }
        // Without the focus the round does not reach SND_Update, and the mixer is muted.
        SND_Request r = Effect(0);
        SND_Handle h = SND_PlayEffect(&r);
        ASSERT_NE(h, 0u);
        test::SetSoundCapture(true);
        test::SetFocus(false);
        test::AdvanceClock(300);
        MGM_DispatchMessages();
        EXPECT_EQ(SND_GetStatus(h), 2) << "past its data, but not updated";
        const std::vector<int16_t> &out = test::CapturedSound();
        ASSERT_FALSE(out.empty());
        EXPECT_EQ(out, std::vector<int16_t>(out.size(), 0));
        test::SetFocus(true);
        MGM_DispatchMessages();
        EXPECT_EQ(SND_GetStatus(h), 1);

        MGM_SendMessage(19);
        EXPECT_EQ(FSB_Table, nullptr);
        EXPECT_EQ(FSB_Block, nullptr);
        EXPECT_EQ(test::LiveSoundBuffers(), 0);
        EXPECT_FALSE(test::SoundDeviceOpen());
        EXPECT_EQ(MGM_SendMessage(42) & 0x0100, 0x0100) << "service 19 leaves the bit set";
    }
}

} // namespace
