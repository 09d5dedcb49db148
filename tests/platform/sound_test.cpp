// The sound buffers and the mixer on the headless device: locks, cursors on the fake clock, and the
// mixed output computed sample by sample.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "plat/sound.h"
#include "plat/test.h"
#include "plat/window.h"

namespace {

struct SoundTest : ::testing::Test {
    PLAT_SoundDevice *device = nullptr;

    void SetUp() override
    {
        test::Reset();
        test::SetSoundDevice(true);
        device = PLAT_SoundOpen();
        ASSERT_NE(device, nullptr);
    }
    void TearDown() override
    {
        PLAT_SoundClose(device);
        EXPECT_EQ(test::LiveSoundBuffers(), 0);
        test::Reset();
    }

    PLAT_SoundBuffer *Make(int channels, int rate, int bits, uint32_t bytes)
    {
        PLAT_SoundBuffer *b = PLAT_SoundCreateBuffer(device, 0, channels, rate, bits, bytes);
        EXPECT_NE(b, nullptr);
        return b;
    }

    // Writes bytes at offset through a lock.
    static void Fill(PLAT_SoundBuffer *b, const std::vector<uint8_t> &bytes, uint32_t offset = 0)
    {
        PLAT_SoundLock lock{};
        ASSERT_EQ(PLAT_SoundLockBuffer(b, offset, uint32_t(bytes.size()), &lock), PLAT_SOUND_LOCK_OK);
        std::memcpy(lock.part1, bytes.data(), lock.size1);
        if (lock.size2 != 0) {
            std::memcpy(lock.part2, bytes.data() + lock.size1, lock.size2);
        }
        ASSERT_EQ(PLAT_SoundUnlockBuffer(b, lock), 1);
    }

    static uint32_t Cursor(PLAT_SoundBuffer *b)
    {
        uint32_t position = 0xDEAD;
        EXPECT_EQ(PLAT_SoundGetPosition(b, &position), 1);
        return position;
    }

