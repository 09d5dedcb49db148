// The FSB sound bank: where its sounds start, the bounds of a look-up, and the fatal stop of each way
// a bank can be damaged.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>

#include "core/fsb.h"
#include "core/mem.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/fsb_writer.h"
#include "tests/support/temp_drives.h"
#include "tests/support/wav_writer.h"

using kalder_test::FsbImage;
using kalder_test::FsbOptions;

namespace {

const char *const CORRUPTED = "Error: information on disk/cdrom is corrupted or cannot be found...\n";
const char *const BANK = "D:\\data\\sound\\fsb.dat";

std::vector<std::vector<uint8_t>> Sounds()
{
    const kalder_test::WavFormat format{1, 11025, 16};
    return {kalder_test::WavImage(format, kalder_test::WavSamples(format, kalder_test::Wave::Ramp, 50)),
            kalder_test::WavImage(format, kalder_test::WavSamples(format, kalder_test::Wave::Sine, 30)),
            kalder_test::WavImage(format, kalder_test::WavSamples(format, kalder_test::Wave::Noise, 70))};
}

struct FsbTest : ::testing::Test {
    std::unique_ptr<kalder_test::TempDrives> drives;

    void SetUp() override
    {
        kalder_test::ResetCore();
        drives = std::make_unique<kalder_test::TempDrives>("CD");
        test::SetExitHook(test::ThrowOnExit);
    }
    void TearDown() override
    {
        drives.reset();
        kalder_test::ResetCore();
    }

    void Write(const std::vector<uint8_t> &bytes) { drives->Write('D', "DATA/SOUND/FSB.DAT", bytes); }

