// A started 3D library for a test (see engine_area.h).
#include "tests/support/engine_area.h"

#include <cstring>

#include "engine3d/lights.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"

namespace kalder_test {

// The light table outlives Init_3D, as the game's does; each test starts and ends with no lights.
static void ClearLightTable()
{
    std::memset(Light_Table, 0, sizeof Light_Table);
    Light_Count = 0;
}

EngineArea::EngineArea(size_t size) : area_(size, 0), saved_tables_(Max_Handle_Tables), saved_cache_(Max_Cache_Entries)
{
    Max_Handle_Tables = 1024;
    Max_Cache_Entries = 256;
    ClearLightTable();
    Init_3D(area_.data(), area_.size());
}

EngineArea::~EngineArea()
{
    Max_Handle_Tables = saved_tables_;
    Max_Cache_Entries = saved_cache_;
    Work_Area = nullptr;
    Work_Size = 0;
    Mem_libre = 0;
    First_Block = Last_Block = 0;
    Heap_Ptr = 0;
    ClearLightTable();
}

} // namespace kalder_test
