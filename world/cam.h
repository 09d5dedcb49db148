// The camera: its event queue, its eight modes and the follow camera that places the root camera
// behind the steered actor once a frame.
#pragma once
#include <cstdint>

struct ActorRecord;

// The camera modes.
enum : uint8_t {
    CAM_FOLLOW = 0,
    CAM_NONE = 1,
    CAM_FIXED = 2,
    CAM_SHOT = 3,
    CAM_OBJECT_PAIR = 4,
    CAM_ON_OBJECT = 5,
    CAM_OVERHEAD = 6,
    CAM_FREE_FLY = 7,
    CAM_NOT_STARTED = 8,
};

// Records that the posters of ',', '-' and '/' keep in static storage; the event carries the address.
// The handler copies what it needs, so a poster may rewrite its record afterwards.
struct CAM_FixedRecord {
    int32_t camera[3];
    int32_t aim[3];
    uint32_t duration; // frames at a time factor of 1
};
struct CAM_ShotRecord {
    int32_t camera[3];
    ActorRecord *subject;
    uint32_t duration;
};
struct CAM_ObjectRecord {
    ActorRecord *object;
    int32_t aim[3];
    uint32_t duration;
};

// The follow camera's state.
struct CAM_FollowState {
    int32_t aim[3];
    int32_t camera[3];
    ActorRecord *subject;
    uint32_t aim_distance;
    uint32_t camera_distance;
    int32_t speed; // rounded length of the subject's motion vector
};

// The scripted modes' own records, each with its timer in frames.
struct CAM_ScriptState {
    int32_t camera[3];
    int32_t aim[3];
    ActorRecord *first;  // shot: the subject; pair: the first object; on object: the object
    ActorRecord *second; // pair: the object aimed at
    float timer;
};
struct CAM_OverheadState {
    ActorRecord *subject;
};
struct CAM_FreeFlyState {
    int32_t position[3];
    int32_t yaw;   // 12-bit angles
    int32_t pitch;
    int32_t speed;
};

extern uint8_t CAM_Mode;
extern CAM_FollowState CAM_Follow;
extern ActorRecord *CAM_LastSubject;  // the subject of the last follow mode, for the return to it
// Follow parameters: camera distance pair A, B; aim distance pair C, D; aim height bounds E (upper)
// and F (lower); the smoothing divisors (the aim's is the preset's G), height speed divisor,
// stillness threshold (squared distance) and look-down scale.
extern int32_t CAM_A, CAM_B, CAM_C, CAM_D, CAM_E, CAM_F;
extern int32_t CAM_AimDivisor, CAM_CameraDivisor, CAM_HeightDivisor, CAM_Stillness, CAM_LookDownScale;
extern int32_t CAM_FixedHeading;
extern float CAM_TurnOffset;  // radians, 0 while look control is off
extern float CAM_LookOffset;
extern int32_t CAM_ManualLook;   // set for one frame by CAM_EnableLook
extern int32_t CAM_Collision;    // the aim target goes through the camera's collision
extern int32_t CAM_Close;        // the close-quarters pull-in applied this frame
extern int32_t CAM_Return;       // the next ordinary follow frame places with a snap
extern int32_t CAM_SwayEnabled;
extern float CAM_SwayPhase[2];
extern int32_t CAM_Roll;         // 12-bit
extern CAM_ScriptState CAM_Fixed, CAM_Shot, CAM_Pair, CAM_OnObject;
extern CAM_OverheadState CAM_Overhead;
extern CAM_FreeFlyState CAM_FreeFly;

// The preset table: A, B, C, D, E, F, G and the fixed-heading word (1 = on).
inline constexpr int32_t CAM_PRESET_COUNT = 6;
extern const int32_t CAM_Presets[CAM_PRESET_COUNT][8];

// System start-up: makes the queue (0 when it cannot be made; posts then go nowhere) and resets the
// camera to "not started".
int32_t CAM_Init();
// System shut-down: frees the queue.
void CAM_Exit();
// Loads the camera preset that the hot keys chose (OPT_CameraPreset); preset 0 takes the current
// project's camera overrides. The hot keys, the level load and every follow frame call it.
void CAM_LoadPreset();
// Posts a camera event ('+' follow a, ',' fixed, '-' shot, '.' pair, '/' on object, '0' overhead,
// '1' free fly) for the next camera step; an actor of 0 means the steered actor. A full queue drops it.
void CAM_PostEvent(int32_t code, intptr_t a, intptr_t b);
// Sees every camera event as it is posted, while a record it points at still holds what was posted;
// null in the game (tests and tools set it).
extern void (*CAM_EventObserver)(int32_t code, intptr_t a, intptr_t b);
// The camera step: once a frame from the game tick, and once at level load for the hero.
void CAM_CompCameraPos();
// The fight code asks for look control each frame it wants it; the flags last until the next event.
void CAM_EnableLook();
void CAM_EnableCollision();
void CAM_DisableCollision();
// Counts a scripted mode's timer down by the time factor; below 0 posts the return to following.
// Returns the timer rounded toward zero.
int32_t CAM_StepTimer(float *timer);

// The event handlers, run by the camera step as it drains the queue.
void CAM_StartFollow(intptr_t a, intptr_t b);
void CAM_StartFixed(intptr_t a, intptr_t b);
void CAM_StartShot(intptr_t a, intptr_t b);
void CAM_StartObjPair(intptr_t a, intptr_t b);
void CAM_StartOnObject(intptr_t a, intptr_t b);
void CAM_ToggleOverhead(intptr_t a, intptr_t b);
void CAM_ToggleFreeFly(intptr_t a, intptr_t b);

// The follow camera's pieces, in the order of a follow frame.
void CAM_UpdateFollow();
void CAM_FollowSelect(bool snap);
void CAM_PlaceBehind(bool snap);
void CAM_PlacePitched(bool snap);
void CAM_NearAdjust();
// Sets the root camera's matrix looking from camera to aim, with the follow camera's roll.
void CAM_SwayFollow(const int32_t *camera, int32_t *aim);

// The scripted modes' frames.
void CAM_UpdateFixed();
void CAM_UpdateShot();
void CAM_UpdateObjPair();
void CAM_UpdateOnObject();
void CAM_UpdateOverhead();
void CAM_UpdateFreeFly();
