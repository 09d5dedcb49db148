// The hi-colour decoder's run copies: lengths, windows, the eight orientations and the group order when
// a run reads its own output.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/films/iv_frames.h"
#include "tests/support/iv_writer.h"

namespace {

using iv_test::CheckCases;
using iv_test::FrameCase;
using iv_test::ReferencePixel;
using iv_test::StalePixel;
using kalder_test::IvWriter;

uint8_t Stale(int64_t at) { return StalePixel(at); }

// The pixel (column, row) of a block written at offset at, else the stale picture.
bool InBlock(int64_t at, int64_t start, int columns, int rows)
{
    const int64_t d = at - start, row = d >= 0 ? d / 640 : -1, column = d - row * 640;
    return d >= 0 && row < rows && column < columns;
}

TEST(IvRunCopies, LengthsAndWindowsFollowTheFormulas)
{
    for (int h = 2; h <= 4; h++) {
        for (int code = 0; code < 32; code++) {
            EXPECT_EQ(HNM_IVRunLengths[size_t(h - 2)][size_t(code)], kalder_test::RunLength(code, h)) << h << "/" << code;
        }
    }
    EXPECT_EQ(HNM_IVRunLengths[0][31], 56);
    EXPECT_EQ(HNM_IVRunLengths[1][31], 44);
    EXPECT_EQ(HNM_IVRunLengths[2][31], 38);
    // Each window's x and y ranges; its four corners are its entries 0, w - 1, 256 - w and 255.
    struct Corners {
        int x0, x1, y0, y1;
    };
    const Corners windows[16] = {{-8, 7, -8, 7},    {-2, 13, -8, 7},    {-14, 1, -8, 7},   {-8, 7, -2, 13},
                                 {-8, 7, -14, 1},   {-2, 13, -2, 13},   {-14, 1, -2, 13},  {-2, 13, -14, 1},
                                 {-14, 1, -14, 1},  {-16, 15, -8, -1},  {-8, 7, -16, -1},  {-24, -9, -16, -1},
                                 {8, 23, -16, -1},  {-4, 3, -32, -1},   {-12, -5, -32, -1}, {4, 11, -32, -1}};
    for (size_t k = 0; k < 16; k++) {
        const Corners c = windows[k];
        const size_t w = size_t(c.x1 - c.x0 + 1);
        EXPECT_EQ(w * size_t(c.y1 - c.y0 + 1), 256u) << k;
        EXPECT_EQ(HNM_IVWindowTable[k][0], c.y0 * 640 + c.x0) << k;
        EXPECT_EQ(HNM_IVWindowTable[k][w - 1], c.y0 * 640 + c.x1) << k;
        EXPECT_EQ(HNM_IVWindowTable[k][256 - w], c.y1 * 640 + c.x0) << k;
        EXPECT_EQ(HNM_IVWindowTable[k][255], c.y1 * 640 + c.x1) << k;
    }
}

TEST(IvRunCopies, RunsWriteTheirBlocks)
{
    std::vector<FrameCase> cases;
    // Untransposed runs from the reference at the same place: n columns of h rows.
    struct Length {
        int h, code, n;
    };
    for (Length l : {Length{2, 31, 56}, {3, 31, 44}, {4, 31, 38}, {2, 16, 18}, {3, 16, 17}, {4, 16, 17}, {2, 0, 1}}) {
        cases.push_back({"code " + std::to_string(l.code) + " in " + std::to_string(l.h) + " rows",
                         IvWriter().Mode(uint8_t(l.h)).Run(0, l.code, 32768).BandEnd(1).Bytes(), 1,
                         [l](int64_t at) { return InBlock(at, 0, l.n, l.h) ? ReferencePixel(at) : Stale(at); }});
    }
    cases.push_back({"0x00 from 3 rows down, 5 right", IvWriter().Mode(2).Run(0, 0, 32768 + 3 * 640 + 5).BandEnd(1).Bytes(), 1,
                     [](int64_t at) { return InBlock(at, 0, 1, 2) ? ReferencePixel(at + 3 * 640 + 5) : Stale(at); }});
    cases.push_back({"0x21 mirrored", IvWriter().Mode(2).Run(1, 1, 32768 + 5).BandEnd(1).Bytes(), 1,
                     [](int64_t at) { return InBlock(at, 0, 2, 2) ? ReferencePixel(at - at % 640 * 2 + 5) : Stale(at); }});
    cases.push_back({"0x80 transposed in 4 rows", IvWriter().Mode(4).Run(4, 0, 32768 + 3210).BandEnd(1).Bytes(), 1,
                     [](int64_t at) { return InBlock(at, 0, 1, 4) ? ReferencePixel(3210 + at / 640) : Stale(at); }});
    cases.push_back({"0x40 upside down", IvWriter().Mode(2).Run(2, 0, 32768 + 3200).BandEnd(1).Bytes(), 1,
                     [](int64_t at) { return InBlock(at, 0, 1, 2) ? ReferencePixel(3200 - at / 640 * 640) : Stale(at); }});
    // The eight families over a 4-row block of 3 columns, anchored in the middle of the reference.
    for (int family = 0; family < 8; family++) {
        const int64_t anchor = 40 * 640 + 300;
        cases.push_back({"family " + std::to_string(family),
                         IvWriter().Mode(4).Run(family, 2, int(32768 + anchor)).BandEnd(1).Bytes(), 1,
                         [family, anchor](int64_t at) -> uint8_t {
                             if (!InBlock(at, 0, 3, 4)) return Stale(at);
                             const int64_t c = at % 640, r = at / 640;
                             int64_t dx = (family & 4) ? r : c, dy = (family & 4) ? c : r;
                             if (family & 4) {
                                 dx = (family & 2) ? -dx : dx, dy = (family & 1) ? -dy : dy;
                             } else {
                                 dx = (family & 1) ? -dx : dx, dy = (family & 2) ? -dy : dy;
                             }
                             return ReferencePixel(anchor + dy * 640 + dx);
                         }});
    }
    // Mode 32, a plain run of 8 one pixel to the left: the second group sees the first group's output.
    cases.push_back({"mode 32 run of 8, u = 65535", IvWriter().Mode(32).CopySame(9).Run(0, 7, 65535).BandEnd(1).Bytes(), 1,
                     [](int64_t at) -> uint8_t {
                         const int64_t c = at % 640, base = at - c;
                         if (at >= 1280 || c >= 18) return Stale(at);
                         if (c < 10) return ReferencePixel(at);
                         const uint8_t old[] = {ReferencePixel(base + 9), Stale(base + 10), Stale(base + 11),
                                                Stale(base + 12), Stale(base + 12), Stale(base + 14),
                                                Stale(base + 15), Stale(base + 16)};
                         return old[c - 10];
                     }});
    // Mode 34 (window 10), 0x85 with index 200 (4 rows up): columns 4 and 5 read the run's own rows.
    {
        IvWriter w;
        w.Mode(2).BandEnd(2).BandEnd(2).BandEnd(2).BandEnd(34).CopySame(19).Run(4, 5, 200).BandEnd(1);
        const int64_t pos = 4 * 640 + 20;
        cases.push_back({"mode 34 0x85 reads back its output", w.Bytes(), 1, [pos](int64_t at) -> uint8_t {
                             const int64_t d = at - pos;
                             if (InBlock(at, 4 * 640, 20, 2)) return ReferencePixel(at);
                             if (!InBlock(at, pos, 6, 2)) return Stale(at);
                             const int64_t r = d / 640, c = d % 640;
                             if (c < 4) return Stale(pos - 2560 + c * 640 + r);
                             // Column 4 holds what the run wrote at row 0 of columns 0 and 1, column 5 row 1.
                             return Stale(pos - 2560 + r * 640 + (c - 4));
                         }});
    }
    // Window mode 5 (window 0): index 0 is 8 rows up and 8 left, index 255 7 down and 7 right.
    {
        IvWriter w;
        w.Mode(2);
        for (int i = 0; i < 10; i++) w.BandEnd(i == 9 ? 5 : 2);
        w.Run(0, 0, 0).Run(0, 0, 255).BandEnd(1);
        cases.push_back({"window 0 corners", w.Bytes(), 1, [](int64_t at) -> uint8_t {
                             const int64_t pos = 10 * 640;
                             if (InBlock(at, pos, 1, 2)) return ReferencePixel(at - 8 * 640 - 8);
                             if (InBlock(at, pos + 1, 1, 2)) return ReferencePixel(at + 7 * 640 + 7);
                             return Stale(at);
                         }});
    }
    CheckCases(cases);
}

} // namespace
