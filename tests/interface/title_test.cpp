// The title sequence on the whole game: start-up on the demo installation in a temporary drive, the
// headless clock moved 5 ms a dispatch pass, keys tapped through the keyboard at chosen passes, and
// every run bounded, so that a title waiting on the wrong thing fails instead of hanging.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/dpr.h"
#include "core/dsp.h"
#include "core/game_frame.h"
#include "core/mgm.h"
#include "core/opt.h"
#include "core/que.h"
#include "core/scr.h"
#include "core/sys.h"
#include "core/win.h"
#include "films/hnm.h"
#include "interface/menj.h"
#include "interface/menu.h"
#include "interface/slot.h"
#include "interface/title.h"
#include "interface/txt.h"
#include "plat/test.h"
#include "tests/interface/hud_recorder.h"
#include "tests/support/core_state.h"
#include "tests/support/demo_level.h"
#include "tests/support/film_writer.h"
#include "tests/support/golden.h"
#include "tests/support/hud_pictures.h"
#include "tests/support/play_run.h"
#include "tests/support/screen_target.h"
#include "tests/support/temp_drives.h"
#include "tests/support/title_films.h"
#include "world/ctrl.h"
#include "world/prj.h"

namespace {

constexpr int VK_RETURN = 0x0D;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_LEFT = 0x25;
constexpr int VK_RIGHT = 0x27;

// A run that ends inside the title leaves its receivers installed and its film open, as the game
// does; the next test of the process must start without them. The film's streaming buffer went with
// the shutdown: the film is forgotten, not closed.
void forget_title_leftovers()
{
    if (DPR_Main == nullptr) {
        HNM_Kind = 0;
    }
    QUE_Destroy(TITLE_Queue);
    TITLE_Queue = nullptr;
    if (CTRL_InstallDepth > 0) {
        QUE_Destroy(CTRL_Queue);
        CTRL_Queue = nullptr;
        CTRL_InstallDepth = 0;
    }
}

// What a test scripts: keys tapped at passes of the intro (counted from 1 under the title's receiver)
// and of the menu (counted from 1 under the control receiver), a window close, and a bound.
struct Script {
    std::vector<std::pair<int, int>> intro_keys;
    std::vector<std::pair<int, int>> menu_keys;
    int close_in_intro = 0; // the window is closed at this intro pass; 0: never
    int pass_limit = 2500;
};

// What the run saw.
struct Seen {
    std::vector<MGM_Handler> receivers; // the current receiver at each pass, repeats dropped
    int intro_passes = 0;
    int menu_passes = 0;                // passes under the control receiver: menu and closing
    bool limit_hit = false;
    std::vector<int32_t> items;         // the current item after each change
    std::vector<int32_t> beats_at_move; // the beat counter seen right after each change of item
    std::vector<int32_t> sub_screens;   // the sub-screen after each change
    int32_t choice_clock = -1;          // the clock of the pass that saw the first choice sound
    int32_t end_clock = -1;             // the clock when TITLE_Run returned
    std::vector<std::string> films;     // the films opened, by game path
};

int count_sounds(int32_t sound)
{
    int n = 0;
    for (int32_t s : hud_recorder::Sounds()) {
        n += s == sound ? 1 : 0;
    }
    return n;
}

struct TitleTest : ::testing::Test {
    std::unique_ptr<kalder_test::TempDrives> drives;
    bool started = false;

    void SetUp() override
    {
        kalder_test::ResetCore();
        forget_title_leftovers();
        test::SetExitHook(test::ThrowOnExit);
        hud_recorder::Clear();
        // The title keeps its current item from one run to the next, as within a process.
        TITLE_Item = 0;
        drives = std::make_unique<kalder_test::TempDrives>("CD");
        ASSERT_TRUE(kalder_test::WriteDemoInstallation(*drives));
    }
    void TearDown() override
    {
        test::SetPumpHook(nullptr);
        test::SetPresentHook(nullptr);
        test::SetOpenObserver(nullptr);
        HNM_Trace = nullptr;
        forget_title_leftovers();
        if (started) {
            MGM_SendMessage(25);
            SYS_DestroyMessageManager();
            SYS_Shutdown();
            WIN_ShutdownDisplay();
            TXT_FreeAll();
            started = false;
        }
        kalder_test::ResetCore();
        drives.reset();
    }

