// The camera and its event queue.
#pragma once
#include <cstdint>

int32_t CAM_Init();
void CAM_Exit();
