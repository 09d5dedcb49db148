// The camera and its event queue.
#pragma once
#include <cstdint>

int32_t CAM_Init();
void CAM_Exit();
// Loads the camera preset that the hot keys chose (OPT_CameraPreset); preset 0 takes the current
// project's camera overrides.
void CAM_LoadPreset();
// Posts a camera event ('+' follow the subject a, ...) for the next camera step.
void CAM_PostEvent(int32_t code, intptr_t a, intptr_t b);
// The camera step: once a frame, and once at level load for the hero.
void CAM_CompCameraPos();
