// The game's collision pass: actors against the scene, then spheres pushed apart.
#pragma once
#include <cstdint>

void COL_Collide();
// The level load frees the collision spheres of the level left.
void COL_FreeSpheres();
// The scene loader registers the scene's collision model (a loaded .3DI handle) with the spheres.
void COL_AddSceneMesh(int32_t handle);
// The follow camera pushes its aim target out of the decor, each frame its collision flag is set.
void COL_CollideCamera(int32_t *point);
