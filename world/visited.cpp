// The visited-level ring. Not built yet: nothing is remembered, so no project was ever visited and
// nothing is given back.
#include "world/visited.h"

int32_t PRJ_SkipNextVisited;

void PRJ_RecordVisited() { PRJ_SkipNextVisited = 0; }
void PRJ_RestoreVisited() {}
int32_t PRJ_FindVisited(const char *) { return 0; }
void PRJ_ClearVisited() {}
