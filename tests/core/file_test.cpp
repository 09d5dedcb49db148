// The file layer: plain files and pack entries behind one handle, and the fatal stop of every failure.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>

#include "core/file.h"
#include "core/mem.h"
#include "core/pack.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/pack_writer.h"
#include "tests/support/temp_drives.h"

using kalder_test::PackWriterEntry;

namespace {

std::vector<uint8_t> pattern(size_t n, uint8_t first)
{
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; i++) {
        bytes[i] = uint8_t(first + i);
    }
    return bytes;
}

struct FileTest : ::testing::Test {
    void SetUp() override
    {
        kalder_test::ResetCore();
        drives = std::make_unique<kalder_test::TempDrives>("CDZ");
        test::SetExitHook(test::ThrowOnExit);
    }
    void TearDown() override
    {
        drives.reset();
        kalder_test::ResetCore();
    }

    // A pack at C:\data\packs\test.bf with A (30 bytes from 0), B (20 from 100), EMPTY (0 bytes).
    void open_test_pack()
    {
        kalder_test::WritePack(drives->MakeDir('C', "data/packs") + "/test.bf",
                               {{"data\\icone\\a.bin", pattern(30, 0)},
                                {"data\\icone\\b.bin", pattern(20, 100)},
                                {"data\\icone\\empty.bin", {}}});
        PACK_Open("data\\packs\\test.bf");
        ASSERT_EQ(PACK_Count, 3);
    }

    // Runs the call, which must stop the game; returns the exit code and checks the box.
    static void expect_fatal(const std::function<void()> &call, const std::string &text)
    {
        SCOPED_TRACE(text);
        size_t boxes = test::MessageBoxes().size();
        try {
            call();
            ADD_FAILURE() << "no fatal stop";
        } catch (const test::ExitCalled &exit) {
            EXPECT_EQ(exit.code, 999);
            ASSERT_EQ(test::MessageBoxes().size(), boxes + 1);
            const test::MessageBox &box = test::MessageBoxes().back();
            EXPECT_EQ(box.title, "Error");
            EXPECT_EQ(box.text, text);
        }
    }

    std::unique_ptr<kalder_test::TempDrives> drives;
};

TEST_F(FileTest, PlainFileBeatsAnEntryOfTheSameName)
{
    open_test_pack();
    drives->Write('C', "data/Icone/A.BIN", "plain");
    int32_t handle = FILE_Open("data\\icone\\a.bin", O_RDONLY | O_BINARY);
    ASSERT_GE(handle, 0);
    char bytes[16] = {};
    EXPECT_EQ(FILE_Read(handle, bytes, sizeof bytes), 5);
    EXPECT_STREQ(bytes, "plain");
    EXPECT_EQ(FILE_Close(handle), 0);
    EXPECT_EQ(FILE_Exists("data\\icone\\a.bin"), 1);
    EXPECT_EQ(FILE_Exists("data\\icone\\b.bin"), 0); // packs are not consulted
    EXPECT_EQ(FILE_Exists("data\\icone"), 0);        // nor does a folder count as a file
}

TEST_F(FileTest, EntryReadsStopAtTheEntrysEnd)
{
    open_test_pack();
    int32_t a = FILE_Open("data\\icone\\a.bin", O_RDONLY | O_BINARY);
    EXPECT_EQ(a, -1);
    EXPECT_EQ(FILE_Seek(a, 20, 0), 20);
    uint8_t bytes[100];
    EXPECT_EQ(FILE_Read(a, bytes, 100), 10);
    EXPECT_EQ(bytes[0], 20);
    EXPECT_EQ(bytes[9], 29);
    EXPECT_EQ(PACK_Table[0].position, 30);
    EXPECT_EQ(FILE_Read(a, bytes, 100), 0);

    // A count that would wrap position + count round in 32 bits is still cut to the entry.
    EXPECT_EQ(FILE_Seek(a, 5, 0), 5);
    EXPECT_EQ(FILE_Read(a, bytes, 0xFFFFFFFFu), 25);
}

TEST_F(FileTest, TwoEntriesReadAlternatelyKeepTheirOwnPlaces)
{
    open_test_pack();
    int32_t a = FILE_Open("DATA\\ICONE\\A.BIN", O_RDONLY);
    int32_t b = FILE_Open("data\\icone\\b.bin", O_RDONLY);
    EXPECT_EQ(b, -2);
    uint8_t x[4], y[4], z[4];
    EXPECT_EQ(FILE_Read(a, x, 4), 4);
    EXPECT_EQ(FILE_Read(b, y, 4), 4);
    EXPECT_EQ(FILE_Read(a, z, 4), 4);
    EXPECT_EQ(std::vector<uint8_t>(x, x + 4), pattern(4, 0));
    EXPECT_EQ(std::vector<uint8_t>(y, y + 4), pattern(4, 100));
    EXPECT_EQ(std::vector<uint8_t>(z, z + 4), pattern(4, 4));
    EXPECT_EQ(FILE_LastEntry, 0);
}