    void RemoveDiscFile(const char *path) { std::filesystem::remove(drives->Host('D') + "/" + path); }
    void WriteDiscFile(const char *path, const std::vector<uint8_t> &bytes)
    {
        drives->Write('D', path, bytes);
    }

    // Start-up as WinMain does it, in the window program's display.
    void StartUp()
    {
        DSP_BackEnd = 1;
        ASSERT_TRUE(WIN_InitDisplay(nullptr, 1));
        SYS_Init();
        SYS_CreateMessageManager();
        started = true;
    }

    // TITLE_Run under the script.
    Seen RunTitle(const Script &script)
    {
        Seen seen;
        int passes = 0;
        int32_t last_item = TITLE_Item;
        int32_t last_sub = 0;
        int choices_seen = 0;
        test::SetOpenObserver([&](const char *path) {
            const std::string p(path);
            if (p.size() > 4 && p.compare(p.size() - 4, 4, ".hnm") == 0) {
                seen.films.push_back(p);
            }
        });
        test::SetPumpHook([&] {
            const MGM_Handler handler = MGM_CurrentReceiver.handler;
            if (seen.receivers.empty() || seen.receivers.back() != handler) {
                seen.receivers.push_back(handler);
            }
            // What the last pass changed.
            if (TITLE_Item != last_item) {
                seen.items.push_back(TITLE_Item);
                seen.beats_at_move.push_back(TITLE_BeatCount);
                last_item = TITLE_Item;
            }
            if (TITLE_SubScreen != last_sub) {
                seen.sub_screens.push_back(TITLE_SubScreen);
                last_sub = TITLE_SubScreen;
            }
            const int choices = count_sounds(10);
            if (choices > choices_seen && seen.choice_clock < 0) {
                seen.choice_clock = int32_t(MGM_SendMessage(17));
            }
            choices_seen = choices;

            passes++;
            test::AdvanceClock(5);
            if (handler == &TITLE_Handler) {
                seen.intro_passes++;
                for (const auto &[pass, vk] : script.intro_keys) {
                    if (pass == seen.intro_passes) {
                        test::KeyTap(vk);
                    }
                }
                if (seen.intro_passes == script.close_in_intro) {
                    test::PostQuit();
                }
            } else if (handler == &CTRL_Dispatcher) {
                seen.menu_passes++;
                for (const auto &[pass, vk] : script.menu_keys) {
                    if (pass == seen.menu_passes) {
                        test::KeyTap(vk);
                    }
                }
            }
            if (passes == script.pass_limit) {
                seen.limit_hit = true;
                test::PostQuit();
            }
        });
        TITLE_Run();
        seen.end_clock = int32_t(MGM_SendMessage(17));
        test::SetPumpHook(nullptr);
        test::SetOpenObserver(nullptr);
        return seen;
    }
};

std::vector<uint8_t> film_without_pictures(int frames)
{
    kalder_test::FilmWriter film("HNM6");
    film.Size(640, 304);
    for (int f = 0; f < frames; f++) {
        film.BeginFrame().Subtitle("").EndFrame();
    }
    film.ZeroFrame();
    return film.Bytes();
}

// ---------------------------------------------------------------------------------------------------
// The intro

TEST_F(TitleTest, TheIntroGoesOnToTheMenu)
{
    struct Case {
        const char *name;
        std::function<void(TitleTest &)> prepare;
        Script script;
        int menu_from, menu_to;  // intro passes before the menu
        bool intro_opens;
    };
    const std::vector<Case> cases = {
        {"Space during the intro", nullptr, {{{10, VK_SPACE}}, {{30, VK_ESCAPE}}}, 10, 11, true},
        {"Escape during the intro", nullptr, {{{10, VK_ESCAPE}}, {{30, VK_ESCAPE}}}, 10, 11, true},
        // 46 frames at 15 a second.
        {"the intro's end", nullptr, {{}, {{30, VK_ESCAPE}}}, 600, 660, true},
        {"no intro file", [](TitleTest &t) { t.RemoveDiscFile(kalder_test::kIntroFilmDiscPath); },
         {{}, {{30, VK_ESCAPE}}}, 0, 0, false},
        {"an intro of 10 frames without pictures",
         [](TitleTest &t) { t.WriteDiscFile(kalder_test::kIntroFilmDiscPath, film_without_pictures(10)); },
         {{}, {{30, VK_ESCAPE}}}, 120, 160, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        if (c.prepare) {
            c.prepare(*this);
        }
        StartUp();
        const Seen seen = RunTitle(c.script);
        ASSERT_FALSE(seen.limit_hit);
        EXPECT_EQ(SYS_ExitWord, 0);
        EXPECT_GE(seen.intro_passes, c.menu_from);
        EXPECT_LE(seen.intro_passes, c.menu_to);
        // The title's receiver while the intro ran, then the control receiver, then the game's back.
        std::vector<MGM_Handler> expected;
        if (c.intro_opens) {
            expected.push_back(&TITLE_Handler);
        }
        expected.push_back(&CTRL_Dispatcher);
        EXPECT_EQ(seen.receivers, expected);
        EXPECT_EQ(MGM_CurrentReceiver.handler, &GAME_FrameHandler);
        EXPECT_EQ(TITLE_Queue, nullptr);
        EXPECT_EQ(CTRL_InstallDepth, 0);
        ASSERT_GE(seen.films.size(), 2u);
        EXPECT_EQ(seen.films[0], "data\\hnm\\intro.hnm");
        EXPECT_EQ(seen.films[1], "data\\hnm\\generic.hnm");
        // Escape on the menu quits.
        EXPECT_EQ(GAME_EndRequest, 1);
    }
}

// A window closed during the intro ends the title at once with the process quit word set, the
// receivers left as they are; WinMain then ends without dispatching again, with status 0.
TEST_F(TitleTest, AWindowClosedDuringTheIntroEndsTheTitleAtOnce)
{
    StartUp();
    Script script;
    script.close_in_intro = 20;
    const Seen seen = RunTitle(script);
    EXPECT_FALSE(seen.limit_hit);
    EXPECT_EQ(SYS_ExitWord, 1);
    EXPECT_EQ(seen.intro_passes, 20);
    EXPECT_EQ(MGM_CurrentReceiver.handler, &TITLE_Handler);
    EXPECT_NE(TITLE_Queue, nullptr);
    EXPECT_EQ(CTRL_InstallDepth, 1);

    TearDown();
    SetUp();
    kalder_test::PlayOptions options;
    options.title_keys = {};
    options.title_pass_limit = 20;
    const kalder_test::PlayResult result = kalder_test::PlayRun(options);
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.win_main_result, 0);
    EXPECT_EQ(result.rounds, 0);
    EXPECT_EQ(result.title_passes, 20);
    const std::string &out = test::Stdout();
    const std::string last = "desinit 3Dengine \n";
    ASSERT_GE(out.size(), last.size());
    EXPECT_EQ(out.substr(out.size() - last.size()), last);
}

// ---------------------------------------------------------------------------------------------------
// The menu

TEST_F(TitleTest, LeftAndRightCircleTheRing)
{
    struct Case {
        int key;
        std::vector<int32_t> visits;
    };
    const std::vector<Case> cases = {{VK_LEFT, {2, 3, 1, 0}}, {VK_RIGHT, {1, 3, 2, 0}}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.key == VK_LEFT ? "left" : "right");
        TearDown();
        SetUp();
        StartUp();
        // A move every 100 passes, so that beats were counted before each.
        Script script{{{5, VK_SPACE}}, {{100, c.key}, {200, c.key}, {300, c.key}, {400, c.key}, {500, VK_ESCAPE}}};
        const Seen seen = RunTitle(script);
        ASSERT_FALSE(seen.limit_hit);
        // Escape ends on "QUIT".
        std::vector<int32_t> visits = c.visits;
        visits.push_back(3);
        EXPECT_EQ(seen.items, visits);
        EXPECT_EQ(seen.beats_at_move, (std::vector<int32_t>{0, 0, 0, 0, 0}));
        EXPECT_EQ(count_sounds(9), 4);
        EXPECT_EQ(count_sounds(10), 1);
        EXPECT_EQ(hud_recorder::SoundFlags(), std::vector<int32_t>(5, 0x20));
    }
}

