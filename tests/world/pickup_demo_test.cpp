// A pick-up on the demo installation, through the whole program headless: the hero beside the "feu"
// gem, a tap of Ctrl, and the gem gone into the inventory and the first hand slot.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "interface/ico.h"
#include "interface/menj.h"
#include "tests/support/core_state.h"
#include "tests/support/demo_level.h"
#include "tests/support/golden.h"
#include "tests/support/key_script.h"
#include "tests/support/play_run.h"
#include "tests/support/play_trace.h"
#include "tests/support/temp_drives.h"
#include "world/actor.h"
#include "world/inv.h"

namespace {

// The frames of the run: Ctrl tapped at frame 5, the state looked at 90 frames later.
constexpr int kTapFrame = 5;
constexpr int kFrames = kTapFrame + 90;

const ActorRecord *gem()
{
    for (const ActorRecord &slot : ACTOR_Slots) {
        if (std::strncmp(slot.node_name, "feu", sizeof slot.node_name) == 0) {
            return &slot;
        }
    }
    return nullptr;
}

TEST(PickupDemoTest, TheGemGoesIntoTheInventoryAndTheFirstHandSlot)
{
    kalder_test::ResetCore();
    auto drives = std::make_unique<kalder_test::TempDrives>("CD");
    ASSERT_TRUE(kalder_test::WriteDemoInstallation(*drives));
    std::vector<kalder_test::KeyEvent> keys;
    ASSERT_EQ(kalder_test::ParseKeyScript(std::to_string(kTapFrame) + " down Ctrl\n" + std::to_string(kTapFrame + 2) +
                                              " up Ctrl\n",
                                          keys),
              "");
    kalder_test::PlayOptions options;
    std::string trace;
    kalder_test::ScriptedRun(options, keys, kFrames, &trace);
    const auto scripted_start = options.at_first_frame;
    options.at_first_frame = [scripted_start] {
        scripted_start();
        // Beside the gem: 100 units before it, 120 below its middle.
        ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
        hero.position[0] = kalder_test::demo::kGemStart[0];
        hero.position[2] = kalder_test::demo::kGemStart[2] + 100;
    };
    struct Seen {
        bool gem_found = false;
        uint8_t gem_flags3 = 0;
        std::string held;
        int32_t count = 0, level = 0;
        MENJ_HandSlot hand{-1, -1, 0};
    } seen;
    options.after_frame = [&seen, &trace, previous = options.after_frame](int frame, const std::string &held) {
        previous(frame, held);
        if (frame != kFrames - 1) {
            return;
        }
        if (const ActorRecord *g = gem()) {
            seen.gem_found = true;
            seen.gem_flags3 = g->flags[3];
        }
        for (int i = 0; i < INV_ITEMS; i++) {
            if (std::strncmp(INV_Data.names[i], "feu", INV_NAME_BYTES) == 0) {
                seen.held = INV_Data.names[i];
                seen.count = INV_Data.count[i];
                seen.level = INV_Data.level[i];
            }
        }
        seen.hand = MENJ_Hands[0];
    };
    const kalder_test::PlayResult result = kalder_test::PlayRun(options);
    EXPECT_EQ(result.exit_code, 0);
    ASSERT_TRUE(seen.gem_found);
    EXPECT_NE(seen.gem_flags3 & ACTOR_F3_DISABLED, 0) << "the gem is taken away";
    EXPECT_EQ(seen.held, "feu");
    EXPECT_EQ(seen.count, 1);
    EXPECT_EQ(seen.level, 1);
    int32_t set = -1, sprite = -1;
    ICO_Find("feu", &set, &sprite);
    EXPECT_EQ(seen.hand.set, set);
    EXPECT_EQ(seen.hand.sprite, sprite);
    EXPECT_TRUE(kalder_test::MatchesGolden("demo-pickup-640x480", result.last_frame.data(), result.width,
                                           result.height, false));
    drives.reset();
    kalder_test::ResetCore();
}

} // namespace
