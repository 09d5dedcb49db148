// The game's collision pass. Not built yet: there is nothing to collide, no sphere to free and no
// scene mesh is kept.
#include "world/col.h"

void COL_Collide() {}
void COL_FreeSpheres() {}
void COL_AddSceneMesh(int32_t) {}
