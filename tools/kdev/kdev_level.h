// kdev's level command.
#pragma once
#include <cstdint>

// kdev level <folder> [--ticks N] [--png OUT.png]: loads the pending project of the installation
// under <folder>/drives, runs the scene stream N more frames, prints the slot table and the sky node,
// and renders the root camera's view.
int KdevLevel(const char *folder, int32_t ticks, const char *png);

// Maps <folder>/drives as the programs do; false (with the message printed) when there is none.
bool KdevMapDrives(const char *folder);

// kdev zones <folder> [--project NAME]: loads the project (the pending one, or NAME) as kdev level
// does and prints its zones in use, the physics fields after the load with each path zone's handle,
// and for the hero's start the spawn points that are candidates and the camera or draining zones that
// apply.
int KdevZones(const char *folder, const char *project);
