// A conversation on the demo installation, through the whole program headless: the hero made a
// conversation partner beside the sage, the sage's list opened by the creature AI, a word chosen with
// Down and Ctrl, then "End" and the AI's close.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "interface/sym.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/demo_level.h"
#include "tests/support/golden.h"
#include "tests/support/play_run.h"
#include "tests/support/play_trace.h"
#include "tests/support/temp_drives.h"
#include "world/actor.h"

namespace {

constexpr int kVkControl = 0x11, kVkDown = 0x28;

ActorRecord *sage()
{
    for (ActorRecord &slot : ACTOR_Slots) {
        if ((slot.flags[0] & ACTOR_F0_IN_USE) != 0 && slot.definition != nullptr &&
            std::strncmp(slot.definition->name, "SAGE", 4) == 0) {
            return &slot;
        }
    }
    return nullptr;
}

// Taps keys one frame down, one frame up, as a player does, from the frame after `from`.
struct Taps {
    std::vector<int> keys;
    int from = -1;
    // Called once a frame: presses or releases the next key; true once the game has seen every key go up.
    bool Run(int frame)
    {
        const int k = frame - from - 1;
        if (from < 0 || k < 0) {
            return false;
        }
        const size_t index = size_t(k / 2);
        // The game sees a key one frame after it changed: the last release is seen a frame later.
        if (index >= keys.size()) {
            return k > int(2 * keys.size());
        }
        if (k % 2 == 0) {
            test::KeyDown(keys[index]);
        } else {
            test::KeyUp(keys[index]);
        }
        return false;
    }
};

TEST(SymDemoTest, TheSageTalksWithTheHero)
{
    kalder_test::ResetCore();
    auto drives = std::make_unique<kalder_test::TempDrives>("CD");
    kalder_test::DemoOptions demo;
    demo.sage = true;
    ASSERT_TRUE(kalder_test::WriteDemoInstallation(*drives, demo));
    kalder_test::PlayOptions options;
    // The scripted run's start: the draws seeded and the manual fight option set at frame 0, so that
    // the pictures do not depend on what ran before.
    std::string trace;
    kalder_test::ScriptedRun(options, {}, 400, &trace);
    options.at_first_frame = [scripted_start = options.at_first_frame] {
        scripted_start();
        // Nothing in the game makes the hero a conversation partner: the test does. It stands 300
        // units before the sage.
        ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
        hero.flags[1] |= ACTOR_F1_CONVERSATION;
        hero.position[0] = kalder_test::demo::kSageStart[0];
        hero.position[2] = kalder_test::demo::kSageStart[2] - 300;
    };
    struct Seen {
        bool sage_found = false, sage_symbols = false;
        int opened = -1, choice = -1, chosen = -1, ended = -1, closed = -1;
        int sentence_frames = 0;
        int32_t step = -1, depth = -1, history0 = -1;
        bool hero_kept_still = true;
        double hero_at[3] = {};
        int32_t sage_menu = 0, hero_menu = 0;
        std::vector<uint16_t> sentence, choosing;
    } seen;
    Taps word{{kVkDown, kVkDown, kVkControl}}, end{{kVkDown, kVkDown, kVkDown, kVkControl}};
    options.after_frame = [&, previous = options.after_frame](int frame, const std::string &held) {
        previous(frame, held);
        ActorRecord *s = sage();
        ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
        const SYM_Menu &menu = SYM_Menus[0];
        if (frame == 0 && s != nullptr) {
            seen.sage_found = true;
            seen.sage_symbols = SYM_HasMenu(s) != 0;
        }
        if (seen.opened < 0 && menu.owner != nullptr) {
            seen.opened = frame;
            std::memcpy(seen.hero_at, hero.position, sizeof seen.hero_at);
        }
        if (seen.opened >= 0 && seen.closed < 0 && menu.owner != nullptr) {
            for (int c = 0; c < 3; c++) {
                seen.hero_kept_still = seen.hero_kept_still && hero.position[c] == seen.hero_at[c];
            }
        }
        if (seen.opened >= 0 && frame == seen.opened + 10) {
            seen.sentence = test::Presents().back().pixels;
        }
        // The first sentence said, the choice begins: down twice ("Help") and Ctrl.
        if (seen.choice < 0 && seen.opened >= 0 && menu.phase == 1) {
            seen.choice = frame;
            seen.sentence_frames = frame - seen.opened;
            word.from = frame;
        }
        if (seen.chosen < 0 && seen.choice >= 0 && menu.cursor == 1 && seen.choosing.empty()) {
            seen.choosing = test::Presents().back().pixels;
        }
        if (seen.chosen < 0 && word.Run(frame)) {
            seen.chosen = frame;
            seen.step = menu.step;
            seen.depth = menu.depth;
            seen.history0 = menu.history[0];
        }
        // The next step said: "End" is the fourth row (Key, Door, Back, End).
        if (seen.chosen >= 0 && end.from < 0 && menu.phase == 1) {
            end.from = frame;
        }
        if (seen.ended < 0 && end.Run(frame)) {
            seen.ended = frame;
        }
        if (seen.ended >= 0 && seen.closed < 0 && menu.owner == nullptr) {
            seen.closed = frame;
            seen.sage_menu = s != nullptr ? s->symbol_menu : 0;
            seen.hero_menu = hero.symbol_menu;
        }
    };
    const kalder_test::PlayResult result = kalder_test::PlayRun(options);
    EXPECT_EQ(result.exit_code, 0);
    ASSERT_TRUE(seen.sage_found);
    EXPECT_TRUE(seen.sage_symbols);
    ASSERT_GE(seen.opened, 0) << "the sage never opened its list";
    ASSERT_GE(seen.choice, 0);
    ASSERT_GE(seen.chosen, 0);
    // "Help" is the key of step 5: step 6 is said next, step 0 is the way back.
    EXPECT_EQ(seen.step, 6);
    EXPECT_EQ(seen.depth, 1);
    EXPECT_EQ(seen.history0, 0);
    EXPECT_TRUE(seen.hero_kept_still) << "the hero's moves went on while the list was open";
    ASSERT_GE(seen.ended, 0);
    ASSERT_GE(seen.closed, 0) << "the creature AI never closed the list";
    EXPECT_EQ(seen.sage_menu, -1);
    EXPECT_EQ(seen.hero_menu, -1);
    std::printf("list opened at frame %d, choice after %d frames, closed at frame %d\n", seen.opened,
                seen.sentence_frames, seen.closed);
    ASSERT_EQ(seen.sentence.size(), size_t(640 * 480));
    EXPECT_TRUE(kalder_test::MatchesGolden("sym-sentence", seen.sentence.data(), 640, 480, false));
    ASSERT_EQ(seen.choosing.size(), size_t(640 * 480));
    EXPECT_TRUE(kalder_test::MatchesGolden("sym-choice", seen.choosing.data(), 640, 480, false));
    drives.reset();
    kalder_test::ResetCore();
}

} // namespace
