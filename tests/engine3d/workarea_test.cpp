// The work area after start-up, the handle tables, the block chain and the two allocators with their
// stop.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/prof.h"
#include "engine3d/maths.h"
#include "engine3d/raster.h"
#include "engine3d/records.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"
#include "plat/test.h"
#include "plat/time.h"
#include "tests/support/engine_area.h"

namespace {

using kalder_test::EngineArea;

struct WorkAreaTest : ::testing::Test {
    void SetUp() override
    {
        test::Reset();
        test::SetExitHook(test::ThrowOnExit);
    }
    void TearDown() override { test::Reset(); }

    // A block by hand at Mem_libre: a header with its kind and, when given, a record table.
    static Addr place_block(int32_t kind, int32_t size, int32_t records = -1)
    {
        Addr block = Mem_Alloc(uint32_t(size));
        W_Set32(block + 8, kind);
        if (records >= 0) {
            W_Set32(block + OBJ_RECORD_COUNT, records);
            for (int32_t i = 0; i < records; i++) {
                W_SetAddr(block + OBJ_RECORD_TABLE + Addr(i) * 4, block + 100 + Addr(i) * 8);
            }
        }
        return block;
    }

    // The record table as an image stores it (offsets from image offset 20), for Register_Block to move.
    static void store_table(Addr block, int32_t records)
    {
        for (int32_t i = 0; i < records; i++) {
            Addr at = block + OBJ_RECORD_TABLE + Addr(i) * 4;
            W_SetAddr(at, W_GetAddr(at) - (block + 20));
        }
    }

