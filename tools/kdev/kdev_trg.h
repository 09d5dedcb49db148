// kdev's trg command.
#pragma once

// kdev trg <folder> [project]: reads the project database of the installation under <folder>/drives and
// prints the 16 trigger sources of the project (Project0 by default): active or not, the condition and
// action bits by name, elements A, A2 and B with their names, the zone with its name, the event
// argument, the film and the period.
int KdevTrg(const char *folder, const char *project);
