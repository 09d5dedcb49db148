// The game's objects: the actor record, the 32 object slots, the 16 projectiles and the two lists of
// those in use that every tick walks.
#pragma once
#include <cstddef>
#include <cstdint>

#include "world/level_record.h"

struct INV_Record;   // an actor's inventory (the hero's only)
struct OBJ_CollBody; // a collision body of the 3D engine

// One object of a level. It lives in memory only; references are real pointers.
struct ActorRecord {
    double position[3];          // x, y (vertical), z
    float velocity[3];           // motion per frame
    float knockback[3];          // each axis kept within -135.0..135.0
    INV_Record *inventory;
    int32_t physics_mode;        // 1 ground, 2 swimming, 3 airborne; projectiles: type code
    float life;                  // the hero's is capped at 120.0
    float second_gauge;          // power
    float air;
    float anim_time_scale;       // 0: the animation does not advance
    float strength;
    float spell_level;           // projectiles: level of the launching spell slot
    float tilt_factor;
    int32_t heading;             // 4096 a turn
    int32_t heading_speed;
    int32_t tilt;
    int32_t tilt_speed;
    int32_t pitch;
    int32_t pitch_speed;
    int32_t node;                // 3D handle of the actor's node; 0 is the root camera, not "none"
    OBJ_CollBody *coll_body;
    // The scene: its collision model's handle; moving actors: the ground triangle under them as its
    // work-area offset (0: none), since the area is cleared at each level load.
    intptr_t ground_contact;
    int32_t ground_height;
    char node_name[16];          // model file name up to its first "."
    int32_t hit_tint[3];
    int32_t tint_word;           // 0 or 0xFFFF
    uint8_t flags[10];           // ACTOR_Fn_* bits of byte n; bytes 0..3 also read as one word
    int32_t zone;                // spawn zone and point the actor belongs to; -1: none
    int32_t point;
    float sort_distance;         // squared distance of the last AI scan
    ElementRecord *definition;   // the element of the project the actor came from
    int32_t blend_frames;
    ActorRecord *coupled;        // hero: the object it is coupled to; projectiles: special object
    int32_t coupling_time;
    int32_t spell_slots[3][2];   // level, type code
    float slow_time;             // frames
    float slow_factor;
    float motion_scale;          // 0..128
    int32_t motion_speed;
    int32_t radius;
    int32_t second_radius;
    int32_t pursuit_range;       // also the first hit timer
    int32_t sight_radius;        // also the second hit timer
    int32_t anim_handles[2];     // current and target animation
    int32_t head_node;
    int32_t head_yaw;
    int32_t head_pitch;
    int32_t torso_node;
    int32_t torso_turn;
    int32_t anim_set;            // row of the animation slot table; -1: none
    int32_t current_anim;        // 0..63; 50 is death
    int32_t requested_anim;      // -1: none
    int32_t anim_field;
    int32_t frame_count;
    int32_t saved_frame_count;
    float frame_position;
    float anim_blend;
    float anim_speed;
    float speed_factor;
    int32_t range;               // AI courage
    double ai_reach;
    int32_t ai_param[3];         // set from the element, read by the creature AI
    float restlessness;          // 0..512
    int32_t parry_chance;        // out of 128
    int32_t attack_chance;       // out of 128 per frame
    int32_t path_zone;
    int32_t group_count;
    ActorRecord *group[3];
    ActorRecord *group_parent;
    uint32_t ai_flags;
    int32_t ai_state;
    int32_t ai_previous_state;
    float ai_target[3];
    ActorRecord *leader;         // projectiles: the shooter
    ActorRecord *target;
    ActorRecord *last_attacker;
    ActorRecord *enemies[5];     // nearest first
    ActorRecord *allies[5];
    int32_t enemy_count;
    int32_t ally_count;
    ZoneRecord *path;
    int32_t waypoint;
    int32_t waypoint_step;
    int32_t arrival_margin;
    // The physics' working position: saved from the position before a step, moved by it, and copied
    // back once the step is done; the level start sets it to the position.
    double previous_position[3];
    double mass;
    uint8_t coll_flags[2];
    uint32_t contact_measure;    // 0..127
    int32_t motion_vector[3];
    int32_t shadow_slot;         // ACTOR_NO_SHADOW: none
    int32_t reference_height;    // the height the camera's aim may hold against; the physics writes it
    // The root node's local position after the last key application, and the one before: their
    // difference is the motion the animation gives the actor.
    int32_t stored_node_pos[3];
    int32_t previous_node_pos[3];
    float hit_fraction;          // share of the frame count at which a blow lands; 0: the animation's own
    ActorRecord *aim_target;     // what head and torso turn toward
    double phy_velocity[3];      // the physics' velocity; its y is also the vertical speed that the idles read
    int32_t ground_slope;        // what the pitch eases toward on the ground
    // The body the physics integrates.
    double own_force[3];         // added to the fields' force
    double coupling;             // how strongly box and point fields take hold (1.0 after a reset)
    float damping;               // multiplies the mode's damping (1.0 after a reset)
    float fall_timer;            // frames since a fading start (1000.0 after a reset: none under way)
    float fall_start;            // the vertical velocity that fade started from
    int32_t prev_int_pos[3];     // the rounded position before this frame's step
    double speed;                // length of the integer step
    int32_t platform_index;      // the platform record ridden
    int32_t marker_node;         // the foot marker node; 0: none
    int32_t push_impact;         // how hard the last actor pushed against this one, 0..127
    ActorRecord *last_collider;  // the actor it was last pushed apart from
    int32_t saved_prim_type;     // invisibility projectiles: the face type the shooter is given back
    const uint8_t *symbol_data;  // its symbol file in the symbol area; null: none
    uint32_t symbol_size;        // that file's length, so that every walk of it stays inside
    int32_t symbol_menu;         // the symbol list it takes part in; -1: none
};

