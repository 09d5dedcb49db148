// The dialogue file and its player: files from the dialogue writer below the installation folder of a
// temporary drive C, opened and read through the real player.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/clk.h"
#include "core/dsk.h"
#include "core/mem.h"
#include "core/sys.h"
#include "interface/drd.h"
#include "interface/ico.h"
#include "plat/test.h"
#include "tests/interface/hud_recorder.h"
#include "tests/support/core_state.h"
#include "tests/support/demo_level.h"
#include "tests/support/drd_writer.h"
#include "tests/support/icon_pack_writer.h"
#include "tests/support/temp_drives.h"
#include "tests/support/wav_writer.h"

namespace {

using kalder_test::DrdEntry;
using kalder_test::DrdLine;
using kalder_test::DrdWriter;

std::vector<uint8_t> voice(double seconds, int bits = 8)
{
    const kalder_test::WavFormat format{1, 11025, bits};
    const auto frames = uint32_t(seconds * 11025);
    return kalder_test::WavImage(format, kalder_test::WavSamples(format, kalder_test::Wave::Square, frames, 150.0));
}

// The timing example: lines at 0, 1.5 and 3 s over a 3 s voice.
DrdEntry timing_entry(double seconds = 3.0, int bits = 8)
{
    DrdEntry e;
    e.voice = voice(seconds, bits);
    e.lines = {{0, "one"}, {150, "two"}, {300, "three"}};
    return e;
}

DrdWriter two_entries()
{
    DrdWriter w;
    w.entries = {timing_entry(), timing_entry()};
    // Entry 1 is the larger.
    w.entries[1].lines = {{0, "other"}, {150, "a longer line than any of entry 0"}};
    return w;
}

struct DrdTest : ::testing::Test {
    kalder_test::TempDrives drives{"C"};

    void SetUp() override
    {
        kalder_test::ResetCore();
        test::MapDrive('C', drives.Host('C'));
        test::ResetCurrentDirectories();
        std::strcpy(DSK_Location.install_folder, "C:\\VORN\\KALDER\\");
        // This program wraps DLG_LoadEntry: let the real one answer.
        hud_recorder::DialogueAnswer() = -1;
    }
    void TearDown() override
    {
        DRD_Close();
        kalder_test::ResetCore();
    }

