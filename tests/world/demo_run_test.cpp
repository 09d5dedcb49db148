// The whole program on the demo installation, headless: WinMain's start-up, the title left on "NEW
// GAME", the real frame handler, 35 ms of clock a frame, the demo level on screen, and the hero put
// into the exits until the end scene ends the game.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/game_frame.h"
#include "core/opt.h"
#include "core/scr.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/demo_level.h"
#include "tests/support/golden.h"
#include "tests/support/iv_film.h"
#include "tests/support/iv_model.h"
#include "tests/support/play_run.h"
#include "tests/support/temp_drives.h"
#include "tests/world/demo_run_fixture.h"

namespace {

using demo_run_test::DemoRunTest;

TEST_F(DemoRunTest, TheDemoLevelIsOnScreenAfter40Frames)
{
    kalder_test::PlayOptions options;
    options.rounds = 40;
    const kalder_test::PlayResult result = kalder_test::PlayRun(options);
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.win_main_result, 0);
    EXPECT_EQ(result.rounds, 40);
    // The title runs first and is left with Space, then Return on "NEW GAME", which empties the
    // opening film's name: no film holds the game, and the rounds count from the title's end.
    EXPECT_EQ(RoundOf(result, "title starts"), 0);
    EXPECT_EQ(RoundOf(result, "passes"), 0);
    EXPECT_EQ(RoundOf(result, "frames"), -1);
    EXPECT_EQ(RoundOf(result, "Project0 loaded, hero at (-600.0, 140.0, 0.0)"), 1);
    ASSERT_EQ(result.width, 640);
    ASSERT_EQ(result.height, 480);
    EXPECT_TRUE(kalder_test::MatchesGolden("demo-run-frame40", result.last_frame.data(), 640, 480, false));
}

// A run asked to start at a named project loads that one in the first tick instead of Project0; a name
// the database does not hold (blank records are called "EMPTY") loads nothing and ends the run.
TEST_F(DemoRunTest, TheRunStartsAtTheProjectAskedFor)
{
    struct Case {
        const char *project;
        const char *loaded; // the first load's line, or null
    };
    const Case cases[] = {
        {"Project1", "Project1 loaded, hero at (-600.0, 140.0, 0.0)"},
        {"Project0", "Project0 loaded, hero at (-600.0, 140.0, 0.0)"},
        {"NoSuchProject", nullptr},
        {"EMPTY", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.project);
        if (&c != cases) {
            // Each run gets a fresh core and installation.
            TearDown();
            SetUp();
        }
        kalder_test::PlayOptions options;
        options.rounds = 3;
        options.project = c.project;
        const kalder_test::PlayResult result = kalder_test::PlayRun(options);
        EXPECT_EQ(result.exit_code, 0);
        EXPECT_EQ(result.project_missing, c.loaded == nullptr);
        if (c.loaded != nullptr) {
            EXPECT_EQ(RoundOf(result, c.loaded), 1);
            EXPECT_EQ(result.rounds, 3);
        } else {
            EXPECT_EQ(RoundOf(result, "no project " + std::string(c.project)), 0);
            EXPECT_EQ(RoundOf(result, "loaded, hero at (-600.0, 140.0, 0.0)"), -1);
        }
    }
}

// Placed into Project0's exit, the hero reaches Project1 through the fade and the hi-colour film of the
// way, the first time; placed into Project1's exit to Project2, the end scene ends the game and the
// program with it.
TEST_F(DemoRunTest, TheExitsLeadToTheEndOfTheGame)
{
    // The hero is put into the exit before Project0's scene has streamed in: without its texture film,
    // which would start at the fade's end and cut the way film short.
    kalder_test::DemoOptions demo;
    demo.anim_textures = false;
    ASSERT_TRUE(kalder_test::WriteDemoInstallation(*drives, demo));
    kalder_test::PlayOptions options;
    options.rounds = 400;
    options.placements = {{1400.0, 140.0, 0.0, 20}, {-2400.0, 140.0, 0.0, 50}};
    double factor_at_exit = 0.0;
    int white_frames = 0;
    std::vector<int> film_frames;
    int film_whole = 0;
    // The film's last picture as the 640 x 480 screen shows it, between black bands.
    std::vector<uint16_t> film_end(640 * 480, 0);
    kalder_test::IvModelBlit(kalder_test::IvSyntheticFilm().decoded.back().data(), film_end, 640, 480,
                             kalder_test::IvPairTable(kalder_test::IvSyntheticPalette(), false).data(), 5);
    options.between_rounds = [&](int round) {
        if (round == 20) {
            factor_at_exit = GAME_TimeFactor;
        }
        const test::Present &shown = test::Presents().back();
        // The film's picture rows, and the whole frame, as the film left them.
        if (std::equal(film_end.begin() + 90 * 640, film_end.begin() + 390 * 640, shown.pixels.begin() + 90 * 640)) {
            film_frames.push_back(round);
        }
        film_whole += film_end == shown.pixels ? 1 : 0;
        // The frame this round made: white between the letterbox bars once a fade to white ended, but
        // for the HUD's pyramids, which stand in the lower left corner from y = 390.
        bool white = true;
        // Above the HUD's gauges, which stand over the picture from row 388.
        for (int y = 60; y < 388 && white; y++) {
            for (int x = 0; x < 640 && white; x++) {
                const bool pyramids = x < 84 && y >= 390;
                white = pyramids || shown.pixels[size_t(y) * 640 + size_t(x)] == 0xFFFF;
            }
        }
        white_frames += white ? 1 : 0;
    };
    const kalder_test::PlayResult result = kalder_test::PlayRun(options);
    const std::string played = Played(result);
    SCOPED_TRACE(played);
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.win_main_result, 0);
    EXPECT_TRUE(result.ended_by_itself);

    // The time factor of 35 ms frames, and the fade's length in frames at that factor.
    EXPECT_NEAR(factor_at_exit, 1.05, 1e-9);
    const int fade_frames = int(std::ceil(15.0 / factor_at_exit));
    EXPECT_EQ(fade_frames, 15);

    EXPECT_EQ(RoundOf(result, "fade 15.00"), 20);
    EXPECT_EQ(RoundOf(result, "film ends after 30 frames"), 20 + fade_frames);
    EXPECT_EQ(RoundOf(result, "fade ends"), 20 + fade_frames);
    EXPECT_EQ(RoundOf(result, "Project1 current"), 20 + fade_frames);
    EXPECT_EQ(RoundOf(result, "Project1 loaded, hero at (-600.0, 140.0, 0.0)"), 21 + fade_frames);
    EXPECT_EQ(RoundOf(result, "Project2 current"), 50 + fade_frames);
    EXPECT_EQ(RoundOf(result, "Project2 loaded, hero at (0.0, 0.0, 0.0)"), 51 + fade_frames);
    EXPECT_EQ(RoundOf(result, "end of the game"), 52 + fade_frames);
    EXPECT_EQ(result.rounds, 52 + fade_frames);
    // The film played over the first fade's white end: the round it ended shows its last picture, and
    // Project1's load shows it once more under the HUD. The second fade's end showed its white frame, and
    // the load showed it once more.
    EXPECT_EQ(film_frames, std::vector<int>({20 + fade_frames, 21 + fade_frames}));
    EXPECT_EQ(film_whole, 1);
    EXPECT_EQ(white_frames, 2);

    const std::string &out = test::Stdout();
    const std::string last = "desinit 3Dengine \n";
    ASSERT_GE(out.size(), last.size());
    EXPECT_EQ(out.substr(out.size() - last.size()), last);
}

} // namespace
