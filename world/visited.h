// The ring of the last levels visited, with the state each was left in.
#pragma once
#include <cstdint>

// 1 when a project of this name is in the ring, else 0.
int32_t PRJ_FindVisited(const char *name);
