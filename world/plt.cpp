// Platforms. Not built yet: there are no records to clear.
#include "world/plt.h"

void PLT_Clear() {}
