// kdev's shadows command.
#pragma once

// kdev shadows <folder> [--real] [--ticks N] [--png OUT.png] [--texture OUT2.png]: plays Project0 of the
// installation under <folder>/drives for N ticks (40 by default) with flat or true shadows, prints the
// 16 shadow slots and the attached count, and writes the frame and the silhouette's texels.
int KdevShadows(int argc, char **argv);
