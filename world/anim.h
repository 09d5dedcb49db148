// Actor animation and motion: the animation-slot table, the loading of an actor type's animations,
// the actions, the animation switch and the three players that pose the node and move the actor.
#pragma once
#include <cstdint>

struct ActorRecord;

inline constexpr int32_t ANIM_SET_COUNT = 16;
inline constexpr int32_t ANIM_NUMBER_COUNT = 64;

// Slot flags (the low byte of the flags word).
inline constexpr int32_t ANIM_SLOT_IN_USE = 0x01;      // on number 0 only: the set is taken
inline constexpr int32_t ANIM_SLOT_HELD = 0x02;        // plays only while the action is requested again
inline constexpr int32_t ANIM_SLOT_LOCKING = 0x04;     // no other action switches until it ends
inline constexpr int32_t ANIM_SLOT_HOLD_END = 0x08;    // stops on its last frame
inline constexpr int32_t ANIM_SLOT_RESTART = 0x20;     // the switch away from it collapses its fade

// Animation numbers with fixed roles.
inline constexpr int32_t ANIM_IDLE = 0;
inline constexpr int32_t ANIM_IDLE_OTHER = 1;          // in the physics modes other than the ground
inline constexpr int32_t ANIM_PITCH_UP = 36;
inline constexpr int32_t ANIM_PITCH_DOWN = 38;
inline constexpr int32_t ANIM_DEATH = 50;
// 60 makes the heading grow, which turns a figure toward -z when it faces +x: its right in this
// y-down world, and the right key gives it.
inline constexpr int32_t ANIM_TURN_RIGHT = 60;
inline constexpr int32_t ANIM_TURN_LEFT = 61;

struct ANIM_Slot {
    int32_t handle;       // the loaded animation's key handle; -1: none
    int32_t reserved[2];
    int32_t flags;
};

extern ANIM_Slot ANIM_Slots[ANIM_SET_COUNT][ANIM_NUMBER_COUNT];
// Set by the hero's moves; animation 24 opens the in-game menu half-way through while it is set.
extern int32_t ANIM_MenuRequest;

// Level load: every handle -1, the built-in flags of each number.
void ANIM_InitSlots();
// Level load, for each character: loads the .3da files of the model's type into the first free set
// and gives it to the actor. 1, or 0 when nothing was loaded (the actor then has no set).
int32_t ANIM_LoadActorAnims(ActorRecord *actor, const char *model_name);
// Level load, for a character that shares another's model: 1 when the set is a real one.
int32_t ANIM_SetAnimSet(ActorRecord *actor, const ActorRecord *other);
// Once per frame per wanted action, by the hero control, the AI, the fight, scripts and triggers.
void ANIM_DoAction(ActorRecord *actor, int32_t action);
// Applies the requested animation (or an idle); 0 while the animation is locked.
int32_t ANIM_ChangeAnim(ActorRecord *actor);
// Makes the switch's target the current animation, from its start frame.
void ANIM_ResetAnim(ActorRecord *actor);
// The three players, one of which the actor step runs each frame.
void ANIM_BlendStep(ActorRecord *actor);
void ANIM_PairStep(ActorRecord *actor);
void ANIM_PlayFrame(ActorRecord *actor);
// End test after each frame advance: the frame rounded toward zero.
int32_t ANIM_CheckEnd(ActorRecord *actor);
// The first frame after a switch: poses frame 1 and steps past it.
void ANIM_ApplyFirstFrame(ActorRecord *actor);
// Per frame from the game tick: projectiles, the platform actor, then every animated actor.
void ANIM_UpdateActors();
// Per actor per frame: angles, attack frames, the switch, one player and the aiming. 1 once played.
int32_t ACTOR_Step(ActorRecord *actor);
// Eases the pitch of an actor on the ground toward its ground slope.
void ACTOR_RelaxPitch(ActorRecord *actor);

// The frame count of a loaded animation (its first track's last key), 0 without one.
int32_t ANIM_FrameCount(int32_t handle);
