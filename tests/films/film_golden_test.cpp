// The synthetic film played through the player onto the headless display, compared with golden frames.
#include "tests/films/film_screen.h"

#include <cstring>

#include "tests/support/demo_film.h"
#include "tests/support/golden.h"
#include "tests/support/iv_film.h"
#include "tests/support/synthetic_film.h"

using namespace kalder_test;

namespace {

class FilmGolden : public FilmScreenTest {
protected:
    // Plays the demo film on a screen of the given size and format and compares the frames named.
    void Play(int width, int height, bool rgb555, const std::vector<int> &frames)
    {
        StartCore();
        Display(width, height, rgb555);
        const std::string path = Film("demo", DemoFilmImage());
        ASSERT_EQ(HNM_Open(path.c_str()), 1);
        const std::string size = std::to_string(width) + "x" + std::to_string(height);
        for (int n = 1; n <= int(kDemoFilmFrames); n++) {
            HNM_NextFrame();
            if (std::find(frames.begin(), frames.end(), n) != frames.end()) {
                const std::string name = "film-" + size + (rgb555 ? "-555" : "") + "-" + std::to_string(n);
                EXPECT_TRUE(MatchesGolden(name, SCR_FrameBuffer, width, height, rgb555));
            }
        }
        EXPECT_EQ(HNM_Kind, 0) << "the film ends at its zero frame header";
    }
};

} // namespace

TEST_F(FilmGolden, FramesAt640x480)
{
    Play(640, 480, false, {1, 8, 16, 46});
    // The last frame on screen is what the decoder made of the film's last picture.
    const std::vector<uint16_t> &last = SyntheticFilmDecoded(int(kDemoFilmFrames)).back();
    for (int y = 0; y < 304; y++) {
        ASSERT_EQ(0, std::memcmp(SCR_FrameBuffer + (88 + y) * 640, &last[size_t(y) * 640], 1280)) << "row " << y;
    }
}

TEST_F(FilmGolden, Frame8AtEverySize)
{
    struct Size {
        int width, height;
        bool rgb555;
    };
    for (const Size &s : {Size{640, 400, false}, Size{320, 200, false}, Size{320, 400, false},
                          Size{400, 300, false}, Size{640, 480, true}}) {
        SCOPED_TRACE(std::to_string(s.width) + "x" + std::to_string(s.height));
        TearDown();
        SetUp();
        Play(s.width, s.height, s.rgb555, {8});
    }
}

TEST_F(FilmGolden, HiColourFilmAfter12Frames)
{
    // The demo's hi-colour film through the player: the disc, the turned block with its mirror images and
    // the bars between the black bands of each size.
    struct Size {
        int width, height;
        bool rgb555;
    };
    for (const Size &s : {Size{640, 480, false}, Size{640, 400, false}, Size{320, 400, false}, Size{320, 200, false},
                          Size{640, 400, true}}) {
        const std::string name = "iv-film-" + std::to_string(s.width) + "x" + std::to_string(s.height) +
                                 (s.rgb555 ? "-555" : "") + "-12";
        SCOPED_TRACE(name);
        TearDown();
        SetUp();
        StartCore();
        Display(s.width, s.height, s.rgb555);
        ASSERT_EQ(HNM_Open(Film("demo2", DemoIvFilmImage()).c_str()), 1);
        for (int n = 1; n <= 12; n++) {
            HNM_NextFrame();
        }
        EXPECT_TRUE(MatchesGolden(name, SCR_FrameBuffer, s.width, s.height, s.rgb555));
    }
}
