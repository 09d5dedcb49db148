// The demo level on temporary drives, with the system core started as far as a level load needs it
// and a 640 x 480 screen: shared by the model and level load tests.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/sys.h"
#include "editor/edt.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/demo_level.h"
#include "tests/support/level_start.h"
#include "tests/support/screen_target.h"
#include "tests/support/temp_drives.h"
#include "world/actor.h"
#include "world/mdl.h"
#include "world/prj.h"
#include "world/prj_load.h"

namespace level_test {

struct LevelTest : ::testing::Test {
    void SetUp() override
    {
        kalder_test::ResetCore();
        test::SetExitHook(test::ThrowOnExit);
        drives = std::make_unique<kalder_test::TempDrives>("CD");
        ASSERT_TRUE(kalder_test::WriteDemoLevel(*drives));
        screen = std::make_unique<kalder_test::ScreenTarget>(640, 480);
        ClearSlots();
        kalder_test::StartLevelCore();
    }
    void TearDown() override
    {
        test::SetOpenObserver(nullptr);
        kalder_test::StopLevelCore();
        ClearSlots();
        MDL_LoadingScene = MDL_SceneCollReady = MDL_SkyNode = 0;
        MDL_SkyAngle = 0.0f;
        PRJ_LoadCharacters = 1;
        EDT_Active = 0;
        screen.reset();
        kalder_test::ResetCore();
        drives.reset();
    }
    static void ClearSlots()
    {
        for (ActorRecord &slot : ACTOR_Slots) {
            std::memset(static_cast<void *>(&slot), 0, sizeof slot);
        }
    }

    // Writes a file under the disc's DATA/3DC, where the models are.
    void PutModel(const std::string &name, const std::vector<uint8_t> &bytes) { drives->Write('D', "DATA/3DC/" + name, bytes); }

    // Runs the call, which must stop the game with the text and exit code 999.
    static void ExpectStop(const std::function<void()> &call, const std::string &text)
    {
        const size_t boxes = test::MessageBoxes().size();
        try {
            call();
            ADD_FAILURE() << "no fatal stop";
        } catch (const test::ExitCalled &exit) {
            EXPECT_EQ(exit.code, 999);
        }
        ASSERT_EQ(test::MessageBoxes().size(), boxes + 1);
        EXPECT_EQ(test::MessageBoxes().back().text, text);
        EXPECT_EQ(test::MessageBoxes().back().title, "Error");
    }

    std::unique_ptr<kalder_test::TempDrives> drives;
    std::unique_ptr<kalder_test::ScreenTarget> screen;
};

} // namespace level_test
