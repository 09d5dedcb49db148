// kdev's level command.
#pragma once
#include <cstdint>

// kdev level <folder> [--ticks N] [--png OUT.png]: loads the pending project of the installation
// under <folder>/drives, runs the scene stream N more frames, prints the slot table and the sky node,
// and renders the root camera's view.
int KdevLevel(const char *folder, int32_t ticks, const char *png);

// Maps <folder>/drives as the programs do; false (with the message printed) when there is none.
bool KdevMapDrives(const char *folder);
