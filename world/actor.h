// The game's objects. Not built yet: the 32 object slots exist, blank, with only the fields that the
// system core reads of them (the pause key and the debug panel) named.
#pragma once
#include <cstdint>

struct INV_Record; // an actor's inventory: 32 item names of 16 bytes from its fifth byte

struct ActorRecord {
    double position[3];
    float velocity[3];
    INV_Record *inventory;
    int32_t heading;       // 4096 a turn
    int32_t heading_speed;
    int32_t tilt;
    int32_t pitch;
    int32_t ground_height;
    char node_name[16];    // not always terminated
    uint8_t flags[10];
    int32_t radius;
    ActorRecord *target;
    int32_t anim_handles[2];
    int32_t current_anim;
    int32_t requested_anim;
    float frame_position;
    float anim_blend;
    double phy_velocity[3];
};

inline constexpr int32_t ACTOR_SLOT_COUNT = 32;
inline constexpr int32_t ACTOR_HERO = 1; // slot of the hero

extern ActorRecord ACTOR_Slots[ACTOR_SLOT_COUNT];
