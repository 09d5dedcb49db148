// The DPR streaming buffer over pattern files in temporary drives: streaming in order, the ring's
// wrap and spare area, full and closed states, open failures, read errors and the overflow stop.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "core/dpr.h"
#include "core/mem.h"
#include "core/sys.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/pattern_file.h"
#include "tests/support/temp_drives.h"

namespace {

using kalder_test::PatternMismatch;

constexpr uint32_t kBlock = 0x8000;
constexpr uint32_t kRing = 0x58000;

struct DprTest : ::testing::Test {
    void SetUp() override
    {
        kalder_test::ResetCore();
        test::SetExitHook(test::ThrowOnExit);
        drives = std::make_unique<kalder_test::TempDrives>("C");
        MEM_Arena = MEM_CreateStack(0x172000);
        dpr = DPR_Create(0x57800, 0x57800, 0x8000);
        ASSERT_NE(dpr, nullptr);
    }
    void TearDown() override
    {
        DPR_Destroy(dpr);
        kalder_test::ResetCore();
        drives.reset();
    }
    // A pattern file on drive C; returns its game path.
    std::string Pattern(const std::string &name, uint32_t size)
    {
        EXPECT_TRUE(kalder_test::WritePatternFile(drives->Host('C') + "/" + name, size));
        return "C:\\" + name;
    }
    // Reads the rest of the stream with requests cycling through `sizes`, filling when a request
    // cannot be met and shortening the last one, and checks every byte against the pattern from
    // `offset`. Returns the number of bytes read.
    uint32_t ReadAll(DPR_Buffer *d, std::vector<uint32_t> sizes, uint32_t offset = 0, bool *sawClosedWithData = nullptr)
    {
        uint32_t at = offset;
        for (size_t i = 0;; i++) {
            uint32_t n = sizes[i % sizes.size()];
            uint8_t *p;
            while ((p = DPR_Get(d, n)) == nullptr) {
                if (!(d->flags & DPR_OPEN)) {
                    if (d->buffered == 0) {
                        return at - offset;
                    }
                    if (sawClosedWithData != nullptr) {
                        *sawClosedWithData = true;
                    }
                    n = d->buffered;
                    continue;
                }
                DPR_Fill(d);
            }
            EXPECT_EQ(PatternMismatch(p, n, at), n) << "span at " << at;
            EXPECT_EQ(d->buffered + d->free, d->ring_size);
            at += n;
            DPR_Skip(d);
        }
    }
    std::unique_ptr<kalder_test::TempDrives> drives;
    DPR_Buffer *dpr = nullptr;
};

void ExpectSameRecord(const DPR_Buffer &a, const DPR_Buffer &b)
{
    EXPECT_EQ(a.buffer, b.buffer);
    EXPECT_EQ(a.read_pos, b.read_pos);
    EXPECT_EQ(a.write_pos, b.write_pos);
    EXPECT_EQ(a.buffered, b.buffered);
    EXPECT_EQ(a.free, b.free);
    EXPECT_EQ(a.ring_size, b.ring_size);
    EXPECT_EQ(a.spare_size, b.spare_size);
    EXPECT_EQ(a.file, b.file);
    EXPECT_EQ(a.block_size, b.block_size);
    EXPECT_EQ(a.flags, b.flags);
    EXPECT_EQ(a.last_request, b.last_request);
}

TEST_F(DprTest, MainRecordAndItsOpenTakeTheirSizes)
{
    EXPECT_EQ(dpr->ring_size, 0x58000u);
    EXPECT_EQ(dpr->spare_size, 0x58000u);
    EXPECT_EQ(dpr->free, 0x58000u);
    EXPECT_EQ(dpr->block_size, 0x8000u);
    EXPECT_EQ(dpr->flags, 0);
    EXPECT_EQ(dpr->buffer, nullptr);

    std::string path = Pattern("a.dat", 100);
    uint32_t room = MEM_StackFreeSpace(MEM_Arena);
    ASSERT_EQ(DPR_Open(dpr, path.c_str()), 1);
    EXPECT_EQ(room - MEM_StackFreeSpace(MEM_Arena), 0xB0004u); // ring, spare area and the link word
    // Every open takes a new block: a second fits in the arena, a third does not.
    EXPECT_EQ(DPR_Open(dpr, path.c_str()), 1);
    EXPECT_EQ(DPR_Open(dpr, path.c_str()), 0);
    EXPECT_EQ(dpr->flags, DPR_OPEN);
    MEM_ResetStack(MEM_Arena);
    EXPECT_EQ(DPR_Open(dpr, path.c_str()), 1);
    EXPECT_EQ(ReadAll(dpr, {7}), 100u);
}

TEST_F(DprTest, CreationRefusals)
{
    struct Case {
        const char *what;
        uint32_t ring, spare, block;
    };
    const Case cases[] = {
        {"block size 0", 0x57800, 0x57800, 0},
        {"block size not a power of two", 0x57800, 0x57800, 0x6000},
        {"ring rounds past 32 bits", 0xFFFFFFF0u, 0x8000, 0x8000},
        {"spare area rounds past 32 bits", 0x8000, 0xFFFF8001u, 0x8000},
    };
    for (const Case &c : cases) {
        DPR_Buffer *d = DPR_Create(c.ring, c.spare, c.block);
        EXPECT_EQ(d, nullptr) << c.what;
        DPR_Destroy(d);
    }
}

TEST_F(DprTest, StreamsEveryByteInOrder)
{
    const uint32_t sizes[] = {0, 1, kBlock, 11 * kBlock, 12 * kBlock + 123};
    for (uint32_t size : sizes) {
        MEM_ResetStack(MEM_Arena);
        std::string path = Pattern("s" + std::to_string(size), size);
        ASSERT_EQ(DPR_Open(dpr, path.c_str()), 1);
        EXPECT_EQ(dpr->flags, DPR_OPEN);
        bool closedWithData = false;
        // Scene-like records, then film-like chunks.
        EXPECT_EQ(ReadAll(dpr, {9, 5, 2, 11 * 3, 20 * 3, 0x4000, 0x10000, 0x7FFF}, 0, &closedWithData), size)
            << size;
        EXPECT_EQ(closedWithData, size > 0) << size;
        EXPECT_EQ(dpr->flags, 0) << size;
        EXPECT_EQ(dpr->buffered, 0u) << size;
        EXPECT_EQ(test::OpenFileCount(), 0) << size;
    }
}

TEST_F(DprTest, FileOfOneBlockClosesOnTheSecondFill)
{
    std::string path = Pattern("one.dat", kBlock);
    ASSERT_EQ(DPR_Open(dpr, path.c_str()), 1);
    DPR_Fill(dpr);
    EXPECT_EQ(dpr->buffered, kBlock);
    EXPECT_EQ(dpr->flags, DPR_OPEN);
    DPR_Fill(dpr);
    EXPECT_EQ(dpr->buffered, kBlock);
    EXPECT_EQ(dpr->flags, 0);
    EXPECT_EQ(test::OpenFileCount(), 0);
}

// Fills the whole ring, then consumes `consume` bytes.
void FillRingAndConsume(DPR_Buffer *d, uint32_t consume)
{
    for (int i = 0; i < 11; i++) {
        DPR_Fill(d);
    }
    ASSERT_EQ(d->buffered, kRing);
    ASSERT_NE(DPR_Get(d, consume), nullptr);
    DPR_Skip(d);
}

TEST_F(DprTest, RequestThatWrapsIsCopiedIntoTheSpareArea)
{
    std::string path = Pattern("wrap.dat", 13 * kBlock);
    ASSERT_EQ(DPR_Open(dpr, path.c_str()), 1);
    FillRingAndConsume(dpr, 0x57FF0);
    DPR_Fill(dpr); // the twelfth block lands at the ring's start
    EXPECT_EQ(dpr->write_pos, kBlock);
    uint8_t *p = DPR_Get(dpr, 0x20);
    ASSERT_EQ(p, dpr->buffer + 0x57FF0);
    EXPECT_EQ(PatternMismatch(p, 0x20, 0x57FF0), 0x20u);
    EXPECT_EQ(PatternMismatch(dpr->buffer + kRing, 0x10, kRing), 0x10u);
    DPR_Skip(dpr);
    EXPECT_EQ(dpr->read_pos, 0x10u);
    EXPECT_EQ(ReadAll(dpr, {0x3000}, 0x58010), 13 * kBlock - 0x58010);
}

TEST_F(DprTest, RequestEndingAtTheRingsEndThenOneFromTheSpareArea)
{
    std::string path = Pattern("edge.dat", 13 * kBlock);
    ASSERT_EQ(DPR_Open(dpr, path.c_str()), 1);
    FillRingAndConsume(dpr, 0x57FE0);
    DPR_Fill(dpr);
    uint8_t *p = DPR_Get(dpr, 0x20);
    ASSERT_EQ(p, dpr->buffer + 0x57FE0);
    EXPECT_EQ(PatternMismatch(p, 0x20, 0x57FE0), 0x20u);
    DPR_Skip(dpr);
    EXPECT_EQ(dpr->read_pos, kRing);
    p = DPR_Get(dpr, 4);
    ASSERT_EQ(p, dpr->buffer + kRing);
    EXPECT_EQ(PatternMismatch(p, 4, kRing), 4u);
    DPR_Skip(dpr);
    EXPECT_EQ(dpr->read_pos, 4u);
    EXPECT_EQ(ReadAll(dpr, {0x5000}, kRing + 4), 13 * kBlock - kRing - 4);
}

TEST_F(DprTest, FillOnAFullRingSetsTheFullBitUntilASkip)
{
    std::string path = Pattern("full.dat", 13 * kBlock);
    ASSERT_EQ(DPR_Open(dpr, path.c_str()), 1);
    for (int i = 0; i < 11; i++) {
        DPR_Fill(dpr);
    }
    DPR_Fill(dpr);
    EXPECT_EQ(dpr->flags, DPR_OPEN | DPR_FULL);
    EXPECT_EQ(dpr->buffered, kRing);
    DPR_Skip(dpr); // no request yet: consumes nothing
    EXPECT_EQ(dpr->buffered, kRing);
    EXPECT_EQ(dpr->flags, DPR_OPEN);
    DPR_Fill(dpr);
    EXPECT_EQ(dpr->flags, DPR_OPEN | DPR_FULL);
    ASSERT_NE(DPR_Get(dpr, kBlock), nullptr);
    DPR_Fill(dpr); // still full until the skip
    EXPECT_EQ(dpr->buffered, kRing);
    DPR_Skip(dpr);
    EXPECT_EQ(dpr->flags, DPR_OPEN);
    DPR_Fill(dpr);
    EXPECT_EQ(dpr->buffered, kRing);
}

TEST_F(DprTest, RequestForMoreThanIsBufferedChangesNothing)
{
    std::string path = Pattern("more.dat", 3 * kBlock);
    ASSERT_EQ(DPR_Open(dpr, path.c_str()), 1);
    DPR_Fill(dpr);
    ASSERT_NE(DPR_Get(dpr, 10), nullptr);
    DPR_Skip(dpr);
    ASSERT_NE(DPR_Get(dpr, 6), nullptr);
    DPR_Buffer before = *dpr;
    EXPECT_EQ(DPR_Get(dpr, kBlock - 9), nullptr);
    EXPECT_EQ(DPR_Get(dpr, kRing + 1), nullptr);
    ExpectSameRecord(*dpr, before);
}

TEST_F(DprTest, OpenFailures)
{
    EXPECT_EQ(DPR_Open(dpr, "C:\\missing.dat"), 0);
    EXPECT_EQ(dpr->flags, 0);
    EXPECT_EQ(test::OpenFileCount(), 0);

    // The block fits in the arena but its link word does not.
    std::string path = Pattern("attached.dat", 3 * kBlock);
    MEM_DestroyStack(MEM_Arena);
    MEM_Arena = MEM_CreateStack(0xB0000);
    EXPECT_EQ(DPR_Open(dpr, path.c_str()), 0);
    EXPECT_EQ(dpr->flags, DPR_OPEN);
    EXPECT_EQ(dpr->buffer, nullptr);
    EXPECT_EQ(test::OpenFileCount(), 1);
    DPR_Buffer before = *dpr;
    DPR_Fill(dpr);
    EXPECT_EQ(DPR_Get(dpr, 0), nullptr);
    DPR_Skip(dpr);
    DPR_Fill(dpr);
    ExpectSameRecord(*dpr, before);
    DPR_Close(dpr);
    EXPECT_EQ(dpr->flags, 0);
    EXPECT_EQ(test::OpenFileCount(), 0);
}

TEST_F(DprTest, AFailedOpenAfterAStreamLeavesNoBufferBehind)
{
    std::string path = Pattern("worked.dat", 4 * kBlock);
    ASSERT_EQ(DPR_Open(dpr, path.c_str()), 1);
    DPR_Fill(dpr);
    ASSERT_NE(DPR_Get(dpr, 16), nullptr);
    MEM_ResetStack(MEM_Arena);
    EXPECT_EQ(DPR_Open(dpr, "C:\\missing.dat"), 0);
    EXPECT_EQ(dpr->buffer, nullptr);
    EXPECT_EQ(dpr->buffered, 0u);
    EXPECT_EQ(dpr->last_request, 0u);
    DPR_Buffer before = *dpr;
    EXPECT_EQ(DPR_Get(dpr, 0), nullptr);
    EXPECT_EQ(DPR_Get(dpr, 16), nullptr);
    DPR_Skip(dpr);
    DPR_Fill(dpr);
    ExpectSameRecord(*dpr, before);
    EXPECT_EQ(test::OpenFileCount(), 0);
}

TEST_F(DprTest, ReadErrorEndsTheStreamWithTheBlocksAlreadyRead)
{
    std::string path = Pattern("err.dat", 6 * kBlock);
    test::AddFileFault({test::FILE_OP_READ, "err.dat", 3, -1});
    ASSERT_EQ(DPR_Open(dpr, path.c_str()), 1);
    DPR_Fill(dpr);
    DPR_Fill(dpr);
    DPR_Fill(dpr);
    EXPECT_EQ(dpr->flags, 0);
    EXPECT_EQ(dpr->buffered, 2 * kBlock);
    EXPECT_EQ(test::OpenFileCount(), 0);
    EXPECT_EQ(ReadAll(dpr, {0x3000}), 2 * kBlock);
}

TEST_F(DprTest, ReopeningClosesTheFirstFile)
{
    std::string first = Pattern("first.dat", 5 * kBlock);
    drives->Write('C', "second.dat", std::vector<uint8_t>{1, 2, 3});
    ASSERT_EQ(DPR_Open(dpr, first.c_str()), 1);
    DPR_Fill(dpr);
    ASSERT_EQ(DPR_Open(dpr, "C:\\SECOND.DAT"), 1);
    EXPECT_EQ(test::OpenFileCount(), 1);
    EXPECT_EQ(dpr->buffered, 0u);
    DPR_Fill(dpr);
    uint8_t *p = DPR_Get(dpr, 3);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[0], 1);
    EXPECT_EQ(p[2], 3);
}

