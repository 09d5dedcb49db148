// The program's spine: WinMain, the start-up order, the main loop, the shutdown order, fatal errors.
#include "core/sys.h"

#include <cstring>
#include <string>

#include "core/dpr.h"
#include "core/dsk.h"
#include "core/game_frame.h"
#include "core/mem.h"
#include "core/mgm.h"
#include "core/que.h"
#include "core/scr.h"
#include "core/win.h"
#include "engine3d/coll.h"
#include "engine3d/pairs.h"
#include "interface/drd.h"
#include "interface/menj.h"
#include "interface/spr.h"
#include "interface/title.h"
#include "interface/txt.h"
#include "plat/dialog.h"
#include "plat/system.h"
#include "world/cam.h"
#include "world/dsn.h"
#include "world/game.h"
#include "world/prj.h"
#include "world/ptc.h"

int32_t SYS_ExitWord;
int32_t GAME_EndRequest;
int32_t GAME_ReturnToTitle;
int32_t GAME_FilmHold;
int32_t GAME_FilmFrozen;

MEM_Stack *MEM_Arena;
MGM_Queue *GAME_EventQueue;
float GAME_Tuning[3];

void SYS_FatalError(const char *text, int code, int)
{
    PLAT_MessageBox(WIN_MainWindow, text, "Error", PLAT_ICON_ERROR);
    PLAT_Exit(int16_t(code));
}

void SYS_PrintBanner()
{
    PLAT_WriteStdout("\n\nKalder\nA 3D action-adventure\nKalder developers, 1997\n\n");
}

void SYS_EmptyStep() {}

void SYS_Init()
{
    SCR_InitBuffers();
    DSK_Locate();
    PRJ_LoadDatabase();
    GAME_Init3DEngine();
    MEM_Arena = MEM_CreateStack(0x172000);
    if (MEM_Arena == nullptr) {
        SYS_FatalError("Kalder Internal Error : can't create Kalder_MSS1", 999, 1);
    }
    DPR_Main = DPR_Create(0x57800, 0x57800, 0x8000);
    if (DPR_Main == nullptr) {
        SYS_FatalError("Kalder Internal Error : can't create Kalder_Dpr1", 999, 1);
    }
    SYS_PrintBanner();
    PTC_LoadSprites();
    PART_Create(127, 2, 1);
    TXT_ClearAll();
    TXT_LoadFont("data\\font\\hi640.spr", 0, 0);
    TXT_LoadFont("data\\font\\hi480.spr", 1, 0);
    TXT_LoadFont("data\\font\\hi320.spr", 2, 0);
    TXT_LoadFont("data\\font\\hi320.spr", 3, 0);
    SPR_LoadSet("data\\objet\\sour.alp", 10);
    MENJ_Init();
    if (DSN_Create() == 0) {
        SYS_FatalError("Kalder Internal Error : can't create DSN", 999, 1);
    }
    if (DRD_Open("data\\3dc\\dialog.drd") == 0) {
        SYS_FatalError("Kalder Internal Error : can't create DLG", 999, 1);
    }
    CAM_Init();
    Coll_Init();
    Pairs_Init(256);
}

void SYS_CreateMessageManager()
{
    // Without its own queue the game receiver would be installed with none; that is as fatal as a
    // manager that cannot be made.
    GAME_EventQueue = QUE_Create(50);
    if (GAME_EventQueue == nullptr || !MGM_Create(50, 50)) {
        SYS_FatalError("Kalder Internal Error : can't create MGM", 999, 1);
    }
    MGM_SendMessage(38, reinterpret_cast<intptr_t>(GAME_EventQueue),
                    reinterpret_cast<intptr_t>(&GAME_FrameHandler));
    MGM_SendMessage(4, 0, 0);
    if (MGM_SendMessage(18, 8, reinterpret_cast<intptr_t>("data\\sound")) != 0) {
        PLAT_WriteStdout("\nSound Is On\n");
    }
    if (MGM_SendMessage(28, 0, 0) != 0) {
        PLAT_WriteStdout("\nAudio CD Is On\n");
    }
    MGM_SendMessage(12, 200, 15);
    GAME_Tuning[0] = 20.0f;
    GAME_Tuning[1] = 100.0f;
    GAME_Tuning[2] = 0.0f;

    // The film name field need not end in a NUL: copy at most its size.
    const char *film = PRJ_Current->film_name;
    std::string name(film, strnlen(film, sizeof(PRJ_Current->film_name)));
    if (!name.empty()) {
        std::string path = "data\\hnm\\" + name;
        if (MGM_SendMessage(23, reinterpret_cast<intptr_t>(path.c_str()), 5) != 0) {
            MGM_SendMessage(24, 0, 0);
            GAME_FilmFrozen = 0;
            GAME_FilmHold = 1;
        }
    }
}

void SYS_DestroyMessageManager()
{
    QUE_Destroy(GAME_EventQueue);
    GAME_EventQueue = nullptr;
    MGM_Destroy();
}

void SYS_Shutdown()
{
    // A film still open (a level's texture film, at a quit) reads through the streaming buffer
    // destroyed below: it is closed first.
    MGM_SendMessage(25, 0, 0);
    MGM_SendMessage(5, 0, 0);
    MGM_SendMessage(13, 0, 0);
    MENJ_Shutdown();
    PRJ_FreeDatabase();
    SYS_EmptyStep();
    GAME_Exit3DEngine();
    DRD_Close();
    DSN_Destroy();
    CAM_Exit();
    Coll_Free();
    DPR_Destroy(DPR_Main);
    DPR_Main = nullptr;
    MEM_DestroyStack(MEM_Arena);
    MEM_Arena = nullptr;
    DSK_RestoreDrive();
}

int WinMain(void *instance, void *, const char *, int show_command)
{
    if (!WIN_InitDisplay(instance, show_command)) {
        return 0;
    }
    SYS_Init();
    SYS_CreateMessageManager();
    for (;;) {
        TITLE_Run();
        while (SYS_ExitWord == 0 && MGM_DispatchMessages() != 0) {
        }
        // Once a modal loop has seen the quit request the program ends, even when the game asked
        // for the title: the title would only see the same request again, for ever.
        if (SYS_ExitWord == 1) {
            break;
        }
        if (!(GAME_EndRequest == 1 && GAME_ReturnToTitle != 0)) {
            break;
        }
    }
    SYS_DestroyMessageManager();
    SYS_Shutdown();
    WIN_ShutdownDisplay();
    return 0;
}
