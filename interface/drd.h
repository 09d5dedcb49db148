// The dialogue file.
#pragma once
#include <cstdint>

int32_t DRD_Open(const char *path);
void DRD_Close();
