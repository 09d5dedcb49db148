// kdev's fx command.
#pragma once

// kdev fx <folder> [--project NAME] [--ticks N] [--burst] [--png OUT.png]: plays the project headless,
// with a ring burst 300 units in front of the hero at the first tick when asked, and prints the ring
// cursors and live counts each tick, then the mana spheres, ground elements and vents. 1 when the run
// stops (no drives, no such project, a fatal stop), 2 for bad arguments.
int KdevFx(int argc, char **argv);
