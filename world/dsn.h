// The DSN scene-stream reader.
#pragma once
#include <cstdint>

int32_t DSN_Create();
void DSN_Destroy();
