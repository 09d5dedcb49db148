// SDL sound and CD devices: not connected yet, so the game runs with sound off and no CD audio.
#include "plat/cd.h"
#include "plat/sound.h"

int PLAT_SoundOpen() { return 0; }
void PLAT_SoundClose() {}

int PLAT_CdOpen() { return 0; }
void PLAT_CdClose() {}
void PLAT_CdPlay(int, int) {}
void PLAT_CdStop() {}
int PLAT_CdMode() { return PLAT_CD_NOT_READY; }
int PLAT_CdTrackCount() { return 0; }
