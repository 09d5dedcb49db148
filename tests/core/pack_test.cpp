// Pack files: reading the directory, merging packs into one table, and refusing damaged packs.
#include <gtest/gtest.h>

#include <cstring>

#include "core/file.h"
#include "core/pack.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/pack_writer.h"
#include "tests/support/temp_drives.h"

using kalder_test::PackWriterEntry;
using kalder_test::PackWriterOptions;

namespace {

std::vector<uint8_t> bytes_of(const std::string &text) { return {text.begin(), text.end()}; }

struct PackTest : ::testing::Test {
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

    std::string pack_path(char letter, const std::string &name)
    {
        return drives->MakeDir(letter, "data/icone") + "/" + name;
    }

    std::string read_entry(const char *name)
    {
        int32_t handle = FILE_Open(name, O_RDONLY | O_BINARY);
        char buffer[256];
        int32_t n = FILE_Read(handle, buffer, sizeof buffer);
        return std::string(buffer, size_t(n));
    }

    // The text of the fatal stop the call ends in, or "" when it returns.
    static std::string fatal_text(const std::function<void()> &call)
    {
        try {
            call();
        } catch (const test::ExitCalled &exit) {
            EXPECT_EQ(exit.code, 999);
            EXPECT_EQ(test::MessageBoxes().back().title, "Error");
            return test::MessageBoxes().back().text;
        }
        return "";
    }

