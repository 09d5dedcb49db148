// Sprite fonts. Not built yet: every font slot stays empty.
#include "interface/txt.h"

void TXT_ClearAll() {}
void TXT_LoadFont(const char *, int32_t, int32_t) {}
void TXT_PrintCentred(int32_t, int32_t, int32_t, const char *, ...) {}
void TXT_DrawString(const char *, int32_t, int32_t, int32_t, int32_t) {}