    static uint32_t Status(PLAT_SoundBuffer *b)
    {
        uint32_t status = 0xDEAD;
        EXPECT_EQ(PLAT_SoundGetStatus(b, &status), 1);
        return status;
    }
};

std::vector<uint8_t> Words(const std::vector<int16_t> &values)
{
    std::vector<uint8_t> out(values.size() * 2);
    std::memcpy(out.data(), values.data(), out.size());
    return out;
}

// What the mixer makes of one sample at a Q16 gain.
int64_t Scaled(int32_t sample, int64_t gain) { return (int64_t(sample) * gain + 0x8000) >> 16; }

TEST_F(SoundTest, LockGivesOneOrTwoPartsAndRefusesBadSpans)
{
    PLAT_SoundBuffer *b = Make(1, 11025, 16, 102400);
    uint8_t *base = nullptr;
    {
        PLAT_SoundLock whole{};
        ASSERT_EQ(PLAT_SoundLockBuffer(b, 0, 102400, &whole), PLAT_SOUND_LOCK_OK);
        base = whole.part1;
        EXPECT_EQ(whole.size1, 102400u);
        EXPECT_EQ(whole.part2, nullptr);
        EXPECT_EQ(whole.size2, 0u);
        EXPECT_EQ(PLAT_SoundUnlockBuffer(b, whole), 1);
    }
    struct Case {
        uint32_t offset;
        uint32_t bytes;
        int answer;
        uint32_t size1;
        uint32_t size2;
    } cases[] = {
        {102400 - 40, 100, PLAT_SOUND_LOCK_OK, 40, 60}, // wraps to the start
        {0, 0, PLAT_SOUND_LOCK_FAIL, 0, 0},
        {0, 102401, PLAT_SOUND_LOCK_FAIL, 0, 0},
        {102400, 2, PLAT_SOUND_LOCK_FAIL, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.offset << " + " << c.bytes);
        PLAT_SoundLock lock{};
        ASSERT_EQ(PLAT_SoundLockBuffer(b, c.offset, c.bytes, &lock), c.answer);
        if (c.answer == PLAT_SOUND_LOCK_OK) {
            EXPECT_EQ(lock.part1, base + c.offset);
            EXPECT_EQ(lock.size1, c.size1);
            EXPECT_EQ(lock.part2, base);
            EXPECT_EQ(lock.size2, c.size2);
            PLAT_SoundLock foreign = lock;
            foreign.size2 = 59;
            EXPECT_EQ(PLAT_SoundUnlockBuffer(b, foreign), 0);
            EXPECT_EQ(PLAT_SoundUnlockBuffer(b, lock), 1);
            EXPECT_EQ(PLAT_SoundUnlockBuffer(b, lock), 0) << "unlocked twice";
        }
    }

    test::MarkSoundLost(b);
    PLAT_SoundLock lock{};
    EXPECT_EQ(PLAT_SoundLockBuffer(b, 0, 2, &lock), PLAT_SOUND_LOCK_LOST);
    EXPECT_EQ(Status(b), uint32_t(PLAT_SOUND_LOST));
    EXPECT_EQ(PLAT_SoundLockBuffer(b, 0, 2, &lock), PLAT_SOUND_LOCK_LOST);
    EXPECT_EQ(PLAT_SoundRestore(b), 1);
    EXPECT_EQ(PLAT_SoundLockBuffer(b, 0, 2, &lock), PLAT_SOUND_LOCK_OK);
    EXPECT_EQ(PLAT_SoundUnlockBuffer(b, lock), 1);
}

TEST_F(SoundTest, BuffersAcceptOnlyTheFormatsTheGameUses)
{
    struct Case {
        int channels, rate, bits;
        uint32_t bytes;
        bool made;
    } cases[] = {
        {1, 11025, 16, 102400, true}, {2, 22050, 16, 176400, true}, {1, 11025, 8, 307200, true},
        {2, 11025, 8, 2, true},       {3, 11025, 16, 6, false},     {1, 44100, 16, 2, false},
        {1, 11025, 24, 3, false},     {1, 11025, 16, 0, false},     {2, 22050, 16, 6, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.channels << " x " << c.rate << " x " << c.bits << ", " << c.bytes);
        PLAT_SoundBuffer *b = PLAT_SoundCreateBuffer(device, 0, c.channels, c.rate, c.bits, c.bytes);
        EXPECT_EQ(b != nullptr, c.made);
        if (b != nullptr && c.bits == 8) {
            EXPECT_EQ(test::InspectSound(b).data[0], 0x80) << "a new 8-bit buffer starts silent";
        }
        PLAT_SoundRelease(b);
    }
    PLAT_SoundBuffer *primary = PLAT_SoundCreateBuffer(device, 1, 0, 0, 0, 0);
    ASSERT_NE(primary, nullptr);
    EXPECT_EQ(PLAT_SoundSetFormat(primary, 2, 22050, 16), 1);
    EXPECT_EQ(PLAT_SoundSetFormat(primary, 2, 44100, 16), 0);
    EXPECT_EQ(PLAT_SoundSetFormat(primary, 1, 22050, 16), 0);
    PLAT_SoundBuffer *effect = Make(1, 11025, 16, 100);
    EXPECT_EQ(PLAT_SoundSetFormat(effect, 2, 22050, 16), 0) << "only the primary takes a format";
    EXPECT_EQ(PLAT_SoundSetVolume(effect, 1), 0);
    EXPECT_EQ(PLAT_SoundSetVolume(effect, -10001), 0);
    EXPECT_EQ(PLAT_SoundSetPan(effect, 10001), 0);
    EXPECT_EQ(PLAT_SoundSetPan(effect, -10000), 1);
    EXPECT_EQ(test::LiveSoundBuffers(), 2);
}

TEST_F(SoundTest, CursorsFollowTheFakeClock)
{
    PLAT_SoundBuffer *effect = Make(1, 11025, 16, 102400);
    PLAT_SoundBuffer *stream = Make(2, 22050, 16, 176400);
    ASSERT_EQ(PLAT_SoundPlay(effect, 0), 1);
    ASSERT_EQ(PLAT_SoundPlay(stream, 1), 1);
    test::AdvanceClock(1000);
    EXPECT_EQ(Cursor(effect), 22050u);
    EXPECT_EQ(Cursor(stream), 88200u);
    EXPECT_EQ(Status(stream), uint32_t(PLAT_SOUND_PLAYING | PLAT_SOUND_LOOPING));

    // The stream loops: 2.5 s into a 2 s buffer.
    test::AdvanceClock(1500);
    EXPECT_EQ(Cursor(stream), 44100u);
    EXPECT_EQ(Status(stream), uint32_t(PLAT_SOUND_PLAYING | PLAT_SOUND_LOOPING));

    // The effect holds 102,400 bytes: 4.6439 s. It stops at its end and reads 0.
    EXPECT_EQ(Status(effect), uint32_t(PLAT_SOUND_PLAYING));
    test::AdvanceClock(2143);
    EXPECT_EQ(Cursor(effect), 102378u);
    EXPECT_EQ(Status(effect), uint32_t(PLAT_SOUND_PLAYING));
    test::AdvanceClock(1);
    EXPECT_EQ(Status(effect), 0u);
    EXPECT_EQ(Cursor(effect), 0u);

    // Stop keeps the cursor; play goes on from it; a position rounds down to the block align.
    ASSERT_EQ(PLAT_SoundPlay(effect, 0), 1);
    test::AdvanceClock(100);
    ASSERT_EQ(PLAT_SoundStop(effect), 1);
    EXPECT_EQ(Cursor(effect), 2204u);
    test::AdvanceClock(100);
    EXPECT_EQ(Cursor(effect), 2204u);
    EXPECT_EQ(PLAT_SoundSetPosition(stream, 4003), 1);
    EXPECT_EQ(PLAT_SoundStop(stream), 1);
    EXPECT_EQ(Cursor(stream), 4000u);
    EXPECT_EQ(PLAT_SoundSetPosition(effect, 102399), 1);
    EXPECT_EQ(Cursor(effect), 102398u);
    EXPECT_EQ(PLAT_SoundSetPosition(effect, 102400), 0);
    EXPECT_EQ(Cursor(effect), 102398u);

    // Play on a playing buffer changes only its looping flag.
    ASSERT_EQ(PLAT_SoundPlay(stream, 1), 1);
    test::AdvanceClock(10);
    uint32_t before = Cursor(stream);
    ASSERT_EQ(PLAT_SoundPlay(stream, 0), 1);
    EXPECT_EQ(Cursor(stream), before);
    EXPECT_EQ(Status(stream), uint32_t(PLAT_SOUND_PLAYING));
}

TEST_F(SoundTest, MixerOutputIsComputedSampleBySample)
{
    using Expect = std::function<void(const std::vector<int16_t> &out)>;
    struct Case {
        const char *name;
        std::function<void(SoundTest &)> setup;
        Expect expect;
    };
    const std::vector<int16_t> ramp = [] {
        std::vector<int16_t> r;
        for (int i = 0; i < 2000; i++) {
            r.push_back(int16_t(i * 37 - 30000));
        }
        return r;
    }();
    auto constant = [](int16_t value, size_t count) { return std::vector<int16_t>(count, value); };
    auto play_mono = [](SoundTest &t, const std::vector<int16_t> &values, int32_t volume, int32_t pan) {
        PLAT_SoundBuffer *b = t.Make(1, 11025, 16, uint32_t(values.size() * 2));
        Fill(b, Words(values));
        ASSERT_EQ(PLAT_SoundSetVolume(b, volume), 1);
        ASSERT_EQ(PLAT_SoundSetPan(b, pan), 1);
        ASSERT_EQ(PLAT_SoundPlay(b, 1), 1);
    };
    auto every = [](std::function<std::pair<int64_t, int64_t>(size_t)> frame) -> Expect {
        return [frame](const std::vector<int16_t> &out) {
            for (size_t i = 0; i < out.size() / 2; i++) {
                auto [l, r] = frame(i);
                ASSERT_EQ(out[2 * i], l) << "frame " << i << " left";
                ASSERT_EQ(out[2 * i + 1], r) << "frame " << i << " right";
            }
        };
    };
    std::vector<Case> cases = {
        {"16-bit mono at 11,025 Hz: each frame, then half way to the next on a straight line (rounded down); "
         "before its first frame a one-shot buffer holds it",
         [&](SoundTest &t) {
             PLAT_SoundBuffer *b = t.Make(1, 11025, 16, uint32_t(ramp.size() * 2));
             Fill(b, Words(ramp));
             ASSERT_EQ(PLAT_SoundPlay(b, 0), 1);
         },
         every([&](size_t i) {
             const int64_t a = ramp[i / 2], b = ramp[i / 2 + 1];
             int64_t v = i % 2 == 0 ? a : i == 1 ? (8 * a + 9 * b - ramp[2]) >> 4 : (a + b) >> 1;
             return std::pair<int64_t, int64_t>{v, v};
         })},
        {"a looping quarter-wave is read on the curve through it: half way from 0 to 16384 is 10240, not 8192",
         [&](SoundTest &t) { play_mono(t, {0, 16384, 0, -16384}, 0, 0); },
         every([](size_t i) {
             static const int64_t wave[8] = {0, 10240, 16384, 10240, 0, -10240, -16384, -10240};
             return std::pair<int64_t, int64_t>{wave[i % 8], wave[i % 8]};
         })},
        {"8-bit 0x80 is 0 and 0xFF is 32512; a looping buffer's last frame leads back to its first",
         [](SoundTest &t) {
             PLAT_SoundBuffer *b = t.Make(1, 11025, 8, 2);
             Fill(b, {0x80, 0xFF});
             ASSERT_EQ(PLAT_SoundPlay(b, 1), 1);
         },
         every([](size_t i) {
             int64_t v = i % 2 == 1 ? 16256 : (i / 2) % 2 == 0 ? 0 : 32512;
             return std::pair<int64_t, int64_t>{v, v};
         })},
        {"-10 is gain 64786", [&](SoundTest &t) { play_mono(t, constant(32767, 8), -10, 0); },
         every([](size_t) { return std::pair<int64_t, int64_t>{Scaled(32767, 64786), Scaled(32767, 64786)}; })},
        {"-307 is gain 46024", [&](SoundTest &t) { play_mono(t, constant(-32768, 8), -307, 0); },
         every([](size_t) { return std::pair<int64_t, int64_t>{Scaled(-32768, 46024), Scaled(-32768, 46024)}; })},
        {"-1754 is gain 8699", [&](SoundTest &t) { play_mono(t, constant(12345, 8), -1754, 0); },
         every([](size_t) { return std::pair<int64_t, int64_t>{Scaled(12345, 8699), Scaled(12345, 8699)}; })},
        {"-10000 is silent", [&](SoundTest &t) { play_mono(t, constant(32767, 8), -10000, 0); },
         every([](size_t) { return std::pair<int64_t, int64_t>{0, 0}; })},
        {"pan -602 halves the right side", [&](SoundTest &t) { play_mono(t, constant(30000, 8), 0, -602); },
         every([](size_t) { return std::pair<int64_t, int64_t>{30000, Scaled(30000, 32770)}; })},
        {"pan 10000 with volume -10 silences the left side",
         [&](SoundTest &t) { play_mono(t, constant(30000, 8), -10, 10000); },
         every([](size_t) { return std::pair<int64_t, int64_t>{0, Scaled(30000, 64786)}; })},
        {"two full-scale buffers clamp",
         [&](SoundTest &t) {
             play_mono(t, {32767, -32768}, 0, 0);
             play_mono(t, {32767, -32768}, 0, 0);
         },
         every([](size_t i) {
             int64_t v = i % 2 == 1 ? -2 : (i / 2) % 2 == 0 ? 32767 : -32768;
             return std::pair<int64_t, int64_t>{v, v};
         })},
        {"the stream's stereo frames pass through",
         [&](SoundTest &t) {
             PLAT_SoundBuffer *b = t.Make(2, 22050, 16, uint32_t(ramp.size() * 2));
             Fill(b, Words(ramp));
             ASSERT_EQ(PLAT_SoundPlay(b, 1), 1);
         },
         every([&](size_t i) {
             size_t f = i % (ramp.size() / 2);
             return std::pair<int64_t, int64_t>{ramp[2 * f], ramp[2 * f + 1]};
         })},
        {"a one-shot buffer falls silent at its end",
         [&](SoundTest &t) {
             PLAT_SoundBuffer *b = t.Make(1, 11025, 16, 200);
             Fill(b, Words(constant(1000, 100)));
             ASSERT_EQ(PLAT_SoundPlay(b, 0), 1);
         },
         every([](size_t i) {
             int64_t v = i < 200 ? 1000 : 0;
             return std::pair<int64_t, int64_t>{v, v};
         })},
    };
    for (Case &c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        c.setup(*this);
        test::SetSoundCapture(true);
        test::AdvanceClock(100);
        const std::vector<int16_t> &out = test::CapturedSound();
        ASSERT_EQ(out.size(), 2205u * 2);
        c.expect(out);
    }
}

// A tone in an 11,025 Hz buffer comes out at 22,050 Hz with its mirror image at 11,025 Hz - f. Each
// frame held twice left the image 20 log10(tan(pi f / 22,050)) dB below the tone (-30 dB for the
// demo's 220 Hz effect, -24 dB at 440 Hz: a whistle near 10.6 kHz); read on the cubic through the
// four nearest frames it is more than 30 dB lower still, below anything a player hears.
TEST_F(SoundTest, ElevenKilohertzTonesLeaveOnlyAFaintMirrorImage)
{
    // The levels of one frequency in the left channel over a whole number of its cycles.
    auto level = [](const std::vector<int16_t> &out, double hz) {
        double re = 0.0, im = 0.0;
        const size_t n = out.size() / 2;
        for (size_t i = 0; i < n; i++) {
            double phase = 2.0 * M_PI * hz * double(i) / 22050.0;
            re += out[2 * i] * std::cos(phase);
            im += out[2 * i] * std::sin(phase);
        }
        return 2.0 * std::hypot(re, im) / double(n);
    };
    for (double hz : {220.0, 330.0, 440.0}) {
        SCOPED_TRACE(hz);
        TearDown();
        SetUp();
        // One second of the tone at half scale, looped: a whole number of cycles.
        std::vector<int16_t> tone(11025);
        for (size_t i = 0; i < tone.size(); i++) {
            tone[i] = int16_t(std::lround(16384.0 * std::sin(2.0 * M_PI * hz * double(i) / 11025.0)));
        }
        PLAT_SoundBuffer *b = Make(1, 11025, 16, uint32_t(tone.size() * 2));
        Fill(b, Words(tone));
        ASSERT_EQ(PLAT_SoundPlay(b, 1), 1);
        test::SetSoundCapture(true);
        test::AdvanceClock(1000);
        const std::vector<int16_t> &out = test::CapturedSound();
        ASSERT_EQ(out.size(), 22050u * 2);
        // Upsampling by two on the cubic passes a frequency with the gain (1 + 9/8 cos w - 1/8 cos 3w) / 2.
        const double w = 2.0 * M_PI * hz / 22050.0;
        const double tone_level = level(out, hz);
        EXPECT_NEAR(tone_level, 16384.0 * (1.0 + 1.125 * std::cos(w) - 0.125 * std::cos(3.0 * w)) / 2.0, 16.0);
        const double image_db = 20.0 * std::log10(level(out, 11025.0 - hz) / tone_level);
        const double held_db = 20.0 * std::log10(std::tan(M_PI * hz / 22050.0));
        EXPECT_LT(image_db, held_db - 30.0) << "not 30 dB below each frame held twice";
        EXPECT_LT(image_db, -70.0);
    }
}

TEST_F(SoundTest, MutedOutputIsSilentWhileCursorsMove)
{
    PLAT_Window *window = PLAT_CreateWindow("Kalder", 640, 480, 0);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(PLAT_SoundCooperate(device, window), 1);
    PLAT_SoundBuffer *b = Make(1, 11025, 16, 2000);
    Fill(b, Words(std::vector<int16_t>(1000, 5000)));
    ASSERT_EQ(PLAT_SoundPlay(b, 1), 1);
    test::SetSoundCapture(true);
    test::SetFocus(false);
    test::AdvanceClock(20);
    EXPECT_EQ(Cursor(b), 440u);
    test::SetFocus(true);
    test::AdvanceClock(20);
    const std::vector<int16_t> &out = test::CapturedSound();
    ASSERT_EQ(out.size(), 882u * 2);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[440 * 2], 0);
    EXPECT_EQ(out[441 * 2], 5000);
    EXPECT_EQ(out[881 * 2 + 1], 5000);
    PLAT_DestroyWindow(window);
}

