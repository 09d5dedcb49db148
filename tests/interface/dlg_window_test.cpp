// The dialog window on the whole game: start-up on the demo installation in temporary drives, the
// demo's Project0 frame as the last picture shown, the clock moved 35 ms a round and keys tapped at
// chosen ticks; what the window draws is recorded through the interface tests' wrappers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/game_frame.h"
#include "core/mem.h"
#include "core/mgm.h"
#include "core/scr.h"
#include "core/snd.h"
#include "core/sys.h"
#include "interface/dlg.h"
#include "interface/ico.h"
#include "interface/menj.h"
#include "interface/menu.h"
#include "plat/test.h"
#include "tests/interface/hud_recorder.h"
#include "tests/support/core_state.h"
#include "tests/support/demo_level.h"
#include "tests/support/dialog_pictures.h"
#include "tests/support/drd_writer.h"
#include "tests/support/golden.h"
#include "tests/support/screen_target.h"
#include "tests/support/temp_drives.h"
#include "world/ctrl.h"

namespace {

constexpr int VK_RETURN = 0x0D;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_HOME = 0x24;

using hud_recorder::Kind;
using kalder_test::DialogRun;
using kalder_test::DialogScript;

// The demo's Project0 frame at each screen size, rendered once per program.
const std::vector<uint16_t> &background(int width, int height)
{
    static std::map<std::pair<int, int>, std::vector<uint16_t>> frames;
    auto &frame = frames[{width, height}];
    if (frame.empty()) {
        frame = kalder_test::DemoProject0Frame(width, height);
    }
    return frame;
}

struct DlgWindowTest : ::testing::Test {
    std::unique_ptr<kalder_test::TempDrives> drives;
    std::unique_ptr<kalder_test::DialogStage> stage;
    uint32_t arena_free = 0;

    void SetUp() override
    {
        kalder_test::ResetCore();
        test::SetExitHook(test::ThrowOnExit);
        hud_recorder::Clear();
        hud_recorder::DialogueAnswer() = -1;
        drives = std::make_unique<kalder_test::TempDrives>("CD");
        ASSERT_TRUE(kalder_test::WriteDemoInstallation(*drives));
    }
    void TearDown() override
    {
        stage.reset();
        SYS_ExitWord = 0;
        kalder_test::ResetCore();
        hud_recorder::Clear();
        drives.reset();
    }

    // Replaces the demo dialogue file before start-up.
    void WriteDialogue(const kalder_test::DrdWriter &w)
    {
        drives->Write('C', std::string("VORN/KALDER/") + kalder_test::kDialoguePath, w.Bytes());
    }
    void Start(int width = 640, int height = 480)
    {
        const std::vector<uint16_t> &frame = background(width, height);
        stage = std::make_unique<kalder_test::DialogStage>(width, height, frame);
        arena_free = MEM_StackFreeSpace(MEM_Arena);
        hud_recorder::Clear();
        hud_recorder::DialogueAnswer() = -1;
        test::ClearSoundCalls();
    }

