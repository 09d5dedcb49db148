// Collision space: meshes and bodies swept against each other.
#pragma once
#include <cstdint>

void Coll_Init();
void Coll_Free();
void Coll_Remove_Mesh(int32_t handle);
