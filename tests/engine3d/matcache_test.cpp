// The material name cache: sharing, counts, release, reuse and the cache look-ups.
#include <gtest/gtest.h>

#include <cstring>

#include "engine3d/matcache.h"
#include "engine3d/image.h"
#include "engine3d/object.h"
#include "engine3d/view.h"
#include "tests/support/image_area.h"

using namespace kalder_test;

namespace {

std::vector<uint8_t> Material_File() { return MaterialImage([](int r, int i) { return uint16_t(((r << 11) | i) & 0xFFFF); }).Finish().bytes; }

int32_t Count(int i) { return W_Get32(Cache_Entry(i)); }
OBJ_Handle Entry_Handle(int i) { return W_Get32(Cache_Entry(i) + 4); }

void Add_Cube_Files()
{
    MemFiles_Add("cube.3dc", HierarchyImage(CubeObjects(), CubeMaterials()).Finish().bytes);
    MemFiles_Add("cube.3dm", Material_File());
}

} // namespace

TEST(MatCacheTest, TwoObjectsShareOneMaterialUntilBothAreDeleted)
{
    ImageArea area;
    Add_Cube_Files();
    OBJ_Handle a = Load_Obj("cube.3dc"), b = Load_Obj("cube.3dc");
    ASSERT_NE(b, -1);
    EXPECT_EQ(Get_Cache_Count(), 2);
    EXPECT_EQ(Count(0), 2);
    int loads = 0;
    for (const FileRequest &r : MemFiles_Requests()) {
        loads += r.name.find(".3DM") != std::string::npos;
    }
    EXPECT_EQ(loads, 1);
    const Addr image = Get_Obj_Block(Entry_Handle(0));
    ASSERT_EQ(Delete_Obj(a), 0);
    EXPECT_EQ(Count(0), 1);
    EXPECT_TRUE(Block_Is_Chained(image));
    ASSERT_EQ(Delete_Obj(b), 0);
    EXPECT_EQ(Count(0), 0);
    EXPECT_FALSE(Block_Is_Chained(image));
    EXPECT_STREQ(Get_Cache_Name(0), "CUBE"); // kept until the entry is reused
    EXPECT_EQ(Get_Obj_Block(Entry_Handle(0)), image);
}

// An entry whose count fell to 0 keeps its name and texture: the file look-up still finds it, a
// second release empties its names, and the 15-bit conversion passes it by.
TEST(MatCacheTest, AnEntryNoLongerInUse)
{
    ImageArea area;
    Add_Cube_Files();
    OBJ_Handle a = Load_Obj("cube.3dc");
    ASSERT_NE(a, -1);
    const Addr entry = Cache_Entry(0);
    const uint8_t *texels = Find_Cached_File("CUBE");
    ASSERT_NE(texels, nullptr);
    const Addr block = Get_Obj_Block(a);
    ASSERT_EQ(Delete_Obj(a), 0);
    EXPECT_EQ(Count(0), 0);
    EXPECT_EQ(Find_Cached_File("CUBE"), texels);
    EXPECT_EQ(Find_Cached_File_Slot("CUBE"), 0u);

    uint32_t before;
    std::memcpy(&before, texels - 0x8000, 4);
    Convert_Cache_To_555();
    uint32_t after;
    std::memcpy(&after, texels - 0x8000, 4);
    EXPECT_EQ(after, before);
    EXPECT_EQ(W_Get32(entry + 56) & 1, 0);

    Release_Materials(block);
    EXPECT_STREQ(Get_Cache_Name(0), "");
    EXPECT_EQ(Count(0), 0);
    EXPECT_EQ(Find_Cached_File("CUBE"), nullptr);
}

TEST(MatCacheTest, AnEmptyFileNameTakesAnEntryAndLoadsNothing)
{
    ImageArea area;
    Add_Cube_Files();
    ASSERT_NE(Load_Obj("cube.3dc"), -1);
    EXPECT_EQ(Count(1), 1);
    EXPECT_EQ(Entry_Handle(1), 0);
    EXPECT_EQ(W_GetAddr(Cache_Entry(1) + 8), 0u);
    EXPECT_EQ(Find_Cached_File("FLAT"), nullptr);
    EXPECT_EQ(Find_Cached_File_Slot("FLAT"), 0u);
    EXPECT_NE(Find_Cached_File("CUBE"), nullptr);
}

TEST(MatCacheTest, FreedEntriesAreReusedBeforeTheCountGrowsAndTheCountSurvivesStartUp)
{
    ImageArea area;
    Add_Cube_Files();
    ObjectSpec root;
    root.name = "R";
    MemFiles_Add("a.3dc", HierarchyImage({root}, {{"A", "", 1}}).Finish().bytes);
    MemFiles_Add("b.3dc", HierarchyImage({root}, {{"B", "", 2}}).Finish().bytes);
    OBJ_Handle a = Load_Obj("a.3dc");
    ASSERT_NE(Load_Obj("cube.3dc"), -1);
    EXPECT_EQ(Get_Cache_Count(), 3);
    ASSERT_EQ(Delete_Obj(a), 0);
    ASSERT_NE(Load_Obj("b.3dc"), -1);
    EXPECT_EQ(Get_Cache_Count(), 3);
    EXPECT_STREQ(Get_Cache_Name(0), "B");
    Init_3D(area.data(), area.size());
    EXPECT_EQ(Get_Cache_Count(), 3);
    EXPECT_STREQ(Get_Cache_Name(0), "");
    EXPECT_STREQ(Get_Cache_Name(256), "");
    EXPECT_STREQ(Get_Cache_Name(-1), "");
}

