// The camera. Not built yet.
#include "world/cam.h"

int32_t CAM_Init() { return 1; }
void CAM_LoadPreset() {}
void CAM_Exit() {}
void CAM_CompCameraPos() {}
void CAM_PostEvent(int32_t, intptr_t, intptr_t) {}
