// The scene textures' test bench: a started 3D library whose material cache holds the test's own
// images, a project record of the test's own, the shading state and the slots cleared.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/dsp.h"
#include "core/game_frame.h"
#include "engine3d/gfx_tint.h"
#include "engine3d/matcache.h"
#include "tests/support/image_area.h"
#include "world/actor.h"
#include "world/fgt.h"
#include "world/flick.h"
#include "world/level_record.h"
#include "world/prj.h"
#include "world/tex.h"

namespace tex_test {

// Table k (1..32) of a slot's texels.
inline const uint8_t *Table(const uint8_t *texels, int32_t k) { return texels - 1024 * k; }

// The 256 RGB565 colours of a material file's own table (table 17), from an index.
using FileColours = uint16_t (*)(int index);
inline uint16_t GreyRamp(int i) { return uint16_t((i >> 3) << 11 | (i >> 2) << 5 | (i >> 3)); }

// A material image whose every table holds the file colours.
inline std::vector<uint8_t> MaterialOf(FileColours colours)
{
    return kalder_test::MaterialImage([colours](int, int i) { return colours(i); },
                                      [](int x, int y) { return uint8_t(x ^ y); })
        .Finish()
        .bytes;
}

struct TexBench {
    explicit TexBench(size_t area_size = 2000000) : area(area_size)
    {
        saved_project = PRJ_Current;
        record = LevelRecord{};
        PRJ_Current = &record;
        TEX_Reset();
        TEX_Shading = TEX_ShadingState{};
        FLICK_LightsPresent = 0;
        FLICK_LightsCreated = 0;
        FGT_Underwater = 0;
        DSP_Rgb555 = 0;
        GAME_TimeFactor = 1.0;
        GFX_BuildSaturateTable();
        std::memset(ACTOR_Slots[ACTOR_SCENE].node_name, 0, sizeof ACTOR_Slots[ACTOR_SCENE].node_name);
    }
    ~TexBench()
    {
        TEX_Reset();
        PRJ_Current = saved_project;
    }
    // A material in the cache under `name`, from the file "<file>.3dm"; its cache index.
    int32_t Add(const std::string &name, FileColours colours = GreyRamp)
    {
        const std::string file = "f" + std::to_string(files++);
        kalder_test::MemFiles_Add(file + ".3dm", MaterialOf(colours));
        EXPECT_EQ(Add_Cached_File(name.c_str(), file.c_str()), 0);
        for (int32_t i = 0; i < Get_Cache_Count(); i++) {
            if (name == Get_Cache_Name(i)) {
                return i;
            }
        }
        ADD_FAILURE() << name << " is not in the cache";
        return -1;
    }
    // Adds and registers: the slot.
    TEX_Slot *Registered(const std::string &name, FileColours colours = GreyRamp)
    {
        const int32_t i = Add(name, colours);
        EXPECT_EQ(TEX_Register(Get_Cache_Name_Field(i)), 1);
        for (TEX_Slot &slot : TEX_Slots) {
            if (slot.flags != 0 && std::strncmp(slot.name, Get_Cache_Name(i), 16) == 0) {
                return &slot;
            }
        }
        return nullptr;
    }

    kalder_test::ImageArea area;
    LevelRecord record;
    LevelRecord *saved_project;
    int files = 0;
};

} // namespace tex_test