    // Runs f and returns the exit code it stopped with; fails when it returns.
    template <class F> static int stop_code(F f)
    {
        try {
            f();
        } catch (const test::ExitCalled &e) {
            return e.code;
        }
        ADD_FAILURE() << "no stop";
        return 0;
    }
};

TEST_F(WorkAreaTest, StartUpLaysOutTablesCacheAndTheRootCamera)
{
    EngineArea area;
    ASSERT_EQ(Work_Area, area.data());
    EXPECT_EQ(Work_Size, 7850000u);
    EXPECT_EQ(W_GetAddr(0), First_Block); // entry 0 names the root block
    for (int32_t i = 1; i < 1024; i++) {
        ASSERT_EQ(W_Get32(Addr(i) * 4), -1) << i;
    }
    // The table and the name cache come first (the rasteriser's nodes, when it takes some, follow).
    EXPECT_GE(First_Block, 1024u * 4 + 256u * 60);
    EXPECT_EQ(Last_Block, First_Block);

    const Addr b = First_Block;
    EXPECT_EQ(W_Get32(b), 0);
    EXPECT_EQ(W_Get32(b + 4), 252);
    EXPECT_EQ(W_Get32(b + 8), 1);
    EXPECT_EQ(W_GetAddr(b + 12), 0u);
    EXPECT_EQ(W_GetAddr(b + 16), 0u);
    EXPECT_EQ(W_Get32(b + 20), 1);
    EXPECT_EQ(W_GetAddr(b + 24), b + 32);
    EXPECT_EQ(W_Get32(b + 28), 0);
    EXPECT_EQ(Mem_libre, b + 252);
    EXPECT_EQ(Get_Mem_Libre(), b + 252);
    EXPECT_EQ(Get_Mem_Used(), b + 252);
    EXPECT_EQ(Get_Mem_Free(), 7850000u - (b + 252));

    uint8_t *camera = Get_Obj_Ptr(0);
    ASSERT_EQ(camera, area.data() + b + 32);
    EXPECT_STREQ(reinterpret_cast<const char *>(camera), "Camera");
    EXPECT_EQ(P_Get32(camera + offsetof(OBJ_Record, flags)), 0x0400);
    int32_t identity[9];
    Mat_Identity(identity);
    for (int i = 0; i < 9; i++) {
        EXPECT_EQ(P_Get32(camera + offsetof(OBJ_Record, matrix) + i * 4), identity[i]);
        EXPECT_EQ(P_Get32(camera + offsetof(OBJ_Record, cam_matrix) + i * 4), identity[i]);
    }
    // Everything else of the record is 0.
    std::vector<uint8_t> rest(camera, camera + 220);
    std::memset(rest.data(), 0, 16);
    std::memset(rest.data() + 40, 0, 36);
    std::memset(rest.data() + 88, 0, 36);
    EXPECT_EQ(rest, std::vector<uint8_t>(220, 0));
}

TEST_F(WorkAreaTest, ByteCountsAreZeroBeforeStartUp)
{
    EXPECT_EQ(Work_Area, nullptr);
    EXPECT_EQ(Get_Mem_Used(), 0u);
    EXPECT_EQ(Get_Mem_Free(), 0u);
    EXPECT_EQ(Get_Obj_Ptr(0), nullptr);
    EXPECT_EQ(Get_Obj_Kind(0), -1);
}

TEST_F(WorkAreaTest, HandlesThatNameNoRecordGiveNull)
{
    EngineArea area;
    const Addr kind0 = place_block(0, 64, 3); // a record-count word, but no record table for its kind
    OBJ_Handle h0 = Alloc_Handle_Table();
    W_SetAddr(Addr(h0 / 65536) * 4, kind0);
    Register_Block(kind0, h0, 64);

    EXPECT_NE(Get_Obj_Ptr(0), nullptr);
    const OBJ_Handle bad[] = {-1, 1 /* slot = count */, 2, -2, 65536 * 2 /* free entry */, 0x7FFFFFFF, -65536,
                              int32_t(0x80000000), 1024 << 16, h0, h0 + 1};
    for (OBJ_Handle h : bad) {
        EXPECT_EQ(Get_Obj_Ptr(h), nullptr) << std::hex << h;
        EXPECT_EQ(Handle_To_Record(h), nullptr) << std::hex << h;
        EXPECT_EQ(Get_Obj_Ptr_Unchecked(h), nullptr) << std::hex << h;
        EXPECT_EQ(Get_Slot_Record(h / 65536, h % 65536), nullptr) << std::hex << h;
    }
    EXPECT_EQ(Get_Slot_Record(0, 0), Get_Obj_Ptr(0));
    EXPECT_EQ(Handle_To_Record(0), Get_Obj_Ptr(0));

    // Block-level look-ups: a live entry and a slot the block has.
    EXPECT_EQ(Get_Obj_Kind(0), 1);
    EXPECT_EQ(Get_Obj_Kind(h0), 0);
    EXPECT_EQ(Get_Obj_Kind(h0 + 1), -1);
    EXPECT_EQ(Get_Obj_Kind(1), -1);
    EXPECT_EQ(Get_Obj_Kind(2 << 16), -1);
    EXPECT_EQ(Get_Obj_Kind(-1), -1);
    EXPECT_EQ(Get_Block_Size(kind0), 64);
    EXPECT_EQ(Get_Block_Size(First_Block), 252);

    // The unchecked pointers need only a table entry in range, and a live one for the count.
    EXPECT_EQ(Get_Table_Count_Ptr(h0), area.data() + kind0 + 20);
    EXPECT_EQ(Get_Table_Count_Ptr(2 << 16), nullptr);
    EXPECT_EQ(Get_Table_Entry_Ptr(5 << 16), area.data() + 20);
    EXPECT_EQ(Get_Table_Entry_Ptr(1024 << 16), nullptr);
    EXPECT_EQ(Get_Table_Entry_Ptr(-65536), nullptr);
}

TEST_F(WorkAreaTest, RecordPointersOutsideTheAreaAreRefused)
{
    EngineArea area(32768);
    Addr block = place_block(2, 40, 2);
    OBJ_Handle h = Alloc_Handle_Table();
    W_SetAddr(Addr(h / 65536) * 4, block);
    W_SetAddr(block + OBJ_RECORD_TABLE + 4, 32768); // just past the end
    EXPECT_NE(Get_Obj_Ptr(h), nullptr);
    EXPECT_EQ(Get_Obj_Ptr(h + 1), nullptr);
    // A slot equal to the count would read the word after the table as a record pointer.
    W_SetAddr(block + OBJ_RECORD_TABLE + 8, block + 4);
    EXPECT_EQ(Get_Obj_Ptr(h + 2), nullptr);
    EXPECT_EQ(Get_Obj_Kind(h + 2), -1);
    W_Set32(block + OBJ_RECORD_COUNT, 0x40000000); // a table that would run past the end
    EXPECT_EQ(Get_Obj_Ptr(h), nullptr);
    W_SetAddr(Addr(h / 65536) * 4, 32766); // an entry whose header cannot fit
    EXPECT_EQ(Get_Obj_Ptr(h), nullptr);
    EXPECT_EQ(Get_Table_Count_Ptr(h), nullptr);
}

TEST_F(WorkAreaTest, HandleTablesRunOutAndAreReusedLowestFirst)
{
    EngineArea area;
    for (int32_t i = 1; i < 1024; i++) {
        ASSERT_EQ(Alloc_Handle_Table(), i << 16);
    }
    EXPECT_EQ(Alloc_Handle_Table(), -1);
}

TEST_F(WorkAreaTest, AFreedEntryIsTakenAgainWithoutMovingMemLibre)
{
    EngineArea area;
    for (int32_t i = 1; i <= 10; i++) {
        ASSERT_EQ(Alloc_Handle_Table(), i << 16);
    }
    W_Set32(5 * 4, -1);
    Addr before = Mem_libre;
    EXPECT_EQ(Alloc_Handle_Table(), 5 << 16);
    EXPECT_EQ(W_GetAddr(5 * 4), before); // where the next block will be placed
    EXPECT_EQ(Mem_libre, before);
    EXPECT_EQ(Alloc_Handle_Table(), 11 << 16);
}

TEST_F(WorkAreaTest, RegisteredBlocksAreChainedInLoadOrder)
{
    EngineArea area;
    const Addr root = First_Block;
    Addr blocks[3];
    OBJ_Handle handles[3];
    for (int i = 0; i < 3; i++) {
        handles[i] = Alloc_Handle_Table();
        blocks[i] = place_block(0, 40 + i * 4);
        W_Set32(blocks[i], 0x5555);
        W_Set32(blocks[i] + 4, 0x6666);
        W_SetAddr(blocks[i] + 16, 0x7777);
        EXPECT_EQ(Register_Block(blocks[i], handles[i], 40 + i * 4), 0);
    }
    EXPECT_EQ(First_Block, root);
    EXPECT_EQ(Last_Block, blocks[2]);
    EXPECT_EQ(W_GetAddr(root + 16), blocks[0]);
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(W_Get32(blocks[i]), handles[i]);
        EXPECT_EQ(W_Get32(blocks[i] + 4), 40 + i * 4);
        EXPECT_EQ(W_Get32(blocks[i] + 8), 0); // the kind stays
        EXPECT_EQ(W_GetAddr(blocks[i] + 12), i == 0 ? root : blocks[i - 1]);
        EXPECT_EQ(W_GetAddr(blocks[i] + 16), i == 2 ? 0u : blocks[i + 1]);
    }
}

