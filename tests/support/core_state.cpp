// Puts the system core back to its state at program start (see core_state.h).
#include "tests/support/core_state.h"

#include "core/cd.h"
#include "core/clk.h"
#include "core/dpr.h"
#include "core/dsp.h"
#include "core/file.h"
#include "core/fsb.h"
#include "core/game_frame.h"
#include "core/inp.h"
#include "core/joy.h"
#include "core/mem.h"
#include "core/mgm.h"
#include "core/opt.h"
#include "core/pack.h"
#include "core/que.h"
#include "core/scr.h"
#include "core/snd.h"
#include "core/sys.h"
#include "core/win.h"
#include "editor/edt.h"
#include "plat/test.h"
#include "tests/support/install_writer.h"
#include "tests/support/temp_drives.h"

namespace kalder_test {

void ResetCore()
{
    CD_Close();
    PACK_FreeTable();
    FILE_LastEntry = 0;
    SND_Shutdown();
    FSB_Free();
    SND_HandleCounter = 0;
    SND_MasterVolume = 0;
    SND_MaxDistance = 0;
    SND_StreamBlock = 0;
    SND_StreamStartTime = 0;
    DSP_Stop();
    test::Reset();
    QUE_Destroy(GAME_EventQueue);
    GAME_EventQueue = nullptr;
    QUE_Destroy(MGM_ControlQueue);
    MGM_ControlQueue = nullptr;
    QUE_Destroy(MGM_InputQueue);
    MGM_InputQueue = nullptr;
    DPR_Destroy(DPR_Main);
    DPR_Main = nullptr;
    MEM_DestroyStack(MEM_Arena);
    MEM_Arena = nullptr;

    SYS_ExitWord = 0;
    GAME_EndRequest = 0;
    GAME_ReturnToTitle = 0;
    GAME_FilmHold = 0;
    GAME_FilmFrozen = 0;

    MGM_CurrentReceiver = MGM_Receiver{};
    MGM_Flags = 0;
    MGM_Services = 0;
    MGM_Countdown = 0;
    MGM_FilmKind = 0;
    MGM_LastResult = 0;
    MGM_Running = 1;
    MGM_PlaylistTracks[0] = MGM_PlaylistTracks[1] = MGM_PlaylistTracks[2] = 0;
    MGM_PlaylistCount = 0;
    MGM_PlaylistIndex = 0;
    MGM_PlaylistRounds = 0;

    INP_ClockRunning = INP_ClockPaused = INP_JoystickOn = INP_PadOn = 0;
    CLK_GameClock = 0;
    CLK_TickDue = 0;
    WIN_MainWindow = nullptr;

    for (uint8_t &key : INP_KeyTable) {
        key = 0;
    }
    INP_SavedUnits = INP_SavedTicks = 0;
    INP_LastJoystick = INP_JoyReport{};
    INP_LastPad = INP_PadReport{-1, -1, 0};
    JOY_State[0] = JOY_State[1] = JOY_Record{};
    JOY_Count = 0;
    CLK_LastTick = CLK_LastStep = CLK_Unit = CLK_TickPeriod = 0;

    DSP_Rgb555 = 0;
    for (DSP_Mode &mode : DSP_ModeTable) {
        mode.valid = 0;
        mode.refresh = 0;
    }
    HNM_TargetTexture = nullptr;
    SCR_FrameBuffer = nullptr;
    SCR_ShownFrame = nullptr;
    WIN_Width = WIN_Height = 0;
    CD_DeviceId = 0;
    CD_TrackCount = 0;

    // The frame handler, the hot keys and the frame composition.
    GAME_LastKey = 0;
    GAME_RawInput = GAME_RawInputRecord{};
    GAME_PadButtons[0] = GAME_PadButtons[1] = GAME_PadButtons[2] = 0;
    GAME_TimeFactor = 1.0;
    GAME_LastFrameClock = 0.0f;
    GAME_FramesPerSecond = 0.0;
    GAME_FrameRate = 0;
    GAME_TimeSeconds = 0.0f;
    GAME_SampleTime = GAME_SampleTaken = 0;
    GAME_Paused = GAME_PauseHeading = 0;
    OPT_RealShadow = 0;
    OPT_Cinemascope = 1;
    GAME_AltHeroModel = 0;
    OPT_CameraPreset = 0;
    OPT_ControlHelp = 0;
    GAME_FadeTimer = 0.0f;
    OPT_ResolutionIndex = 2;
    OPT_DebugCounters = OPT_DebugPanel = OPT_AllPowers = OPT_AllPowersCount = 0;
    EDT_CaptureContinuous = EDT_Active = 0;
    SCR_CopyBuffer = SCR_CopyStart = nullptr;
    SCR_KeptFrameBuffer = nullptr;
    SCR_Message[0] = '\0';
    SCR_MessageTimer = 0.0f;
}

void MapMinimalInstallation()
{
    static TempDrives drives("CD");
    static const bool written = WriteMinimalInstallation(drives);
    if (written) {
        test::MapDrive('C', drives.Host('C'));
        test::MapDrive('D', drives.Host('D'));
        test::ResetCurrentDirectories();
    }
}

void ResetCoreWithInstallation()
{
    ResetCore();
    MapMinimalInstallation();
}

} // namespace kalder_test