    // The window closed and gave everything back.
    void ExpectClosed()
    {
        EXPECT_EQ(DLG_State, 0);
        EXPECT_EQ(CTRL_Device, CTRL_DeviceBackup);
        EXPECT_NE(CTRL_Device, CTRL_MENU_KEYS);
        EXPECT_EQ(CTRL_InstallDepth, 0);
        EXPECT_EQ(MGM_CurrentReceiver.handler, &GAME_FrameHandler);
        EXPECT_EQ(MEM_StackFreeSpace(MEM_Arena), arena_free);
        EXPECT_EQ(ICO_Picture, nullptr);
        EXPECT_TRUE(stage->screen().GuardIntact());
    }
};

int count_ops(test::SoundOp op)
{
    const int voice = test::InspectSound(SND_Voice.buffer).id;
    int n = 0;
    for (const test::SoundCall &call : test::SoundCalls()) {
        n += call.buffer == voice && call.op == op ? 1 : 0;
    }
    return n;
}

// The coloured texts of each presented frame, by the frame's tick.
struct TextsByFrame {
    std::vector<std::pair<int32_t, std::vector<hud_recorder::Drawn>>> frames;
    size_t seen = 0;
    void Take(int32_t tick)
    {
        std::vector<hud_recorder::Drawn> texts;
        const auto &drawn = hud_recorder::Drawings();
        for (; seen < drawn.size(); seen++) {
            if (drawn[seen].kind == Kind::Colour) {
                texts.push_back(drawn[seen]);
            }
        }
        frames.push_back({tick, texts});
    }
    const std::vector<hud_recorder::Drawn> *At(int32_t tick) const
    {
        const std::vector<hud_recorder::Drawn> *found = nullptr;
        for (const auto &[t, texts] : frames) {
            if (t == tick) {
                found = &texts;
            }
        }
        return found;
    }
};

TEST_F(DlgWindowTest, ALineShowsAtOnceAndTheOfferEndsAfter51Ticks)
{
    // Entry 1's voice claims, in its RIFF size, more bytes than its chunk holds: the voice buffer then
    // takes as many sample bytes as the play was handed, so they tell the length DLG_Start passed.
    kalder_test::DrdWriter w = kalder_test::DemoDialogue();
    std::vector<uint8_t> &image = w.entries[1].voice;
    const uint32_t claimed = uint32_t(image.size()) + 100000;
    std::memcpy(image.data() + 4, &claimed, 4);
    WriteDialogue(w);
    Start();
    TextsByFrame texts;
    std::vector<int32_t> states;
    std::vector<uint8_t> devices;
    DialogScript script;
    script.on_present = [&](int32_t tick) { texts.Take(tick); };
    script.on_round = [&](int32_t) {
        states.push_back(DLG_State);
        devices.push_back(CTRL_Device);
    };
    const DialogRun run = kalder_test::RunDialog(1, script);
    ASSERT_FALSE(run.limit_hit);
    // 1.5 s of voice: 22 ticks, then the offer until its 51st tick.
    EXPECT_EQ(DLG_GetDuration(), 22);
    EXPECT_EQ(kalder_test::DialogTick(), 22 + 51);
    ASSERT_NE(texts.At(0), nullptr);
    ASSERT_EQ(texts.At(0)->size(), 1u);
    EXPECT_EQ(texts.At(0)->at(0).text, "The boards creak.");
    EXPECT_EQ(texts.At(0)->at(0).frame, 1) << "fully shown from the first tick";
    EXPECT_EQ(texts.At(0)->at(0).x, 150);
    EXPECT_EQ(texts.At(0)->at(0).y, 90);
    // The end of the voice: the offer, over the line.
    const std::vector<hud_recorder::Drawn> *offer = texts.At(22);
    ASSERT_NE(offer, nullptr);
    ASSERT_EQ(offer->size(), 2u);
    EXPECT_EQ(offer->at(0).text, "Again");
    EXPECT_EQ(offer->at(0).x, 640 - 125);
    EXPECT_EQ(offer->at(0).y, 185 - 4);
    EXPECT_EQ(offer->at(1).text, "The boards creak.");
    bool icon = false;
    for (const hud_recorder::Drawn &d : hud_recorder::Drawings()) {
        if (d.kind == Kind::Plain) {
            icon = true;
            EXPECT_EQ(d.set, MENJ_Icons.joy[MENJ_JOY_SWI].set);
            EXPECT_EQ(d.sprite, MENJ_Icons.joy[MENJ_JOY_SWI].sprite);
            EXPECT_EQ(d.x, 640 - 40);
            EXPECT_EQ(d.y, 185 - 20);
        }
    }
    EXPECT_TRUE(icon);
    // One frame a tick while the voice plays, the offer once; nothing after it.
    EXPECT_EQ(run.frames.size(), 22u + 1u + 1u);
    // The play rewinds the buffer (a stop) before it starts; the close stops it.
    EXPECT_EQ(count_ops(test::SoundOp::Play), 1);
    EXPECT_EQ(count_ops(test::SoundOp::Stop), 2);
    const test::SoundBufferInfo voice = test::InspectSound(SND_Voice.buffer);
    EXPECT_EQ(voice.bits, 8);
    EXPECT_EQ(voice.channels, 1);
    EXPECT_EQ(voice.rate, 11025);
    // The play was handed the chunk's length: the whole image after its 44-byte header went into the
    // voice buffer, nothing of the lines' chunk that follows it.
    std::vector<std::vector<int64_t>> locks;
    for (const test::SoundCall &call : test::SoundCalls()) {
        if (call.buffer == voice.id && call.op == test::SoundOp::Lock) {
            locks.push_back(call.args);
        }
    }
    const uint32_t samples = uint32_t(image.size()) - 44;
    EXPECT_EQ(locks, (std::vector<std::vector<int64_t>>{{0, int64_t(samples)}}));
    ASSERT_GE(voice.bytes, samples);
    EXPECT_TRUE(std::equal(image.begin() + 44, image.end(), voice.data));
    // The window's set-up takes the menu keys while the dialog state reads 1; every round runs at 2.
    EXPECT_EQ(hud_recorder::DeviceSets(), (std::vector<hud_recorder::DeviceSet>{{CTRL_MENU_KEYS, 1}}));
    for (size_t i = 0; i < states.size(); i++) {
        EXPECT_EQ(states[i], 2) << i;
        EXPECT_EQ(devices[i], CTRL_MENU_KEYS) << i;
    }
    ExpectClosed();
}

TEST_F(DlgWindowTest, LinesFadeInOneAfterAnotherFourAtATime)
{
    kalder_test::DrdWriter w = kalder_test::DemoDialogue();
    // Entry 2: six lines 6 ticks apart over a 3 s voice (45 ticks).
    kalder_test::DrdEntry six;
    six.voice = kalder_test::DemoVoice(3.0);
    for (int i = 0; i < 6; i++) {
        six.lines.push_back({uint32_t(40 * i), "line " + std::to_string(i)});
    }
    w.entries.push_back(six);
    WriteDialogue(w);
    Start();
    {
        SCOPED_TRACE("the demo entry");
        TextsByFrame texts;
        DialogScript script;
        script.on_present = [&](int32_t tick) { texts.Take(tick); };
        script.keys = {{95, VK_ESCAPE}};
        ASSERT_FALSE(kalder_test::RunDialog(0, script).limit_hit);
        // Line 1 starts at tick 18: hidden on tick 19, then 10, 5, 2 and 1 from tick 20.
        const std::vector<std::pair<int32_t, int32_t>> fades = {{19, 0}, {20, 10}, {21, 5}, {22, 2}, {23, 1}, {30, 1}};
        for (const auto &[tick, fade] : fades) {
            const auto *drawn = texts.At(tick);
            ASSERT_NE(drawn, nullptr) << tick;
            int32_t seen = 0;
            for (const hud_recorder::Drawn &d : *drawn) {
                if (d.text == kalder_test::kDemoDialogueLines[1]) {
                    seen = d.frame;
                    EXPECT_EQ(d.y, 110);
                }
            }
            EXPECT_EQ(seen, fade) << tick;
        }
        EXPECT_EQ(texts.At(53)->size(), 3u) << "lines 0, 1 and 2";
        EXPECT_EQ(texts.At(56)->size(), 4u) << "line 3 joined the first group";
        ExpectClosed();
    }
    {
        SCOPED_TRACE("six lines");
        hud_recorder::Clear();
        hud_recorder::DialogueAnswer() = -1;
        TextsByFrame texts;
        DialogScript script;
        script.on_present = [&](int32_t tick) { texts.Take(tick); };
        script.keys = {{40, VK_RETURN}};
        ASSERT_FALSE(kalder_test::RunDialog(2, script).limit_hit);
        // Line 4 becomes current at tick 24 and shows fully from 29; line 5 from 35, in the second row.
        const auto *group = texts.At(36);
        ASSERT_NE(group, nullptr);
        ASSERT_EQ(group->size(), 2u);
        EXPECT_EQ(group->at(0).text, "line 4");
        EXPECT_EQ(group->at(0).y, 90);
        EXPECT_EQ(group->at(1).text, "line 5");
        EXPECT_EQ(group->at(1).y, 110);
        EXPECT_EQ(group->at(1).frame, 1);
        ExpectClosed();
    }
}

TEST_F(DlgWindowTest, KeysReplayOrCloseTheWindow)
{
    struct Case {
        const char *name;
        std::vector<std::pair<int32_t, int>> keys;
        int plays;
        int32_t closed_at; // the tick at which the window closed (one more when the key's round had a tick)
    };
    // Entry 1 lasts 22 ticks; the offer closes on its 51st tick.
    const std::vector<Case> cases = {
        {"Space after the end plays again", {{30, VK_SPACE}}, 2, 30 + 22 + 51},
        {"Home after the end plays again", {{25, VK_HOME}}, 2, 25 + 22 + 51},
        {"Escape while playing closes", {{10, VK_ESCAPE}}, 1, 10},
        {"Return while playing closes", {{5, VK_RETURN}}, 1, 5},
        {"Escape after the end closes", {{40, VK_ESCAPE}}, 1, 40},
        {"Return after the end closes", {{23, VK_RETURN}}, 1, 23},
        {"Space while playing does nothing", {{10, VK_SPACE}}, 1, 22 + 51},
    };
    Start();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        test::ClearSoundCalls();
        DialogScript script;
        script.keys = c.keys;
        int32_t replay_line = -1;
        script.on_round = [&](int32_t tick) {
            if (!c.keys.empty() && tick == c.keys[0].first + 1 && c.plays == 2) {
                replay_line = DLG_Window.current;
                EXPECT_EQ(DLG_Window.finished, 0);
                EXPECT_EQ(DLG_State, 2);
            }
        };
        ASSERT_FALSE(kalder_test::RunDialog(1, script).limit_hit);
        EXPECT_EQ(count_ops(test::SoundOp::Play), c.plays);
        EXPECT_GE(kalder_test::DialogTick(), c.closed_at);
        EXPECT_LE(kalder_test::DialogTick(), c.closed_at + 1);
        if (c.plays == 2) {
            EXPECT_EQ(replay_line, 0);
        }
        ExpectClosed();
    }
}

