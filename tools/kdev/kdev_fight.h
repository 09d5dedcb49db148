// kdev's fight command.
#pragma once
#include <cstdint>

// kdev fight <folder> [--ticks N] [--png OUTDIR]: loads Project0 of the installation under
// <folder>/drives, runs the world's steps N frames (the hero's fight step, the creatures, the actors)
// and prints the hero's fight each frame; with --png the hero with each weapon in hand.
int KdevFight(const char *folder, int32_t ticks, const char *png_folder);
