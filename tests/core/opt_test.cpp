// The option hot keys, the screen size they choose and the key help, on the headless display with the
// world and the interface scripted.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/dsp.h"
#include "core/game_frame.h"
#include "core/inp.h"
#include "core/mgm.h"
#include "core/opt.h"
#include "core/scr.h"
#include "core/sys.h"
#include "core/win.h"
#include "editor/edt.h"
#include "engine3d/view.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/neighbours.h"
#include "world/actor.h"

namespace {

constexpr uint8_t kCtrl = 0x11, kAlt = 0x12, kTab = 0x09, kF1 = 0x70, kF10 = 0x79, kF11 = 0x7A, kF12 = 0x7B;

struct OptTest : ::testing::Test {
    void SetUp() override { start(1); }
    void TearDown() override { kalder_test::ResetCore(); }

    static void start(int32_t back_end)
    {
        kalder_test::ResetCoreWithInstallation();
        fake::reset();
        DSP_BackEnd = back_end;
        ASSERT_TRUE(WIN_InitDisplay(nullptr, 1));
        SYS_Init();
        SYS_CreateMessageManager();
        fake::calls().clear();
    }

    static void hold(std::initializer_list<uint8_t> keys)
    {
        for (uint8_t &key : INP_KeyTable) {
            key = 0;
        }
        for (uint8_t key : keys) {
            INP_KeyTable[key] = INP_KEY_HELD;
        }
    }
};

TEST_F(OptTest, HotKeysTable)
{
    struct Case {
        const char *name;
        std::vector<uint8_t> keys;
        uint16_t last_key;
        std::function<void()> before;
        std::vector<std::string> calls;
        const char *message; // nullptr: no message set
        float frames;
        std::function<void()> check;
    };
    const Case cases[] = {
        {"Ctrl+S turns true shadows on", {kCtrl, 'S'}, 0, [] {}, {}, "True Shadow", 90,
         [] {
             EXPECT_EQ(OPT_RealShadow, 1);
             EXPECT_EQ(GAME_FadeTimer, 10.0f);
         }},
        {"Ctrl+S turns them off", {kCtrl, 'S'}, 0, [] { OPT_RealShadow = 1; }, {}, "2D Shadow", 90,
         [] { EXPECT_EQ(OPT_RealShadow, 0); }},
        {"Ctrl+S waits for the key pause timer", {kCtrl, 'S'}, 0, [] { GAME_FadeTimer = 3.0f; }, {}, nullptr, 0,
         [] {
             EXPECT_EQ(OPT_RealShadow, 0);
             EXPECT_EQ(GAME_FadeTimer, 3.0f);
         }},
        {"S alone is no hot key", {'S'}, 0, [] {}, {}, nullptr, 0, [] { EXPECT_EQ(OPT_RealShadow, 0); }},
        {"the hero-model chord in full screen", {kCtrl, 'H', 'M'}, 0, [] { OPT_Cinemascope = 0; }, {},
         "Hero Model 2", 90,
         [] {
             EXPECT_EQ(GAME_AltHeroModel, 1);
             EXPECT_EQ(GAME_FadeTimer, 10.0f);
         }},
        {"the chord back", {kCtrl, 'H', 'M'}, 0, [] { OPT_Cinemascope = 0, GAME_AltHeroModel = 1; }, {},
         "Hero Model 1", 90, [] { EXPECT_EQ(GAME_AltHeroModel, 0); }},
        {"the chord in cinemascope", {kCtrl, 'H', 'M'}, 0, [] {}, {}, nullptr, 0,
         [] { EXPECT_EQ(GAME_AltHeroModel, 0); }},
        {"the chord needs both letters", {kCtrl, 'H'}, 0, [] { OPT_Cinemascope = 0; }, {}, nullptr, 0,
         [] { EXPECT_EQ(GAME_AltHeroModel, 0); }},
        {"Tab", {kTab}, 0, [] {}, {"MENU_OpenSpells"}, nullptr, 0, [] {}},
        {"Alt+5", {kAlt, '5'}, 0, [] { OPT_CameraPreset = 3; }, {"CAM_LoadPreset"}, "Camera", 60,
         [] { EXPECT_EQ(OPT_CameraPreset, 0); }},
        {"Alt+6", {kAlt, '6'}, 0, [] {}, {"CAM_LoadPreset"}, "Camera 1", 60, [] { EXPECT_EQ(OPT_CameraPreset, 1); }},
        {"Alt+9", {kAlt, '9'}, 0, [] {}, {"CAM_LoadPreset"}, "Camera 4", 60, [] { EXPECT_EQ(OPT_CameraPreset, 4); }},
        {"Alt+0", {kAlt, '0'}, 0, [] {}, {"CAM_LoadPreset"}, "Camera 5", 60, [] { EXPECT_EQ(OPT_CameraPreset, 5); }},
        {"5 alone", {'5'}, 0, [] {}, {}, nullptr, 0, [] {}},
        {"F10", {kF10}, 0, [] {}, {}, nullptr, 0, [] { EXPECT_EQ(OPT_ControlHelp, 1); }},
        {"L", {'L'}, 0, [] {}, {"MENU_OpenSystem"}, nullptr, 0, [] {}},
        {"Alt+X", {kAlt, 'X'}, 0, [] {}, {}, nullptr, 0, [] { EXPECT_EQ(GAME_EndRequest, 1); }},
        {"X alone", {'X'}, 0, [] {}, {}, nullptr, 0, [] { EXPECT_EQ(GAME_EndRequest, 0); }},
        {"last key J", {}, 'J', [] {}, {"CTRL_SetDevice 3"}, "Joypad", 60,
         [] { EXPECT_NE(MGM_SendMessage(42) & (intptr_t(MGM_FWD_JOY2) << 8), 0); }},
        {"last key K", {}, 'K', [] { MGM_Flags &= uint8_t(~MGM_FWD_KEYS); }, {"CTRL_SetDevice 0"}, "Keyboard", 60,
         [] { EXPECT_NE(MGM_Flags & MGM_FWD_KEYS, 0); }},
        {"last key P pauses with the hero's heading", {}, 'P', [] { ACTOR_Slots[ACTOR_HERO].heading = 1234; }, {},
         nullptr, 0,
         [] {
             EXPECT_EQ(GAME_Paused, 1);
             EXPECT_EQ(GAME_PauseHeading, 1234);
         }},
        {"last key P again resumes and keeps the heading", {}, 'P',
         [] { GAME_Paused = 1, GAME_PauseHeading = 77, ACTOR_Slots[ACTOR_HERO].heading = 1234; }, {}, nullptr, 0,
         [] {
             EXPECT_EQ(GAME_Paused, 0);
             EXPECT_EQ(GAME_PauseHeading, 77);
         }},
        {"held P is no pause", {'P'}, 0, [] {}, {}, nullptr, 0, [] { EXPECT_EQ(GAME_Paused, 0); }},
        {"last key 0x97", {}, 0x97, [] {}, {"MENU_OpenObjects"}, nullptr, 0, [] {}},
        {"Escape stops a holding film", {}, 0x1B, [] { GAME_FilmHold = 1, GAME_ReturnToTitle = 1; }, {"HNM_Close"},
         nullptr, 0,
         [] {
             EXPECT_EQ(GAME_FilmHold, 0);
             EXPECT_EQ(GAME_EndRequest, 0);
         }},
        {"Escape without a film", {}, 0x1B, [] {}, {}, nullptr, 0, [] {}},
        {"Space stops a holding film", {}, ' ', [] { GAME_FilmHold = 1; }, {"HNM_Close"}, nullptr, 0,
         [] {
             EXPECT_EQ(GAME_FilmHold, 0);
             EXPECT_EQ(GAME_EndRequest, 0);
         }},
        {"Space with a film and the title to go back to", {}, ' ', [] { GAME_FilmHold = 1, GAME_ReturnToTitle = 1; },
         {"HNM_Close"}, nullptr, 0, [] { EXPECT_EQ(GAME_EndRequest, 1); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        start(1);
        hold({});
        for (uint8_t key : c.keys) {
            INP_KeyTable[key] = INP_KEY_HELD;
        }
        GAME_LastKey = c.last_key;
        c.before();
        OPT_HandleHotkeys();
        EXPECT_EQ(fake::calls(), c.calls);
        if (c.message != nullptr) {
            EXPECT_STREQ(SCR_Message, c.message);
            EXPECT_EQ(SCR_MessageTimer, c.frames);
        } else {
            EXPECT_EQ(SCR_MessageTimer, 0.0f);
        }
        c.check();
    }
}

TEST_F(OptTest, FunctionKeysSetTheScreenSize)
{
    struct Case {
        int32_t back_end;
        int key;
        int32_t width, height, index;
    };
    const Case cases[] = {
        {1, 0, 640, 480, 1}, // the window build refuses 800x600 and takes the next size
        {0, 0, 640, 480, 1}, {1, 1, 640, 480, 1}, {1, 2, 640, 400, 2}, {0, 3, 400, 300, 3},
        {1, 4, 320, 400, 4}, {0, 5, 320, 200, 5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.back_end << " F" << c.key + 1);
        start(c.back_end);
        hold({uint8_t(kF1 + c.key)});
        OPT_HandleHotkeys();
        EXPECT_EQ(SCR_Width, uint32_t(c.width));
        EXPECT_EQ(SCR_Height, uint32_t(c.height));
        EXPECT_EQ(WIN_Width, c.width);
        EXPECT_EQ(OPT_ResolutionIndex, c.index);
        EXPECT_EQ(SCR_Message, "Screen Resolution" + std::to_string(c.width) + "*" + std::to_string(c.height));
        EXPECT_EQ(SCR_MessageTimer, 90.0f);
    }
}

TEST_F(OptTest, AHeldFunctionKeySetsTheSizeOnEveryFrame)
{
    hold({kF1 + 2});
    const int dibs = test::Counts().dib_made;
    for (int frame = 0; frame < 3; frame++) {
        SCR_MessageTimer = 0.0f;
        OPT_HandleHotkeys();
        EXPECT_STREQ(SCR_Message, "Screen Resolution640*400");
        EXPECT_EQ(SCR_MessageTimer, 90.0f);
    }
    EXPECT_EQ(test::Counts().dib_made - dibs, 3);
}

TEST_F(OptTest, TheSizeSetsTheThreeDView)
{
    struct Case {
        int32_t cinemascope;
        int32_t index;
        int32_t view_w, view_h, view_y;
    };
    const Case cases[] = {
        {1, 1, 640, 360, 60}, {1, 5, 320, 150, 25}, {1, 3, 400, 225, 37}, {0, 1, 640, 480, 0}, {0, 5, 320, 200, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.cinemascope << " " << c.index);
        start(0);
        OPT_Cinemascope = c.cinemascope;
        GAME_SampleTime = 55;
        EDT_Active = 1;
        OBJ_View = OBJ_ViewParams{};
        OPT_SetResolution(c.index);
        EXPECT_EQ(OBJ_View.screen_width, int32_t(SCR_Width));
        EXPECT_EQ(OBJ_View.screen_height, int32_t(SCR_Height));
        EXPECT_EQ(OBJ_View.view_x, 0);
        EXPECT_EQ(OBJ_View.view_y, c.view_y);
        EXPECT_EQ(OBJ_View.view_width, c.view_w);
        EXPECT_EQ(OBJ_View.view_height, c.view_h);
        // The field of view of 76.36 degrees across the view's width.
        EXPECT_NEAR(OBJ_View.focal_x, c.view_w * 0.5 / std::tan(76.36 * 3.14159 / 360.0) + 0.5, 1e-3);
        EXPECT_EQ(OBJ_View.far_clip, 0xFFFFF);
        EXPECT_EQ(OBJ_View.near_clip, 140);
        EXPECT_EQ(GAME_SampleTime, 0);
        EXPECT_EQ(EDT_Active, 0);
    }
}

TEST_F(OptTest, ApplyingAgainAndRefusals)
{
    start(0);
    // -1 applies the current index again.
    OPT_ResolutionIndex = 5;
    OPT_SetResolution(-1);
    EXPECT_EQ(SCR_Width, 320u);
    EXPECT_STREQ(SCR_Message, "Screen Resolution320*200");

    // A holding film changes nothing.
    SCR_MessageTimer = 0.0f;
    GAME_FilmHold = 1;
    OPT_SetResolution(1);
    EXPECT_EQ(SCR_Width, 320u);
    EXPECT_EQ(OPT_ResolutionIndex, 5);
    EXPECT_EQ(SCR_MessageTimer, 0.0f);
    GAME_FilmHold = 0;

    // A display that refuses every size: one turn of the table, then everything stays as it was.
    for (DSP_Mode &mode : DSP_ModeTable) {
        mode.valid = 0;
    }
    const OBJ_ViewParams view = OBJ_View;
    const uint16_t *frame = SCR_FrameBuffer;
    OPT_SetResolution(2);
    EXPECT_EQ(OPT_ResolutionIndex, 5);
    EXPECT_EQ(SCR_Width, 320u);
    EXPECT_EQ(SCR_Height, 200u);
    EXPECT_EQ(SCR_FrameBuffer, frame);
    EXPECT_EQ(SCR_MessageTimer, 0.0f);
    EXPECT_EQ(std::memcmp(&view, &OBJ_View, sizeof view), 0);
}

TEST_F(OptTest, CinemascopeKeysActOnlyFromTheOtherFormat)
{
    // The first switch applies the current index (640x400), not the size the screen started at.
    hold({kF12});
    OPT_HandleHotkeys();
    EXPECT_EQ(OPT_Cinemascope, 1);
    EXPECT_EQ(SCR_Height, 480u);
    EXPECT_EQ(SCR_MessageTimer, 0.0f);

    hold({kF11});
    OPT_HandleHotkeys();
    EXPECT_EQ(OPT_Cinemascope, 0);
    EXPECT_EQ(SCR_Height, 400u);
    EXPECT_EQ(OBJ_View.view_height, 400);
    SCR_MessageTimer = 0.0f;
    OPT_HandleHotkeys();
    EXPECT_EQ(SCR_MessageTimer, 0.0f);

    hold({kF12});
    OPT_HandleHotkeys();
    EXPECT_EQ(OPT_Cinemascope, 1);
    EXPECT_EQ(OBJ_View.view_height, 300);
    EXPECT_EQ(OBJ_View.view_y, 50);
}

TEST_F(OptTest, ControlHelpLayout)
{
    struct Cell {
        int row, column;
        const char *text;
        int32_t x640, y640, x320, y320;
    };
    const Cell cells[] = {
        {0, 0, "Game Control", 16, 20, 8, 10},
        {0, 1, "Movement", 256, 20, 128, 10},
        {0, 2, "Combat", 424, 20, 212, 10},
        {2, 0, "Up Arrow", 16, 56, 8, 28},
        {2, 1, "Run", 256, 56, 128, 28},
        {2, 2, "Run", 424, 56, 212, 28},
        {8, 0, "Up Arrow and ALT", 16, 173, 8, 86},
        {8, 1, "Take-off", 256, 173, 128, 86},
        {13, 0, "SPACE", 16, 263, 8, 131},
        {13, 1, "Switch to Combat", 256, 263, 128, 131},
        {13, 2, "Switch to Movement", 424, 263, 212, 131},
        {17, 0, "F1 ...  F6", 16, 326, 8, 163},
        {17, 1, "Change Screen Resolution ( Def: F3 )", 256, 326, 128, 163},
    };
    for (int32_t width : {640, 320}) {
        SCOPED_TRACE(width);
        SCR_Width = uint32_t(width);
        fake::texts().clear();
        OPT_ControlHelp = 1;
        OPT_DrawControlHelp();
        EXPECT_EQ(OPT_ControlHelp, 0);
        const std::vector<fake::Text> &texts = fake::texts();
        for (const Cell &cell : cells) {
            SCOPED_TRACE(cell.text);
            const fake::Text expected{cell.text, width == 640 ? cell.x640 : cell.x320,
                                      width == 640 ? cell.y640 : cell.y320, 1};
            EXPECT_NE(std::find(texts.begin(), texts.end(), expected), texts.end());
        }
        // Row 8 has no combat cell, row 17 none either: nothing is drawn for them.
        for (const fake::Text &text : texts) {
            EXPECT_FALSE(text.text.empty());
        }
        EXPECT_EQ(texts.size(), 39u);
        // Once drawn, the help waits for F10 again.
        fake::texts().clear();
        OPT_DrawControlHelp();
        EXPECT_TRUE(fake::texts().empty());
    }
}

TEST_F(OptTest, DebugPanelShowsTheHerosTargetOrTheHero)
{
    ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
    ActorRecord target{};
    std::memcpy(target.node_name, "GOBLIN_WARRIOR01", 16); // no terminator
    target.position[0] = -12.9;
    target.heading = 1024;
    target.heading_speed = -3;
    target.flags[0] = 0x11;
    target.flags[1] = 0x02;
    target.flags[4] = 0xFF;
    target.phy_velocity[1] = 3.27;
    alignas(8) char inventory[952] = {};
    std::memcpy(inventory + 4 + 16 * 2, "epee", 5);
    std::memcpy(inventory + 4 + 16 * 7, "holo", 5);
    target.inventory = reinterpret_cast<INV_Record *>(inventory);
    hero.target = &target;
    OPT_DebugPanel = 1;
    OPT_DrawDebugPanel();
    auto at = [](int32_t x, int32_t y) {
        for (const fake::Text &text : fake::texts()) {
            if (text.x == x && text.y == y) {
                return text;
            }
        }
        return fake::Text{"<none>", x, y, -1};
    };
    EXPECT_EQ(at(32, 20), (fake::Text{"Debug Info ", 32, 20, 0}));
    EXPECT_EQ(at(32, 38).text, "Project Name : ");
    EXPECT_EQ(at(228, 58).text, "GOBLIN_WARRIOR01");
    EXPECT_EQ(at(228, 68).text, "-12");
    EXPECT_EQ(at(228, 78).text, "0.000000");
    EXPECT_EQ(at(32, 88).text, "Object PHY Speed : ");
    EXPECT_EQ(at(328, 88).text, "3.270000"); // the physics velocity's y
    EXPECT_EQ(at(228, 88).text, "0.000000");
    EXPECT_EQ(at(228, 98).text, "211");
    EXPECT_EQ(at(328, 98).text, "ff");
    EXPECT_EQ(at(228, 108).text, "1024");
    EXPECT_EQ(at(578, 108).text, "-3");
    EXPECT_EQ(at(32, 158).text, "Nombre d'objet : ");
    EXPECT_EQ(at(228, 158).text, "2");
    EXPECT_EQ(at(32, 168).text, "dernier objet : ");
    EXPECT_EQ(at(228, 168).text, "holo");

    // Without a target the hero shows, and an object that carries nothing has no last object.
    hero.target = nullptr;
    std::memcpy(hero.node_name, "xh_", 4);
    fake::texts().clear();
    OPT_DrawDebugPanel();
    EXPECT_EQ(at(228, 58).text, "xh_");
    EXPECT_EQ(at(228, 158).text, "0");
    EXPECT_EQ(at(32, 168).text, "<none>");
}

} // namespace
