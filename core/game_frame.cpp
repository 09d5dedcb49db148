// The game receiver's handler: it turns the round's events into the raw input words, runs one game
// frame unless a film holds the game, measures the frame time and answers the hot keys.
#include "core/game_frame.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/dsk.h"
#include "core/fconv.h"
#include "core/mgm.h"
#include "core/opt.h"
#include "core/que.h"
#include "core/scr.h"
#include "core/sys.h"
#include "editor/edt.h"
#include "engine3d/workarea.h"
#include "films/hnm.h"
#include "interface/menj.h"
#include "interface/txt.h"
#include "world/ctrl.h"
#include "world/game.h"
#include "world/prj.h"
#include "world/replay.h"
#include "world/tex.h"

uint16_t GAME_LastKey;
GAME_RawInputRecord GAME_RawInput;
int32_t GAME_PadButtons[3];
double GAME_TimeFactor = 1.0;
float GAME_LastFrameClock;
double GAME_FramesPerSecond;
int32_t GAME_FrameRate;
float GAME_TimeSeconds;
int32_t GAME_SampleTime;
int32_t GAME_SampleTaken;
int32_t GAME_Paused;
int32_t GAME_PauseHeading;

int32_t GAME_AnimFilmPath(char *path, size_t size)
{
    const LevelRecord *p = PRJ_Current;
    if (p == nullptr) {
        return 0;
    }
    // The record's name field is not always terminated.
    const int n = std::snprintf(path, size, "%sdata\\anim\\%.*s", DSK_InstallPath(),
                                int(strnlen(p->anim_film, sizeof p->anim_film)), p->anim_film);
    return n >= 0 && size_t(n) < size ? 1 : 0;
}

// A film ended: a level with animated textures plays its animation film again.
static void film_ended()
{
    GAME_FilmHold = 0;
    // A path too long for the game's buffer is a film that does not open.
    char path[260];
    if (TEX_HasAnimated() && GAME_AnimFilmPath(path, sizeof path) != 0) {
        if (MGM_SendMessage(23, reinterpret_cast<intptr_t>(path), 4) != 0) {
            MGM_SendMessage(24, 0, 0);
        }
    }
    if (GAME_ReturnToTitle != 0) {
        GAME_EndRequest = 1;
    }
}

int32_t GAME_ReadPointerEvent(const MGM_Event &event, int32_t withButton2State)
{
    // Events carry 32-bit words, sign-extended into the queue's wider ones.
    const uint32_t a = uint32_t(event.a);
    const uint32_t b = uint32_t(event.b);
    switch (event.type) {
    case '3':
        GAME_LastKey = uint16_t(a);
        break;
    case '4':
        // The position is two unsigned halves; the motion two signed ones.
        GAME_RawInput.pointer_x = int32_t(a >> 16);
        GAME_RawInput.pointer_y = int32_t(a & 0xFFFF);
        GAME_RawInput.axis_x = int16_t(b >> 16);
        GAME_RawInput.axis_y = int16_t(b & 0xFFFF);
        break;
    case '5':
        GAME_RawInput.buttons |= GAME_BUTTON_1;
        GAME_RawInput.button1 = 1;
        break;
    case '6':
        GAME_RawInput.buttons &= uint8_t(~GAME_BUTTON_1);
        GAME_RawInput.button1 = 0;
        break;
    case '7':
        GAME_RawInput.buttons |= GAME_BUTTON_2;
        if (withButton2State != 0) {
            GAME_RawInput.button2 = 1;
        }
        break;
    case '8':
        GAME_RawInput.buttons &= uint8_t(~GAME_BUTTON_2);
        if (withButton2State != 0) {
            GAME_RawInput.button2 = 0;
        }
        break;
    default:
        return 0;
    }
    return 1;
}

