// MENJ. Not built yet: no HUD is drawn and no menu event arrives.
#include "interface/menj.h"

int32_t MENJ_SkipPresent;
int32_t MENJ_HudOn = 1;

void MENJ_Init() {}
void MENJ_Shutdown() {}
void MENJ_Update(int32_t) {}
