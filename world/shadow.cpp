// Shadows. Not built yet: no shadow model is loaded.
#include "world/shadow.h"

void SHADOW_Start() {}
