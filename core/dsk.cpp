// Data location. The disc and installation search is not connected yet: nothing is found, and
// relative paths read from the working directory.
#include "core/dsk.h"

void DSK_Locate() {}
void DSK_RestoreDrive() {}
const char *DSK_InstallPath() { return ""; }
