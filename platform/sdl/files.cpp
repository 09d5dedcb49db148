// SDL side of the file service: both programs take the drive map from the environment at start.
#include "plat/files.h"

#include "../common/files_internal.h"

void FILES_BackEndStart() { PLAT_LoadDriveMapFromEnvironment(); }
