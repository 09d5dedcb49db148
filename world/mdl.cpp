// Models. Not built yet: a placeholder file source with no scene stream, no container and no disk
// behind it, so every model file is found nowhere.
#include "world/mdl.h"

#include "core/sys.h"

int32_t MDL_FileHook(const char *name, void *, int32_t)
{
    return name == nullptr || name[0] == 0 ? 0 : -1;
}

void MDL_LoadError(const char *text) { SYS_FatalError(text, 999, 0); }
