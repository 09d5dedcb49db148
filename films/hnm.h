// The film player: opens, paces and shows .hnm films.
#pragma once
#include <cstdint>

int32_t HNM_Open(const char *path);
void HNM_NextFrame();
void HNM_Close();
int32_t HNM_FrameDue();
void HNM_FillStream();
