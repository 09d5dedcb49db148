// The SDL sound device on SDL's disk audio driver: what reaches the output file is the common mixer's
// output for the buffer played, frame for frame, then silence after the stop.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include <SDL.h>

#include "plat/sound.h"
#include "platform/common/sound_internal.h"

namespace {

std::vector<uint8_t> Square(uint32_t bytes)
{
    std::vector<uint8_t> out(bytes);
    for (uint32_t i = 0; i + 1 < bytes; i += 2) {
        int16_t v = (i / 2) % 40 < 20 ? 8000 : -8000;
        std::memcpy(&out[i], &v, 2);
    }
    return out;
}

void Fill(PLAT_SoundBuffer *b, const std::vector<uint8_t> &bytes)
{
    PLAT_SoundLock lock{};
    ASSERT_EQ(PLAT_SoundLockBuffer(b, 0, uint32_t(bytes.size()), &lock), PLAT_SOUND_LOCK_OK);
    std::memcpy(lock.part1, bytes.data(), lock.size1);
    ASSERT_EQ(PLAT_SoundUnlockBuffer(b, lock), 1);
}

long FileSize(const char *path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    return in ? long(in.tellg()) : 0;
}

TEST(SdlSound, TheOutputFileHoldsTheMixersFramesThenSilence)
{
    const char *path = std::getenv("SDL_DISKAUDIOFILE");
    ASSERT_NE(path, nullptr) << "run with SDL_AUDIODRIVER=disk and SDL_DISKAUDIOFILE set";
    std::remove(path);
    const std::vector<uint8_t> square = Square(102400);

    PLAT_SoundDevice *device = PLAT_SoundOpen();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(PLAT_SoundOpen(), nullptr) << "one output at a time";
    ASSERT_EQ(PLAT_SoundCooperate(device, nullptr), 1);
    PLAT_SoundBuffer *b = PLAT_SoundCreateBuffer(device, 0, 1, 11025, 16, 102400);
    ASSERT_NE(b, nullptr);
    Fill(b, square);
    ASSERT_EQ(PLAT_SoundPlay(b, 0), 1);
    // About 300 ms of sound, then stop; wait until the driver has written some silence after it.
    uint32_t cursor = 0;
    while (cursor < 6615) {
        SDL_Delay(5);
        ASSERT_EQ(PLAT_SoundGetPosition(b, &cursor), 1);
    }
    ASSERT_EQ(PLAT_SoundStop(b), 1);
    ASSERT_EQ(PLAT_SoundGetPosition(b, &cursor), 1);
    long stopped_at = FileSize(path);
    while (FileSize(path) < stopped_at + 8 * 2048) {
        SDL_Delay(5);
    }
    PLAT_SoundClose(device);

    std::ifstream in(path, std::ios::binary);
    std::vector<char> raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> out(raw.size() / 2);
    std::memcpy(out.data(), raw.data(), out.size() * 2);
    size_t first = 0;
    while (first < out.size() && out[first] == 0) {
        first++;
    }
    ASSERT_LT(first, out.size()) << "nothing but silence";
    ASSERT_EQ(first % 2, 0u);

    // The same buffer through the mixer on a device of its own, from position 0.
    PLAT_SoundDevice *reference = SNDM_NewDevice();
    PLAT_SoundBuffer *rb = PLAT_SoundCreateBuffer(reference, 0, 1, 11025, 16, 102400);
    Fill(rb, square);
    ASSERT_EQ(PLAT_SoundPlay(rb, 0), 1);
    std::vector<int16_t> expected(size_t(cursor + 2) * 2);
    SNDM_Mix(reference, expected.data(), cursor + 2);
    SNDM_DeleteDevice(reference);

    // The mixer interpolates, so a frame inside the square wave can be silent by itself: the played
    // frames are found by the cursor, not by the first zero. Those the cursor counts come first (one
    // more when the last half frame was mixed), and nothing but silence follows.
    ASSERT_LE(first + 2 * size_t(cursor), out.size()) << "fewer frames written than the cursor counts";
    size_t frames = 0;
    for (; frames < cursor; frames++) {
        ASSERT_EQ(out[first + 2 * frames], expected[2 * frames]) << "frame " << frames;
        ASSERT_EQ(out[first + 2 * frames + 1], expected[2 * frames + 1]) << "frame " << frames;
    }
    if (first + 2 * frames + 1 < out.size() && out[first + 2 * frames] == expected[2 * frames] &&
        out[first + 2 * frames + 1] == expected[2 * frames + 1]) {
        frames++;
    }
    for (size_t i = first + 2 * frames; i < out.size(); i++) {
        ASSERT_EQ(out[i], 0) << "sample " << i;
    }
    // The file lags the mixer by a callback or two when the machine is busy, so of the 8,192 samples
    // waited for past the file's size at the stop, at least half are silence after the last frame.
    EXPECT_LE(first + 2 * frames + 4 * 1024, out.size()) << "silence was written after the stop";
}

} // namespace
