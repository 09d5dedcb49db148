// Fuzzes the scene triggers over their sources from outside: the input, cut or padded to 1,024 bytes,
// becomes the 16 trigger sources of the triggers' small level. The table is copied as at a load, every
// character is told of it, every zone asks whether it is built now, and the triggers are evaluated 40
// times while the hero walks a fixed path past the characters. A stop with the game's text is an answer,
// not a fault.
#include <cstdint>
#include <cstring>

#include "core/game_frame.h"
#include "core/mgm.h"
#include "core/opt.h"
#include "core/que.h"
#include "core/sys.h"
#include "interface/menj.h"
#include "plat/test.h"
#include "tests/support/trigger_level.h"
#include "world/actor.h"
#include "world/phy.h"
#include "world/prj.h"
#include "world/tex.h"
#include "world/trg.h"
#include "world/zon.h"

namespace {

struct Level {
    kalder_test::TriggerLevel level;
    ActorRecord slots[ACTOR_SLOT_COUNT];
    LevelRecord record;
    int32_t fields = 0;
    Level()
    {
        level.Load(kalder_test::TriggerLevelRecord().Bytes());
        std::memcpy(static_cast<void *>(slots), ACTOR_Slots, sizeof slots);
        std::memcpy(&record, PRJ_Current, sizeof record);
        fields = PHY_FieldCount;
    }
    // Back to the state after the load, so that every input starts from the same world.
    void Restore()
    {
        std::memcpy(static_cast<void *>(ACTOR_Slots), slots, sizeof slots);
        std::memcpy(PRJ_Current, &record, sizeof record);
        PHY_FieldCount = fields;
        ACTOR_BuildActiveLists();
        MGM_Event event;
        while (QUE_Read(MENJ_Queue, &event)) {
        }
        TEX_Shading.tint[0] = TEX_Shading.tint[1] = TEX_Shading.tint[2] = 0;
        GAME_FadeTimer = 0.0f;
        GAME_TimeFactor = 1.0;
    }
};

Level &The_Level()
{
    test::SetExitHook(test::ThrowOnExit);
    static Level level;
    return level;
}

} // namespace

// The level is started before the first input, so that its start-up (a cleared 3D work area and the
// level's files) does not count against the first input's time limit on a busy machine.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    The_Level();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Level &level = The_Level();
    level.Restore();
    std::memset(PRJ_Current->triggers, 0, sizeof PRJ_Current->triggers);
    std::memcpy(PRJ_Current->triggers, data, size < sizeof PRJ_Current->triggers ? size : sizeof PRJ_Current->triggers);
    try {
        TRG_Load();
        for (ActorRecord &slot : ACTOR_Slots) {
            if ((slot.flags[0] & ACTOR_F0_IN_USE) != 0 && &slot != &ACTOR_Slots[ACTOR_HERO]) {
                TRG_HideLaterShown(&slot);
            }
        }
        for (int32_t z = 0; z < ZON_COUNT; z++) {
            TRG_ZoneBuiltAtLoad(z);
        }
        // From the hero's start across the creatures and back past the box and the crystal.
        ActorRecord *hero = kalder_test::TriggerLevel::Hero();
        for (int32_t i = 0; i < 40; i++) {
            const double t = i / 39.0;
            kalder_test::TriggerLevel::Place(hero, -600.0 + 600.0 * t, 140.0, 2500.0 * (i < 20 ? t * 2 : 2 - t * 2));
            GAME_TimeFactor = i % 3 == 0 ? 2.0 : 1.0;
            GAME_FadeTimer = i == 30 ? 5.0f : 0.0f;
            TRG_Update(hero);
        }
    } catch (const test::ExitCalled &) {
    }
    return 0;
}
