// Fuzzes the level load: the input is a project record (the demo Project0 supplies the bytes after
// its end), loaded over the demo installation as the game tick loads a pending project. The scene
// stream then runs its frames, the sky turns, every character goes back to its start and the view is
// rendered. A stop with the game's text (a model that does not load) is an answer, not a fault.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/scr.h"
#include "plat/test.h"
#include "tests/support/demo_level.h"
#include "tests/support/level_start.h"
#include "tests/support/screen_target.h"
#include "tests/support/temp_drives.h"
#include "world/actor.h"
#include "world/dsn.h"
#include "world/mdl.h"
#include "world/prj.h"
#include "world/prj_load.h"

namespace {

struct Level {
    kalder_test::TempDrives drives{"CD"};
    kalder_test::ScreenTarget screen{320, 200};
    std::vector<uint8_t> project0;
    Level()
    {
        kalder_test::WriteDemoLevel(drives);
        project0 = kalder_test::DemoDatabase().records[0];
        test::SetExitHook(test::ThrowOnExit);
        kalder_test::StartLevelCore();
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
    std::memcpy(&record, level.project0.data(), sizeof record);
    std::memcpy(&record, data, std::min(size, sizeof record));
    // Another data part asks the player for another disc and waits for it.
    record.data_part = 0;
    for (ActorRecord &slot : ACTOR_Slots) {
        std::memset(static_cast<void *>(&slot), 0, sizeof slot);
    }
    MDL_LoadingScene = 0;
    PRJ_MakeCurrent(&record);
    PRJ_PendingFlag = 1;
    try {
        PRJ_LoadPending();
        for (int i = 0; i < 32; i++) {
            DSN_UpdateFrame();
            MDL_RotateSky();
        }
        for (ActorRecord &slot : ACTOR_Slots) {
            if (slot.flags[0] & ACTOR_F0_IN_USE) {
                ACTOR_ResetToStart(&slot);
            }
        }
        SCR_ComposeFrame();
    } catch (const test::ExitCalled &) {
    }
    return 0;
}
