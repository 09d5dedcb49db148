// The DSN scene-stream reader. Not built yet; making it always succeeds.
#include "world/dsn.h"

int32_t DSN_Create() { return 1; }
void DSN_Destroy() {}
