// The film player. Not built yet: no film opens.
#include "films/hnm.h"

int32_t HNM_Open(const char *) { return 0; }
void HNM_NextFrame() {}
void HNM_Close() {}
int32_t HNM_FrameDue() { return 0; }
void HNM_FillStream() {}
