// Sprite fonts and text output.
#pragma once
#include <cstdint>

void TXT_ClearAll();
void TXT_LoadFont(const char *path, int32_t slot, int32_t spacing);