static void read_event(const MGM_Event &event)
{
    // The pointer's second button leaves its state word to the joysticks here.
    if (GAME_ReadPointerEvent(event, 0)) {
        return;
    }
    // Events carry 32-bit words, sign-extended into the queue's wider ones.
    const uint32_t a = uint32_t(event.a);
    const uint32_t b = uint32_t(event.b);
    switch (event.type) {
    case '9':
        // The joystick's raw positions, 0..65535.
        GAME_RawInput.axis_x = int32_t(a >> 16);
        GAME_RawInput.axis_y = int32_t(a & 0xFFFF);
        GAME_RawInput.button1 = int32_t(b & 1);
        GAME_RawInput.button2 = int32_t((b >> 1) & 1);
        break;
    case ':':
        // The pad: signed axes, and its first two buttons the other way round.
        GAME_RawInput.axis_x = int16_t(a >> 16);
        GAME_RawInput.axis_y = int16_t(a & 0xFFFF);
        GAME_RawInput.button2 = int32_t(b & 1);
        GAME_RawInput.button1 = int32_t((b >> 1) & 1);
        GAME_PadButtons[0] = int32_t((b & 0x08) >> 2);
        GAME_PadButtons[1] = int32_t((b & 0x10) >> 3);
        GAME_PadButtons[2] = int32_t((b & 0x20) >> 4);
        break;
    case '>':
        if (GAME_FilmFrozen != 1) {
            HNM_NextFrame();
            if (GAME_FilmHold == 1) {
                SCR_Flip();
            }
        }
        break;
    case '?':
        film_ended();
        break;
    default:
        break;
    }
}

static void game_frame()
{
    if (MENJ_SkipPresent != 0) {
        MENJ_SkipPresent = 0;
    } else {
        SCR_Flip();
    }
    CTRL_MapInput();
    if (REPLAY_State == 0) {
        REPLAY_RecordFrame();
    } else if (REPLAY_State == 1) {
        REPLAY_PlayFrame();
    }
    GAME_Tick(0);
    MENJ_Update(MENJ_HudOn);
    OPT_DrawControlHelp();
    OPT_DrawDebugPanel();
}

static void draw_debug_counters(float now)
{
    const float seconds = now / 200.0f;
    TXT_DrawString("Frame Rate", 32, 16, 256, 1);
    OPT_DrawValue(192, 16, "%i", GAME_FrameRate);
    OPT_DrawValue(256, 16, "%i", trunc_i32(seconds));
    OPT_DrawValue(300, 16, "%f", double(seconds) - double(GAME_TimeSeconds));
    TXT_DrawString("Mem 3DTR", 32, 28, 256, 1);
    OPT_DrawValue(128, 28, "%i", int32_t(Get_Mem_Used()));
    TXT_DrawString("Mem 3DTR Free", 32, 40, 256, 1);
    OPT_DrawValue(128, 40, "%i", int32_t(Get_Mem_Free()));
}

// The frame time in clock units of 5 ms and the time factor that all motion scales by.
static void measure_frame()
{
    const float previous = GAME_LastFrameClock;
    const float now = float(MGM_SendMessage(17));
    GAME_LastFrameClock = now;
    const double dt = double(now) - double(previous);
    GAME_SampleTaken = 0;

    OPT_GiveAllPowers();

    if (double(now) - double(GAME_SampleTime) > 40.0) {
        GAME_SampleTime = trunc_i32(now);
        GAME_SampleTaken = 1;
    }

    // A frame of no time at all has an infinite rate; taken without dividing by zero.
    GAME_FramesPerSecond = dt == 0.0 ? HUGE_VAL : 200.0 / dt;
    GAME_FrameRate = trunc_i32(GAME_FramesPerSecond);
    if (GAME_FramesPerSecond < 1.0) {
        GAME_FramesPerSecond = 1.0;
    }
    GAME_TimeFactor = 30.0 / GAME_FramesPerSecond;
    if (GAME_TimeFactor > 5.0) {
        GAME_TimeFactor = 5.0;
    } else if (GAME_TimeFactor < 0.2) {
        GAME_TimeFactor = 0.2;
    }
    GAME_TimeSeconds = float(double(GAME_TimeSeconds) + GAME_TimeFactor / 30.0);

    if (EDT_CaptureContinuous == 1) {
        GAME_TimeFactor = 2.0;
    }
    if (REPLAY_State == 0) {
        GAME_TimeFactor = 1.0;
    }

    if (OPT_DebugCounters != 0 && EDT_Active == 0) {
        draw_debug_counters(now);
    }
}

uint8_t GAME_FrameHandler()
{
    GAME_LastKey = 0;
    MGM_Event event;
    while (QUE_Read(GAME_EventQueue, &event)) {
        read_event(event);
    }
    if (GAME_FilmHold == 0) {
        game_frame();
    } else if (MGM_IsVideoRunning() == 0) {
        // A film that stopped without its end event lets the game go on.
        GAME_FilmHold = 0;
    }
    measure_frame();
    OPT_HandleHotkeys();
    return GAME_EndRequest == 1 ? 0 : 1;
}
