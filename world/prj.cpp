// The project database. kalder.dat is not read yet: the current project is a blank record, as when
// the file is missing.
#include "world/prj.h"

#include <cstring>

LevelRecord PRJ_CurrentRecord;
LevelRecord *PRJ_Current = &PRJ_CurrentRecord;
int32_t PRJ_PendingFlag;

void PRJ_LoadDatabase()
{
    std::memset(&PRJ_CurrentRecord, 0, sizeof(PRJ_CurrentRecord));
    PRJ_Current = &PRJ_CurrentRecord;
    PRJ_PendingFlag = 1;
}

void PRJ_FreeDatabase() {}

int32_t PRJ_GetDataPart() { return PRJ_Current->data_part; }
