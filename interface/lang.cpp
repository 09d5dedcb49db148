// The language file: the built-in English texts are used, so loading reads nothing.
#include "interface/lang.h"

void LANG_LoadTexts() {}