inline constexpr int32_t ACTOR_SLOT_COUNT = 32;
inline constexpr int32_t ACTOR_PROJECTILE_COUNT = 16;
inline constexpr int32_t ACTOR_HERO = 1;  // slot of the hero
inline constexpr int32_t ACTOR_SCENE = 2; // slot of the scene (element 0)
inline constexpr int32_t ACTOR_NO_SHADOW = 16;

// Flag byte 0.
inline constexpr uint8_t ACTOR_F0_IN_USE = 0x01;
inline constexpr uint8_t ACTOR_F0_HERO = 0x04;          // also exempt from slow time
inline constexpr uint8_t ACTOR_F0_UNSTEPPED = 0x08;     // the actor step passes it by
inline constexpr uint8_t ACTOR_F0_ANIM_RESTART = 0x10;  // the first frame after a switch is still to play
inline constexpr uint8_t ACTOR_F0_WIDE_SPAWN = 0x20;    // on the hero: spawner boxes doubled
inline constexpr uint8_t ACTOR_F0_ANIM_ENDED = 0x40;
inline constexpr uint8_t ACTOR_F0_ANIM_RESTART2 = 0x80; // a switch is fading in (or pairing)
// Flag byte 1.
inline constexpr uint8_t ACTOR_F1_ANIM_END_REQUEST = 0x01; // return to idle
inline constexpr uint8_t ACTOR_F1_AI = 0x02;            // also a moving actor, which may fall back to an idle
inline constexpr uint8_t ACTOR_F1_HAS_ANIMS = 0x04;
inline constexpr uint8_t ACTOR_F1_OBJECT = 0x08;        // an object; on a projectile the thrown kind
inline constexpr uint8_t ACTOR_F1_SYMBOLS = 0x10;       // has symbol data
inline constexpr uint8_t ACTOR_F1_TEAM = 0x20;          // the second camp
inline constexpr uint8_t ACTOR_F1_NO_GROUPING = 0x40;
inline constexpr uint8_t ACTOR_F1_CONVERSATION = 0x80;
// Flag byte 2, the motion byte.
inline constexpr uint8_t ACTOR_F2_FLYING = 0x01;        // a flying projectile
inline constexpr uint8_t ACTOR_F2_ACTION_HELD = 0x02;   // the animation is locked
inline constexpr uint8_t ACTOR_F2_DOUBLE_STRIDE = 0x04;
inline constexpr uint8_t ACTOR_F2_MOTION_SCALE = 0x08;  // the motion is blended by the motion scale
inline constexpr uint8_t ACTOR_F2_MOTION_SPEED = 0x20;
inline constexpr uint8_t ACTOR_F2_PAIR_SWITCH = 0x40;   // the next step swaps within a pair (walk, run)
// Flag byte 3.
inline constexpr uint8_t ACTOR_F3_MAY_RUN = 0x01;
inline constexpr uint8_t ACTOR_F3_TAKE_OFF = 0x02;
inline constexpr uint8_t ACTOR_F3_DISABLED = 0x04;
inline constexpr uint8_t ACTOR_F3_TINTED = 0x08;        // or carries a flickering light
// Flag byte 4.
inline constexpr uint8_t ACTOR_F4_GROUND_PHYSICS2 = 0x01;
inline constexpr uint8_t ACTOR_F4_THORNS = 0x02;         // a blow on it hurts the attacker the same
inline constexpr uint8_t ACTOR_F4_SEES_ALL_ROUND = 0x04;
inline constexpr uint8_t ACTOR_F4_PURSUIT_ON_SIGHT = 0x08;
inline constexpr uint8_t ACTOR_F4_TAKEN = 0x10;
inline constexpr uint8_t ACTOR_F4_PITCH_STEERING = 0x20;
inline constexpr uint8_t ACTOR_F4_MODEL_HIDDEN = 0x80;   // projectiles: the model is hidden
// Flag byte 5.
inline constexpr uint8_t ACTOR_F5_RANDOM_RESPAWN = 0x01;
inline constexpr uint8_t ACTOR_F5_NOT_TARGET = 0x02;
inline constexpr uint8_t ACTOR_F5_PLATFORM_OWNER = 0x08;
inline constexpr uint8_t ACTOR_F5_FOLLOWS_HERO = 0x10;
inline constexpr uint8_t ACTOR_F5_STRONG_TURN = 0x20;   // and no x/z limit in draining zones
inline constexpr uint8_t ACTOR_F5_ROAM_POINT = 0x80;
// Flag byte 6.
inline constexpr uint8_t ACTOR_F6_ROAMING = 0x01;
inline constexpr uint8_t ACTOR_F6_RANGED = 0x02;
inline constexpr uint8_t ACTOR_F6_NO_SPEED_UP = 0x04;
inline constexpr uint8_t ACTOR_F6_SWORD_CARRIED = 0x08;
inline constexpr uint8_t ACTOR_F6_SWORD_DRAWN = 0x10;
inline constexpr uint8_t ACTOR_F6_SWORD_HIDDEN = 0x20;
inline constexpr uint8_t ACTOR_F6_BOW_CARRIED = 0x40;
inline constexpr uint8_t ACTOR_F6_BOW_DRAWN = 0x80;
// Flag byte 7.
inline constexpr uint8_t ACTOR_F7_BOW_HIDDEN = 0x01;
inline constexpr uint8_t ACTOR_F7_SLOWER = 0x02;        // the animation's motion x 0.6
inline constexpr uint8_t ACTOR_F7_FASTER = 0x04;        // x 1.4 across, x 1.3 up and down
inline constexpr uint8_t ACTOR_F7_EXTENDED_KEYS = 0x08;
inline constexpr uint8_t ACTOR_F7_UNSTRUCK = 0x20;      // not struck by blows, fixed at its start
inline constexpr uint8_t ACTOR_F7_NO_XZ = 0x40;         // the animation moves it up and down only
inline constexpr uint8_t ACTOR_F7_LONGER = 0x80;        // x 1.3 across
// Flag byte 8.
inline constexpr uint8_t ACTOR_F8_GUN_CARRIED = 0x01;
inline constexpr uint8_t ACTOR_F8_GUN_DRAWN = 0x02;
inline constexpr uint8_t ACTOR_F8_GUN_HIDDEN = 0x04;
inline constexpr uint8_t ACTOR_F8_GUN_ALLOWED = 0x08;   // also the first project model flag
inline constexpr uint8_t ACTOR_F8_MODEL_FLAG2 = 0x10;
inline constexpr uint8_t ACTOR_F8_MODEL_FLAG3 = 0x20;
inline constexpr uint8_t ACTOR_F8_BLEND_RESTART = 0x80; // the next fade collapses onto its target
// Flag byte 9.
inline constexpr uint8_t ACTOR_F9_INVISIBLE = 0x01;
inline constexpr uint8_t ACTOR_F9_KNOCKBACK = 0x04;     // also the speed-zero flag: the actor is immobile

