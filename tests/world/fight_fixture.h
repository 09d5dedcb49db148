// The projectile and hit tests' bench: a fight scene of four fighters (slot 2, the scene's, left
// empty), the headless sound with the demo bank, the camera's and the menus' event queues, and helpers
// that read what was played and posted.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "core/fsb.h"
#include "core/game_frame.h"
#include "core/que.h"
#include "core/snd.h"
#include "interface/menj.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/fight_scene.h"
#include "tests/support/fsb_writer.h"
#include "tests/support/temp_drives.h"
#include "tests/world/fx_recorder.h"
#include "world/actor.h"
#include "world/cam.h"
#include "world/ctrl.h"
#include "world/flick.h"
#include "world/fx.h"
#include "world/mis.h"
#include "world/spc.h"
#include "world/tex.h"

namespace fight_test {

using kalder_test::Fighter;

struct Bench : ::testing::Test {
    std::unique_ptr<kalder_test::TempDrives> drives;
    std::unique_ptr<kalder_test::FightScene> scene;
    ActorRecord *hero = nullptr;

    void SetUp() override
    {
        kalder_test::ResetCore();
        test::SetExitHook(test::ThrowOnExit);
        drives = std::make_unique<kalder_test::TempDrives>("C");
        test::SetSoundDevice(true);
        drives->Write('C', "data/sound/fsb.dat", kalder_test::FsbImage(kalder_test::DemoSounds(24)));
        ASSERT_EQ(SND_Init(8), 1);
        FSB_Load("C:\\data\\sound\\fsb.dat");
        GAME_TimeFactor = 1.0;
        scene = std::make_unique<kalder_test::FightScene>(4);
        ACTOR_Slots[ACTOR_SCENE].flags[0] = 0;
        hero = scene->Actor(0);
        // Out of everyone's way unless a test places it.
        Fighter far;
        far.x = 7000.0;
        far.z = 7000.0;
        scene->Set(0, far);
        std::memset(TEX_Shading.tint, 0, sizeof TEX_Shading.tint);
        for (int32_t &control : CTRL_Controls) {
            control = 0;
        }
        QUE_Destroy(MENJ_Queue);
        MENJ_Queue = QUE_Create(50);
        ASSERT_EQ(CAM_Init(), 1);
        CAM_LoadPreset();
        Forget();
    }
    void TearDown() override
    {
        CAM_Exit();
        QUE_Destroy(MENJ_Queue);
        MENJ_Queue = nullptr;
        scene.reset();
        drives.reset();
        kalder_test::ResetCore();
    }
    // Fighters in slots 3 and 4.
    ActorRecord *A(const Fighter &f) { return scene->Set(2, f); }
    ActorRecord *B(const Fighter &f) { return scene->Set(3, f); }

    // The effect channels holding the bank's sound, requested as a positional sound (flags 0x01).
    static int32_t Playing(int32_t sound)
    {
        int32_t n = 0;
        for (int32_t c = 0; c < SND_ChannelCount; c++) {
            const SND_Channel &channel = SND_Channels[c];
            n += channel.handle != 0 && (channel.handle & 0xFFFF) == uint32_t(sound) &&
                 ((channel.handle >> 16) & 7) == 1 && channel.flags == 0x01;
        }
        return n;
    }
    // Empties what the effect, light and special-object stand-ins saw and the two event queues.
    static void Forget()
    {
        FX_BallCount = 0;
        FX_LastBall = {};
        fx_recorder::Forget();
        FLICK_CreateCalls = FLICK_RemoveCalls = 0;
        FLICK_LastCreate = {};
        FLICK_LastRemoved = nullptr;
        SPC_ShowVidCalls = SPC_HideVidCalls = 0;
        SPC_LastShowVid = nullptr;
        QUE_Clear(MENJ_Queue);
        CAM_Init();
    }
    // The menus' events posted since the last Forget, each as its letter and its two words.
    static std::string MenuEvents()
    {
        std::string text;
        MGM_Event event;
        while (QUE_Read(MENJ_Queue, &event) != 0) {
            text += char(event.type);
            text += std::to_string(event.a) + "," + std::to_string(event.b) + " ";
        }
        return text;
    }
    // The actor the camera follows after the events posted since the last Forget; null when none
    // was posted.
    static ActorRecord *CameraSubject()
    {
        CAM_CompCameraPos();
        return CAM_Mode == CAM_FOLLOW ? CAM_Follow.subject : nullptr;
    }
    static void Silence()
    {
        SND_StopAll();
        for (SND_Channel &channel : SND_Channels) {
            channel.handle = 0;
        }
    }
    // A projectile of the type in the first record, in flight at the position, shot by the shooter.
    static ActorRecord *Projectile(int32_t type, ActorRecord *shooter, double x, double y, double z)
    {
        ActorRecord *p = &ACTOR_Projectiles[0];
        p->flags[0] |= ACTOR_F0_IN_USE;
        p->flags[1] = shooter != nullptr ? uint8_t(shooter->flags[1] & ACTOR_F1_TEAM) : 0;
        p->flags[2] |= ACTOR_F2_FLYING;
        p->physics_mode = type;
        p->leader = shooter;
        p->life = 10.0f;
        p->position[0] = x;
        p->position[1] = y;
        p->position[2] = z;
        p->velocity[0] = 10.0f;
        p->velocity[1] = p->velocity[2] = 0.0f;
        p->enemy_count = p->ally_count = 0;
        return p;
    }
};

} // namespace fight_test
