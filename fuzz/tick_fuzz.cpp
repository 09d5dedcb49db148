// Fuzzes the game tick over a project's record: the input is a project record (the demo Project0
// supplies the bytes after its end), then up to 4 places of 3 x i16 where the hero is put, 10 ticks
// apart, relative to the scene object. The tick loads the record over the demo installation and runs
// 48 ticks: its exits (boxes, conditions, targets and films from the record), the fades, the switches
// and the loads of the projects they lead to. A byte after the places, when odd, kills the hero. A stop
// with the game's text is an answer, not a fault.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/game_frame.h"
#include "core/opt.h"
#include "core/sys.h"
#include "editor/edt.h"
#include "interface/menj.h"
#include "plat/test.h"
#include "tests/support/demo_level.h"
#include "tests/support/icon_pack_writer.h"
#include "tests/support/level_start.h"
#include "tests/support/screen_target.h"
#include "tests/support/temp_drives.h"
#include "world/actor.h"
#include "world/game.h"
#include "world/mdl.h"
#include "world/prj.h"

namespace {

constexpr size_t kRecord = sizeof(LevelRecord);
constexpr int kPlaces = 4;

struct Level {
    kalder_test::TempDrives drives{"CD"};
    kalder_test::ScreenTarget screen{320, 200};
    std::vector<uint8_t> project0;
    Level()
    {
        kalder_test::WriteDemoLevel(drives);
        kalder_test::WriteDemoIconPack(drives.Host('D')); // MENJ's start-up opens it from the disc
        project0 = kalder_test::DemoDatabase().records[0];
        test::SetExitHook(test::ThrowOnExit);
        kalder_test::StartLevelCore();
        MENJ_Init();
    }
};

Level &The_Level()
{
    static Level level;
    return level;
}

} // namespace

// The demo level is written and started before the first input, so that its start-up does not count
// against the first input's time limit on a busy machine.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    The_Level();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Level &level = The_Level();
    static LevelRecord record;
    std::memcpy(&record, level.project0.data(), kRecord);
    if (size > 0) {
        std::memcpy(&record, data, std::min(size, kRecord));
    }
    // Another data part asks the player for another disc and waits for it.
    record.data_part = 0;
    int16_t places[kPlaces][3] = {};
    const size_t tail = size > kRecord ? size - kRecord : 0;
    if (tail > 0) {
        std::memcpy(places, data + kRecord, std::min(tail, sizeof places));
    }
    const bool dies = tail > sizeof places && (data[kRecord + sizeof places] & 1) != 0;

    for (ActorRecord &slot : ACTOR_Slots) {
        std::memset(static_cast<void *>(&slot), 0, sizeof slot);
    }
    MDL_LoadingScene = 0;
    PRJ_Current = &PRJ_CurrentRecord;
    PRJ_MakeCurrent(&record);
    PRJ_PendingFlag = 1;
    PRJ_Next = nullptr;
    std::memset(PRJ_PreviousName, 0, sizeof PRJ_PreviousName);
    GAME_FadeTimer = 0.0f;
    GAME_TimeFactor = 1.05;
    GAME_OpeningFilmFlag = 1;
    GAME_FilmHold = GAME_FilmFrozen = 0;
    GAME_EndRequest = 0;
    GAME_Paused = 0;
    EDT_Active = 0;
    try {
        for (int tick = 0; tick < 48; tick++) {
            // Another project's record may ask for another disc too.
            PRJ_CurrentRecord.data_part = 0;
            ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
            const ActorRecord &scene = ACTOR_Slots[ACTOR_SCENE];
            if (tick % 10 == 2 && tick / 10 < kPlaces) {
                for (int i = 0; i < 3; i++) {
                    hero.position[i] = scene.position[i] + places[tick / 10][i];
                }
            }
            if (dies && tick == 30) {
                hero.life = 0.0f;
                hero.current_anim = 50;
                hero.frame_count = 8;
                hero.frame_position = 8.0f;
            }
            GAME_Tick(0);
        }
    } catch (const test::ExitCalled &) {
    }
    return 0;
}
