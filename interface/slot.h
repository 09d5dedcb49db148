// The save slots: the automatic save a project may ask for when its scene starts.
#pragma once
#include <cstdint>

// From the scene start of a project whose save mode asks for it, with the project's name.
void SLOT_AutoSave(const char *name);
// Stand-in: the automatic saves asked for, for the tests.
extern int32_t SLOT_AutoSaveCalls;
