// The game world's frame. No level is loaded yet, so a tick has nothing to move: it only composes
// the picture, as every tick ends.
#include "world/game.h"

#include <cstring>

#include "core/scr.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"
#include "plat/system.h"

int32_t GAME_FarClip = 0xFFFFF;

namespace {

constexpr size_t Engine_Area_Size = 7850000;
void *Engine_Area;

} // namespace

// Starts the 3D library on its work area, with the view of the whole screen. Not built yet beyond
// that: the material directory and the inventory belong to the level loading to come.
int32_t GAME_Init3DEngine()
{
    Max_Handle_Tables = 1024;
    Max_Cache_Entries = 256;
    if (Engine_Area == nullptr) {
        Engine_Area = PLAT_HeapAlloc(Engine_Area_Size);
    }
    if (Engine_Area != nullptr) {
        std::memset(Engine_Area, 0, Engine_Area_Size);
        Init_3D(Engine_Area, Engine_Area_Size);
        Set_Screen_Size(int32_t(SCR_Width), int32_t(SCR_Height));
        Set_Viewport_Fov(int32_t(SCR_Width), int32_t(SCR_Height), 0, 0, 76.36f);
    }
    return 1;
}

void GAME_Exit3DEngine()
{
    if (Engine_Area != nullptr) {
        PLAT_HeapFree(Engine_Area);
        Engine_Area = nullptr;
        Work_Area = nullptr;
        Work_Size = 0;
    }
    PLAT_WriteStdout("desinit 3Dengine\n");
}

void GAME_Tick(int32_t) { SCR_ComposeFrame(); }
