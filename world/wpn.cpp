// Weapons. Not built yet: no weapon model is loaded; only the drawn flags a fade passes on are kept.
#include "world/wpn.h"

int32_t WPN_BowWasDrawn;
int32_t WPN_SwordWasDrawn;

void WPN_LoadThrown() {}
void WPN_LoadGun() {}
void WPN_LoadSword() {}
void WPN_LoadBow() {}
