// The game tick's test benches: a small project database of our own in memory, the hero and the
// scene object in their slots, a frame buffer, the MENJ queue, and sound on with a bank whose sample
// 13 is the level-change sound, so that the tick's sounds, events and switches can be read back; and
// the demo level, which the tick loads for real.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/fsb.h"
#include "core/game_frame.h"
#include "core/opt.h"
#include "core/que.h"
#include "core/scr.h"
#include "core/snd.h"
#include "core/sys.h"
#include "editor/edt.h"
#include "interface/menj.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/fsb_writer.h"
#include "tests/support/icon_pack_writer.h"
#include "tests/support/level_writer.h"
#include "tests/support/temp_drives.h"
#include "tests/world/level_fixture.h"
#include "world/actor.h"
#include "world/cam.h"
#include "world/ctrl.h"
#include "world/game.h"
#include "world/mdl.h"
#include "world/prj.h"
#include "world/tex.h"
#include "world/visited.h"
#include "world/wpn.h"

namespace tick_test {

namespace level = kalder_test::level;
using kalder_test::LevelRecordBuilder;

// The game words a tick reads, as a level in play has them: no fade, no film, no pause, no editor.
inline void ResetGameWords()
{
    GAME_FadeTimer = 0.0f;
    GAME_TimeFactor = 1.0;
    GAME_HeroDied = 0;
    GAME_OpeningFilmFlag = 0;
    GAME_Paused = 0;
    GAME_AltHeroModel = 0;
    GAME_FilmHold = 0;
    GAME_FilmFrozen = 0;
    EDT_Active = 0;
    WPN_BowWasDrawn = WPN_SwordWasDrawn = 0;
    PRJ_SkipNextVisited = 0;
    for (int32_t &control : CTRL_Controls) {
        control = 0;
    }
}

// The projects of the bench: 0 and 1 plain, 2 ends the game, 3 opens with a film, one whose name is
// longer than an exit's target field, 5 fades in its own colour, and 10, the knowledge power's, with a
// film.
inline kalder_test::KalderDatWriter SmallDatabase()
{
    kalder_test::KalderDatWriter db;
    auto project = [](const std::string &name) {
        return LevelRecordBuilder(kalder_test::BlankEditorRecord()).Name(name).InUse();
    };
    db.records[0] = project("Project0").Bytes();
    db.records[1] = project("Project1").Bytes();
    db.records[2] = project("Project2").Element(0, "SCENE", "END.DSN").Bytes();
    db.records[3] = project("Project3").Text(level::kFilm, level::kTextSize, "p3film.hnm").Bytes();
    db.records[4] = project("ProjectLongName").Bytes();
    db.records[5] = project("Project5").I32(level::kFadeKind, 1).Bytes();
    db.records[6] = project("Project10").Text(level::kFilm, level::kTextSize, "k10film.hnm").Bytes();
    return db;
}

// The names of the sounds playing on the effect channels (the bank index of each).
inline std::vector<int32_t> SoundsPlaying()
{
    std::vector<int32_t> sounds;
    for (int32_t i = 0; i < SND_ChannelCount; i++) {
        const SND_Channel &c = SND_Channels[i];
        if (c.handle != 0 && test::InspectSound(c.buffer).playing) {
            sounds.push_back(int32_t(c.handle & 0xFFFF));
        }
    }
    return sounds;
}

// Every event in MENJ_Queue, read out.
inline std::vector<MGM_Event> MenjEvents()
{
    std::vector<MGM_Event> events;
    MGM_Event event;
    while (QUE_Read(MENJ_Queue, &event)) {
        events.push_back(event);
    }
    return events;
}

inline std::string Name(const LevelRecord *record)
{
    return record == nullptr ? "(none)" : std::string(record->name, strnlen(record->name, sizeof record->name));
}

struct TickBench : ::testing::Test {
    std::unique_ptr<kalder_test::TempDrives> drives;
    std::vector<uint16_t> frame;

    void SetUp() override
    {
        kalder_test::ResetCore();
        test::SetExitHook(test::ThrowOnExit);
        drives = std::make_unique<kalder_test::TempDrives>("CD");
        drives->Write('D', "DATA/SOUND/FSB.DAT", kalder_test::FsbImage(kalder_test::DemoSounds(14)));
        test::SetSoundDevice(true);
        ASSERT_EQ(SND_Init(8), 1);
        FSB_Load("D:\\data\\sound\\fsb.dat");
        // MENJ's start-up opens the icon pack from the current drive.
        drives->Write('C', "DATA/ICONE/ICONES.BF", kalder_test::DemoIconPack());
        MENJ_Init();
        Screen(640, 480);
        OPT_Cinemascope = 0;
        UseDatabase(SmallDatabase());
        MakeCurrent("Project0");
        ResetWorld();
    }

    void TearDown() override
    {
        MENJ_Shutdown();
        kalder_test::ResetCore();
        SCR_Width = SCR_Height = 0;
        drives.reset();
    }

