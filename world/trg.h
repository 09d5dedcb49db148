// Scene triggers: the project's little scripts, their conditions on the world and their actions on it.
#pragma once
#include <cstdint>

struct ActorRecord;
struct ElementRecord;

// What a trigger watches (all the bits it carries must hold).
inline constexpr uint32_t TRG_IF_TOUCH_A = 0x0001;
inline constexpr uint32_t TRG_IF_A_DEAD = 0x0004;
inline constexpr uint32_t TRG_IF_NO_ENEMY = 0x0008;
inline constexpr uint32_t TRG_IF_ONCE_TIMER = 0x0010;
inline constexpr uint32_t TRG_IF_HAS_A = 0x0020;
inline constexpr uint32_t TRG_IF_NEAR_B = 0x0040;
inline constexpr uint32_t TRG_IF_REPEAT_TIMER = 0x0080;
inline constexpr uint32_t TRG_IF_A_UNHURT = 0x0100;
inline constexpr uint32_t TRG_IF_LACKS_A = 0x0200;
inline constexpr uint32_t TRG_IF_FEW_DISABLED_2 = 0x0400;
inline constexpr uint32_t TRG_IF_FEW_DISABLED_1 = 0x0800;
inline constexpr uint32_t TRG_IF_A_NEAR_B = 0x1000;
inline constexpr uint32_t TRG_IF_LACKS_B = 0x2000;

// What a trigger does when its conditions hold.
inline constexpr uint32_t TRG_DO_SHOW_B = 0x00001;
inline constexpr uint32_t TRG_DO_SHOW_ALL = 0x00002;
inline constexpr uint32_t TRG_DO_HIDE_B = 0x00004;
inline constexpr uint32_t TRG_DO_TIMER1_B = 0x00020;
inline constexpr uint32_t TRG_DO_TIMER2_B = 0x00040;
inline constexpr uint32_t TRG_DO_RALLY_B = 0x00080;
inline constexpr uint32_t TRG_DO_SLOW_B = 0x00100;
inline constexpr uint32_t TRG_DO_SLOW_ALL = 0x00200;
inline constexpr uint32_t TRG_DO_MOVE_B_TO_A = 0x00400;
inline constexpr uint32_t TRG_DO_UNSLOW_ALL = 0x00800;
inline constexpr uint32_t TRG_DO_CAMERA_FAR = 0x01000;
inline constexpr uint32_t TRG_DO_CAMERA_NEAR = 0x02000;
inline constexpr uint32_t TRG_DO_UNLOCK_EXITS = 0x04000;
inline constexpr uint32_t TRG_DO_MARK_B = 0x08000;
inline constexpr uint32_t TRG_DO_GIVE_B = 0x10000;
inline constexpr uint32_t TRG_DO_BRIGHTEN = 0x20000;
inline constexpr uint32_t TRG_DO_HURT = 0x40000;

inline constexpr uint32_t TRG_ACTIVE = 0x01; // bit of a record's flags
inline constexpr int32_t TRG_COUNT = 16;
inline constexpr int32_t TRG_FILM_BYTES = 16;

// One trigger as the level plays it: a copy of the project's source, its period in seconds and its
// countdown in frames. A record whose source is inactive stays all zero.
struct TRG_Record {
    int32_t element_a;      // element index; -1: none
    int32_t element_a2;     // kept, never evaluated
    int32_t element_b;
    int32_t zone;           // zone index; -1: none
    int32_t event_argument; // n > 0 posts interface event 0x40 with n - 1
    uint32_t conditions;    // TRG_IF_*
    uint32_t actions;       // TRG_DO_*
    uint32_t flags;         // TRG_ACTIVE
    char film[TRG_FILM_BYTES]; // under data\hnm\; need not end in a NUL
    float period;
    float countdown;
};

extern TRG_Record TRG_Records[TRG_COUNT];
// A bit for each record whose actions ran in the last evaluation (for the tests and the tools).
extern uint32_t TRG_LastFired;

// The level load copies the active trigger sources of the current project.
void TRG_Load();
// The character loader tells the triggers of each new character: one that a trigger shows later
// starts hidden and disabled.
void TRG_HideLaterShown(ActorRecord *actor);
// Called once per tick by the game tick, for the actor the player steers; nothing runs during a fade.
void TRG_Update(ActorRecord *actor);
// One evaluation of every active trigger for the player's actor.
void TRG_Evaluate(ActorRecord *player);
// 1 once a trigger unlocked the exits that wait for it, else 0. Read by the exits.
int32_t TRG_ExitsUnlocked();
// The level load asks for each path zone whether it builds the zone's fields now: 1, unless an active
// trigger shows the path later and builds them then.
int32_t TRG_ZoneBuiltAtLoad(int32_t zone);

// The live actor of an element record of the current project, or null.
ActorRecord *TRG_FindActor(const ElementRecord *element);
// Within touching reach (400) of each other.
int32_t TRG_Touching(const ActorRecord *a, const ActorRecord *b);
// Within meeting reach: 400, or 550 when either is wider than 200.
int32_t TRG_Meeting(const ActorRecord *a, const ActorRecord *b);
// 1 when no enabled AI-driven actor of the other team than the actor is alive. Also asked by the exits.
int32_t TRG_NoEnemyLeft(const ActorRecord *actor);
// 1 when at most 2 (1) actors are disabled.
int32_t TRG_FewDisabled2();
int32_t TRG_FewDisabled1();
// Brings back every disabled actor at its start.
void TRG_ShowAll();
// Moves b beside a.
void TRG_PlaceNear(ActorRecord *b, const ActorRecord *a);