TEST_F(TitleTest, TheChoices)
{
    struct Case {
        const char *name;
        std::vector<std::pair<int, int>> menu_keys;
        int32_t item;  // the item when the title returned
        bool new_game;
        std::vector<int32_t> sub_screens;
    };
    const std::vector<Case> cases = {
        {"Space on NEW GAME", {{20, VK_SPACE}}, 0, true, {}},
        {"Return on NEW GAME", {{20, VK_RETURN}}, 0, true, {}},
        {"Space on QUIT", {{20, VK_LEFT}, {30, VK_LEFT}, {40, VK_SPACE}}, 3, false, {}},
        {"Escape on LOAD A GAME", {{20, VK_RIGHT}, {30, VK_ESCAPE}}, 3, false, {}},
        {"LOAD A GAME opens and closes its list", {{20, VK_RIGHT}, {30, VK_RETURN}, {60, VK_ESCAPE}}, 3, false,
         {1, 0}},
        {"OPTIONS opens and closes", {{20, VK_LEFT}, {30, VK_SPACE}, {60, VK_ESCAPE}}, 3, false, {1, 0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        StartUp();
        MENJ_Hands[1] = {2, 3, 1};
        MENJ_Info.icon = {2, 4};
        GAME_ReturnToTitle = 1;
        const Seen seen = RunTitle({{{5, VK_SPACE}}, c.menu_keys});
        ASSERT_FALSE(seen.limit_hit);
        EXPECT_EQ(TITLE_Item, c.item);
        EXPECT_EQ(seen.sub_screens, c.sub_screens);
        if (!c.sub_screens.empty()) {
            // The sub-screen closed on its next pass, back on the same item.
            ASSERT_GE(seen.items.size(), 2u);
            EXPECT_EQ(seen.items[seen.items.size() - 2], c.menu_keys[0].second == VK_RIGHT ? 1 : 2);
        }
        EXPECT_EQ(GAME_ReturnToTitle, 0);
        // The closing passes last at least three beats.
        ASSERT_GE(seen.choice_clock, 0);
        EXPECT_GT(seen.end_clock - seen.choice_clock, 80);
        EXPECT_EQ(CTRL_Controls[CTRL_K1] & CTRL_CHANGED, 0);
        EXPECT_EQ(CTRL_InstallDepth, 0);
        if (c.new_game) {
            EXPECT_EQ(GAME_EndRequest, 0);
            EXPECT_EQ(PRJ_Current->film_name[0], '\0');
            EXPECT_EQ(PRJ_Next, PRJ_Current);
            EXPECT_EQ(PRJ_PendingFlag, 1);
            EXPECT_EQ(GAME_FadeTimer, 15.0f);
            EXPECT_EQ(GAME_FilmFrozen, 0);
            for (const MENJ_HandSlot &hand : MENJ_Hands) {
                EXPECT_EQ(hand.set, -1);
                EXPECT_EQ(hand.sprite, -1);
            }
            EXPECT_EQ(MENJ_Info.icon.set, -1);
            EXPECT_EQ(MENJ_Info.icon.sprite, -1);
        } else {
            EXPECT_EQ(GAME_EndRequest, 1);
            EXPECT_EQ(MENJ_Hands[1].set, 2);
        }
        // No film plays after the title: the menu's background was stopped and nothing opened since.
        EXPECT_EQ(seen.films.back(), "data\\hnm\\generic.hnm");
        EXPECT_EQ(HNM_Kind, 0);
        EXPECT_EQ(MGM_IsVideoRunning(), 0);
    }
}

// A quit from the menu ends the program through WinMain with status 0, after the one game frame that
// WinMain's loop runs before it sees the end; "NEW GAME" goes on to the demo level with no opening
// film.
TEST_F(TitleTest, WinMainAfterTheTitle)
{
    kalder_test::PlayOptions options;
    options.title_keys = {VK_SPACE, VK_ESCAPE};
    options.rounds = 5;
    kalder_test::PlayResult result = kalder_test::PlayRun(options);
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.win_main_result, 0);
    EXPECT_EQ(result.rounds, 1);
    EXPECT_TRUE(result.ended_by_itself);

    TearDown();
    SetUp();
    options.title_keys = {VK_SPACE, VK_RETURN};
    result = kalder_test::PlayRun(options);
    std::string played;
    for (const std::string &line : result.lines) {
        played += line + "\n";
    }
    SCOPED_TRACE(played);
    EXPECT_EQ(result.win_main_result, 0);
    EXPECT_EQ(result.rounds, 5);
    EXPECT_EQ(played.find("film ends"), std::string::npos);
}

// ---------------------------------------------------------------------------------------------------
// Drawing

// With both films missing the menu paces itself every 13 clock units over a cleared screen: each
// present is the golden picture of the current item, so a move leaves no trace of the last label.
TEST_F(TitleTest, WithoutFilmsTheMenuIsDrawnEvery13Units)
{
    RemoveDiscFile(kalder_test::kIntroFilmDiscPath);
    RemoveDiscFile(kalder_test::kGenericFilmDiscPath);
    StartUp();
    std::vector<std::pair<int32_t, std::vector<uint16_t>>> shown; // clock, pixels
    test::SetPresentHook([&](int) {
        if (MGM_CurrentReceiver.handler == &CTRL_Dispatcher && TITLE_Done == 0) {
            shown.emplace_back(int32_t(MGM_SendMessage(17)), test::Presents().back().pixels);
        }
    });
    const Seen seen = RunTitle({{}, {{60, VK_RIGHT}, {100, VK_ESCAPE}}});
    test::SetPresentHook(nullptr);
    ASSERT_FALSE(seen.limit_hit);
    ASSERT_GE(shown.size(), 6u);
    for (size_t i = 1; i < shown.size(); i++) {
        EXPECT_EQ(shown[i].first - shown[i - 1].first, 13) << "present " << i;
    }
    const std::vector<uint16_t> &before = shown[2].second;
    const std::vector<uint16_t> &after = shown[6].second;
    EXPECT_TRUE(kalder_test::MatchesGolden("title-menu-640x480-new-game", before.data(), 640, 480, false));
    EXPECT_TRUE(kalder_test::MatchesGolden("title-menu-640x480-load", after.data(), 640, 480, false));
}

// Over the demo's background film the menu is drawn once for each of the film's frames, and the
// picture is the film's frame with the menu over it.
TEST_F(TitleTest, OverTheFilmTheMenuIsDrawnOnItsFrames)
{
    StartUp();
    static int film_pictures;
    film_pictures = 0;
    HNM_Trace = [](const char *routine, const uint8_t *, uint32_t, int32_t, int32_t, int32_t) {
        if (std::strcmp(routine, "HNM_ShowIXFrame") == 0) {
            film_pictures++;
        }
    };
    // From the first present of the menu: the pictures the film showed and the menus drawn by then.
    bool counting = false;
    std::vector<std::pair<int, int>> at_present; // pictures, menus drawn
    std::vector<uint16_t> tenth;
    test::SetPresentHook([&](int) {
        if (MGM_CurrentReceiver.handler != &CTRL_Dispatcher) {
            return;
        }
        if (!counting) {
            counting = true;
            film_pictures = 0;
            hud_recorder::Drawings().clear();
        }
        int menus = 0;
        for (const hud_recorder::Drawn &d : hud_recorder::Drawings()) {
            menus += d.kind == hud_recorder::Kind::Shaded ? 1 : 0;
        }
        at_present.emplace_back(film_pictures, menus);
        if (film_pictures == 10 && tenth.empty()) {
            tenth = test::Presents().back().pixels;
        }
    });
    const Seen seen = RunTitle({{{5, VK_SPACE}}, {{200, VK_ESCAPE}}});
    test::SetPresentHook(nullptr);
    ASSERT_FALSE(seen.limit_hit);
    // Each present shows one more picture of the film with one more menu drawn over it.
    ASSERT_GE(at_present.size(), 12u);
    for (size_t i = 1; i < at_present.size(); i++) {
        EXPECT_EQ(at_present[i].first, at_present[i - 1].first + 1) << "present " << i;
        EXPECT_EQ(at_present[i].second, at_present[i - 1].second + 1) << "present " << i;
    }
    ASSERT_FALSE(tenth.empty());
    EXPECT_TRUE(kalder_test::MatchesGolden("title-menu-film-640x480", tenth.data(), 640, 480, false));
}

// The cells and the label at three screen sizes, and the golden pictures of the menu.
struct TitlePictureTest : ::testing::Test {
    void SetUp() override
    {
        kalder_test::ResetCore();
        test::SetExitHook(test::ThrowOnExit);
        hud = std::make_unique<kalder_test::DemoHud>();
    }
    void TearDown() override
    {
        hud.reset();
        kalder_test::ResetCore();
    }
    std::unique_ptr<kalder_test::DemoHud> hud;
};

TEST_F(TitlePictureTest, CellsAndLabelFollowTheLayout)
{
    struct Case {
        int width, height;
        int32_t x[2], y[2]; // columns and rows
        int32_t label_x, label_y;
    };
    // x = c x (64 / hd) + 50 / hd, y = r x (64 / vd) + 85 / vd, label (50 / hd, (vh - 135) / vd + 24 / vd).
    const std::vector<Case> cases = {
        {640, 480, {50, 114}, {85, 149}, 50, 369},
        {400, 300, {25, 57}, {42, 74}, 25, 244},
        {320, 200, {25, 57}, {42, 74}, 25, 144},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        kalder_test::ScreenTarget screen(c.width, c.height);
        MENU_ComputeLayout();
        TITLE_LoadFrame();
        for (const TITLE_ItemRecord &item : TITLE_Items) {
            EXPECT_EQ(item.x, c.x[item.column]) << item.label;
            EXPECT_EQ(item.y, c.y[item.row]) << item.label;
            EXPECT_GE(item.unlit_set, 0) << item.unlit;
            EXPECT_GE(item.lit_set, 0) << item.lit;
        }
        EXPECT_EQ(TITLE_LabelX, c.label_x);
        EXPECT_EQ(TITLE_LabelY, c.label_y);
        // The current item lit, the others not, and its label.
        hud_recorder::Clear();
        TITLE_Item = 2;
        TITLE_DrawMenu();
        const std::vector<hud_recorder::Drawn> &drawn = hud_recorder::Drawings();
        ASSERT_EQ(drawn.size(), 5u);
        EXPECT_EQ(drawn[4].kind, hud_recorder::Kind::Shaded);
        EXPECT_EQ(drawn[4].frame, 0); // not dimmed
        for (int i = 0; i < 4; i++) {
            const TITLE_ItemRecord &item = TITLE_Items[i];
            EXPECT_EQ(drawn[size_t(i)].sprite, i == 2 ? item.lit_sprite : item.unlit_sprite);
            EXPECT_EQ(drawn[size_t(i)].x, item.x);
            EXPECT_EQ(drawn[size_t(i)].y, item.y);
        }
        EXPECT_EQ(drawn[4].text, "OPTIONS");
        EXPECT_EQ(drawn[4].x, c.label_x);
        EXPECT_EQ(drawn[4].y, c.label_y);
        EXPECT_EQ(drawn[4].fade, 0);
    }
}

TEST_F(TitlePictureTest, Goldens)
{
    struct Case {
        const char *name;
        int width, height;
        int32_t item;
    };
    const std::vector<Case> cases = {
        {"title-menu-640x480-new-game", 640, 480, 0}, {"title-menu-640x480-load", 640, 480, 1},
        {"title-menu-640x480-options", 640, 480, 2},  {"title-menu-640x480-quit", 640, 480, 3},
        {"title-menu-320x200-new-game", 320, 200, 0}, {"title-menu-400x300-options", 400, 300, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        kalder_test::ScreenTarget screen(c.width, c.height);
        screen.Fill(0);
        MENU_ComputeLayout();
        TITLE_LoadFrame();
        TITLE_Item = c.item;
        TITLE_DrawMenu();
        EXPECT_TRUE(screen.GuardIntact());
        const std::vector<uint16_t> frame = screen.Frame();
        EXPECT_TRUE(kalder_test::MatchesGolden(c.name, frame.data(), c.width, c.height, false));
    }
}

} // namespace