    void Screen(uint32_t width, uint32_t height)
    {
        SCR_Width = width;
        SCR_Height = height;
        frame.assign(size_t(width) * height, 0x1234);
        SCR_FrameBuffer = frame.data();
    }

    static void UseDatabase(const kalder_test::KalderDatWriter &db)
    {
        const std::vector<uint8_t> image = db.Image();
        std::memset(PRJ_Database, 0, sizeof PRJ_Database);
        std::memcpy(PRJ_Database, image.data(), std::min(image.size(), sizeof PRJ_Database));
    }

    // Makes the named project current with no load pending, as after its load.
    static void MakeCurrent(const char *name)
    {
        std::memset(PRJ_PreviousName, 0, sizeof PRJ_PreviousName);
        char buffer[32] = {};
        std::strncpy(buffer, name, sizeof buffer - 1);
        PRJ_Current = &PRJ_CurrentRecord;
        LevelRecord *record = PRJ_SwitchTo(buffer, sizeof buffer);
        ASSERT_NE(record, nullptr) << name;
        PRJ_MakeCurrent(record);
        std::memset(PRJ_PreviousName, 0, sizeof PRJ_PreviousName);
        PRJ_PendingFlag = 0;
        PRJ_Next = nullptr;
    }

    // The hero in slot 1 and the scene object in slot 2, nothing else; no fade, no film, no pause.
    static void ResetWorld()
    {
        for (ActorRecord &actor : ACTOR_Slots) {
            ACTOR_InitRecord(&actor);
        }
        for (ActorRecord &actor : ACTOR_Projectiles) {
            ACTOR_InitRecord(&actor);
        }
        ActorRecord *hero = Hero();
        hero->flags[0] = ACTOR_F0_IN_USE | ACTOR_F0_HERO;
        hero->life = 100.0f;
        std::strcpy(hero->node_name, "XH_");
        ActorRecord *scene = &ACTOR_Slots[ACTOR_SCENE];
        scene->flags[0] = ACTOR_F0_IN_USE;
        scene->position[0] = 1000.0;
        scene->position[1] = 0.0;
        scene->position[2] = -500.0;
        ACTOR_BuildActiveLists();
        ResetGameWords();
        TEX_Shading = TEX_ShadingState{};
        TEX_Reset();
        for (MENJ_HandSlot &hand : MENJ_Hands) {
            hand.set = 7;
        }
    }

    static ActorRecord *Hero() { return &ACTOR_Slots[ACTOR_HERO]; }

    // A character of the level in slot n, in use.
    static ActorRecord *Character(int32_t n, const char *node)
    {
        ActorRecord *actor = &ACTOR_Slots[n];
        actor->flags[0] = ACTOR_F0_IN_USE;
        actor->life = 100.0f;
        std::strcpy(actor->node_name, node);
        ACTOR_BuildActiveLists();
        return actor;
    }

    // Places the actor at (x, y, z) relative to the scene object, where exit boxes are measured from.
    static void PlaceRelative(ActorRecord *actor, double x, double y, double z)
    {
        const ActorRecord *scene = &ACTOR_Slots[ACTOR_SCENE];
        actor->position[0] = scene->position[0] + x;
        actor->position[1] = scene->position[1] + y;
        actor->position[2] = scene->position[2] + z;
    }
};

// The demo level on its drives, started as far as a level load needs, with a 640 x 480 screen and
// the MENJ queue: the tick loads the demo's projects for real.
struct LevelBench : level_test::LevelTest {
    void SetUp() override
    {
        LevelTest::SetUp();
        OPT_Cinemascope = 0;
        // On the disc, the current drive once the data is located.
        drives->Write('D', "DATA/ICONE/ICONES.BF", kalder_test::DemoIconPack());
        MENJ_Init();
        ResetGameWords();
    }

    void TearDown() override
    {
        MENJ_Shutdown();
        LevelTest::TearDown();
    }

    // Ticks until the pending project has loaded (at most 3 ticks).
    static void TickUntilLoaded()
    {
        for (int i = 0; i < 3 && PRJ_PendingFlag == 1; i++) {
            GAME_Tick(0);
        }
        ASSERT_EQ(PRJ_PendingFlag, 0);
    }

    static ActorRecord *Hero() { return &ACTOR_Slots[ACTOR_HERO]; }
};

// The demo level loaded through the game tick with its camera running: the bench of the tests that play
// the demo's characters frame by frame.
struct DemoLevelBench : LevelBench {
    void SetUp() override
    {
        LevelBench::SetUp();
        CAM_Init();
        TickUntilLoaded();
    }
    void TearDown() override
    {
        CAM_Exit();
        LevelBench::TearDown();
    }
    // The character in use whose node has this name; null when none.
    static ActorRecord *Named(const char *node)
    {
        for (ActorRecord &a : ACTOR_Slots) {
            if ((a.flags[0] & ACTOR_F0_IN_USE) && std::strcmp(a.node_name, node) == 0) {
                return &a;
            }
        }
        return nullptr;
    }
};

} // namespace tick_test