TEST_F(WorkAreaTest, RecordsAreFoundByAddress)
{
    EngineArea area;
    const Addr root = First_Block;
    EXPECT_EQ(Get_Obj_Handle(Get_Obj_Ptr(0)), 0);
    EXPECT_EQ(Get_Obj_Handle(nullptr), -1);
    EXPECT_EQ(Get_Obj_Handle(area.data() + root + 40), -1); // inside the block, but no record
    int32_t outside = 0;
    EXPECT_EQ(Get_Obj_Handle(&outside), -1);

    // A hierarchy of three records in the middle of the chain, then a record table as the last block.
    OBJ_Handle h1 = Alloc_Handle_Table();
    Addr b1 = place_block(1, 200, 3);
    store_table(b1, 3);
    Register_Block(b1, h1, 200);
    OBJ_Handle h2 = Alloc_Handle_Table();
    Addr b2 = place_block(2, 200, 2);
    store_table(b2, 2);
    Register_Block(b2, h2, 200);
    EXPECT_EQ(Get_Obj_Handle(area.data() + b1 + 116), h1 + 2);
    EXPECT_EQ(Get_Obj_Ptr(h1 + 2), area.data() + b1 + 116);
    // Not a hierarchy, but the last block: searched all the same.
    EXPECT_EQ(Get_Obj_Handle(area.data() + b2 + 108), h2 + 1);
    // A record pointer of the last block that lies outside every block is still found there.
    W_SetAddr(b2 + OBJ_RECORD_TABLE, Mem_libre + 8);
    EXPECT_EQ(Get_Obj_Handle(area.data() + Mem_libre + 8), h2);
    // An address inside a hierarchy is looked for there only, even when the last block names it.
    W_SetAddr(b2 + OBJ_RECORD_TABLE, b1 + 32);
    EXPECT_EQ(Get_Obj_Handle(area.data() + b1 + 32), -1);
}

