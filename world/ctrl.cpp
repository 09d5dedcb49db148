// Control mapping. Not built yet: no control is ever pressed.
#include "world/ctrl.h"

void CTRL_MapInput() {}
void CTRL_SetDevice(int32_t) {}