TEST_F(SoundTest, CapturedAndSilentAdvancingLeaveTheSameCursors)
{
    auto run = [&](bool capture) {
        TearDown();
        SetUp();
        std::vector<PLAT_SoundBuffer *> buffers = {Make(1, 11025, 16, 102400), Make(1, 11025, 16, 3000),
                                                   Make(2, 22050, 16, 176400), Make(1, 11025, 8, 307200),
                                                   Make(2, 22050, 8, 1002)};
        for (size_t i = 0; i < buffers.size(); i++) {
            EXPECT_EQ(PLAT_SoundPlay(buffers[i], i % 2 == 0 ? 1 : 0), 1);
        }
        test::SetSoundCapture(capture);
        std::vector<uint32_t> seen;
        for (uint32_t ms : {1u, 7u, 33u, 1000u, 4999u, 13u, 6001u}) {
            test::AdvanceClock(ms);
            for (PLAT_SoundBuffer *b : buffers) {
                test::SoundBufferInfo info = test::InspectSound(b);
                seen.push_back(info.cursor);
                seen.push_back(info.playing);
            }
        }
        return seen;
    };
    std::vector<uint32_t> captured = run(true);
    std::vector<uint32_t> silent = run(false);
    EXPECT_EQ(captured, silent);

    // Days of fake time cost nothing without capture.
    PLAT_SoundBuffer *b = Make(2, 22050, 16, 176400);
    ASSERT_EQ(PLAT_SoundPlay(b, 1), 1);
    const uint64_t start = 12054; // ms since the device opened
    test::AdvanceClock(0x80000000u);
    uint64_t frames = (start + 0x80000000u) * 22050 / 1000 - start * 22050 / 1000;
    EXPECT_EQ(test::InspectSound(b).cursor, uint32_t(frames % 44100) * 4);
}

