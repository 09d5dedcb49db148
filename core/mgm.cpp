// The MGM message manager: switches services by number and runs one dispatch round per loop pass.
#include "core/mgm.h"

#include "core/cd.h"
#include "core/clk.h"
#include "core/dsp.h"
#include "core/fsb.h"
#include "core/inp.h"
#include "core/joy.h"
#include "core/que.h"
#include "core/snd.h"
#include "core/sys.h"
#include "core/win.h"
#include "films/hnm.h"
#include "plat/window.h"

MGM_Queue *MGM_ControlQueue;
MGM_Receiver MGM_CurrentReceiver;
uint8_t MGM_Flags;
uint8_t MGM_Services;
int32_t MGM_Countdown;
int32_t MGM_FilmKind;
intptr_t MGM_LastResult;
uint8_t MGM_Running = 1;

int32_t MGM_PlaylistTracks[3];
int32_t MGM_PlaylistCount;
int32_t MGM_PlaylistIndex;
int32_t MGM_PlaylistRounds;

uint8_t MGM_Create(int32_t control_capacity, int32_t input_capacity)
{
    JOY_Init1();
    JOY_Init2();
    MGM_ControlQueue = QUE_Create(control_capacity);
    if (MGM_ControlQueue == nullptr) {
        return 0;
    }
    if (!INP_Init(input_capacity)) {
        return 0;
    }
    return 1;
}

void MGM_Destroy()
{
    INP_Shutdown();
    QUE_Destroy(MGM_ControlQueue);
    MGM_ControlQueue = nullptr;
    SND_Shutdown();
    if (MGM_Services & MGM_CD_OPEN) {
        CD_Close();
    }
}

void MGM_Reset()
{
    QUE_Clear(MGM_ControlQueue);
    QUE_Clear(MGM_InputQueue);
    MGM_CurrentReceiver.queue = nullptr;
    MGM_CurrentReceiver.handler = nullptr;
    MGM_Flags = 0;
    MGM_Services = 0;
}

int32_t MGM_IsVideoRunning() { return MGM_Flags & (MGM_FILM_TICKED | MGM_FILM_PACED); }

int32_t MGM_SetResolution(int32_t width, int32_t height) { return DSP_SetMode(width, height); }

static void fatal_unknown_service()
{
    SYS_FatalError("Kalder Internal Error : unknown message type in MGM_SendMessage", 999, 1);
}

static void fatal_unknown_event()
{
    SYS_FatalError("Kalder Internal Error : unknown message type in MGM_DispatchMessages", 999, 1);
}

