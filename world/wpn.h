// Weapons: the models of the thrown weapons, the gun, the sword and the bow.
#pragma once
#include <cstdint>

// The hero's bow and sword as they were drawn when the last fade ended: the next project's weapon
// loaders draw them again.
extern int32_t WPN_BowWasDrawn;
extern int32_t WPN_SwordWasDrawn;
