// The screen output of IX films: the five layouts with their bands, the frame pair, the colour tables
// and the arena.
#include "tests/films/film_screen.h"

#include <cstring>

#include "films/ix.h"
#include "tests/support/film_writer.h"
#include "tests/support/ix_encoder.h"

using namespace kalder_test;

namespace {

// An inter picture that leaves every tile as it was: the work frame becomes the current frame.
std::vector<uint8_t> unchanged_picture()
{
    IxPicture p;
    p.tiles.assign(80 * 38, IxNode::Unchanged());
    return IxWrite(p).payload;
}

// An intra picture of flat tiles of one grey level (luminance value d at quality 100).
std::vector<uint8_t> grey_picture(int32_t d)
{
    IxPicture p;
    p.intra = true;
    p.quality = 100;
    int32_t values[3][64] = {};
    values[0][0] = d;
    p.tiles.assign(80 * 38, IxNode::Coded(IxCodeValues(values)));
    return IxWrite(p).payload;
}

std::vector<uint8_t> film_of(const std::vector<std::vector<uint8_t>> &pictures)
{
    FilmWriter film("HNM6");
    for (const auto &p : pictures) {
        film.IXFrame({}, "", p);
    }
    film.ZeroFrame();
    return film.Bytes();
}

} // namespace

TEST_F(FilmScreenTest, LayoutsPutThePictureBetweenBlackBands)
{
    struct Layout {
        int width, height;
        int top;           // first picture row; rows above are the band
        int rows;          // picture rows; rows below are the band
        int first_row;     // frame row of the first picture row
        int row_step;
        int first_column;  // frame column of screen column 0
        int column_step;
    };
    const Layout layouts[] = {{640, 400, 48, 304, 0, 1, 0, 1},  {640, 480, 88, 304, 0, 1, 0, 1},
                              {320, 200, 25, 150, 0, 2, 0, 2},  {320, 400, 50, 300, 0, 1, 0, 2},
                              {400, 300, 37, 225, 56, 1, 120, 1}};
    StartCore();
    const std::vector<uint8_t> payload = unchanged_picture();
    for (bool rgb555 : {false, true}) {
        for (const Layout &l : layouts) {
            SCOPED_TRACE(std::to_string(l.width) + "x" + std::to_string(l.height) + (rgb555 ? " 5-5-5" : " 5-6-5"));
            Display(l.width, l.height, rgb555);
            MEM_ResetStack(MEM_Arena);
            ASSERT_TRUE(HNM_AllocIXBuffers());
            for (int i = 0; i < IX_PIXELS; i++) {
                HNM_CurrentFrame[i] = uint16_t(i * 7 + 3) | 1;   // never 0
            }
            std::fill(SCR_FrameBuffer, SCR_FrameBuffer + 640 * 480, 0xFFFF);
            const test::DisplayCounts before = test::Counts();
            HNM_ShowIXFrame(payload.data(), uint32_t(payload.size()));
            EXPECT_EQ(test::Counts().locks, before.locks + 1);
            EXPECT_EQ(test::Counts().unlocks, before.unlocks + 1);
            const std::vector<uint16_t> screen = Screen();
            for (int y = 0; y < l.height; y++) {
                for (int x = 0; x < l.width; x++) {
                    const uint16_t got = screen[size_t(y * l.width + x)];
                    uint16_t want = 0;
                    if (y >= l.top && y < l.top + l.rows) {
                        const int fy = l.first_row + (y - l.top) * l.row_step;
                        const int fx = l.first_column + x * l.column_step;
                        want = HNM_WorkFrame[fy * IX_PITCH + fx];
                    }
                    ASSERT_EQ(got, want) << "screen " << x << "," << y;
                }
            }
            // Past the screen's own rows the frame buffer is not touched.
            if (l.width * l.height < 640 * 480) {
                EXPECT_EQ(SCR_FrameBuffer[l.width * l.height], 0xFFFF);
            }
            HNM_FreeIXBuffers();
        }
    }
}

