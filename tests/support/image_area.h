// A started 3D library whose file source serves files from memory, with a clean material cache.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "engine3d/image.h"
#include "engine3d/matcache.h"
#include "tests/support/engine_area.h"
#include "tests/support/image_builder.h"
#include "tests/support/mem_file_source.h"

namespace kalder_test {

// The cache count is a high-water mark the game never resets; a test needs a clean one.
inline void ResetCacheCount() { Cache_Count = 0; }

class ImageArea : public EngineArea {
public:
    explicit ImageArea(size_t size = 2000000) : EngineArea(size)
    {
        ResetCacheCount();
        MemFiles_Clear();
        Set_File_Source(MemFileSource);
        std::snprintf(Material_Dir, sizeof Material_Dir, "%s", "D:\\DATA\\3DC\\");
    }
    ~ImageArea()
    {
        Set_File_Source(nullptr);
        MemFiles_Clear();
        ResetCacheCount();
    }
    // The image of a handle's block, relative to the area, and the offset of one of its sections.
    static Addr Block(OBJ_Handle h) { return Get_Obj_Block(h); }
    static Addr At(OBJ_Handle h, const ImageFile &f, const std::string &section) { return Block(h) + f.at(section); }
};

} // namespace kalder_test
