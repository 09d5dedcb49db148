// The programs' start-up as far as a level load needs it (see level_start.h).
#include "tests/support/level_start.h"

#include "core/dpr.h"
#include "core/dsk.h"
#include "core/mem.h"
#include "core/mgm.h"
#include "core/opt.h"
#include "core/sys.h"
#include "engine3d/coll.h"
#include "interface/menj.h"
#include "world/dan.h"
#include "world/dsn.h"
#include "world/game.h"
#include "world/prj.h"

namespace kalder_test {

void StartStreams()
{
    if (MEM_Arena == nullptr) {
        MEM_Arena = MEM_CreateStack(0x172000);
    }
    if (DPR_Main == nullptr) {
        DPR_Main = DPR_Create(0x57800, 0x57800, 0x8000);
    }
    DSN_Create();
    DAN_Init();
}

void StartLevelCore()
{
    DSK_Locate();
    PRJ_LoadDatabase();
    GAME_Init3DEngine();
    StartStreams();
    Coll_Init();
}

void StopLevelCore()
{
    // A film the level left open (its texture film) closes while the buffers it reads still live, so
    // that the next level load in this process does not close it again into freed memory.
    MGM_SendMessage(25, 0, 0);
    DSN_Reset();
    DAN_Release();
    Coll_Free();
    GAME_Exit3DEngine();
    DPR_Destroy(DPR_Main);
    DPR_Main = nullptr;
    MEM_DestroyStack(MEM_Arena);
    MEM_Arena = nullptr;
}

void StartDemoLevel(int ticks, bool letterbox)
{
    StartLevelCore();
    MENJ_Init();
    OPT_Cinemascope = letterbox ? 1 : 0;
    GAME_OpeningFilmFlag = 0;
    for (int i = 0; i < ticks; i++) {
        GAME_Tick(0);
    }
}

} // namespace kalder_test
