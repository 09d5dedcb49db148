// Weapons: the thrown weapon and the hero's gun, sword and bow.
#pragma once
#include <cstdint>

// The hero's bow and sword as they were drawn when the last fade ended: the next project's weapon
// loaders draw them again.
extern int32_t WPN_BowWasDrawn;
extern int32_t WPN_SwordWasDrawn;

// The level load's weapon loaders.
void WPN_LoadThrown();
void WPN_LoadGun();
void WPN_LoadSword();
void WPN_LoadBow();