TEST_F(DprTest, WrappedPartLongerThanTheSpareAreaStopsTheProcess)
{
    DPR_Buffer *small = DPR_Create(0x18000, 0x8000, 0x8000);
    ASSERT_NE(small, nullptr);
    std::string path = Pattern("over.dat", 6 * kBlock);
    ASSERT_EQ(DPR_Open(small, path.c_str()), 1);
    DPR_Fill(small);
    DPR_Fill(small);
    DPR_Fill(small);
    ASSERT_NE(DPR_Get(small, 0x10000), nullptr);
    DPR_Skip(small);
    DPR_Fill(small);
    DPR_Fill(small);
    ASSERT_EQ(small->buffered, 0x18000u);
    int code = 0;
    try {
        DPR_Get(small, 0x10001);
    } catch (const test::ExitCalled &e) {
        code = e.code;
    }
    EXPECT_EQ(code, 1);
    EXPECT_EQ(test::Stdout(), "\a\a\a, ERROR FATAL debordement dans DPR\n");
    EXPECT_TRUE(test::MessageBoxes().empty());
    // The longest request the spare area allows is served.
    uint8_t *p = DPR_Get(small, 0x10000);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(PatternMismatch(p, 0x10000, 0x10000), 0x10000u);
    DPR_Destroy(small);
}

