// The whole program on the demo installation with the true shadows on: the hero's silhouette is rendered
// every frame and the game's letterboxed view survives it; Ctrl+S swaps the hero's shadow through a
// reload of the level, and back.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/opt.h"
#include "core/scr.h"
#include "engine3d/view.h"
#include "tests/support/key_script.h"
#include "tests/support/play_run.h"
#include "tests/world/demo_run_fixture.h"
#include "world/actor.h"
#include "world/prj.h"
#include "world/shadow.h"

namespace {

using demo_run_test::DemoRunTest;

// The whole program with the true shadows on from its start: every frame keeps the letterboxed view.
TEST_F(DemoRunTest, APlayedLevelKeepsItsLetterboxWithTrueShadows)
{
    OPT_RealShadow = 1;
    kalder_test::PlayOptions options;
    options.rounds = 100;
    int loaded = 0, kept = 0;
    options.between_rounds = [&](int) {
        if (SHADOW_Camera == 0 || SHADOW_AttachedCount == 0) {
            return;
        }
        loaded++;
        kept += OBJ_View.view_y == 60 && OBJ_View.view_height == 360 && OBJ_View.screen_width == 640;
    };
    const kalder_test::PlayResult result = kalder_test::PlayRun(options);
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.rounds, 100);
    EXPECT_GT(loaded, 90);
    EXPECT_EQ(kept, loaded);
    EXPECT_EQ(SHADOW_Slots[ACTOR_Slots[ACTOR_HERO].shadow_slot].mode, SHADOW_REAL);
    // The bars hold nothing of the scene: only the HUD draws over them.
    const std::vector<uint16_t> &f = result.last_frame;
    int32_t lit = 0;
    for (int32_t y = 0; y < 60; y++) {
        for (int32_t x = 0; x < 640; x++) {
            lit += f[size_t(y * 640 + x)] != 0;
        }
    }
    EXPECT_EQ(lit, 0) << "the top bar";
    // The creature has struck the hero by now: a later run must not carry its gauges on.
    for (ActorRecord &slot : ACTOR_Slots) {
        std::memset(static_cast<void *>(&slot), 0, sizeof slot);
    }
}

// What one frame of a Ctrl+S run left behind.
struct ShadowFrame {
    int option;          // OPT_RealShadow
    std::string message; // the screen's message while it shows, else ""
    bool loaded;         // no load pending and the shadows attached
    int hero_mode;       // the hero's slot's mode; -1 without a slot
    int other_real;      // slots of other actors in the true mode
    int markers;         // the silhouette's texels (1) in "OMBRE2"
};

// Ctrl+S flips the option and starts the fade; at its end the level is loaded again and the
// hero's body reset gives it the other kind of shadow. Only the hero ever holds the true shadow.
TEST_F(DemoRunTest, CtrlSSwapsTheHerosShadowAtTheReloadAndBack)
{
    constexpr int kCtrl = 0x11;
    constexpr int kOn = 10, kOff = 70, kFrames = 130; // the frames Ctrl+S goes down, and the run's length
    kalder_test::PlayOptions options;
    options.frames = kFrames;
    for (int at : {kOn, kOff}) {
        options.keys.push_back({at, true, kCtrl});
        options.keys.push_back({at, true, 'S'});
        options.keys.push_back({at + 2, false, 'S'});
        options.keys.push_back({at + 2, false, kCtrl});
    }
    std::vector<ShadowFrame> frames;
    options.after_frame = [&](int, const std::string &) {
        ShadowFrame f{};
        f.option = OPT_RealShadow;
        f.message = SCR_MessageTimer > 0.0f ? SCR_Message : "";
        f.loaded = PRJ_PendingFlag == 0 && SHADOW_Camera != 0 && SHADOW_AttachedCount > 0;
        const ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
        f.hero_mode = hero.shadow_slot < SHADOW_SLOT_COUNT ? SHADOW_Slots[hero.shadow_slot].mode : -1;
        for (const SHADOW_Slot &slot : SHADOW_Slots) {
            f.other_real += slot.mode == SHADOW_REAL && slot.owner != &hero;
        }
        if (f.loaded && SHADOW_RealTexels != nullptr) {
            for (int32_t i = 0; i < SHADOW_TEXEL_BYTES; i++) {
                f.markers += SHADOW_RealTexels[i] == 1;
            }
        }
        frames.push_back(f);
    };
    const kalder_test::PlayResult result = kalder_test::PlayRun(options);
    ASSERT_EQ(result.exit_code, 0) << Played(result);
    ASSERT_EQ(frames.size(), size_t(kFrames)) << Played(result);

    // The first frame from `from` on that runs on a loaded level with the hero's shadow of a mode.
    auto settled = [&](int from, int mode) {
        for (int i = from; i < kFrames; i++) {
            if (frames[size_t(i)].loaded && frames[size_t(i)].hero_mode == mode) {
                return i;
            }
        }
        return -1;
    };
    for (int i = 0; i < kOn; i++) {
        EXPECT_EQ(frames[size_t(i)].hero_mode, SHADOW_FLAT) << "frame " << i;
    }
    struct Swap {
        const char *name;
        int pressed, until; // the frame Ctrl+S goes down, and the next press (or the run's end)
        int option, before, after;
        const char *message;
    };
    const Swap swaps[] = {
        {"on", kOn, kOff, 1, SHADOW_FLAT, SHADOW_REAL, "True Shadow"},
        {"off", kOff, kFrames, 0, SHADOW_REAL, SHADOW_FLAT, "2D Shadow"},
    };
    for (const Swap &w : swaps) {
        SCOPED_TRACE(w.name);
        // The keys reach the game's key table by the next frame's tick.
        int flipped = -1;
        for (int i = w.pressed; i < w.until && flipped < 0; i++) {
            flipped = frames[size_t(i)].option == w.option ? i : -1;
        }
        ASSERT_GE(flipped, w.pressed) << Played(result);
        EXPECT_LE(flipped, w.pressed + 1);
        EXPECT_EQ(frames[size_t(flipped)].message, w.message);
        // The level runs on with the shadow it was loaded with until the fade has ended.
        const int swapped = settled(flipped, w.after);
        ASSERT_GT(swapped, flipped) << Played(result);
        EXPECT_LT(swapped, flipped + 20) << "the 10 frames of the fade and the load";
        for (int i = flipped; i < swapped; i++) {
            EXPECT_EQ(frames[size_t(i)].hero_mode, w.before) << "frame " << i;
        }
        for (int i = swapped; i < w.until; i++) {
            const ShadowFrame &f = frames[size_t(i)];
            SCOPED_TRACE("frame " + std::to_string(i));
            EXPECT_EQ(f.option, w.option);
            EXPECT_TRUE(f.loaded);
            EXPECT_EQ(f.hero_mode, w.after);
            EXPECT_EQ(f.other_real, 0);
            // From the first step on the new level, the silhouette is drawn into its texture every
            // frame of the true shadow, and never with the flat one.
            if (i > swapped) {
                if (w.after == SHADOW_REAL) {
                    EXPECT_GT(f.markers, 1000);
                } else {
                    EXPECT_EQ(f.markers, 0);
                }
            }
        }
    }
    // The first load and one again for each press.
    int loads = 0;
    for (const std::string &line : result.lines) {
        loads += line.find("Project0 loaded") != std::string::npos;
    }
    EXPECT_EQ(loads, 3) << Played(result);
    // The slots' bodies went with the run's level: a later run must not carry them on.
    for (ActorRecord &slot : ACTOR_Slots) {
        std::memset(static_cast<void *>(&slot), 0, sizeof slot);
    }
}

} // namespace
