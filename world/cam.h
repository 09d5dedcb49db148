// The camera and its event queue.
#pragma once
#include <cstdint>

int32_t CAM_Init();
void CAM_Exit();
// Loads the camera preset that the hot keys chose (OPT_CameraPreset); preset 0 takes the current
// project's camera overrides.
void CAM_LoadPreset();
// Called once per frame by the game tick: the camera follows the steered actor.
void CAM_CompCameraPos();
// Posts a camera event ('+' the follow camera) into the camera queue; dropped when it is full.
void CAM_PostEvent(int32_t code, intptr_t a, intptr_t b);
