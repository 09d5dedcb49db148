// Sound output.
#pragma once
#include <cstdint>

int32_t SND_Init(int32_t parameter);
void SND_Shutdown();
void SND_Update();
