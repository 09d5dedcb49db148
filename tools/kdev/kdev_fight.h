// kdev's fight command.
#pragma once
#include <cstdint>

// kdev fight <folder> [--ticks N] [--png OUTDIR]: plays the installation under <folder>/drives headless
// N frames after Project0's load (the game's own tick: the creature pursues the hero) and prints the
// hero's fight each frame; with --png the hero with each weapon in hand, Project0 loaded again.
int KdevFight(const char *folder, int32_t ticks, const char *png_folder);