TEST_F(FilmScreenTest, OtherScreenSizesDrawNothing)
{
    StartCore();
    Display(640, 480, false);
    ASSERT_TRUE(HNM_AllocIXBuffers());
    std::vector<uint16_t> own(800 * 600, 0x1234);
    uint16_t *kept = SCR_FrameBuffer;
    SCR_FrameBuffer = own.data();
    SCR_Width = 800;
    SCR_Height = 600;
    const std::vector<uint8_t> payload = grey_picture(10);
    HNM_ShowIXFrame(payload.data(), uint32_t(payload.size()));
    EXPECT_EQ(std::count(own.begin(), own.end(), 0x1234), 800 * 600);
    // The picture was decoded all the same.
    EXPECT_EQ(HNM_WorkFrame[0], 17 << 11 | 34 << 5 | 17);  // y = 138
    SCR_FrameBuffer = kept;
}

TEST_F(FilmScreenTest, FramesAreClearedAndSwapped)
{
    StartCore();
    Display(640, 480, false);
    // What an earlier user left in the arena does not show through.
    void *earlier = MEM_StackAlloc(MEM_Arena, 0x172000 - 16);
    ASSERT_NE(earlier, nullptr);
    std::memset(earlier, 0xA5, 0x172000 - 16);
    MEM_ResetStack(MEM_Arena);
    ASSERT_TRUE(HNM_AllocIXBuffers());
    EXPECT_EQ(reinterpret_cast<uint8_t *>(HNM_WorkFrame) - reinterpret_cast<uint8_t *>(HNM_CurrentFrame), 0x5F000);
    for (const uint16_t *frame : {HNM_CurrentFrame, HNM_WorkFrame}) {
        EXPECT_EQ(std::count(frame, frame + IX_PIXELS, 0), IX_PIXELS);
    }
    uint16_t *current = HNM_CurrentFrame, *work = HNM_WorkFrame;
    HNM_SwapIXBuffers();
    EXPECT_EQ(HNM_CurrentFrame, work);
    EXPECT_EQ(HNM_WorkFrame, current);
    HNM_FreeIXBuffers();
    EXPECT_EQ(MEM_Arena->top, MEM_Arena->base);
}

TEST_F(FilmScreenTest, TablesFollowTheDisplaysPixelFormat)
{
    StartCore();
    const std::string first = Film("first", film_of({grey_picture(20)}));
    const std::string second = Film("second", film_of({grey_picture(20)}));
    // y = 148: index 37, 5-6-5 (18, 37, 18), 5-5-5 (18, 18, 18).
    const uint16_t grey565 = 18 << 11 | 37 << 5 | 18, grey555 = 18 << 10 | 18 << 5 | 18;
    Display(640, 480, false);
    HNM_IXTableState = 0;
    ASSERT_EQ(HNM_Open(first.c_str()), 1);
    EXPECT_EQ(HNM_IXTableState, 16);
    HNM_NextFrame();
    EXPECT_EQ(SCR_FrameBuffer[200 * 640 + 300], grey565);
    EXPECT_EQ(SCR_FrameBuffer[10 * 640 + 300], 0);
    HNM_Close();

    Display(640, 480, true);
    ASSERT_EQ(HNM_Open(second.c_str()), 1);
    EXPECT_EQ(HNM_IXTableState, 15);
    HNM_NextFrame();
    EXPECT_EQ(SCR_FrameBuffer[200 * 640 + 300], grey555);
    HNM_Close();
}

TEST_F(FilmScreenTest, ArenaOneByteShortRefusesTheFilm)
{
    // The streaming ring (0xB0000 and its link) and the frames (0xBE000 and theirs) need 1,499,144 bytes.
    const std::vector<uint8_t> bytes = film_of({grey_picture(0)});
    for (uint32_t size : {0x172000u - 16377u, 0x172000u - 16376u}) {
        SCOPED_TRACE(size);
        TearDown();
        SetUp();
        StartCore(size);
        Display(640, 480, false);
        const std::string path = Film("film", bytes);
        const bool fits = size == 0x172000u - 16376u;
        EXPECT_EQ(HNM_Open(path.c_str()), fits ? 1 : 0);
        EXPECT_EQ(HNM_Kind, fits ? 4 : 0);
        EXPECT_EQ(test::OpenFileCount(), 0);
        EXPECT_EQ(HNM_CurrentFrame != nullptr, fits);
    }
}