TEST_F(DlgWindowTest, AWindowThatCannotBeSetUpShowsNothing)
{
    kalder_test::DrdWriter w = kalder_test::DemoDialogue();
    // A picture chunk the picture sprite refuses: far too short for a sprite file.
    w.entries[1].picture = std::vector<uint8_t>(100, 7);
    WriteDialogue(w);
    Start();
    {
        SCOPED_TRACE("a damaged picture");
        const DialogRun run = kalder_test::RunDialog(1, DialogScript{});
        EXPECT_EQ(run.rounds, 0);
        EXPECT_TRUE(run.frames.empty());
        EXPECT_EQ(count_ops(test::SoundOp::Play), 0);
        EXPECT_EQ(hud_recorder::DeviceSets(), (std::vector<hud_recorder::DeviceSet>{{CTRL_MENU_KEYS, 1}}))
            << "set up as far as the picture";
        ExpectClosed();
    }
    {
        SCOPED_TRACE("no arena for the background");
        hud_recorder::DeviceSets().clear();
        void *hog = MEM_StackAlloc(MEM_Arena, MEM_StackFreeSpace(MEM_Arena) - 640 * 480 * 2 + 8);
        ASSERT_NE(hog, nullptr);
        const uint32_t left = MEM_StackFreeSpace(MEM_Arena);
        const DialogRun run = kalder_test::RunDialog(0, DialogScript{});
        EXPECT_EQ(run.rounds, 0);
        EXPECT_TRUE(run.frames.empty());
        EXPECT_EQ(count_ops(test::SoundOp::Play), 0);
        EXPECT_EQ(MEM_StackFreeSpace(MEM_Arena), left);
        EXPECT_TRUE(hud_recorder::DeviceSets().empty()) << "never set up";
        MEM_StackFree(MEM_Arena, hog);
        ExpectClosed();
    }
}

