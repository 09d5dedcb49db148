// The game's collision pass: actors against the scene, then spheres pushed apart.
#pragma once

void COL_Collide();