// Collision flag bytes (coll_flags). Byte 0.
// Contact A is set while the ground is beyond snapping reach, that is while the actor falls: gravity
// then acts on it and its velocity is damped lightly.
inline constexpr uint8_t ACTOR_C0_CONTACT_A = 0x01;
inline constexpr uint8_t ACTOR_C0_DECOR = 0x02;         // touching decor
inline constexpr uint8_t ACTOR_C0_FALL_MODE3 = 0x04;
inline constexpr uint8_t ACTOR_C0_FALL_MODE2 = 0x08;
inline constexpr uint8_t ACTOR_C0_SPHERE = 0x10;        // in contact with a collision sphere
inline constexpr uint8_t ACTOR_C0_NO_GROUND = 0x20;
inline constexpr uint8_t ACTOR_C0_ON_PLATFORM = 0x40;
inline constexpr uint8_t ACTOR_C0_KEEP_CAMERA = 0x80;   // the camera keeps its height
// Byte 1.
inline constexpr uint8_t ACTOR_C1_SECOND = 0x01;
inline constexpr uint8_t ACTOR_C1_CONTACT_B = 0x02;
inline constexpr uint8_t ACTOR_C1_GROUND_SWEPT = 0x04;  // the ground was swept this pass

// Bits of the word of flag bytes 0..3.
inline constexpr uint32_t ACTOR_WORD_TEAM = uint32_t(ACTOR_F1_TEAM) << 8;

extern ActorRecord ACTOR_Slots[ACTOR_SLOT_COUNT];
extern ActorRecord ACTOR_Projectiles[ACTOR_PROJECTILE_COUNT];
extern ActorRecord *ACTOR_ActiveList1[ACTOR_SLOT_COUNT + ACTOR_PROJECTILE_COUNT]; // slots, then projectiles
extern int32_t ACTOR_ActiveCount1;
extern ActorRecord *ACTOR_ActiveList2[ACTOR_SLOT_COUNT];                          // slots only
extern int32_t ACTOR_ActiveCount2;

// Clears the record and sets the defaults every object starts from.
void ACTOR_InitRecord(ActorRecord *actor);
// Rebuilds both active lists from the in-use bits of the slots and projectiles.
void ACTOR_BuildActiveLists();

// Flag bytes 0..3 as one little-endian word.
inline uint32_t ACTOR_FlagWord(const ActorRecord *actor)
{
    return uint32_t(actor->flags[0]) | uint32_t(actor->flags[1]) << 8 | uint32_t(actor->flags[2]) << 16 |
           uint32_t(actor->flags[3]) << 24;
}