TEST_F(DlgWindowTest, SixtyFourLinesNeverReachPastTheLastRecord)
{
    kalder_test::DrdWriter w;
    kalder_test::DrdEntry many;
    many.voice = kalder_test::DemoVoice(6.0);
    // The first line starts at tick 10: the lines end 10 ticks before the voice does.
    for (int i = 0; i < DLG_MAX_LINES; i++) {
        many.lines.push_back({uint32_t(67 + i), "line " + std::to_string(i)});
    }
    w.entries = {many};
    WriteDialogue(w);
    Start();
    int32_t highest = 0;
    DialogScript script;
    script.on_round = [&](int32_t) { highest = std::max(highest, DLG_Window.current); };
    ASSERT_FALSE(kalder_test::RunDialog(0, script).limit_hit);
    EXPECT_EQ(highest, DLG_MAX_LINES - 1);
    EXPECT_EQ(DLG_Window.first, DLG_MAX_LINES - 4);
    EXPECT_EQ(kalder_test::DialogTick(), 90 + 51);
    ExpectClosed();
}

TEST_F(DlgWindowTest, ClosingTheProgramDuringTheWindowGivesEverythingBack)
{
    Start();
    DialogScript script;
    script.quit_at = 10;
    ASSERT_FALSE(kalder_test::RunDialog(0, script).limit_hit);
    EXPECT_EQ(SYS_ExitWord, 1);
    EXPECT_EQ(kalder_test::DialogTick(), 10);
    EXPECT_EQ(count_ops(test::SoundOp::Play), 1);
    EXPECT_EQ(count_ops(test::SoundOp::Stop), 2) << "the play's rewind and the close";
    ExpectClosed();
}

