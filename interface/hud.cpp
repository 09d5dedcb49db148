// Gauges. Not built yet: no gauge is drawn.
#include "interface/hud.h"

void HUD_BindIcons() {}
void HUD_DrawGauges(float, float, float, float, int32_t, int32_t) {}
