// The save-slot list. Not built yet: it chooses slot 0, shows nothing and is left, cancelled, on its
// first input pass, so that a caller opening it comes straight back.
#include "interface/slot.h"

SLOT_ListState SLOT_List = {0, 0, 0, 0, 0, 0, 1, 0};

int32_t SLOT_FindLatest(int32_t)
{
    SLOT_List.current = 0;
    SLOT_List.finished = 0;
    SLOT_List.success = 0;
    SLOT_List.cancelled = 0;
    SLOT_List.cursor_phase = 1;
    return 2;
}

int32_t SLOT_DrawList(int32_t saving)
{
    SLOT_List.save_mode = saving;
    return 0;
}

int32_t SLOT_EditName()
{
    SLOT_List.finished = 1;
    SLOT_List.success = 0;
    SLOT_List.cancelled = 1;
    return 0;
}
