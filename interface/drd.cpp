// The dialogue file. Not read yet; opening it always succeeds with no entries, so no entry loads and
// no dialogue window opens.
#include "interface/drd.h"

int32_t DRD_Open(const char *) { return 1; }
void DRD_Close() {}

int32_t DLG_LoadEntry(int32_t) { return 0; }
void DLG_RunWindow() {}
