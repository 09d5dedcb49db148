// Symbol files: the symbol area that holds the symbol data of the current level's characters.
#include "world/sym.h"

#include <cstdio>

#include "core/file.h"
#include "interface/sym.h"
#include "world/actor.h"

uint8_t SYM_Area[SYM_AREA_SIZE];
uint32_t SYM_AreaFill;

namespace {

// Cleared with the area; nothing reads it.
struct SYM_TableEntry {
    int32_t value;
    uint8_t flag;
};
SYM_TableEntry SYM_Table;

} // namespace

void SYM_Reset()
{
    SYM_AreaFill = 0;
    SYM_Table = {};
    // The load re-initialised the 3D heap: the open list's items went with it.
    SYM_ForgetMenus();
    SYM_LoadWordModels();
}

void SYM_Load(ActorRecord *actor, const char *name)
{
    char path[260];
    std::snprintf(path, sizeof path, "data\\sym\\%s", name);
    if (!FILE_Exists(path)) {
        return;
    }
    const int32_t handle = FILE_OpenPlain(path, O_RDONLY | O_BINARY);
    const int32_t size = FILE_SeekPlain(handle, 0, SEEK_END);
    // A file that would run past the area is refused whole, as a missing one is: no part of it is
    // worth a list that stops in the middle of a step.
    if (size <= 0 || uint32_t(size) > SYM_AREA_SIZE - SYM_AreaFill) {
        FILE_ClosePlain(handle);
        return;
    }
    FILE_SeekPlain(handle, 0, SEEK_SET);
    uint8_t *at = SYM_Area + SYM_AreaFill;
    // A file that shrank since its size was taken gives what it still holds.
    const int32_t got = FILE_ReadPlain(handle, at, uint32_t(size));
    FILE_ClosePlain(handle);
    if (got <= 0) {
        return;
    }
    actor->symbol_data = at;
    actor->symbol_size = uint32_t(got);
    SYM_AreaFill += uint32_t(got);
    actor->flags[1] |= ACTOR_F1_SYMBOLS;
}
