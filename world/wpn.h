// Weapons: the thrown weapon and the hero's gun, sword and bow, carried in its hands.
#pragma once
#include <cstdint>
#include <vector>

#include "engine3d/records.h"

// The bow and sword as they were drawn when the last fade ended: the next project's weapon loaders
// draw them again.
extern int32_t WPN_BowWasDrawn;
extern int32_t WPN_SwordWasDrawn;

// One of the hero's weapon models: its handle, the hero's node it hangs from (-1: the hero has no
// such hand, and the weapon is never shown), every node of its tree in table order and the vertex
// positions each node had when it was loaded, which growing and blinking scale from.
struct WPN_Model {
    OBJ_Handle handle;
    OBJ_Handle hand;
    std::vector<OBJ_Handle> nodes;
    std::vector<std::vector<int32_t>> kept;
};

extern WPN_Model WPN_Sword;
extern WPN_Model WPN_Bow;
extern WPN_Model WPN_Gun;
// How far a freshly drawn sword or bow has grown into the hand: 0.2 up to 1.0. The two are never in
// hand together, so they share it.
extern float WPN_GrowFactor;

// Where the weapons sit in the hand node: the sword, and the bow in the other hand at the same place;
// the gun.
inline constexpr int32_t WPN_SWORD_AT[3] = {92, 7, -12};
inline constexpr int32_t WPN_GUN_AT[3] = {3, 7, -27};

// The level load's weapon loaders, after the characters: each loads its model and hangs it, hidden,
// from the hero's hand. A model that does not load stops the game.
void WPN_LoadThrown();
void WPN_LoadGun();
void WPN_LoadSword();
void WPN_LoadBow();

// Taking weapons in hand and putting them away: the weapon step, the hero's moves and the powers.
void WPN_DrawSword();
void WPN_SheatheSword();
void WPN_DrawBow();
void WPN_PutAwayBow();
void WPN_ShowGun();
void WPN_HideGun();
void WPN_DrawGun();
void WPN_PutAwayGun();

// 1 when the hero carries the weapon and has it in hand.
int32_t WPN_IsSwordDrawn();
int32_t WPN_IsBowDrawn();
int32_t WPN_IsGunDrawn();

// Called once per frame by the weapon step, in this order.
void WPN_GunUpdate();
void WPN_SwordUpdate();
void WPN_BowUpdate();
