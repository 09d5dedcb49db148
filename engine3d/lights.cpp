// Lights. Not built yet: a placeholder that moves no light, exact while no object has lights attached.
#include "engine3d/lights.h"

void XForm_Lights() {}
