// Collision space. Not built yet: the space stays empty.
#include "engine3d/coll.h"

void Coll_Init() {}
void Coll_Free() {}
