// The SDL CD device over the player's ripped tracks, on SDL's disk audio driver: decoding of the
// formats a rip comes in, damaged files as silent tracks, and what reaches the output file.
#include <gtest/gtest.h>

#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/cd.h"
#include "plat/files.h"
#include "plat/window.h"
#include "platform/sdl/internal.h"
#include "tests/support/wav_writer.h"

namespace {

namespace fs = std::filesystem;
using kalder_test::Wave;
using kalder_test::WavFormat;

// A folder of drives whose D holds a tracks folder; the drive map is loaded from it.
struct TrackDrive {
    fs::path root;
    explicit TrackDrive(bool with_tracks = true)
    {
        root = fs::temp_directory_path() / ("kalder-sdl-cd-" + std::to_string(SDL_GetTicks()) + "-" +
                                            std::to_string(std::rand()));
        fs::create_directories(root / "D" / "tracks");
        if (!with_tracks) {
            fs::remove(root / "D" / "tracks");
        }
        PLAT_LoadDriveMap(("D=" + (root / "D").string()).c_str(), "/");
    }
    ~TrackDrive() { fs::remove_all(root); }
    void Write(const std::string &name, const std::vector<uint8_t> &bytes) const
    {
        std::ofstream(root / "D" / "tracks" / name, std::ios::binary)
            .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    }
};

std::vector<uint8_t> Tone(const WavFormat &f, double seconds, double frequency)
{
    return kalder_test::WavImage(f, kalder_test::WavSamples(f, Wave::Sine, uint32_t(f.rate * seconds), frequency));
}

std::vector<int16_t> ReadOutput(const char *path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> out(raw.size() / 4 * 2);
    std::memcpy(out.data(), raw.data(), out.size() * 2);
    return out;
}

// Waits (pumping, as rounds would) until the mode reads `mode`; false after a generous deadline.
bool WaitForMode(int32_t mode)
{
    for (int i = 0; i < 2000; i++) {
        PLAT_PumpMessages();
        if (CD_GetMode() == mode) {
            return true;
        }
        SDL_Delay(5);
    }
    return false;
}

// Frames of `out` match `want` in order, frame for frame; silent frames
// (a pause, a gap between tracks) may come between them. Returns the frames matched.
size_t Follow(const std::vector<int16_t> &out, const std::vector<int16_t> &want, size_t *after)
{
    size_t i = 0, j = 0;
    while (i + 1 < out.size() && j + 1 < want.size()) {
        if (out[i] == want[j] && out[i + 1] == want[j + 1]) {
            j += 2;
        } else if (out[i] != 0 || out[i + 1] != 0) {
            break;
        }
        i += 2;
    }
    *after = i;
    return j / 2;
}

TEST(SdlCd, TracksOfEveryRipFormatDecodeToOneSecondOfOutput)
{
    TrackDrive drive;
    const WavFormat formats[] = {{2, 44100, 16}, {2, 48000, 16}, {1, 22050, 8}, {1, 11025, 16}};
    for (const WavFormat &f : formats) {
        drive.Write("track01.wav", Tone(f, 1.0, 440));
        std::vector<int16_t> frames;
        ASSERT_TRUE(SDLC_Decode("D:\\tracks\\track01.wav", &frames)) << f.rate;
        EXPECT_NEAR(double(frames.size() / 2), 22050.0, 50.0) << f.rate << " Hz, " << f.channels << " x " << f.bits;
    }
}

TEST(SdlCd, DamagedFilesAreSilentTracksWithoutAnError)
{
    TrackDrive drive;
    const WavFormat f{2, 22050, 16};
    const std::vector<uint8_t> good = Tone(f, 0.2, 440);
    std::vector<uint8_t> rifx = good;
    std::memcpy(rifx.data(), "RIFX", 4);
    kalder_test::WavDamage cut;
    cut.truncate_at = 30;
    drive.Write("track01.wav", kalder_test::WavImage(f, kalder_test::WavSamples(f, Wave::Sine, 4410), cut));
    drive.Write("track02.wav", rifx);
    const std::string text = "these are not the samples you are looking for\n";
    drive.Write("track04.wav", std::vector<uint8_t>(text.begin(), text.end()));
    drive.Write("track05.wav", kalder_test::WavImage(f, {}));
    for (const char *name : {"track01.wav", "track02.wav", "track04.wav", "track05.wav"}) {
        std::vector<int16_t> frames;
        EXPECT_FALSE(SDLC_Decode(std::string("D:\\tracks\\") + name, &frames)) << name;
        EXPECT_TRUE(frames.empty()) << name;
    }
    // Each damaged track is named once on standard error, however often it plays.
    const fs::path err_file = drive.root / "stderr.txt";
    std::fflush(stderr);
    const int saved = dup(2);
    ASSERT_NE(std::freopen(err_file.c_str(), "w", stderr), nullptr);
    ASSERT_EQ(CD_Open(), 1);
    EXPECT_EQ(CD_TrackCount, 5u);
    for (int round = 0; round < 2; round++) {
        for (uint32_t track : {1u, 2u, 3u, 4u, 5u}) {
            CD_PlayTrack(track);
            EXPECT_TRUE(WaitForMode(4)) << track;
        }
    }
    CD_Close();
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    std::ifstream in(err_file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (line.find("CRITICAL") == std::string::npos) { // the disk audio driver's own notices
            lines.push_back(line);
        }
    }
    ASSERT_EQ(lines.size(), 4u);
    for (const char *name : {"track01.wav", "track02.wav", "track04.wav", "track05.wav"}) {
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [&](const std::string &l) { return l.find(name) != std::string::npos; }),
                  1)
            << name;
    }
}

