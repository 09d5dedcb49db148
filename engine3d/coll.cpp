// Collision space. Not built yet: the space stays empty, and removing a mesh is a placeholder that
// does nothing.
#include "engine3d/coll.h"

void Coll_Init() {}
void Coll_Free() {}
void Coll_Remove_Mesh(int32_t) {}
