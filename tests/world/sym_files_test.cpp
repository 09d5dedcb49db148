// The symbol area (symbol files read for the level's characters) and the loaded-record registers.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/mem.h"
#include "interface/sym.h"
#include "plat/files.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/engine_area.h"
#include "tests/support/symbol_writer.h"
#include "tests/support/temp_drives.h"
#include "world/actor.h"
#include "world/rec.h"
#include "world/sym.h"

namespace {

using kalder_test::RecordFileBuilder;

struct SymFiles : ::testing::Test {
    void SetUp() override
    {
        kalder_test::ResetCore();
        drives = std::make_unique<kalder_test::TempDrives>("CD");
        // Symbol files are read from the current directory's data folder: the disc's.
        ASSERT_EQ(PLAT_SetDrive('D'), 0);
        test::SetExitHook(test::ThrowOnExit);
        engine = std::make_unique<kalder_test::EngineArea>(1 << 20);
        SYM_Reset();
        REC_Init();
    }
    void TearDown() override
    {
        SYM_ForgetMenus();
        engine.reset();
        drives.reset();
        kalder_test::ResetCore();
    }

    // A symbol file of the given length whose bytes tell it from the others.
    void write_symbols(const std::string &name, size_t size, uint8_t mark)
    {
        std::vector<uint8_t> bytes(size);
        for (size_t i = 0; i < size; i++) {
            bytes[i] = uint8_t(mark + i);
        }
        drives->Write('D', "DATA/SYM/" + name, bytes);
    }

