// Platforms: the collision records of actors that others stand on, and the one actor that carries
// others.
#pragma once
#include <cstdint>

struct ActorRecord;

// One box of the platform: a child node of the platform's root and the box node after it.
struct PLT_Record {
    int32_t node;
    int32_t box_node;
    int32_t previous[3];     // the node's world position at the last update
    int32_t displacement[3]; // its motion over the last update
    int32_t centre[3];       // the box's top centre after an update
    int32_t half[3];         // half the box node's vertex span on x, y, z
    int32_t bounds[6];       // min x, max x, min y, max y, min z, max z
    int32_t top;             // the box node's local y plus half its height
};

inline constexpr int32_t PLT_MAX_RECORDS = 64;
// How far above and below a box's top an actor's foot still counts as on it.
inline constexpr int32_t PLT_REACH = 200;

extern PLT_Record PLT_Records[PLT_MAX_RECORDS];
extern int32_t PLT_Count;
extern int32_t PLT_Active;
extern ActorRecord *PLT_Platform;
extern int32_t PLT_Root;

// The level load empties the 64 records.
void PLT_Clear();
// The platform owner's body reset turns the children of its model into records.
void PLT_Build(ActorRecord *platform);
// Per frame, right after the platform actor's step: moves the platform's boxes with it.
void PLT_Update();
// The platform actor, null when the level has none.
ActorRecord *PLT_Actor();
void PLT_GetDisplacement(int32_t i, int32_t *out);
int32_t PLT_GetTop(int32_t i);
// The collision pass asks where an actor's foot stands: 0 on no platform, 1 exactly on a box's top,
// 2 off it by the offset written to `out`.
int32_t PLT_Contact(ActorRecord *actor, int32_t *out);
