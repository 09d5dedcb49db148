// The game's collision pass. Not built yet: there is nothing to collide, no sphere to free, no
// scene mesh is kept and the camera's point is left where it is.
#include "world/col.h"

void COL_Collide() {}
void COL_FreeSpheres() {}
void COL_AddSceneMesh(int32_t) {}

void COL_CollideCamera(int32_t *) {}
