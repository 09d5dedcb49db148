// The game receiver's handler. For now it drains the game queue, follows films and runs the world
// frame; control mapping, the replay step, the HUD, the overlays, the frame time and the hot keys
// are not connected yet.
#include "core/game_frame.h"

#include "core/mgm.h"
#include "core/que.h"
#include "core/scr.h"
#include "core/sys.h"
#include "films/hnm.h"
#include "world/game.h"

uint8_t GAME_FrameHandler()
{
    MGM_Event event;
    while (QUE_Read(GAME_EventQueue, &event)) {
        switch (event.type) {
        case '>':
            if (GAME_FilmFrozen != 1) {
                HNM_NextFrame();
                if (GAME_FilmHold == 1) {
                    SCR_Flip();
                }
            }
            break;
        case '?':
            GAME_FilmHold = 0;
            if (GAME_ReturnToTitle != 0) {
                GAME_EndRequest = 1;
            }
            break;
        default:
            break;
        }
    }
    if (GAME_FilmHold == 0) {
        SCR_Flip();
        GAME_Tick();
    } else if (MGM_IsVideoRunning() == 0) {
        GAME_FilmHold = 0;
    }
    return GAME_EndRequest == 1 ? 0 : 1;
}