TEST_F(DprTest, RandomOperationsAgainstAModel)
{
    const uint32_t fileSize = 40 * kBlock + 77;
    std::string path = Pattern("random.dat", fileSize);
    std::mt19937 rng(8);
    // The model: bytes read from the file, bytes consumed, the pending request, open and full.
    uint32_t fileRead = 0, consumed = 0, pending = 0;
    bool open = false, full = false;
    for (int op = 0; op < 10000; op++) {
        if (!open && fileRead == consumed) {
            MEM_ResetStack(MEM_Arena);
            ASSERT_EQ(DPR_Open(dpr, path.c_str()), 1);
            fileRead = consumed = pending = 0;
            open = true;
            full = false;
        }
        uint32_t choice = rng() % 3;
        if (choice == 0) {
            DPR_Fill(dpr);
            if (open && !full) {
                uint32_t buffered = fileRead - consumed;
                if (kRing - buffered < kBlock) {
                    full = true;
                } else {
                    uint32_t got = std::min(kBlock, fileSize - fileRead);
                    fileRead += got;
                    open = got == kBlock;
                }
            }
        } else if (choice == 1) {
            uint32_t n = 1 + rng() % 0x20000;
            uint8_t *p = DPR_Get(dpr, n);
            if (n <= fileRead - consumed) {
                ASSERT_NE(p, nullptr) << op;
                ASSERT_EQ(PatternMismatch(p, n, consumed), n) << op;
                pending = n;
            } else {
                ASSERT_EQ(p, nullptr) << op;
            }
        } else {
            DPR_Skip(dpr);
            consumed += pending;
            pending = 0;
            full = false;
        }
        ASSERT_EQ(dpr->buffered, fileRead - consumed) << op;
        ASSERT_EQ(dpr->buffered + dpr->free, kRing) << op;
        ASSERT_EQ(dpr->flags, (open ? DPR_OPEN : 0) | (full ? DPR_FULL : 0)) << op;
    }
}

TEST_F(DprTest, ShortNameOfTheOpeningFilmFindsItsLongFile)
{
    drives->MakeDir('C', "DATA/HNM");
    ASSERT_TRUE(kalder_test::WritePatternFile(drives->Host('C') + "/DATA/HNM/Tete_Entree.HNM", 3 * kBlock + 77));
    ASSERT_EQ(DPR_Open(dpr, "data\\hnm\\tete_e~1.hnm"), 1);
    EXPECT_EQ(ReadAll(dpr, {68, 0x2000, 0x9000}), 3 * kBlock + 77);
}

} // namespace