    std::unique_ptr<kalder_test::TempDrives> drives;
};

TEST_F(PackTest, PacksMergeIntoOneTable)
{
    PackWriterOptions as_given;
    as_given.upper_names = false;
    kalder_test::WritePack(pack_path('C', "one.bf"),
                           {{"DATA\\A.BIN", bytes_of("first a")},
                            {"data\\lower.bin", bytes_of("lower")},
                            {"DATA\\SHARED.BIN", bytes_of("first shared")}},
                           as_given);
    kalder_test::WritePack(pack_path('C', "two.bf"),
                           {{"data\\shared.bin", bytes_of("second shared")}, {"data\\new.bin", bytes_of("new")}},
                           as_given);
    PACK_Open("data\\icone\\one.bf");
    EXPECT_EQ(test::Stdout(), "Nom: DATA\\A.BIN\nNom: data\\lower.bin\nNom: DATA\\SHARED.BIN\n");
    PACK_Open("DATA\\ICONE\\TWO.BF");
    EXPECT_EQ(test::Stdout(), "Nom: DATA\\A.BIN\nNom: data\\lower.bin\nNom: DATA\\SHARED.BIN\n");

    ASSERT_EQ(PACK_Count, 4);
    EXPECT_STREQ(PACK_Table[1].name, "data\\lower.bin"); // the first pack's names stay as stored
    EXPECT_STREQ(PACK_Table[2].name, "DATA\\SHARED.BIN");
    EXPECT_STREQ(PACK_Table[3].name, "DATA\\NEW.BIN");   // later ones are upper-cased on the way in
    EXPECT_NE(PACK_Table[2].pack, PACK_Table[0].pack);   // the later pack wins, at the old place
    EXPECT_EQ(read_entry("data\\shared.bin"), "second shared");
    EXPECT_EQ(read_entry("data\\a.bin"), "first a");
    EXPECT_EQ(read_entry("data\\new.bin"), "new");
    EXPECT_EQ(fatal_text([] { FILE_Open("data\\lower.bin", O_RDONLY); }), "Kalder Internal Error : Open file Error");

    size_t before = test::Stdout().size();
    PACK_ListEntries();
    EXPECT_EQ(test::Stdout().substr(before),
              "DATA\\A.BIN\ndata\\lower.bin\nDATA\\SHARED.BIN\nDATA\\NEW.BIN\n");
}

TEST_F(PackTest, APackThatNamesItsOwnContainerLeavesTheContainerAlone)
{
    // The inner pack lies in the outer one under a name of the fixed drive, and names itself.
    const std::vector<uint8_t> inner = kalder_test::PackImage(
        {{"Z:\\INNER.BF", bytes_of("not the inner pack")}, {"A.TXT", bytes_of("inner a")}});
    kalder_test::WritePack(pack_path('C', "outer.bf"),
                           {{"Z:\\INNER.BF", inner}, {"B.TXT", bytes_of("outer b")}, {"A.TXT", bytes_of("outer a")}});
    PACK_Open("data\\icone\\outer.bf");
    PACK_Open("INNER.BF");
    ASSERT_EQ(PACK_Count, 3);

    EXPECT_EQ(read_entry("z:\\inner.bf").substr(0, 4), "MIRL");
    EXPECT_EQ(read_entry("b.txt"), "outer b");
    EXPECT_EQ(read_entry("a.txt"), "inner a");
    // Opening it again reads the same directory and still leaves its container.
    PACK_Open("INNER.BF");
    EXPECT_EQ(PACK_Count, 3);
    EXPECT_EQ(read_entry("a.txt"), "inner a");
    EXPECT_EQ(read_entry("Z:\\INNER.BF").substr(0, 4), "MIRL");
}

TEST_F(PackTest, ThreeNestedPacksReadThrough)
{
    const std::vector<uint8_t> innermost = kalder_test::PackImage({{"I.TXT", bytes_of("innermost")}});
    const std::vector<uint8_t> middle =
        kalder_test::PackImage({{"M.TXT", bytes_of("middle")}, {"Z:\\IN.BF", innermost}});
    kalder_test::WritePack(pack_path('C', "outer.bf"), {{"Z:\\MID.BF", middle}, {"O.TXT", bytes_of("outer")}});
    PACK_Open("data\\icone\\outer.bf");
    PACK_Open("MID.BF");
    PACK_Open("IN.BF");
    ASSERT_EQ(PACK_Count, 5);
    for (int round = 0; round < 2; round++) {
        EXPECT_EQ(read_entry("i.txt"), "innermost");
        EXPECT_EQ(read_entry("o.txt"), "outer");
        EXPECT_EQ(read_entry("m.txt"), "middle");
    }
}

TEST_F(PackTest, AnEntryReadAtTheLastReachablePlaceReadsNothing)
{
    // A nested entry that claims 4 GB: a seek to the last place below 2 GB lands on its container's
    // last byte, which holds data; the read must not carry the entry's place past 2 GB.
    PackWriterEntry big{"BIG", {}, 0, 0xFFFFFFFF};
    const std::vector<uint8_t> inner = kalder_test::PackImage({big, {"PAD", bytes_of("padding")}});
    kalder_test::WritePack(pack_path('C', "outer.bf"), {{"Z:\\INNER.BF", inner}});
    PACK_Open("data\\icone\\outer.bf");
    PACK_Open("INNER.BF");
    const int32_t h = FILE_Open("BIG", O_RDONLY);
    EXPECT_EQ(FILE_Seek(h, 0x7FFFFFFF, 0), 0x7FFFFFFF);
    char byte[4];
    EXPECT_EQ(FILE_Read(h, byte, sizeof byte), 0);
    EXPECT_EQ(PACK_Table[-h - 1].position, 0x7FFFFFFF);
}

TEST_F(PackTest, AChainOfContainersThatLoopsStopsWithTheSeekError)
{
    // Only a damaged table can loop now; reading through it stops instead of recursing.
    kalder_test::WritePack(pack_path('C', "one.bf"), {{"A", bytes_of("a")}, {"B", bytes_of("b")}});
    PACK_Open("data\\icone\\one.bf");
    ASSERT_EQ(PACK_Count, 2);
    PACK_Table[0].pack = -2;
    PACK_Table[1].pack = -1;
    PACK_Table[1].open = 1;
    EXPECT_EQ(fatal_text([] { FILE_Open("A", O_RDONLY); }), "Kalder Internal Error : Seek file Error");
}

TEST_F(PackTest, AnEmptyPackAddsNothing)
{
    kalder_test::WritePack(pack_path('C', "empty.bf"), {});
    PACK_Open("data\\icone\\empty.bf");
    EXPECT_EQ(PACK_Count, 0);
    EXPECT_EQ(PACK_Table, nullptr);

    kalder_test::WritePack(pack_path('C', "one.bf"), {{"X", bytes_of("x")}});
    PACK_Open("data\\icone\\one.bf");
    PACK_Open("data\\icone\\empty.bf");
    EXPECT_EQ(PACK_Count, 1);
    EXPECT_EQ(test::Stdout(), "Nom: X\n");
}

TEST_F(PackTest, ALongestNameIsTerminatedAndFound)
{
    std::string name(259, 'N');
    kalder_test::WritePack(pack_path('C', "long.bf"), {{name, bytes_of("long")}, {"NEXT", bytes_of("next")}});
    PACK_Open("data\\icone\\long.bf");
    ASSERT_EQ(PACK_Count, 2);
    EXPECT_EQ(std::strlen(PACK_Table[0].name), 259u);
    EXPECT_EQ(read_entry(std::string(259, 'n').c_str()), "long");
    // Only 259 characters take part in the comparison.
    EXPECT_EQ(read_entry((name + "MORE").c_str()), "long");
    EXPECT_EQ(read_entry("next"), "next");
}

TEST_F(PackTest, APackFoundOnlyUnderTheFixedDriveIsMarked)
{
    kalder_test::WritePack(pack_path('Z', "icones.bf"), {{"ICON", bytes_of("z")}});
    PACK_Open("data\\icone\\icones.bf");
    ASSERT_EQ(PACK_Count, 1);
    EXPECT_EQ(PACK_Table[0].prefixed, 1);
    EXPECT_EQ(read_entry("icon"), "z");

    PACK_FreeTable();
    kalder_test::WritePack(pack_path('C', "icones.bf"), {{"ICON", bytes_of("c")}});
    PACK_Open("data\\icone\\icones.bf");
    EXPECT_EQ(PACK_Table[0].prefixed, 0);
    EXPECT_EQ(read_entry("icon"), "c");
}

TEST_F(PackTest, WithoutDriveZTheFallbackFailsToOpen)
{
    drives.reset();
    drives = std::make_unique<kalder_test::TempDrives>("C");
    EXPECT_EQ(fatal_text([] { PACK_Open("data\\icone\\icones.bf"); }), "Kalder Internal Error : Open file Error");
}

TEST_F(PackTest, DamagedPacksAreRefused)
{
    const std::vector<PackWriterEntry> two = {{"A", bytes_of("aaaa")}, {"B", bytes_of("bbbbbb")}};
    auto image = [&](PackWriterOptions o) { return kalder_test::PackImage(two, o); };
    PackWriterOptions mirx, mi00, past, one_more, huge, dir_first;
    mirx.magic = "MIRX";
    mi00.magic = std::string("MI\0\0", 4);
    past.directory_offset = image({}).size() + 1;
    one_more.count = 3;
    huge.count = 0xFFFFFFFF;
    dir_first.directory_first = true;
    std::vector<uint8_t> whole = image({});
    std::vector<uint8_t> cut_directory(whole.begin(), whole.end() - 100);

    struct Case {
        const char *what;
        std::vector<uint8_t> bytes;
        int short_read; // nth read of the pack that comes back short, 0 for none
    };
    const Case cases[] = {
        {"magic MIRX", image(mirx), 0},
        {"magic MI", image(mi00), 0},
        {"0 bytes", {}, 0},
        {"3 bytes", std::vector<uint8_t>(whole.begin(), whole.begin() + 3), 0},
        {"15 bytes", std::vector<uint8_t>(whole.begin(), whole.begin() + 15), 0},
        {"directory past the end", image(past), 0},
        {"one entry more than fits", image(one_more), 0},
        {"count 0xFFFFFFFF", image(huge), 0},
        {"directory cut inside a record", cut_directory, 0},
        {"short read of the header", whole, 1},
        {"short read of a name", image(dir_first), 5},
        {"short read of a size", image(dir_first), 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        PACK_FreeTable();
        test::Reset();
        test::SetExitHook(test::ThrowOnExit);
        drives.reset();
        drives = std::make_unique<kalder_test::TempDrives>("CDZ");
        kalder_test::WriteHostFile(pack_path('C', "icones.bf"), c.bytes);
        if (c.short_read != 0) {
            test::AddFileFault({test::FILE_OP_READ, "icones.bf", c.short_read, 2});
        }
        EXPECT_EQ(fatal_text([] { PACK_Open("data\\icone\\icones.bf"); }), "data\\icone\\icones.bf is not a valid file");
        EXPECT_EQ(PACK_Count, 0);
        EXPECT_EQ(PACK_Table, nullptr);
    }
}

TEST_F(PackTest, EntriesPastTheEndReadShort)
{
    std::vector<PackWriterEntry> entries = {
        {"A", bytes_of("abc")}, {"TAIL", {}, 0, 10}, {"BEYOND", {}, 0, 10}, {"FAR", {}, 0x80000000, 10}};
    int64_t size = int64_t(kalder_test::PackImage(entries).size());
    entries[1].offset = size - 5;
    entries[2].offset = size + 100;
    kalder_test::WritePack(pack_path('C', "icones.bf"), entries);
    PACK_Open("data\\icone\\icones.bf");
    ASSERT_EQ(PACK_Count, 4);
    EXPECT_EQ(read_entry("a"), "abc");
    EXPECT_EQ(read_entry("tail").size(), 5u);
    EXPECT_EQ(read_entry("beyond"), "");
    EXPECT_EQ(fatal_text([] { FILE_Open("far", O_RDONLY); }), "Kalder Internal Error : Seek file Error");
}

} // namespace
