// The camera and its event queue.
#pragma once
#include <cstdint>

int32_t CAM_Init();
void CAM_Exit();
// Loads the camera preset that the hot keys chose (OPT_CameraPreset); preset 0 takes the current
// project's camera overrides.
void CAM_LoadPreset();