TEST_F(WorkAreaTest, FrameHeapTakesUpToTheLastByte)
{
    EngineArea area(100000);
    Heap_Init(Mem_libre);
    Addr start = Mem_libre;
    EXPECT_EQ(Heap_Alloc(40), start);
    EXPECT_EQ(Heap_Alloc(0), start + 40);
    EXPECT_EQ(Heap_Alloc(13), start + 40);
    EXPECT_EQ(Heap_Alloc(100000 - (start + 53)), start + 53); // ends exactly at the end
    EXPECT_EQ(Heap_Ptr, 100000u);
    EXPECT_EQ(test::Stdout(), "");
    EXPECT_EQ(Mem_libre, start); // frame memory is not permanent memory
}

TEST_F(WorkAreaTest, AllocationsPastTheEndStopWithHeapOverflow)
{
    struct Case {
        const char *what;
        void (*run)();
    };
    const Case cases[] = {
        {"one byte past the end", [] { Heap_Alloc(Work_Size - Heap_Ptr + 1); }},
        {"a count that would wrap", [] { Heap_Alloc(0xFFFFFFFFu); }},
        {"permanent memory past the end", [] { Mem_Alloc(Work_Size - Mem_libre + 1); }},
        {"permanent memory that would wrap", [] { Mem_Alloc(0xFFFFFFFFu); }},
    };
    for (const Case &c : cases) {
        EngineArea area(100000);
        Heap_Init(Mem_libre);
        Heap_Alloc(1000);
        Addr heap = Heap_Ptr, libre = Mem_libre;
        test::Reset();
        test::SetExitHook(test::ThrowOnExit);
        EXPECT_EQ(stop_code(c.run), -1) << c.what;
        EXPECT_EQ(test::Stdout(), "Heap overflow\n") << c.what;
        EXPECT_TRUE(test::MessageBoxes().empty()) << c.what;
        EXPECT_EQ(Heap_Ptr, heap) << c.what;
        EXPECT_EQ(Mem_libre, libre) << c.what;
    }
}

TEST_F(WorkAreaTest, HeapOverflowEndsTheProcessWithStatus255)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    test::SetExitHook(nullptr);
    EngineArea area(100000);
    Heap_Init(Mem_libre);
    EXPECT_EXIT(Heap_Alloc(100000), ::testing::ExitedWithCode(255), "");
}

TEST_F(WorkAreaTest, AnAreaTooSmallForItsOwnLayoutStops)
{
    // Tables 4096 + cache 15360 + the rasteriser's nodes + root 252 bytes: one byte less cannot hold them.
    const size_t layout = 1024 * 4 + 256 * 60 + Rasteriser_Node_Bytes + 252;
    {
        EngineArea fits(layout);
        EXPECT_EQ(Mem_libre, layout);
        EXPECT_EQ(Get_Mem_Free(), 0u);
    }
    struct Case {
        const char *what;
        size_t size;
        int32_t tables, cache;
    };
    const Case cases[] = {
        {"one byte short", layout - 1, 1024, 256},
        {"no room for the table", 100, 1024, 256},
        {"a negative cache", 1 << 20, 1024, -1},
        {"a cache that would wrap 32 bits", 1 << 20, 1024, 71582789},
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> area(c.size);
        int32_t tables = Max_Handle_Tables, cache = Max_Cache_Entries;
        Max_Handle_Tables = c.tables;
        Max_Cache_Entries = c.cache;
        test::Reset();
        test::SetExitHook(test::ThrowOnExit);
        EXPECT_EQ(stop_code([&] { Init_3D(area.data(), area.size()); }), -1) << c.what;
        EXPECT_EQ(test::Stdout(), "Heap overflow\n") << c.what;
        Max_Handle_Tables = tables;
        Max_Cache_Entries = cache;
    }
    uint8_t byte = 0;
    EXPECT_EQ(stop_code([&] { Init_3D(&byte, size_t(0x80000000u)); }), -1); // offsets are 32-bit
    EXPECT_EQ(stop_code([&] { Init_3D(nullptr, 0); }), -1);
    Work_Area = nullptr;
    Work_Size = 0;
}

