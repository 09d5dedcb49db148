// SDL CD device: not connected yet, so the game runs without CD audio.
#include "plat/cd.h"

int PLAT_CdOpen() { return 0; }
void PLAT_CdClose() {}
void PLAT_CdPlay(int, int) {}
void PLAT_CdStop() {}
int PLAT_CdMode() { return PLAT_CD_NOT_READY; }
int PLAT_CdTrackCount() { return 0; }
