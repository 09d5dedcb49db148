// The camera. Not built yet: events are dropped and the camera stays where it was put.
#include "world/cam.h"

int32_t CAM_Init() { return 1; }
void CAM_LoadPreset() {}
void CAM_Exit() {}
void CAM_PostEvent(int32_t, intptr_t, intptr_t) {}
void CAM_CompCameraPos() {}
