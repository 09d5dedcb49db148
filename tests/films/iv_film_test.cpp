// Hi-colour films through the player: the frame buffers from the arena, the palette's pair table, and
// the pictures on the screen after each frame in every screen size.
#include "tests/films/film_screen.h"

#include <array>
#include <cstring>

#include "films/iv.h"
#include "tests/support/film_writer.h"
#include "tests/support/iv_film.h"
#include "tests/support/iv_model.h"
#include "tests/support/iv_writer.h"

using namespace kalder_test;

namespace {

uint16_t Colour(uint32_t r, uint32_t g, uint32_t b, bool rgb555) { return IvColour(r, g, b, rgb555); }

std::array<uint8_t, 3> Rgb(int i) { return {uint8_t(i % 64), uint8_t(i * 5 % 64), uint8_t(i * 11 % 64)}; }

PaletteRun Ramp()
{
    PaletteRun run;
    for (int i = 0; i < 256; i++) run.colours.push_back(Rgb(i));
    return run;
}

std::vector<uint8_t> Payload(int first, int count_byte, const std::vector<std::array<uint8_t, 3>> &colours)
{
    std::vector<uint8_t> out = {uint8_t(first), uint8_t(count_byte)};
    for (auto c : colours) out.insert(out.end(), c.begin(), c.end());
    return out;
}

// Every entry of the pair table is colour(lo) | colour(hi) << 16 of the palette given.
void ExpectPairs(const std::vector<uint16_t> &palette)
{
    int wrong = 0;
    for (uint32_t i = 0; i < 65536 && wrong < 5; i++) {
        const uint32_t want = palette[i & 255] | uint32_t(palette[i >> 8]) << 16;
        if (HNM_PairTable[i] != want) {
            ADD_FAILURE() << "entry " << i << " is " << HNM_PairTable[i] << ", expected " << want;
            wrong++;
        }
    }
}

TEST_F(FilmScreenTest, IvBuffersComeClearedFromTheArenaAndGoBack)
{
    StartCore();
    Display(640, 480, false);
    void *earlier = MEM_StackAlloc(MEM_Arena, 0x100000);
    ASSERT_NE(earlier, nullptr);
    std::memset(earlier, 0xA5, 0x100000);
    MEM_ResetStack(MEM_Arena);
    ASSERT_TRUE(HNM_AllocIVBuffers());
    const uint8_t *current = reinterpret_cast<const uint8_t *>(HNM_CurrentFrame);
    EXPECT_EQ(reinterpret_cast<const uint8_t *>(HNM_WorkFrame) - current, 0x2F800);
    EXPECT_EQ(std::count(current, current + 0x5F000, 0), 0x5F000);
    EXPECT_EQ(std::count(HNM_PairTable, HNM_PairTable + 65536, 0u), 65536);
    HNM_FreeIVBuffers();
    EXPECT_EQ(HNM_PairTable, nullptr);
    EXPECT_EQ(MEM_Arena->top, MEM_Arena->base);
}

TEST_F(FilmScreenTest, IvPaletteChunksBuildThePairTable)
{
    StartCore();
    for (bool rgb555 : {false, true}) {
        SCOPED_TRACE(rgb555 ? "5-5-5" : "5-6-5");
        Display(640, 480, rgb555);
        MEM_ResetStack(MEM_Arena);
        ASSERT_TRUE(HNM_AllocIVBuffers());
        // The formulas, values past 63 included.
        struct Case {
            uint8_t r, g, b;
            uint16_t w565, w555;
        };
        for (Case c : {Case{63, 63, 63, 0xFFFF, 0x7FFF}, {0, 0, 0, 0, 0}, {1, 1, 1, 0x0020, 0x0000},
                       {64, 64, 64, 0x0000, 0x0000}, {200, 130, 255, 0x205F, 0x103F},
                       {32, 16, 2, 0x8201, 0x4101}}) {
            HNM_SetIVPalette(Payload(7, 1, {{c.r, c.g, c.b}}).data(), 5);
            EXPECT_EQ(HNM_PairTable[7] & 0xFFFF, rgb555 ? c.w555 : c.w565) << int(c.r) << "," << int(c.g) << "," << int(c.b);
        }
        // Count 0 sets all 256 colours.
        std::vector<uint16_t> palette(256);
        const PaletteRun ramp = Ramp();
        const std::vector<uint8_t> all = Payload(0, 0, ramp.colours);
        HNM_SetIVPalette(all.data(), uint32_t(all.size()));
        for (int i = 0; i < 256; i++) palette[size_t(i)] = Colour(Rgb(i)[0], Rgb(i)[1], Rgb(i)[2], rgb555);
        ExpectPairs(palette);
        // A later chunk keeps what it does not touch.
        const std::vector<uint8_t> some = Payload(10, 3, {{63, 0, 0}, {0, 63, 0}, {0, 0, 63}});
        HNM_SetIVPalette(some.data(), uint32_t(some.size()));
        palette[10] = Colour(63, 0, 0, rgb555), palette[11] = Colour(0, 63, 0, rgb555), palette[12] = Colour(0, 0, 63, rgb555);
        ExpectPairs(palette);
        // From 250 with count 10: 250..255 set, the rest lost inside the table.
        std::vector<std::array<uint8_t, 3>> ten(10, {5, 6, 7});
        const std::vector<uint8_t> past = Payload(250, 10, ten);
        HNM_SetIVPalette(past.data(), uint32_t(past.size()));
        for (int i = 250; i < 256; i++) palette[size_t(i)] = Colour(5, 6, 7, rgb555);
        ExpectPairs(palette);
        // Cut inside the third triplet: the two whole ones count; under 2 bytes nothing changes.
        const std::vector<uint8_t> cut = Payload(20, 3, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
        HNM_SetIVPalette(cut.data(), uint32_t(cut.size() - 1));
        palette[20] = Colour(1, 2, 3, rgb555), palette[21] = Colour(4, 5, 6, rgb555);
        HNM_SetIVPalette(cut.data(), 1);
        ExpectPairs(palette);
        HNM_FreeIVBuffers();
    }
}

TEST_F(FilmScreenTest, IvFilmNeedsItsArenaBytes)
{
    FilmWriter film("MIB2");
    film.BeginFrame().Palette({Ramp()}).Chunk("IV", IvRandomStream(3).payload).EndFrame();
    const std::vector<uint8_t> bytes = film.Bytes();
    // The streaming ring, the two frames and the pair table, each with its link: 1,372,172 bytes.
    for (uint32_t size : {1372171u, 1372172u}) {
        SCOPED_TRACE(size);
        TearDown();
        SetUp();
        StartCore(size);
        Display(640, 480, false);
        const std::string path = Film("film", bytes);
        const bool fits = size == 1372172u;
        EXPECT_EQ(HNM_Open(path.c_str()), fits ? 1 : 0);
        EXPECT_EQ(HNM_Kind, fits ? 2 : 0);
        EXPECT_EQ(HNM_PairTable != nullptr, fits);
        if (!fits) {
            EXPECT_EQ(test::OpenFileCount(), 0);
        }
    }
}

// Plays a film in every screen size: after each frame the screen is the reference blitter's picture of
// the frame decoded, through the palette's colours.
class IvScreens : public FilmScreenTest {
protected:
    void ExpectScreens(const std::string &path, const PaletteRun &palette, const std::vector<std::vector<uint8_t>> &decoded)
    {
        struct Size {
            int width, height, layout;
            bool rgb555;
        };
        for (Size s : {Size{640, 480, 5, false}, {640, 400, 1, false}, {320, 400, 2, false}, {320, 200, 4, false},
                       {400, 300, -1, false}, {640, 400, 1, true}}) {
            SCOPED_TRACE(testing::Message() << s.width << "x" << s.height << (s.rgb555 ? " 5-5-5" : ""));
            Display(s.width, s.height, s.rgb555);
            const std::vector<uint32_t> pairs = IvPairTable(palette, s.rgb555);
            std::fill(SCR_FrameBuffer, SCR_FrameBuffer + s.width * s.height, 0x1234);
            std::vector<uint16_t> expected(size_t(s.width * s.height), 0x1234);
            ASSERT_EQ(HNM_Open(path.c_str()), 1);
            EXPECT_EQ(HNM_Kind, 2);
            for (size_t k = 0; k < decoded.size(); k++) {
                SCOPED_TRACE(k);
                IvModelBlit(decoded[k].data(), expected, s.width, s.height, pairs.data(), s.layout);
                HNM_NextFrame();
                ASSERT_TRUE(Screen() == expected);
            }
            HNM_Close();
        }
    }
};

} // namespace

TEST_F(IvScreens, IvFilmsShowEachPictureInEveryScreenSize)
{
    // Two random pictures, one with no ops (it shows the picture of two frames before), then another.
    const std::vector<std::vector<uint8_t>> pictures = {IvRandomStream(31).payload, IvRandomStream(32).payload,
                                                        {0, 1}, IvRandomStream(33).payload};
    FilmWriter film("MIB2");
    std::vector<std::vector<uint8_t>> decoded;
    std::vector<uint8_t> current(static_cast<size_t>(kIvFrame)), work(static_cast<size_t>(kIvFrame));
    for (size_t k = 0; k < pictures.size(); k++) {
        film.BeginFrame();
        if (k == 0) film.Palette({Ramp()});
        film.Chunk("IV", pictures[k]).EndFrame();
        EXPECT_EQ(IvModelDecode(pictures[k], current.data(), work.data()), 1);
        std::swap(current, work);
        decoded.push_back(current);
    }
    StartCore();
    ExpectScreens(Film("film", film.Bytes()), Ramp(), decoded);
}

TEST_F(IvScreens, EncodedFilmShowsTheEncodersPictures)
{
    // The demo's film: 30 pictures from the encoder, every third in coverage mode.
    StartCore();
    ExpectScreens(Film("demo2", DemoIvFilmImage()), IvSyntheticPalette(), IvSyntheticFilm().decoded);
}