TEST(MatCacheTest, AReusedEntryNeverShowsThePreviousTexture)
{
    ImageArea area;
    Add_Cube_Files();
    OBJ_Handle a = Load_Obj("cube.3dc");
    ASSERT_EQ(Delete_Obj(a), 0);
    // The same material name, now without an image.
    ObjectSpec o = CubeObjects()[0];
    MemFiles_Add("plain.3dc", HierarchyImage({o}, {{"CUBE", "", 0x1234}}).Finish().bytes);
    OBJ_Handle p = Load_Obj("plain.3dc");
    ASSERT_NE(p, -1);
    EXPECT_EQ(Entry_Handle(0), 0);
    EXPECT_EQ(W_GetAddr(Cache_Entry(0) + 8), 0u);
    // The textured node points at the entry's data word, which holds no texture.
    const Addr node = W_GetAddr(W_Addr(Get_Obj_Ptr(p)) + 164);
    EXPECT_EQ(W_GetAddr(node + 8), Cache_Entry(0) + 8);
}

TEST(MatCacheTest, BindingByNodeFamily)
{
    ImageArea area;
    MemFiles_Add("cube.3dm", Material_File());
    std::vector<ObjectSpec> o = CubeObjects();
    o[0].material = "NOPE";          // textured, no such material: no texture
    o[0].material_word = 0x12345678;
    o[1].material = "NONE";          // flat, no such material: the stored colour stays
    o[1].material_word = 0x0000ABCD;
    MemFiles_Add("x.3dc", HierarchyImage(o, CubeMaterials()).Finish().bytes);
    OBJ_Handle h = Load_Obj("x.3dc");
    ASSERT_NE(h, -1);
    EXPECT_EQ(W_Get32(W_GetAddr(W_Addr(Get_Obj_Ptr(h)) + 164) + 8), 0);
    EXPECT_EQ(W_Get32(W_GetAddr(W_Addr(Get_Obj_Ptr(h + 1)) + 164) + 8), 0xABCD);
}

TEST(MatCacheTest, ReleaseUnchainsOnlyALiveMaterialImage)
{
    ImageArea area;
    ObjectSpec root;
    root.name = "R";
    MemFiles_Add("a.3dc", HierarchyImage({root}, {{"A", "", 1}}).Finish().bytes);
    OBJ_Handle a = Load_Obj("a.3dc");
    // An entry whose handle names a block that is not a material image is left alone.
    ObjectSpec other;
    other.name = "O";
    MemFiles_Add("o.3dc", HierarchyImage({other}, {}).Finish().bytes);
    OBJ_Handle o = Load_Obj("o.3dc");
    W_Set32(Cache_Entry(0) + 4, o);
    ASSERT_EQ(Delete_Obj(a), 0);
    EXPECT_TRUE(Block_Is_Chained(Get_Obj_Block(o)));
    EXPECT_EQ(Last_Block, Get_Obj_Block(o));
}

TEST(MatCacheTest, AddCachedFileAndTheLookUps)
{
    ImageArea area;
    MemFiles_Add("wood.3dm", Material_File());
    EXPECT_EQ(Add_Cached_File("WOOD", "wood"), 0);
    EXPECT_EQ(Get_Cache_Count(), 1);
    EXPECT_EQ(Count(0), 1);
    EXPECT_EQ(MemFiles_Requests().back().name, "D:\\DATA\\3DC\\wood.3DM");
    const Addr image = Get_Obj_Block(Entry_Handle(0));
    EXPECT_EQ(Find_Cached_File("WOOD"), W_Ptr(image + 0x8014));
    EXPECT_EQ(Find_Cached_File_Slot("WOOD"), Cache_Entry(0) + 8);
    EXPECT_EQ(Find_Cached_Image("WOOD"), W_Ptr(image + 20));
    EXPECT_EQ(Add_Cached_File_B("WOOD", "other"), 0); // a match gets one more, whatever its count
    EXPECT_EQ(Count(0), 2);
    EXPECT_EQ(Add_Cached_File("STONE", "stone"), -1); // no such file: the count does not grow
    EXPECT_EQ(Get_Cache_Count(), 1);
    EXPECT_EQ(Find_Cached_File("STONE"), nullptr);
    EXPECT_EQ(Find_Cached_Image("STONE"), nullptr);
}

TEST(MatCacheTest, ColourTablesConvertTo555Once)
{
    ImageArea area;
    const uint16_t colours[5] = {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0821};
    const uint16_t expected[5] = {0x7C00, 0x03E0, 0x001F, 0x7FFF, 0x0401};
    MemFiles_Add("c.3dm", MaterialImage([&](int r, int i) { return colours[(r + i) % 5]; }).Finish().bytes);
    ASSERT_EQ(Add_Cached_File("C", "c"), 0);
    Convert_Cache_To_555();
    const uint8_t *table = Find_Cached_File("C") - 0x8000;
    for (int k = 0; k < 8192; k += 97) {
        uint32_t entry;
        std::memcpy(&entry, table + k * 4, 4);
        ASSERT_EQ(entry, uint32_t(expected[(k / 256 + k % 256) % 5]) << 16) << k;
    }
    Convert_Cache_To_555();
    uint32_t entry;
    std::memcpy(&entry, table, 4);
    EXPECT_EQ(entry, uint32_t(expected[0]) << 16);
    EXPECT_EQ(W_Get32(Cache_Entry(0) + 56), 1);
}