    // Loads the bank, which must stop the game with this text and code.
    static void ExpectStop(const std::string &text, int code)
    {
        size_t boxes = test::MessageBoxes().size();
        try {
            FSB_Load(BANK);
            ADD_FAILURE() << "no fatal stop";
        } catch (const test::ExitCalled &exit) {
            EXPECT_EQ(exit.code, code);
            ASSERT_EQ(test::MessageBoxes().size(), boxes + 1);
            EXPECT_EQ(test::MessageBoxes().back().title, "Error");
            EXPECT_EQ(test::MessageBoxes().back().text, text);
        }
        EXPECT_EQ(test::OpenFileCount(), 0);
        FSB_Free();
    }
};

TEST_F(FsbTest, SoundsStartWhereTheSizesPutThem)
{
    std::vector<std::vector<uint8_t>> sounds = Sounds();
    FsbOptions options;
    options.surplus = {1, 2, 3, 4, 5};
    Write(FsbImage(sounds, options));
    FSB_Load(BANK);
    ASSERT_EQ(FSB_Count, 3u);
    EXPECT_EQ(FSB_BlockSize, sounds[0].size() + sounds[1].size() + sounds[2].size() + 5);
    size_t start = 0;
    for (int i = 0; i < 3; i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(FSB_GetSound(i), FSB_Block + start);
        EXPECT_EQ(FSB_GetSoundSize(i), sounds[size_t(i)].size());
        EXPECT_EQ(std::memcmp(FSB_GetSound(i), sounds[size_t(i)].data(), sounds[size_t(i)].size()), 0);
        start += sounds[size_t(i)].size();
    }
    for (int32_t i : {-1, 3, int32_t(int8_t(200)), 200}) {
        EXPECT_EQ(FSB_GetSound(i), nullptr) << i;
        EXPECT_EQ(FSB_GetSoundSize(i), 0u) << i;
    }

    // Sizes that sum below the data leave the rest unplayed; a sound that runs past the block is refused.
    options = FsbOptions{};
    options.sizes = {{0, 10}, {1, 20}, {2, uint32_t(sounds[2].size() + 100)}};
    Write(FsbImage(sounds, options));
    FSB_Load(BANK); // a second load frees the first bank
    EXPECT_EQ(FSB_GetSound(1), FSB_Block + 10);
    EXPECT_EQ(FSB_GetSound(2), FSB_Block + 30) << "30 + its size still lies inside the block";
    options.sizes[2] = uint32_t(FSB_BlockSize - 30 + 1);
    Write(FsbImage(sounds, options));
    FSB_Load(BANK);
    EXPECT_EQ(FSB_GetSound(2), nullptr);
    EXPECT_NE(FSB_GetSound(1), nullptr);
    options.sizes[2] = uint32_t(FSB_BlockSize - 30);
    Write(FsbImage(sounds, options));
    FSB_Load(BANK);
    EXPECT_EQ(FSB_GetSound(2), FSB_Block + 30) << "sizes that fill the block exactly";
    FSB_Free();
    EXPECT_EQ(FSB_Table, nullptr);
    EXPECT_EQ(FSB_Block, nullptr);
    EXPECT_EQ(FSB_GetSound(0), nullptr);

    // An empty bank is no failure.
    Write(FsbImage({}));
    FSB_Load(BANK);
    EXPECT_EQ(FSB_Count, 0u);
    EXPECT_EQ(FSB_GetSound(0), nullptr);
}

TEST_F(FsbTest, DamagedBanksStopTheGame)
{
    const std::vector<uint8_t> good = FsbImage(Sounds());
    auto with = [](std::function<void(FsbOptions &)> knob) {
        FsbOptions o;
        knob(o);
        return FsbImage(Sounds(), o);
    };
    auto cut = [&](size_t n) { return std::vector<uint8_t>(good.begin(), good.begin() + long(n)); };
    const std::string missing = std::string(CORRUPTED) + "Kalder Internal Error : can't find FSB file";
    const std::string memory = "Error: not enough memory...\nKalder Internal Error : can't allocate FSB";
    const size_t table = 3 * sizeof(FSB_Sound);
    const size_t block = good.size() - 28;
    struct Case {
        const char *what;
        std::vector<uint8_t> bank;
        std::function<void()> fault;
        std::string text;
        int code;
    } cases[] = {
        {"no file", {}, [&] { std::remove((drives->Host('D') + "/DATA/SOUND/FSB.DAT").c_str()); }, missing, 999},
        {"0 bytes", {}, nullptr, CORRUPTED, 999},
        {"11 bytes", cut(11), nullptr, CORRUPTED, 999},
        {"one blank", with([](FsbOptions &o) { o.magic = "KALDER FSB "; }), nullptr, CORRUPTED, 999},
        {"lower case", with([](FsbOptions &o) { o.magic = "kalder fsb  "; }), nullptr, CORRUPTED, 999},
        {"12 bytes", cut(12), nullptr, CORRUPTED, 999},
        {"15 bytes", cut(15), nullptr, CORRUPTED, 999},
        {"N one larger than fits", with([&](FsbOptions &o) { o.count = int64_t(good.size() - 16) / 4 + 1; }),
         nullptr, CORRUPTED, 999},
        {"N = 0xFFFFFFFF", with([](FsbOptions &o) { o.count = 0xFFFFFFFF; }), nullptr, CORRUPTED, 999},
        {"short read of the third size", good,
         [] { test::AddFileFault({test::FILE_OP_READ, "fsb.dat", 5, 2}); }, CORRUPTED, 999},
        {"short read of the block", good,
         [] { test::AddFileFault({test::FILE_OP_READ, "fsb.dat", 6, 100}); }, CORRUPTED, 999},
        {"failed length seek", good, [] { test::AddFileFault({test::FILE_OP_SEEK, "fsb.dat", 1, -1}); },
         CORRUPTED, 999},
        {"table allocation", good, [&] { test::FailHeapAlloc(table); }, memory, 1},
        {"block allocation", good, [&] { test::FailHeapAlloc(block); }, memory, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Write(c.bank);
        if (c.fault) {
            c.fault();
        }
        ExpectStop(c.text, c.code);
    }
}

using FsbDeathTest = FsbTest;

TEST_F(FsbDeathTest, TheParentSeesTheLowByteOfTheCode)
{
    Write(FsbImage(Sounds()));
    test::SetExitHook(nullptr);
    EXPECT_EXIT(
        {
            test::FailHeapAlloc(3 * sizeof(FSB_Sound));
            FSB_Load(BANK);
        },
        ::testing::ExitedWithCode(1), "");
    Write({});
    EXPECT_EXIT(FSB_Load(BANK), ::testing::ExitedWithCode(231), "");
}

} // namespace
