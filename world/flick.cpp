// Flickering lights. Not built yet: there are no slots.
#include "world/flick.h"

void FLICK_Reset() {}
