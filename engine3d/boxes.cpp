// Collision boxes. Not built yet: a placeholder, exact while no object carries boxes.
#include "engine3d/boxes.h"

void Update_All_Boxes() {}
