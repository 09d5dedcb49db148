// The scene triggers' test bench: the triggers' small level loaded afresh for each case, its trigger
// sources given and copied again, and the helpers that read what the triggers left behind. Shared by
// the trigger tests of the world's program and of its film program.
#pragma once
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

#include "core/game_frame.h"
#include "core/opt.h"
#include "core/que.h"
#include "core/sys.h"
#include "engine3d/object.h"
#include "engine3d/records.h"
#include "engine3d/workarea.h"
#include "interface/menj.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/trigger_level.h"
#include "tests/world/tick_fixture.h"
#include "world/actor.h"
#include "world/ai.h"
#include "world/cam.h"
#include "world/game.h"
#include "world/inv.h"
#include "world/prj.h"
#include "world/trg.h"

namespace trigger_test {

namespace tl = kalder_test::trigger_level;
using kalder_test::LevelRecordBuilder;
using kalder_test::TriggerLevel;
using kalder_test::TriggerSource;

inline bool Disabled(const ActorRecord *a) { return (a->flags[3] & ACTOR_F3_DISABLED) != 0; }

inline bool TreeHidden(OBJ_Handle h)
{
    const Addr r = Get_Hierarchy_Record(h);
    return (uint32_t(W_Get32(r + Addr(offsetof(OBJ_Record, flags)))) & OBJ_FLAG_SKIP_TREE) != 0;
}

// In the AI's member lists, so that the AI steps it and the others see it.
inline bool Grouped(const ActorRecord *a)
{
    for (int32_t i = 0; i < AI_MemberCount; i++) {
        if (AI_MemberList[i] == a) {
            return true;
        }
    }
    return false;
}

inline TriggerSource Source(uint32_t conditions, uint32_t actions, int32_t a = -1, int32_t b = -1)
{
    TriggerSource t;
    t.conditions = conditions;
    t.actions = actions;
    t.element_a = a;
    t.element_b = b;
    return t;
}

// The MENJ events posted since the last reading, oldest first.
using tick_test::MenjEvents;

struct TriggerTest : ::testing::Test {
    void SetUp() override
    {
        kalder_test::ResetCore();
        test::SetExitHook(test::ThrowOnExit);
        level = std::make_unique<TriggerLevel>();
        Load(kalder_test::TriggerLevelRecord());
    }
    void TearDown() override
    {
        CAM_EventObserver = nullptr;
        level.reset();
        kalder_test::ResetCore();
    }

    // Loads the project with these triggers (source i from trigger i).
    void Load(LevelRecordBuilder record, const std::vector<TriggerSource> &triggers = {})
    {
        for (size_t i = 0; i < triggers.size(); i++) {
            record.Trigger(i, triggers[i]);
        }
        // The hero keeps its inventory from level to level; each case starts empty-handed.
        INV_Reset();
        level->Load(record.Bytes());
        GAME_FadeTimer = 0.0f;
        GAME_TimeFactor = 1.0;
        GAME_FilmHold = GAME_FilmFrozen = 0;
        MenjEvents();
    }

    // Gives the loaded project these trigger sources and copies them again, as a level load does.
    static void Sources(const std::vector<TriggerSource> &triggers)
    {
        LevelRecordBuilder b;
        for (size_t i = 0; i < triggers.size(); i++) {
            b.Trigger(i, triggers[i]);
        }
        std::memcpy(PRJ_Current->triggers, b.Bytes().data() + kalder_test::level::kTriggers, sizeof PRJ_Current->triggers);
        TRG_Load();
    }

    static ActorRecord *Hero() { return TriggerLevel::Hero(); }
    static ActorRecord *Actor(int32_t e) { return TriggerLevel::Actor(e); }
    static bool Fired(int32_t i) { return (TRG_LastFired & (1u << i)) != 0; }
    static bool Active(int32_t i) { return (TRG_Records[i].flags & TRG_ACTIVE) != 0; }

    std::unique_ptr<TriggerLevel> level;
};

} // namespace trigger_test
