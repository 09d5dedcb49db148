// Collision space: meshes and bodies swept against each other.
#pragma once

void Coll_Init();
void Coll_Free();
