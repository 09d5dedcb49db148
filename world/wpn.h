// Weapons: the thrown weapon and the hero's gun, sword and bow.
#pragma once

// The level load's weapon loaders.
void WPN_LoadThrown();
void WPN_LoadGun();
void WPN_LoadSword();
void WPN_LoadBow();
