// Weapons. Not built yet: no weapon model is loaded.
#include "world/wpn.h"

void WPN_LoadThrown() {}
void WPN_LoadGun() {}
void WPN_LoadSword() {}
void WPN_LoadBow() {}