TEST_F(SoundTest, ScriptedFailuresAndTheCallLog)
{
    test::FailSound(test::SoundOp::Create, 2);
    EXPECT_NE(PLAT_SoundCreateBuffer(device, 0, 1, 11025, 16, 2), nullptr);
    EXPECT_EQ(PLAT_SoundCreateBuffer(device, 0, 1, 11025, 16, 2), nullptr);
    PLAT_SoundBuffer *b = PLAT_SoundCreateBuffer(device, 0, 1, 11025, 16, 2);
    ASSERT_NE(b, nullptr);
    test::FailSound(test::SoundOp::Lock, 1, true);
    test::FailSound(test::SoundOp::SetVolume, 0);
    PLAT_SoundLock lock{};
    EXPECT_EQ(PLAT_SoundLockBuffer(b, 0, 2, &lock), PLAT_SOUND_LOCK_LOST);
    EXPECT_EQ(PLAT_SoundLockBuffer(b, 0, 2, &lock), PLAT_SOUND_LOCK_OK);
    EXPECT_EQ(PLAT_SoundUnlockBuffer(b, lock), 1);
    EXPECT_EQ(PLAT_SoundSetVolume(b, -100), 0);
    EXPECT_EQ(PLAT_SoundSetVolume(b, -100), 0);
    EXPECT_EQ(test::InspectSound(b).volume, 0);
    const std::vector<test::SoundCall> &calls = test::SoundCalls();
    ASSERT_GE(calls.size(), 2u);
    const test::SoundCall &last = calls.back();
    EXPECT_EQ(last.buffer, test::InspectSound(b).id);
    EXPECT_EQ(last.op, test::SoundOp::SetVolume);
    EXPECT_EQ(last.args, std::vector<int64_t>{-100});

    test::Reset();
    EXPECT_FALSE(test::SoundDeviceOpen());
    EXPECT_EQ(test::LiveSoundBuffers(), 0);
    EXPECT_EQ(PLAT_SoundOpen(), nullptr) << "absent again after Reset";
    device = nullptr;
    test::SetSoundDevice(true);
    test::FailSound(test::SoundOp::Open);
    EXPECT_EQ(PLAT_SoundOpen(), nullptr);
    device = PLAT_SoundOpen();
    EXPECT_NE(device, nullptr);
}

} // namespace
