// Shadows under the actors: a flat blob laid on the ground, or the hero's own silhouette rendered
// from above into a texture that lies on a plane under it.
#pragma once
#include <cstdint>

#include "engine3d/records.h"

struct ActorRecord;

inline constexpr int32_t SHADOW_SLOT_COUNT = 16; // an actor's index of 16 means no shadow
inline constexpr int32_t SHADOW_FLAT = 1;
inline constexpr int32_t SHADOW_REAL = 2;
// The silhouette's target: 128 x 256 pixels of 16 bits, the 65,536 texels of "OMBRE2".
inline constexpr int32_t SHADOW_TARGET_WIDTH = 128, SHADOW_TARGET_HEIGHT = 256;
inline constexpr int32_t SHADOW_TEXEL_BYTES = 65536;

// One shadow. Slot i holds instance i of each shadow model.
struct SHADOW_Slot {
    int32_t mode;         // 0 free, SHADOW_FLAT, SHADOW_REAL
    OBJ_Handle flat;      // the blob's instance
    OBJ_Handle real;      // the silhouette plane's instance
    OBJ_Handle character; // the node drawn into the silhouette; 0 for a flat shadow
    int32_t pairs[6][2];  // texture pairs of the blob's corners, divided by 4; gathered, not used
    ActorRecord *owner;   // the actor the slot serves
};

extern SHADOW_Slot SHADOW_Slots[SHADOW_SLOT_COUNT];
extern OBJ_Handle SHADOW_Camera;      // the copy of the root camera the silhouettes are seen from; 0 before the start
extern uint8_t *SHADOW_RealTexels;    // "OMBRE2"'s texels, the silhouette's target
extern uint8_t *SHADOW_FlatMaterial;  // "OMBRE"'s cache data
extern int32_t SHADOW_AttachedCount;

// The level load, after the 3D library restarts: loads the shadow models, makes the 16 instances of
// each and frees every slot. A model, material or copy that fails stops the game.
void SHADOW_Start();
// Frees every slot and hides every instance.
void SHADOW_Reset();
// For_Each_Obj_Item's routine while the slots are reset: one pair of the slot being reset.
void SHADOW_GatherVertex(void *item);
// The first free slot, or SHADOW_SLOT_COUNT.
int32_t SHADOW_FindFree();
// A moving actor's body reset gives it a shadow of a kind (SHADOW_FLAT, or SHADOW_REAL for the hero
// with the true shadows on). An actor that already holds a slot keeps it with the new kind.
void SHADOW_Attach(ActorRecord *actor, int32_t kind);
// Kept without a caller: frees the actor's slot and hides its shadow; the character's node stays.
void SHADOW_Detach(ActorRecord *actor);
// Per frame after the actor's physics step: the shadow follows it, and a silhouette is rendered again.
void SHADOW_Place(ActorRecord *actor);
// A walk of the slot's blob items that does nothing with them.
void SHADOW_Walk(int32_t slot);
void SHADOW_Nothing(void *item);
// Kept without a caller; does nothing.
void SHADOW_Nop();
