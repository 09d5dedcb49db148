// Test fixtures of the films: the core as start-up makes it, films written to a temporary drive, and a
// full-screen headless display of a chosen size and pixel format.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/clk.h"
#include "core/dpr.h"
#include "core/dsp.h"
#include "core/mem.h"
#include "core/mgm.h"
#include "core/scr.h"
#include "core/snd.h"
#include "core/sys.h"
#include "core/win.h"
#include "films/hnm.h"
#include "films/hnm_screen.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/temp_drives.h"

// The core as start-up makes it and films written to a temporary drive: the player's tests and the
// screen output's.
class FilmFixture : public ::testing::Test {
protected:
    static constexpr uint32_t kArena = 0x172000;
    kalder_test::TempDrives drives_{"D"};

    void SetUp() override
    {
        kalder_test::ResetCore();
        test::MapDrive('D', drives_.Host('D'));
        test::ResetCurrentDirectories();
        test::SetExitHook(test::ThrowOnExit);
    }

    void TearDown() override
    {
        HNM_Close();
        HNM_State = HNM_PlayerState{};
        kalder_test::ResetCore();
    }

    // The memory arena, the main streaming buffer, the message manager's queues and the game clock; the
    // sound device present or not.
    void StartCore(uint32_t arena_size = kArena, bool sound = false)
    {
        MEM_Arena = MEM_CreateStack(arena_size);
        DPR_Main = DPR_Create(0x57800, 0x57800, 0x8000);
        ASSERT_NE(MEM_Arena, nullptr);
        ASSERT_NE(DPR_Main, nullptr);
        ASSERT_TRUE(MGM_Create(50, 50));
        CLK_Start(200, 15);
        if (sound) {
            test::SetSoundDevice(true);
            ASSERT_EQ(SND_Init(8), 1);
        }
    }

    // Writes a film as DATA\HNM\<NAME>.HNM and returns the lower-case game path that opens it.
    std::string Film(const std::string &name, const std::vector<uint8_t> &bytes)
    {
        std::string upper = name;
        std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
        drives_.Write('D', "DATA/HNM/" + upper + ".HNM", bytes);
        return "data\\hnm\\" + name + ".hnm";
    }
};

// A full-screen headless display of a chosen size and pixel format over the film fixture.
class FilmScreenTest : public FilmFixture {
protected:
    // The full-screen display in the given pixel format at a size, as the options set it.
    void Display(int width, int height, bool rgb555)
    {
        if (rgb555) {
            std::vector<test::DisplayMode> modes;
            for (auto [w, h] : {std::pair{640, 480}, {640, 400}, {400, 300}, {320, 400}, {320, 200}}) {
                modes.push_back({w, h, 60, 0x7C00, 0x03E0, 0x001F});
            }
            test::SetDisplayModes(modes);
        }
        // The display lists its modes when it starts: a change of pixel format starts it again.
        if (SCR_FrameBuffer == nullptr || started_rgb555_ != rgb555) {
            if (SCR_FrameBuffer != nullptr) {
                WIN_ShutdownDisplay();
            }
            DSP_BackEnd = 0;
            ASSERT_TRUE(WIN_InitDisplay(nullptr, 1));
            started_rgb555_ = rgb555;
        }
        ASSERT_TRUE(DSP_SetMode(width, height));
        ASSERT_EQ(DSP_Rgb555, rgb555 ? 1 : 0);
        SCR_Width = uint32_t(width);
        SCR_Height = uint32_t(height);
    }

    bool started_rgb555_ = false;

    static std::vector<uint16_t> Screen()
    {
        return {SCR_FrameBuffer, SCR_FrameBuffer + size_t(SCR_Width) * SCR_Height};
    }
};
