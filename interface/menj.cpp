// MENJ. Not built yet.
#include "interface/menj.h"

void MENJ_Init() {}
void MENJ_Shutdown() {}
