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

// The last area given back, kept for the next of the same size: Init_3D clears it again, and a tool
// that starts the library for each of its pictures no longer waits for a fresh 64 MB to be paged in
// each time.
static std::vector<uint8_t> Spare_Area;

static std::vector<uint8_t> Take_Area(size_t size)
{
    if (Spare_Area.size() == size) {
        return std::move(Spare_Area);
    }
    Spare_Area = std::vector<uint8_t>();
    return std::vector<uint8_t>(size, 0);
}

EngineArea::EngineArea(size_t size)
    : area_(Take_Area(size)), saved_tables_(Max_Handle_Tables), saved_cache_(Max_Cache_Entries)
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
    Spare_Area = std::move(area_);
}

} // namespace kalder_test