TEST_F(WorkAreaTest, TheTableLimitIsKeptToWhatAHandleCanHold)
{
    const struct {
        int32_t set, kept;
    } cases[] = {{0, 1}, {-5, 1}, {1, 1}, {40000, 32767}, {32767, 32767}};
    for (const auto &c : cases) {
        std::vector<uint8_t> area(1 << 20);
        int32_t saved = Max_Handle_Tables;
        Max_Handle_Tables = c.set;
        Init_3D(area.data(), area.size());
        EXPECT_EQ(Max_Handle_Tables, c.kept) << c.set;
        EXPECT_EQ(W_GetAddr(0), First_Block) << c.set;
        EXPECT_EQ(Alloc_Handle_Table(), c.kept > 1 ? 1 << 16 : -1) << c.set;
        Max_Handle_Tables = saved;
    }

    // Raised after start-up over a small area: the search ends at the area's end.
    const size_t layout = 1024 * 4 + 256 * 60 + Rasteriser_Node_Bytes + 252;
    {
        EngineArea area(layout);
        for (int32_t i = 1; i < 1024; i++) {
            ASSERT_EQ(Alloc_Handle_Table(), i << 16);
        }
        Max_Handle_Tables = 32767;
        EXPECT_EQ(Alloc_Handle_Table(), -1);
        EXPECT_EQ(Get_Obj_Ptr(20000 << 16), nullptr);
        EXPECT_EQ(Get_Table_Entry_Ptr(20000 << 16), nullptr);
    }
    Work_Area = nullptr;
    Work_Size = 0;
}

TEST_F(WorkAreaTest, ASecondStartUpDropsEverythingButKeepsLimitsAndView)
{
    EngineArea area;
    Set_Screen_Size(640, 480);
    Set_Viewport(320, 240, 10, 20, 640);
    const OBJ_ViewParams view = OBJ_View;
    Max_Handle_Tables = 512;
    for (int i = 0; i < 5; i++) {
        Register_Block(place_block(1, 300, 0), Alloc_Handle_Table(), 300);
    }
    Init_3D(area.data(), area.size());
    EXPECT_EQ(Max_Handle_Tables, 512);
    EXPECT_EQ(Max_Cache_Entries, 256);
    EXPECT_EQ(std::memcmp(&OBJ_View, &view, sizeof view), 0);
    EXPECT_EQ(W_GetAddr(0), First_Block);
    for (int32_t i = 1; i < 512; i++) {
        ASSERT_EQ(W_Get32(Addr(i) * 4), -1) << i;
    }
    EXPECT_EQ(W_Get32(512 * 4), 0); // beyond the new limit: zeroed with the rest
    EXPECT_EQ(Last_Block, First_Block);
    EXPECT_EQ(Mem_libre, First_Block + 252);
    EXPECT_EQ(Get_Obj_Ptr(1 << 16), nullptr);
}

TEST_F(WorkAreaTest, StartUpPreparesTheProfilerWithoutWaiting)
{
    test::SetClock(1234);
    EngineArea area;
    EXPECT_EQ(PLAT_TimeMs(), 1234u);
    EXPECT_EQ(Cycles_Per_Refresh, 1e9f / 60.0f);
    EXPECT_EQ(PROF_Timers[0].running, 1);
    EXPECT_EQ(PROF_Timers[0].starts, 1.0f);
    const uint16_t colours[8] = {PROF_Timers[0].colour, 0xf800, 0x07e0, 0x001f, 0xf800, 0xffff, 0x00ff, 0x0f00};
    for (int i = 1; i < 8; i++) {
        EXPECT_EQ(PROF_Timers[i].colour, colours[i]) << i;
    }
    // Every level load starts the library again while timer 0 runs: no complaint.
    Init_3D(area.data(), area.size());
    EXPECT_EQ(test::Stderr(), "");
    EXPECT_EQ(PLAT_TimeMs(), 1234u);
}

} // namespace
