// kdev's powers command.
#pragma once

// kdev powers [type]: for each projectile type of the cost table (or the one given in hex), the hero
// casts it from its second slot at a creature in front of it on the fight scene, and one line tells
// the type, its cost, the gauge before and after, the life at launch, the frame of the hit (or "no
// hit") and the victim's state after it, with the scene tint and the next project when they changed.
// 1 for a type that is not hex.
int KdevPowers(const char *type);