    void Write(const std::vector<uint8_t> &bytes) { drives.Write('C', "VORN/KALDER/DATA/3DC/DIALOG.DRD", bytes); }
    int32_t Open(const std::vector<uint8_t> &bytes)
    {
        Write(bytes);
        return DRD_Open("data\\3dc\\dialog.drd");
    }
};

TEST_F(DrdTest, OpenAcceptsWholeFilesAndRefusesDamagedOnes)
{
    struct Case {
        const char *name;
        std::function<std::vector<uint8_t>()> bytes; // null: no file
        int32_t result;
        int32_t count;
    };
    const auto with = [](std::function<void(DrdWriter &)> damage) {
        return [damage] {
            DrdWriter w = two_entries();
            damage(w);
            return w.Bytes();
        };
    };
    const std::vector<Case> cases = {
        {"the demo file", [] { return kalder_test::DemoDialogue().Bytes(); }, 1, 2},
        {"an empty file", [] { return DrdWriter{}.Bytes(); }, 1, 0},
        {"no file", nullptr, 0, 0},
        {"15 bytes", with([](DrdWriter &w) { w.cut_at = 15; }), 0, 0},
        {"a wrong magic", with([](DrdWriter &w) { w.magic = "DRDX"; }), 0, 0},
        {"block type 1", with([](DrdWriter &w) { w.block_type = 1; }), 0, 0},
        {"a block length not 5 + 4N", with([](DrdWriter &w) { w.block_length = 5 + 4 * 3; }), 0, 0},
        {"a block length below 5", with([](DrdWriter &w) { w.block_length = 4; }), 0, 0},
        // 4 x 0x40000002 wraps to 8 in 32 bits: the block length of two entries.
        {"a count whose 4N wraps to the block", with([](DrdWriter &w) { w.count = 0x40000002; }), 0, 0},
        {"a buffer above the file size", with([](DrdWriter &w) { w.buffer_size = 1u << 30; }), 0, 0},
        {"an offset past the end", with([](DrdWriter &w) { w.offsets = {{1, 1u << 20}}; }), 0, 0},
        {"a file cut inside the offsets", with([](DrdWriter &w) { w.cut_at = 23; }), 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        DRD_Close();
        drives.Write('C', "VORN/KALDER/DATA/3DC/keep", std::vector<uint8_t>{});
        std::remove((drives.Host('C') + "/VORN/KALDER/DATA/3DC/DIALOG.DRD").c_str());
        if (c.bytes) {
            Write(c.bytes());
        }
        EXPECT_EQ(DRD_Open("data\\3dc\\dialog.drd"), c.result);
        EXPECT_EQ(DRD_GetCount(), c.count);
        EXPECT_EQ(DLG_GetCurrentEntry(), -1);
    }
    DRD_Close();
    EXPECT_EQ(test::OpenFileCount(), 0) << "a refused file is closed";
}

TEST_F(DrdTest, OpenFailsWhenTheHeapRefusesTheTables)
{
    const std::vector<uint8_t> bytes = two_entries().Bytes();
    test::FailHeapAlloc(8); // the two offsets
    EXPECT_EQ(Open(bytes), 0);
    EXPECT_EQ(DRD_GetCount(), 0);
    EXPECT_EQ(test::OpenFileCount(), 0);
    EXPECT_EQ(Open(bytes), 1);
}

TEST_F(DrdTest, LinesAndDurationFollowTheVoice)
{
    struct Case {
        const char *name;
        DrdEntry entry;
        std::vector<int32_t> starts, durations;
        int32_t total;
    };
    const std::vector<Case> cases = {
        {"3 s, 8-bit mono", timing_entry(), {0, 22, 45}, {22, 23, 0}, 45},
        // Bytes / (byte rate x block align): a 16-bit voice lasts half its playing time.
        {"3 s, 16-bit mono", timing_entry(3.0, 16), {0, 22, 45}, {22, 23, -23}, 22},
        // 49,612 bytes at 11,025 a second is 4.49995 s: 67 ticks, not 60.
        {"4.5 s, 8-bit mono", timing_entry(4.5), {0, 22, 45}, {22, 23, 22}, 67},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        DrdWriter w;
        w.entries = {c.entry};
        ASSERT_EQ(Open(w.Bytes()), 1);
        ASSERT_EQ(DLG_LoadEntry(0), 1);
        EXPECT_EQ(DLG_GetDuration(), c.total);
        ASSERT_EQ(DLG_GetLineCount(), 3);
        for (int32_t j = 0; j < 3; j++) {
            EXPECT_EQ(DLG_GetLineStart(j), c.starts[size_t(j)]) << j;
            EXPECT_EQ(DLG_GetLineDuration(j), c.durations[size_t(j)]) << j;
        }
        EXPECT_STREQ(DLG_GetLineText(2), "three");
        // Outside the lines.
        EXPECT_EQ(DLG_GetLineStart(-1), 0);
        EXPECT_EQ(DLG_GetLineStart(3), 0);
        EXPECT_EQ(DLG_GetLineDuration(-1), 0);
        EXPECT_EQ(DLG_GetLineDuration(3), 0);
        EXPECT_STREQ(DLG_GetLineText(-1), "");
        EXPECT_STREQ(DLG_GetLineText(64), "");
        uint32_t length = 0;
        EXPECT_EQ(DLG_GetSound(&length), DLG_GetSound(nullptr));
        EXPECT_EQ(length, c.entry.voice.size());
        EXPECT_EQ(std::memcmp(DLG_GetSound(nullptr), c.entry.voice.data(), length), 0);
    }
}

TEST_F(DrdTest, LineStartsAreFormedBeyond32Bits)
{
    DrdWriter w;
    w.entries = {timing_entry()};
    // 0xFFFFFFFF hundredths x 15 does not fit 32 bits; the start in ticks does.
    w.entries[0].lines = {{300, "late"}, {0xFFFFFFFFu, "never"}};
    ASSERT_EQ(Open(w.Bytes()), 1);
    ASSERT_EQ(DLG_LoadEntry(0), 1);
    EXPECT_EQ(DLG_GetLineStart(0), 45);
    EXPECT_EQ(DLG_GetLineStart(1), 644245094);
    EXPECT_EQ(DLG_GetLineDuration(0), 644245094 - 45);
    EXPECT_EQ(DLG_GetLineDuration(1), 45 - 644245094);
}

TEST_F(DrdTest, ADamagedEntryIsRefusedAndLeavesNoEntryCurrent)
{
    struct Case {
        const char *name;
        std::function<void(DrdWriter &)> damage;
        int32_t entry = 1;
    };
    const std::vector<Case> cases = {
        {"an entry number below 0", [](DrdWriter &) {}, -1},
        {"an entry number not below the count", [](DrdWriter &) {}, 2},
        {"entry type 2", [](DrdWriter &w) { w.entries[1].type = 2; }},
        {"an offset into the header", [](DrdWriter &w) { w.offsets = {{1, 4}}; }},
        {"an offset near the end", [](DrdWriter &w) { w.offsets = {{1, uint32_t(w.Bytes().size() - 3)}}; }},
        {"L below 9", [](DrdWriter &w) { w.entries[1].length = 8; }},
        {"L past the file",
         [](DrdWriter &w) {
             w.entries[1].length = uint32_t(w.EntryBytes(1).size() + 1);
             w.buffer_size = uint32_t(w.EntryBytes(1).size());
         }},
        {"L above the buffer",
         [](DrdWriter &w) {
             w.entries[1].length = uint32_t(w.EntryBytes(1).size() + 1);
             w.buffer_size = uint32_t(w.EntryBytes(1).size() - 9);
         }},
        {"65 lines", [](DrdWriter &w) { w.entries[1].lines = std::vector<DrdLine>(65, DrdLine{0, "x"}); }},
        {"more lines counted than written", [](DrdWriter &w) { w.entries[1].line_count = 3; }},
        {"the lines first", [](DrdWriter &w) { w.entries[1].lines_first = true; }},
        {"a voice chunk of type 3", [](DrdWriter &w) { w.entries[1].voice_type = 3; }},
        {"a lines chunk of type 4", [](DrdWriter &w) { w.entries[1].lines_type = 4; }},
        {"a voice chunk longer than the entry", [](DrdWriter &w) { w.entries[1].voice_chunk_length = 1u << 20; }},
        {"a voice chunk shorter than its header", [](DrdWriter &w) { w.entries[1].voice_chunk_length = 4; }},
        {"a voice image of 43 bytes",
         [](DrdWriter &w) {
             w.entries[1].voice.resize(43);
         }},
        {"byte rate 0", [](DrdWriter &w) { w.entries[1].byte_rate = 0; }},
        {"block align 0", [](DrdWriter &w) { w.entries[1].block_align = 0; }},
        {"a negative block align", [](DrdWriter &w) { w.entries[1].block_align = -1; }},
        {"a picture chunk of type 5",
         [](DrdWriter &w) {
             w.entries[1].picture = std::vector<uint8_t>(100, 1);
             w.entries[1].picture_type = 5;
         }},
        {"a picture chunk longer than what remains",
         [](DrdWriter &w) {
             w.entries[1].picture = std::vector<uint8_t>(100, 1);
             w.entries[1].picture_chunk_length = 106;
         }},
        {"a picture chunk shorter than its header",
         [](DrdWriter &w) {
             w.entries[1].picture = std::vector<uint8_t>(100, 1);
             w.entries[1].picture_chunk_length = 4;
         }},
        {"three bytes after the lines",
         [](DrdWriter &w) {
             w.entries[1].picture = std::vector<uint8_t>(3, 4);
             w.entries[1].picture_type = 4;
             // The picture chunk's header is cut: only 3 of its bytes are counted.
             w.entries[1].length = uint32_t(w.EntryBytes(1).size() - 5);
         }},
        {"a text past the entry",
         [](DrdWriter &w) {
             w.entries[1].length = uint32_t(w.EntryBytes(1).size() - 2);
         }},
        {"a file cut inside the entry", [](DrdWriter &w) { w.cut_at = w.Bytes().size() - 10; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        DrdWriter w = two_entries();
        c.damage(w);
        ASSERT_EQ(Open(w.Bytes()), 1);
        ASSERT_EQ(DLG_LoadEntry(0), 1);
        EXPECT_EQ(DLG_LoadEntry(c.entry), 0);
        EXPECT_EQ(DLG_GetCurrentEntry(), -1);
        EXPECT_EQ(DLG_GetLineCount(), 0);
        EXPECT_EQ(DLG_GetSound(nullptr), nullptr);
        // Asked again, the refused entry is read again and refused again; entry 0 is read again.
        EXPECT_EQ(DLG_LoadEntry(c.entry), 0);
        EXPECT_EQ(DLG_LoadEntry(0), 1);
        EXPECT_EQ(DLG_GetCurrentEntry(), 0);
        EXPECT_STREQ(DLG_GetLineText(1), "two");
    }
}

TEST_F(DrdTest, TheCurrentEntryIsNotReadAgain)
{
    ASSERT_EQ(Open(two_entries().Bytes()), 1);
    ASSERT_EQ(DLG_LoadEntry(1), 1);
    // From here every read of the file fails: only an entry that needs no read still loads.
    test::AddFileFault({test::FILE_OP_READ, "dialog.drd", 0, -1});
    EXPECT_EQ(DLG_LoadEntry(1), 1);
    EXPECT_STREQ(DLG_GetLineText(0), "other");
    EXPECT_EQ(DLG_LoadEntry(0), 0);
    EXPECT_EQ(DLG_LoadEntry(1), 0);
}

TEST_F(DrdTest, TheEntryBufferNeedNotHoldMoreThanTheLargestEntry)
{
    DrdWriter w = two_entries();
    w.buffer_size = uint32_t(w.EntryBytes(1).size() - 9);
    ASSERT_EQ(Open(w.Bytes()), 1);
    EXPECT_EQ(DRD_GetBufferSize(), *w.buffer_size);
    EXPECT_EQ(DLG_LoadEntry(0), 1);
    EXPECT_EQ(DLG_LoadEntry(1), 1);
    w.buffer_size = *w.buffer_size - 1;
    ASSERT_EQ(Open(w.Bytes()), 1);
    EXPECT_EQ(DLG_LoadEntry(1), 0);
    EXPECT_EQ(DLG_LoadEntry(0), 1);
}

TEST_F(DrdTest, ThePictureChunkIsTheSpeakersSpriteImage)
{
    DrdWriter w = two_entries();
    const std::vector<uint8_t> picture = kalder_test::DemoPortrait().Image();
    w.entries[1].picture = picture;
    ASSERT_EQ(Open(w.Bytes()), 1);

    const uint8_t *address = reinterpret_cast<const uint8_t *>(1);
    uint32_t length = 1;
    ASSERT_EQ(DLG_LoadEntry(0), 1);
    DLG_GetExtraChunk(&address, &length);
    EXPECT_EQ(address, nullptr);
    EXPECT_EQ(length, 0u);

    ASSERT_EQ(DLG_LoadEntry(1), 1);
    DLG_GetExtraChunk(&address, &length);
    ASSERT_EQ(length, picture.size());
    EXPECT_EQ(std::memcmp(address, picture.data(), length), 0);
    MEM_Arena = MEM_CreateStack(0x100000);
    EXPECT_EQ(ICO_MakePicture(address, length), 0);
    ASSERT_NE(ICO_Picture, nullptr);
    EXPECT_EQ(ICO_Picture->width, 48);
    EXPECT_EQ(ICO_Picture->height, 56);
    ICO_FreePicture();
}

TEST_F(DrdTest, TextsAreWholeStringsWhateverTheFileCounted)
{
    struct Case {
        const char *name;
        DrdLine line;
        const char *text;
        int32_t terminated;
    };
    const std::vector<Case> cases = {
        {"with its zero", {0, "Hello."}, "Hello.", 1},
        {"without its zero", {0, "Hello.", false}, "Hello.", 0},
        {"a zero inside", {0, std::string("AB\0CD", 5), false}, "AB", 0},
        {"format characters", {0, "%s%n"}, "%s%n", 1},
        {"empty and without its zero", {0, "", false}, "", 0},
        {"255 bytes", {0, std::string(255, 'w'), false}, nullptr, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        DrdWriter w;
        w.entries = {timing_entry()};
        // The next line's start right after the text: a text read too far would swallow it.
        w.entries[0].lines = {c.line, {150, "next"}};
        ASSERT_EQ(Open(w.Bytes()), 1);
        ASSERT_EQ(DLG_LoadEntry(0), 1);
        EXPECT_STREQ(DLG_GetLineText(0), c.text != nullptr ? c.text : c.line.text.c_str());
        EXPECT_EQ(DLG_GetLineTerminated(0), c.terminated);
        EXPECT_STREQ(DLG_GetLineText(1), "next");
    }
}

TEST_F(DrdTest, TheCurrentLineFollowsTheClock)
{
    DrdWriter w;
    w.entries = {timing_entry(6.0)};
    // Starts 10, 22 and 45 ticks, the voice 90 ticks.
    w.entries[0].lines = {{67, "a"}, {150, "b"}, {300, "c"}};
    ASSERT_EQ(Open(w.Bytes()), 1);
    ASSERT_EQ(DLG_LoadEntry(0), 1);
    CLK_Start(200, 15);
    DLG_Start();
    // Clock units (5 ms each) since the start, and the line they fall in.
    const std::vector<std::pair<uint32_t, int32_t>> cases = {
        {0, -1}, {9, -1}, {10, 0}, {21, 0}, {22, 1}, {44, 1}, {45, 2}, {89, 2}, {90, -1}, {200, -1},
    };
    uint32_t at = 0;
    for (const auto &[units, line] : cases) {
        test::AdvanceClock((units - at) * 5);
        at = units;
        EXPECT_EQ(DLG_GetCurrentLine(), line) << units;
    }
}

TEST_F(DrdTest, NothingIsCurrentWithoutAFile)
{
    EXPECT_EQ(DRD_GetCount(), 0);
    EXPECT_EQ(DLG_LoadEntry(0), 0);
    EXPECT_EQ(DLG_LoadEntry(-1), 0);
    EXPECT_EQ(DLG_GetCurrentEntry(), -1);
    DLG_Start(); // no entry: no sound, no crash
    EXPECT_EQ(DLG_GetCurrentLine(), -1);
}

} // namespace