    std::unique_ptr<kalder_test::TempDrives> drives;
    std::unique_ptr<kalder_test::EngineArea> engine;
};

TEST_F(SymFiles, FilesAreAppendedOrSkippedWhole)
{
    struct File {
        const char *name;
        int size; // -1: absent
        bool loads;
    };
    struct Case {
        const char *what;
        std::vector<File> files;
    };
    const Case cases[] = {
        {"two files", {{"a.sym", 300, true}, {"b.sym", 41, true}}},
        {"a missing file", {{"a.sym", 10, true}, {"gone.sym", -1, false}, {"b.sym", 20, true}}},
        {"an empty file", {{"empty.sym", 0, false}, {"b.sym", 20, true}}},
        {"a file past the room left",
         {{"a.sym", 15000, true}, {"big.sym", 1001, false}, {"b.sym", 1000, true}, {"c.sym", 1, false}}},
        {"a file larger than the area", {{"huge.sym", 16001, false}, {"a.sym", 16000, true}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SYM_Reset();
        std::vector<ActorRecord> actors(c.files.size());
        uint32_t fill = 0;
        for (size_t i = 0; i < c.files.size(); i++) {
            const File &f = c.files[i];
            if (f.size >= 0) {
                write_symbols(f.name, size_t(f.size), uint8_t(i * 16));
            }
            ACTOR_InitRecord(&actors[i]);
            SYM_Load(&actors[i], f.name);
            SCOPED_TRACE(f.name);
            if (f.loads) {
                // The next free bytes of the area, the file's own.
                EXPECT_EQ(actors[i].symbol_data, SYM_Area + fill);
                EXPECT_EQ(actors[i].symbol_size, uint32_t(f.size));
                EXPECT_EQ(actors[i].flags[1], ACTOR_F1_SYMBOLS);
                EXPECT_EQ(actors[i].symbol_data[0], uint8_t(i * 16));
                EXPECT_EQ(actors[i].symbol_data[f.size - 1], uint8_t(i * 16 + f.size - 1));
                fill += uint32_t(f.size);
            } else {
                EXPECT_EQ(actors[i].symbol_data, nullptr);
                EXPECT_EQ(actors[i].symbol_size, 0u);
                EXPECT_EQ(actors[i].flags[1], 0);
            }
            EXPECT_EQ(SYM_AreaFill, fill);
        }
        // Each earlier file is still whole: the later ones went after it.
        for (size_t i = 0; i < c.files.size(); i++) {
            if (c.files[i].loads) {
                EXPECT_EQ(actors[i].symbol_data[c.files[i].size - 1], uint8_t(i * 16 + c.files[i].size - 1));
            }
        }
    }
}

TEST_F(SymFiles, ResetStartsTheAreaAgainAndForgetsAnOpenList)
{
    write_symbols("a.sym", 100, 7);
    ActorRecord owner, partner;
    ACTOR_InitRecord(&owner);
    ACTOR_InitRecord(&partner);
    SYM_Load(&owner, "a.sym");
    ASSERT_EQ(SYM_AreaFill, 100u);
    ASSERT_EQ(SYM_MenuOpen(&owner, &partner), 1);
    SYM_Menus[0].count = 3;
    SYM_Menus[0].items[0] = 12;

    SYM_Reset();
    EXPECT_EQ(SYM_AreaFill, 0u);
    EXPECT_EQ(SYM_Menus[0].owner, nullptr);
    EXPECT_EQ(SYM_Menus[0].count, 0);
    EXPECT_EQ(SYM_Menus[0].items[0], 0);
    // The next file takes the area's start again; without a word model the items clone the root.
    ActorRecord next;
    ACTOR_InitRecord(&next);
    SYM_Load(&next, "a.sym");
    EXPECT_EQ(next.symbol_data, SYM_Area);
    EXPECT_EQ(SYM_WordModels[0], 0);
}

// --- Loaded records ---

TEST_F(SymFiles, RecordOffsetsBecomeBytesAndTheFirstIsTheIdentifier)
{
    struct Case {
        uint8_t flags;
        bool second_table;
    };
    for (const Case c : {Case{REC_FIRST_ONLY, false}, Case{0x00, true}, Case{0xFD, true}}) {
        SCOPED_TRACE(int(c.flags));
        REC_Init();
        const std::vector<uint8_t> file = RecordFileBuilder(3, 40).Offset(1, 256).Offset(2, 265).Offset(255, 0x40000001).Bytes();
        drives->Write('D', "DATA/REC.DAT", file);
        REC_Descriptor d{"data\\rec.dat", c.flags, nullptr, 0};
        ASSERT_EQ(REC_Load(&d), 1);
        ASSERT_NE(d.data, nullptr);
        EXPECT_EQ(d.size, 1064u);
        uint32_t words[256];
        std::memcpy(words, d.data, sizeof words);
        EXPECT_EQ(words[0], 12u);
        EXPECT_EQ(words[1], 1024u);
        EXPECT_EQ(words[2], 1060u);
        EXPECT_EQ(words[255], 4u); // the multiplication wraps
        EXPECT_EQ(std::memcmp(d.data + 1024, file.data() + 1024, 40), 0);
        for (int32_t id = 0; id < REC_TABLE_SIZE; id++) {
            EXPECT_EQ(REC_Tables[0][id], id == 12 ? &d : nullptr);
            EXPECT_EQ(REC_Tables[1][id], id == 12 && c.second_table ? &d : nullptr);
        }
        // The same file again: the second copy takes the identifier's place.
        REC_Descriptor again{"data\\rec.dat", c.flags, nullptr, 0};
        ASSERT_EQ(REC_Load(&again), 1);
        EXPECT_NE(again.data, d.data);
        EXPECT_EQ(REC_Tables[0][12], &again);
        EXPECT_EQ(REC_Tables[1][12], c.second_table ? &again : nullptr);
        MEM_FreePtr(&d.data);
        MEM_FreePtr(&again.data);
    }
}

TEST_F(SymFiles, RecordFilesOutsideTheFormatAreRefused)
{
    REC_Descriptor earlier{"data\\ok.dat", 0, nullptr, 0};
    drives->Write('D', "DATA/OK.DAT", RecordFileBuilder(0).Bytes());
    ASSERT_EQ(REC_Load(&earlier), 1);
    struct Case {
        const char *what;
        std::vector<uint8_t> bytes; // empty: no file
    };
    const Case cases[] = {
        {"no file", {}},
        {"1,023 bytes", RecordFileBuilder(1, 0).Truncate(1023).Bytes()},
        {"identifier 256", RecordFileBuilder(64).Bytes()},
        {"identifier -1", RecordFileBuilder(-1).Bytes()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(drives->Host('D') + "/DATA/BAD.DAT");
        if (!c.bytes.empty()) {
            drives->Write('D', "DATA/BAD.DAT", c.bytes);
        }
        REC_Descriptor d{"data\\bad.dat", 0, nullptr, 0};
        EXPECT_EQ(REC_Load(&d), 0);
        EXPECT_EQ(d.data, nullptr);
        EXPECT_EQ(d.size, 0u);
        for (int32_t id = 0; id < REC_TABLE_SIZE; id++) {
            EXPECT_EQ(REC_Tables[0][id], id == 0 ? &earlier : nullptr);
            EXPECT_EQ(REC_Tables[1][id], id == 0 ? &earlier : nullptr);
        }
    }
    // An allocation the heap refuses.
    drives->Write('D', "DATA/BAD.DAT", RecordFileBuilder(1, 10).Bytes());
    test::FailHeapAlloc(1034);
    REC_Descriptor d{"data\\bad.dat", 0, nullptr, 0};
    EXPECT_EQ(REC_Load(&d), 0);
    EXPECT_EQ(REC_Tables[0][4], nullptr);
    MEM_FreePtr(&earlier.data);
}

} // namespace