TEST_F(FileTest, EntrySeeksAreClampedToTheEntry)
{
    open_test_pack();
    int32_t a = FILE_Open("data\\icone\\a.bin", O_RDONLY);
    struct Case {
        int32_t offset;
        int whence;
        int32_t expected;
    };
    const Case cases[] = {
        {0, 2, 29},          // the end is one short of the size
        {-35, 2, 0},         // -size - 5
        {10, 0, 10},
        {5, 1, 15},
        {7, 3, 15},          // an unknown whence leaves the position
        {1000, 0, 29},
        {-1, 0, 0},
        {12, 0, 12},
        {INT_MAX, 1, 29},    // no wrap in position + offset
        {INT_MIN, 1, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.offset << " whence " << c.whence);
        EXPECT_EQ(FILE_Seek(a, c.offset, c.whence), c.expected);
        // The pack file was moved along: the next byte read is the entry's byte there.
        uint8_t byte = 0xEE;
        ASSERT_EQ(FILE_Read(a, &byte, 1), 1);
        EXPECT_EQ(byte, c.expected);
        FILE_Seek(a, -1, 1);
    }
}

TEST_F(FileTest, AnEmptyEntryStaysAtZero)
{
    open_test_pack();
    int32_t e = FILE_Open("data\\icone\\empty.bin", O_RDONLY);
    uint8_t byte;
    for (int whence = 0; whence < 4; whence++) {
        EXPECT_EQ(FILE_Seek(e, 0, whence), 0);
        EXPECT_EQ(FILE_Seek(e, 5, whence), 0);
        EXPECT_EQ(FILE_Seek(e, -5, whence), 0);
        EXPECT_EQ(FILE_Read(e, &byte, 1), 0);
    }
}

TEST_F(FileTest, EntryHandlesAreSharedRewoundAndOutliveAClose)
{
    open_test_pack();
    int32_t first = FILE_Open("data\\icone\\b.bin", O_RDONLY);
    uint8_t bytes[8];
    EXPECT_EQ(FILE_Read(first, bytes, 8), 8);
    int32_t second = FILE_Open("data\\icone\\B.BIN", O_RDWR | O_TRUNC);
    EXPECT_EQ(second, first);
    EXPECT_EQ(PACK_Table[1].position, 0);
    EXPECT_EQ(FILE_Close(first), 0);
    EXPECT_EQ(FILE_Read(second, bytes, 2), 2); // a close releases nothing
    EXPECT_EQ(bytes[0], 100);
    EXPECT_EQ(bytes[1], 101);
}

TEST_F(FileTest, NamesPassedInAreNeverWritten)
{
    open_test_pack();
    // A literal sits in read-only memory: upper-casing it in place would crash here.
    EXPECT_EQ(FILE_Open("data\\icone\\a.bin", O_RDONLY), -1);
    char writable[] = "data\\icone\\b.bin";
    EXPECT_EQ(FILE_Open(writable, O_RDONLY), -2);
    EXPECT_STREQ(writable, "data\\icone\\b.bin");
}

TEST_F(FileTest, FreePtrFreesAndClears)
{
    void *none = nullptr;
    MEM_FreePtr(&none);
    EXPECT_EQ(none, nullptr);
    char *block = static_cast<char *>(MEM_Alloc(64));
    ASSERT_NE(block, nullptr);
    MEM_FreePtr(&block);
    EXPECT_EQ(block, nullptr);
}

TEST_F(FileTest, WritesAndPlainReadsAndSeeks)
{
    drives->MakeDir('C', "out");
    int32_t handle = FILE_Open("out\\w.bin", O_CREAT | O_RDWR | O_TRUNC);
    ASSERT_GE(handle, 0);
    EXPECT_EQ(FILE_Write(handle, "hello", 5), 5);
    EXPECT_EQ(FILE_Seek(handle, 1, 0), 1);
    char bytes[8] = {};
    EXPECT_EQ(FILE_Read(handle, bytes, 8), 4); // a short read is no error
    EXPECT_STREQ(bytes, "ello");
    EXPECT_EQ(FILE_Close(handle), 0);

    handle = FILE_OpenPlain("OUT\\W.BIN", O_RDONLY | O_BINARY);
    EXPECT_EQ(FILE_SeekPlain(handle, -2, 2), 3);
    EXPECT_EQ(FILE_ReadPlain(handle, bytes, 8), 2);
    EXPECT_EQ(FILE_ClosePlain(handle), 0);
    EXPECT_EQ(test::OpenFileCount(), 0);
}

