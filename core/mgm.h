// The MGM message manager: service calls by number and the dispatch round of every loop.
#pragma once
#include <cstdint>

struct MGM_Queue;

// A receiver's handler; non-zero keeps the caller's loop running.
using MGM_Handler = uint8_t (*)();

struct MGM_Receiver {
    MGM_Queue *queue;
    MGM_Handler handler;
};

// MGM_Flags bits.
enum : uint8_t {
    MGM_FWD_KEYS = 0x01,
    MGM_FWD_TICKS = 0x04,
    MGM_COUNTDOWN = 0x08,
    MGM_FWD_STAMPS = 0x10,
    MGM_FILM_TICKED = 0x20,
    MGM_FILM_PACED = 0x40,
};

// MGM_Services bits.
enum : uint8_t {
    MGM_SOUND_ON = 0x01,
    MGM_CD_OPEN = 0x02,
    MGM_PLAYLIST_ON = 0x04,
    MGM_FWD_JOY1 = 0x08,
    MGM_FWD_JOY2 = 0x10,
};

extern MGM_Queue *MGM_ControlQueue;
extern MGM_Queue *MGM_InputQueue;
extern MGM_Receiver MGM_CurrentReceiver;
extern uint8_t MGM_Flags;
extern uint8_t MGM_Services;
extern int32_t MGM_Countdown;
extern int32_t MGM_FilmKind;
extern intptr_t MGM_LastResult;
extern uint8_t MGM_Running;

// The CD playlist.
extern int32_t MGM_PlaylistTracks[3];
extern int32_t MGM_PlaylistCount;
extern int32_t MGM_PlaylistIndex;
extern int32_t MGM_PlaylistRounds;

uint8_t MGM_Create(int32_t control_capacity, int32_t input_capacity);
void MGM_Destroy();
void MGM_Reset();
int32_t MGM_IsVideoRunning();
intptr_t MGM_SendMessage(int type, intptr_t a = 0, intptr_t b = 0);
uint8_t MGM_DispatchMessages();
int32_t MGM_SetResolution(int32_t width, int32_t height);
void MGM_StartPlaylist(int32_t tracks);
void MGM_StopPlaylist();
void MGM_StepPlaylist();
