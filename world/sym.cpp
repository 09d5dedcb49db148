// Symbol files. Not built yet: nothing is loaded.
#include "world/sym.h"

void SYM_Reset() {}
void SYM_Load(ActorRecord *, const char *) {}