TEST_F(FileTest, EveryFailureStopsTheGameWithItsOwnText)
{
    const std::string open_error = "Kalder Internal Error : Open file Error";
    const std::string read_error = "Kalder Internal Error : Read file Error";
    const std::string write_error = "Kalder Internal Error : Write file Error";
    const std::string seek_error = "Kalder Internal Error : Seek file Error";
    const std::string close_error = "Kalder Internal Error : Close file Error";
    drives->Write('C', "plain.bin", "0123456789");
    auto plain = [] { return FILE_Open("plain.bin", O_RDWR); };
    auto fault = [](test::FileOp op, int effect) { test::AddFileFault({op, "plain.bin", 0, effect}); };
    uint8_t bytes[16];

    struct Case {
        const char *what;
        std::function<void()> call;
        std::string text;
    };
    const Case cases[] = {
        {"missing name, no entry", [] { FILE_Open("data\\nothing.bin", O_RDONLY); }, open_error},
        {"entry opened write-only", [] { FILE_Open("data\\icone\\a.bin", O_WRONLY); }, open_error},
        {"entry opened to create", [] { FILE_Open("data\\icone\\a.bin", O_CREAT | O_RDONLY); }, open_error},
        {"plain read of -1", [&] { int32_t h = plain(); fault(test::FILE_OP_READ, -1); FILE_Read(h, bytes, 4); }, read_error},
        {"read of -1 before any open", [&] { FILE_Read(-1, bytes, 4); }, read_error},
        {"read of -1000", [&] { FILE_Read(-1000, bytes, 4); }, read_error},
        {"read of INT_MIN", [&] { FILE_Read(INT_MIN, bytes, 4); }, read_error},
        {"read after the table is freed", [&] { int32_t h = FILE_Open("data\\icone\\a.bin", 0); PACK_FreeTable(); FILE_Read(h, bytes, 4); }, read_error},
        {"plain seek of -1", [&] { int32_t h = plain(); fault(test::FILE_OP_SEEK, -1); FILE_Seek(h, 0, 0); }, seek_error},
        {"seek of -1000", [] { FILE_Seek(-1000, 0, 0); }, seek_error},
        {"seek of an entry not yet opened", [] { FILE_Seek(-2, 0, 0); }, seek_error},
        {"seek after the table is freed", [&] { int32_t h = FILE_Open("data\\icone\\a.bin", 0); PACK_FreeTable(); FILE_Seek(h, 0, 0); }, seek_error},
        {"plain close of -1", [&] { int32_t h = plain(); fault(test::FILE_OP_CLOSE, -1); FILE_Close(h); }, close_error},
        {"close of -1000", [] { FILE_Close(-1000); }, close_error},
        {"close after the table is freed", [&] { int32_t h = FILE_Open("data\\icone\\a.bin", 0); PACK_FreeTable(); FILE_Close(h); }, close_error},
        {"write to an entry", [] { FILE_Write(FILE_Open("data\\icone\\a.bin", O_RDWR), "x", 1); }, write_error},
        {"short plain write", [&] { int32_t h = plain(); fault(test::FILE_OP_WRITE, 2); FILE_Write(h, "hello", 5); }, write_error},
        {"plain-only open of an entry", [] { FILE_OpenPlain("data\\icone\\a.bin", O_RDONLY); }, open_error},
        {"plain-only read of -1", [&] { int32_t h = plain(); fault(test::FILE_OP_READ, -1); FILE_ReadPlain(h, bytes, 4); }, read_error},
        {"plain-only seek of -1", [&] { int32_t h = plain(); fault(test::FILE_OP_SEEK, -1); FILE_SeekPlain(h, 0, 0); }, seek_error},
        {"plain-only close of -1", [&] { int32_t h = plain(); fault(test::FILE_OP_CLOSE, -1); FILE_ClosePlain(h); }, close_error},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        PACK_FreeTable();
        test::Reset();
        test::SetExitHook(test::ThrowOnExit);
        drives.reset();
        drives = std::make_unique<kalder_test::TempDrives>("CDZ");
        drives->Write('C', "plain.bin", "0123456789");
        open_test_pack();
        expect_fatal(c.call, c.text);
    }
}

TEST_F(FileTest, AFatalStopEndsTheProcessWithTheLow8BitsOf999)
{
    test::SetExitHook(nullptr);
    EXPECT_EXIT(FILE_Open("data\\nothing.bin", O_RDONLY), ::testing::ExitedWithCode(231), "");
}

TEST_F(FileTest, FatalErrorFormatsItsMessage)
{
    expect_fatal([] { FILE_FatalError(1, "Sprite %d of %d", 3, 7); }, "Sprite 3 of 7");
}

} // namespace