intptr_t MGM_SendMessage(int type, intptr_t a, intptr_t b)
{
    MGM_LastResult = 0;
    const bool has_receiver = MGM_CurrentReceiver.queue != nullptr;
    switch (uint8_t(type)) {
    case 4:
        if (has_receiver) {
            MGM_Flags |= MGM_FWD_KEYS;
        }
        break;
    case 5:
        MGM_Flags &= uint8_t(~MGM_FWD_KEYS);
        break;
    case 6: {
        int32_t count = 0;
        JOY_GetButtonCount(0, &count);
        MGM_LastResult = count;
        break;
    }
    case 7:
        if (has_receiver) {
            INP_Joystick1On();
            MGM_Services |= MGM_FWD_JOY1;
        }
        break;
    case 8:
        MGM_Services &= uint8_t(~MGM_FWD_JOY1);
        INP_Joystick1Off();
        break;
    case 9: {
        int32_t count = 0;
        JOY_GetButtonCountAlt(0, &count);
        MGM_LastResult = count;
        break;
    }
    case 10:
        if (has_receiver) {
            INP_Joystick2On();
            MGM_Services |= MGM_FWD_JOY2;
        }
        break;
    case 11:
        MGM_Services &= uint8_t(~MGM_FWD_JOY2);
        INP_Joystick2Off();
        break;
    case 12:
        INP_StartTimer(int32_t(a), int32_t(b));
        break;
    case 13:
        INP_StopTimer();
        break;
    case 14:
        if (has_receiver) {
            MGM_Flags |= MGM_FWD_TICKS;
        }
        break;
    case 15:
        MGM_Flags &= uint8_t(~MGM_FWD_TICKS);
        break;
    case 16:
        MGM_Countdown = int32_t(a);
        MGM_Flags |= MGM_COUNTDOWN;
        break;
    case 17:
        CLK_Update();
        MGM_LastResult = CLK_GameClock;
        break;
    case 18:
        MGM_LastResult = uint8_t(SND_Init(int32_t(a)));
        if (MGM_LastResult != 0) {
            FSB_Load("data\\sound\\fsb.dat");
            MGM_Services |= MGM_SOUND_ON;
        }
        break;
    case 19:
        if (MGM_Services & MGM_SOUND_ON) {
            FSB_Free();
            SND_Shutdown();
        }
        break;
    case 20:
        MGM_Flags |= MGM_FWD_STAMPS;
        break;
    case 21:
        MGM_Flags &= uint8_t(~MGM_FWD_STAMPS);
        break;
    case 22:
        MGM_LastResult = MGM_SetResolution(int32_t(a), int32_t(b));
        break;
    case 23:
        MGM_FilmKind = HNM_Open(reinterpret_cast<const char *>(a));
        MGM_Flags &= uint8_t(~(MGM_FILM_TICKED | MGM_FILM_PACED));
        MGM_LastResult = MGM_FilmKind;
        break;
    case 24:
        if (MGM_FilmKind == 1) {
            MGM_Flags |= MGM_FILM_TICKED;
        } else if (MGM_FilmKind == 2) {
            MGM_Flags |= MGM_FILM_PACED;
        }
        break;
    case 25:
        HNM_Close();
        MGM_Flags &= uint8_t(~(MGM_FILM_TICKED | MGM_FILM_PACED));
        break;
    case 28:
        MGM_LastResult = CD_Open();
        if (MGM_LastResult != 0) {
            MGM_Services |= MGM_CD_OPEN;
        }
        break;
    case 29:
        if (MGM_Services & MGM_CD_OPEN) {
            CD_Close();
            MGM_Services &= uint8_t(~MGM_CD_OPEN);
        }
        break;
    case 30:
        MGM_StartPlaylist(int32_t(a));
        MGM_Services |= MGM_PLAYLIST_ON;
        break;
    case 31:
        MGM_StopPlaylist();
        MGM_Services &= uint8_t(~MGM_PLAYLIST_ON);
        break;
    case 32:
        if (MGM_Services & MGM_CD_OPEN) {
            CD_OpenDoor();
        }
        break;
    case 33:
        if (MGM_Services & MGM_CD_OPEN) {
            CD_CloseDoor();
        }
        break;
    case 34:
        if (MGM_Services & MGM_CD_OPEN) {
            CD_Pause();
        }
        break;
    case 35:
        if (MGM_Services & MGM_CD_OPEN) {
            CD_Resume();
        }
        break;
    case 36:
        CD_EmptyService(int32_t(a));
        break;
    case 37:
        MGM_LastResult = CD_ConstantService();
        break;
    case 38:
        MGM_Reset();
        MGM_CurrentReceiver.queue = reinterpret_cast<MGM_Queue *>(a);
        MGM_CurrentReceiver.handler = reinterpret_cast<MGM_Handler>(b);
        break;
    case 39:
        MGM_CurrentReceiver.queue = reinterpret_cast<MGM_Queue *>(a);
        MGM_CurrentReceiver.handler = reinterpret_cast<MGM_Handler>(b);
        break;
    case 40:
        MGM_LastResult = reinterpret_cast<intptr_t>(MGM_CurrentReceiver.queue);
        break;
    case 41:
        MGM_LastResult = reinterpret_cast<intptr_t>(MGM_CurrentReceiver.handler);
        break;
    case 42:
        MGM_LastResult = intptr_t(MGM_Flags) | intptr_t(MGM_Services) << 8;
        break;
    default:
        fatal_unknown_service();
    }
    return MGM_LastResult;
}