TEST_F(DlgWindowTest, Goldens)
{
    struct Shot {
        const char *name;
        int32_t tick;
    };
    struct Case {
        int width, height;
        std::vector<Shot> shots;
    };
    const std::vector<Case> cases = {
        {640,
         480,
         {{"dlg-window-first-640x480", 0},
          {"dlg-window-fading-640x480", 20},
          {"dlg-window-group2-640x480", 77},
          {"dlg-window-again-640x480", 90}}},
        {320, 200, {{"dlg-window-first-320x200", 0}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.width);
        stage.reset();
        Start(c.width, c.height);
        DialogScript script;
        script.keys = {{c.shots.back().tick + 1, VK_ESCAPE}};
        const DialogRun run = kalder_test::RunDialog(0, script);
        ASSERT_FALSE(run.limit_hit);
        for (const Shot &shot : c.shots) {
            SCOPED_TRACE(shot.name);
            const kalder_test::DialogFrame *frame = kalder_test::FrameAt(run, shot.tick);
            ASSERT_NE(frame, nullptr);
            EXPECT_EQ(frame->tick, shot.tick);
            EXPECT_TRUE(kalder_test::MatchesGolden(shot.name, frame->pixels.data(), c.width, c.height, false));
        }
        ExpectClosed();
    }
}

TEST(DlgDrawWindow, HalvesTheBandAndBlacksTheRowUnderIt)
{
    struct Case {
        int width, height;
        bool rgb555;
        uint16_t halved;
        int first, rows;
    };
    const std::vector<Case> cases = {
        {640, 480, false, 0x7BEF, 64, 131},
        {640, 480, true, 0x3DEF, 64, 131},
        {320, 200, false, 0x7BEF, 32, 65},
        {320, 200, true, 0x3DEF, 32, 65},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << (c.rgb555 ? " 555" : " 565"));
        kalder_test::ScreenTarget screen(c.width, c.height, c.rgb555);
        screen.Fill(0xFFFF);
        MENU_ComputeLayout();
        DLG_DrawWindow();
        for (int y = 0; y < c.height; y++) {
            const uint16_t expected = y >= c.first && y < c.first + c.rows ? c.halved : y == c.first + c.rows ? 0 : 0xFFFF;
            for (int x : {0, 1, c.width / 2, c.width - 1}) {
                ASSERT_EQ(screen.at(x, y), expected) << x << "," << y;
            }
        }
        EXPECT_TRUE(screen.GuardIntact());
    }
}

} // namespace