TEST(SdlCd, PlayingATrackWritesItsFramesThenSilence)
{
    const char *path = std::getenv("SDL_DISKAUDIOFILE");
    ASSERT_NE(path, nullptr) << "run with SDL_AUDIODRIVER=disk and SDL_DISKAUDIOFILE set";
    TrackDrive drive;
    const WavFormat f{1, 44100, 16};
    drive.Write("track02.wav", Tone(f, 0.5, 440));
    drive.Write("track03.wav", Tone(f, 0.5, 660));
    std::vector<int16_t> two, three;
    ASSERT_TRUE(SDLC_Decode("D:\\tracks\\track02.wav", &two));
    ASSERT_TRUE(SDLC_Decode("D:\\tracks\\track03.wav", &three));

    std::remove(path);
    ASSERT_EQ(CD_Open(), 1);
    ASSERT_EQ(CD_TrackCount, 3u);
    CD_PlayTrack(2);
    EXPECT_TRUE(WaitForMode(2));
    EXPECT_TRUE(WaitForMode(4));
    SDL_Delay(200);
    CD_Close();
    std::vector<int16_t> out = ReadOutput(path);
    size_t after = 0;
    EXPECT_EQ(Follow(out, two, &after), two.size() / 2);
    for (size_t i = after; i < out.size(); i++) {
        ASSERT_EQ(out[i], 0) << "track 3 or noise after track 2, at value " << i;
    }

    // Paused in track 2 and resumed: the rest of track 2, then track 3.
    std::remove(path);
    ASSERT_EQ(CD_Open(), 1);
    CD_PlayTrack(2);
    SDL_Delay(200);
    CD_Pause();
    EXPECT_EQ(CD_GetMode(), 3);
    SDL_Delay(100);
    CD_Resume();
    EXPECT_TRUE(WaitForMode(4));
    SDL_Delay(100);
    CD_Close();
    out = ReadOutput(path);
    std::vector<int16_t> both = two;
    both.insert(both.end(), three.begin(), three.end());
    EXPECT_EQ(Follow(out, both, &after), both.size() / 2);
}

TEST(SdlCd, TheHighestDriveWithATracksFolderHoldsTheMusic)
{
    TrackDrive drive;
    drive.Write("track01.wav", Tone(WavFormat{1, 22050, 16}, 0.1, 440));
    fs::create_directories(drive.root / "F" / "TRACKS");
    fs::create_directories(drive.root / "G");
    std::ofstream(drive.root / "F" / "TRACKS" / "Track07.wav").put('x');
    const std::string map = "D=" + (drive.root / "D").string() + ";F=" + (drive.root / "F").string() +
                            ";G=" + (drive.root / "G").string();
    PLAT_LoadDriveMap(map.c_str(), "/");
    ASSERT_EQ(CD_Open(), 1);
    EXPECT_EQ(CD_TrackCount, 7u) << "F's folder, in any case; G has none";
    CD_Close();
}

TEST(SdlCd, WithoutTracksOrOutputTheDriveOpensEmpty)
{
    {
        TrackDrive drive(false);
        ASSERT_EQ(CD_Open(), 1);
        EXPECT_EQ(CD_TrackCount, 0u);
        EXPECT_EQ(CD_GetMode(), 4);
        CD_Close();
    }
    const std::string driver = std::getenv("SDL_AUDIODRIVER") != nullptr ? std::getenv("SDL_AUDIODRIVER") : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    {
        TrackDrive drive;
        drive.Write("track01.wav", Tone(WavFormat{1, 22050, 16}, 0.2, 440));
        ASSERT_EQ(CD_Open(), 1);
        EXPECT_EQ(CD_TrackCount, 0u);
        EXPECT_EQ(CD_GetMode(), 4);
        CD_PlayTrack(1);
        EXPECT_EQ(CD_GetMode(), 4);
        CD_Close();
    }
    setenv("SDL_AUDIODRIVER", driver.c_str(), 1);
}

} // namespace
