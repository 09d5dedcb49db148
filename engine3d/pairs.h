// Collision box pairs: a pool of registered boxes, their bounds kept sorted on three axes, and the
// pairs whose bounds overlap on all three, each with its nearest features.
//
// Use: register boxes, call Pairs_Sweep every frame after Update_All_Boxes, then walk the contacts with
// Pairs_Next_Contact from position 0 until it gives -1. The game itself only creates the pool.
#pragma once
#include <cstdint>

#include "engine3d/records.h"

// Bits of a pair's flag byte.
enum : uint8_t {
    PAIR_OVERLAP_X = 0x01,
    PAIR_OVERLAP_Y = 0x02,
    PAIR_OVERLAP_Z = 0x04,
    PAIR_ACTIVE = 0x08,
    PAIR_DISABLED = 0x10,
};
// An endpoint list entry: a pool index, with this bit for the box's minimum.
constexpr uint16_t PAIR_MINIMUM = 0x8000;

// A registered box; free records have handle -1 and box -1. Chained by index, -1 for none; the free
// chain ends with the pool size.
struct OBJ_PairBox {
    OBJ_Handle handle;
    int16_t box;
    Addr record;  // the box record in the work area
    int32_t next;
    int32_t previous;
};

// An active pair: the greater pool index first, and the current feature of each box.
struct OBJ_PairNode {
    int32_t first, second;
    int32_t feature_first, feature_second;
    OBJ_PairNode *next;
    int32_t steps; // what the last closest-feature run gave (0..16), for the developers' tools
};

// The pool's state, for tests and the demonstration: read it, never write it.
struct PairsState {
    int32_t size;             // n
    OBJ_PairBox *pool;
    int32_t free_head;
    int32_t used_head, used_tail;
    int32_t count;            // registered boxes
    uint16_t *lists[3];       // 2n entries each, the first 2 x count in use
    uint8_t *flags;           // n(n - 1) / 2 bytes
    OBJ_PairNode *active;
    int32_t active_count;
    int32_t last_position;    // of Pairs_Next_Contact; 0x80000001 for none
    OBJ_PairNode *last_node;
};
extern PairsState Pairs;

// The byte of the pair (i, j), i > j.
inline uint32_t Pair_Byte(int32_t i, int32_t j) { return uint32_t(i) * uint32_t(i - 1) / 2 + uint32_t(j); }

// Called once by system start-up with 256. 0, or -1 for a size outside 1..32768 or a failed allocation.
int32_t Pairs_Init(int32_t n);
int32_t Pairs_Free();
// Called by Init_3D: the work area the boxes lived in is gone, so every registration goes with it.
void Pairs_Empty();

int32_t Pairs_Find(OBJ_Handle h, int32_t box);
int32_t Pairs_Add_Box(OBJ_Handle h, int32_t box);
void Pairs_Remove_Box(OBJ_Handle h, int32_t box);
int32_t Pairs_Enable(OBJ_Handle ha, int32_t box_a, OBJ_Handle hb, int32_t box_b);
int32_t Pairs_Disable(OBJ_Handle ha, int32_t box_a, OBJ_Handle hb, int32_t box_b);
void Pairs_Sweep();
int32_t Pairs_Next_Contact(OBJ_Handle *ha, int32_t *box_a, int32_t *point_a, OBJ_Handle *hb, int32_t *box_b,
                           int32_t *point_b, int32_t k);
int32_t Pairs_Test(OBJ_Handle ha, int32_t box_a, OBJ_Handle hb, int32_t box_b, int32_t *point_a, int32_t *point_b);
void Pairs_Mark(int32_t i, int32_t j);
void Pairs_Unmark(int32_t i, int32_t j);
