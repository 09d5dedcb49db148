// The game world's frame. No level is loaded by the tick yet, so a tick has nothing to move: it only
// composes the picture, as every tick ends.
#include "world/game.h"

#include <cstdio>
#include <cstring>

#include "core/dsk.h"
#include "core/scr.h"
#include "engine3d/matcache.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"
#include "plat/system.h"

int32_t GAME_FarClip = 0xFFFFF;
void *GAME_3DHeap;

// Start-up: the library's limits and material directory, then the library on its work area with the
// view of the whole screen. Not built yet beyond that: the inventory reset belongs to the game tick
// to come.
int32_t GAME_Init3DEngine()
{
    Max_Handle_Tables = 1024;
    Max_Cache_Entries = 256;
    const char *root = DSK_ModelPath();
    std::snprintf(Material_Dir, sizeof Material_Dir, "%sdata\\3dc\\", root != nullptr ? root : "");
    if (GAME_3DHeap == nullptr) {
        GAME_3DHeap = PLAT_HeapAlloc(GAME_3DHeapSize);
    }
    if (GAME_3DHeap != nullptr) {
        std::memset(GAME_3DHeap, 0, GAME_3DHeapSize);
        Init_3D(GAME_3DHeap, GAME_3DHeapSize);
        Set_Screen_Size(int32_t(SCR_Width), int32_t(SCR_Height));
        Set_Viewport_Fov(int32_t(SCR_Width), int32_t(SCR_Height), 0, 0, 76.36f);
    }
    return 1;
}

void GAME_Exit3DEngine()
{
    if (GAME_3DHeap != nullptr) {
        PLAT_HeapFree(GAME_3DHeap);
        GAME_3DHeap = nullptr;
        Work_Area = nullptr;
        Work_Size = 0;
    }
    PLAT_WriteStdout("desinit 3Dengine\n");
}

void GAME_Tick(int32_t) { SCR_ComposeFrame(); }