// Forwards one raw input event to the current receiver as the flags allow.
static void forward_input(const MGM_Event &event)
{
    MGM_Queue *receiver = MGM_CurrentReceiver.queue;
    switch (event.type) {
    case '3':
        if (MGM_Flags & MGM_FWD_KEYS) {
            QUE_Post(receiver, '3', event.a, event.b);
        }
        break;
    case '9':
        if (MGM_Services & MGM_FWD_JOY1) {
            QUE_Post(receiver, event.type, event.a, event.b);
        }
        break;
    case ':':
        if (MGM_Services & MGM_FWD_JOY2) {
            QUE_Post(receiver, event.type, event.a, event.b);
        }
        break;
    case ';':
        if (MGM_Flags & MGM_COUNTDOWN) {
            MGM_Countdown--;
            if (MGM_Countdown == 0) {
                QUE_Post(receiver, '<', 0, 0);
                MGM_Flags &= uint8_t(~MGM_COUNTDOWN);
            }
        }
        if (MGM_Flags & MGM_FWD_TICKS) {
            QUE_Post(receiver, ';', MGM_Countdown, 0);
        }
        if (MGM_Flags & MGM_FILM_TICKED) {
            QUE_Post(receiver, '>', 0, 0);
        }
        break;
    case '=':
        if (MGM_Flags & MGM_FWD_STAMPS) {
            QUE_Post(receiver, '=', event.a, event.b);
        }
        break;
    default:
        fatal_unknown_event();
    }
}

uint8_t MGM_DispatchMessages()
{
    if (PLAT_PumpMessages()) {
        return 0;
    }
    // In the background the game stands still: nothing is polled, stepped or called.
    if (!PLAT_HasFocus(WIN_MainWindow)) {
        return 1;
    }
    INP_Poll();
    MGM_Event event;
    while (QUE_Read(MGM_InputQueue, &event)) {
        forward_input(event);
    }
    if ((MGM_Flags & MGM_FILM_PACED) && HNM_FrameDue()) {
        QUE_Post(MGM_CurrentReceiver.queue, '>', 0, 0);
    }
    while (QUE_Read(MGM_ControlQueue, &event)) {
        switch (event.type) {
        case '2':
            MGM_Flags &= uint8_t(~(MGM_FILM_TICKED | MGM_FILM_PACED));
            MGM_Running = 0;
            break;
        case '?':
            MGM_Flags &= uint8_t(~(MGM_FILM_TICKED | MGM_FILM_PACED));
            QUE_Post(MGM_CurrentReceiver.queue, '?', 0, 0);
            break;
        default:
            fatal_unknown_event();
        }
    }
    if (MGM_Flags & (MGM_FILM_TICKED | MGM_FILM_PACED)) {
        HNM_FillStream();
    }
    if (MGM_Services & MGM_PLAYLIST_ON) {
        MGM_StepPlaylist();
    }
    SND_Update();
    if (MGM_Running != 0 && MGM_CurrentReceiver.handler != nullptr) {
        return MGM_CurrentReceiver.handler();
    }
    return MGM_Running;
}

void MGM_StartPlaylist(int32_t tracks)
{
    CD_Stop();
    // A stale entry must never play: the list holds exactly the non-zero bytes given.
    MGM_PlaylistTracks[0] = MGM_PlaylistTracks[1] = MGM_PlaylistTracks[2] = 0;
    MGM_PlaylistCount = 0;
    const uint32_t bytes = uint32_t(tracks);
    for (int i = 0; i < 3; i++) {
        const int32_t track = int32_t((bytes >> (8 * i)) & 0xFF);
        if (track != 0) {
            MGM_PlaylistTracks[MGM_PlaylistCount++] = track;
        }
    }
    MGM_PlaylistIndex = -1;
}

void MGM_StopPlaylist() { CD_Stop(); }

void MGM_StepPlaylist()
{
    MGM_PlaylistRounds++;
    if (MGM_PlaylistRounds < 15) {
        return;
    }
    MGM_PlaylistRounds = 0;
    if (MGM_PlaylistCount == 0) {
        return;
    }
    if (CD_GetMode() == 4) {
        MGM_PlaylistIndex++;
        if (MGM_PlaylistIndex >= MGM_PlaylistCount) {
            MGM_PlaylistIndex = 0;
        }
        CD_PlayTrack(uint32_t(MGM_PlaylistTracks[MGM_PlaylistIndex]));
    }
}
