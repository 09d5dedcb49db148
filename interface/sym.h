// Symbol selection lists: the menus of symbols opened over the running game.
#pragma once
#include <cstdint>

// Called once a frame by the game tick after the scene is composed: draws the open symbol menu.
int32_t SYM_MenuDraw();
