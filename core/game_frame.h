// The game receiver's handler, called once per dispatch round while the game runs.
#pragma once
#include <cstdint>

uint8_t GAME_FrameHandler();
