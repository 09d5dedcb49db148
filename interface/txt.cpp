// Sprite fonts. Not built yet: every font slot stays empty.
#include "interface/txt.h"

void TXT_ClearAll() {}
void TXT_LoadFont(const char *, int32_t, int32_t) {}
void TXT_DrawString(const char *, int32_t, int32_t, int32_t, int32_t) {}
