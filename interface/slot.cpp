// The save slots. Not built yet: the automatic save saves nothing; it only counts what was asked.
#include "interface/slot.h"

int32_t SLOT_AutoSaveCalls;

void SLOT_AutoSave(const char *) { SLOT_AutoSaveCalls++; }
