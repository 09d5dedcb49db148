// A picture drawn by span lists alone: a wrapped perspective floor, an angled perspective wall, an
// affine panel with per-pixel shade and a 50% panel over them, compared with a golden frame.
#include <cmath>
#include <vector>

#include "tests/engine3d/span_fixture.h"
#include "tests/support/golden.h"

namespace kalder_test {
namespace {

constexpr int kWidth = 320, kHeight = 240;
constexpr double kFocal = 320, kCentreX = 160, kCentreY = 120;

struct Vec {
    double x, y, z;
};
double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// A textured plane in camera space: a point on it, its normal, and the directions of u and v in texels
// per unit.
struct Plane3 {
    Vec point, normal, u_axis, v_axis;
};

class SpanPictureTest : public SpanTest {
protected:
    // One edge record per plane and row: 1/z, u/z and v/z at column 0 and their steps per column.
    uint32_t PerspEdge(const Plane3 &p, int row, uint8_t shade)
    {
        const uint32_t e = Mem_Alloc(112);
        const double np = Dot(p.normal, p.point);
        const Vec r0{-kCentreX / kFocal, (row - kCentreY) / kFocal, 1};
        const Vec dr{1 / kFocal, 0, 0};
        const double w = Dot(p.normal, r0) / np, dw = Dot(p.normal, dr) / np;
        const double u = (Dot(p.u_axis, r0) - Dot(p.u_axis, p.point) * w) * 65536;
        const double du = (Dot(p.u_axis, dr) - Dot(p.u_axis, p.point) * dw) * 65536;
        const double v = (Dot(p.v_axis, r0) - Dot(p.v_axis, p.point) * w) * 65536;
        const double dv = (Dot(p.v_axis, dr) - Dot(p.v_axis, p.point) * dw) * 65536;
        uint8_t *s = W_Ptr(e);
        const float f[] = {float(w), float(dw), float(u), float(v), float(du), float(dv),
                           float(dw * 16), float(du * 16), float(dv * 16)};
        const uint32_t at[] = {SURF_DEPTH, SURF_DEPTH_X, SURF_U, SURF_V, SURF_U_X, SURF_V_X,
                               SURF_DEPTH_16, SURF_U_16, SURF_V_16};
        for (int i = 0; i < 9; i++) {
            std::memcpy(s + at[i], &f[i], 4);
        }
        P_Set32(s + SURF_TEXTURE, int32_t(texture));
        s[SURF_SHADE] = shade;
        return e;
    }

    uint32_t AffineEdge(int32_t u, int32_t v, int32_t du, int32_t dv, uint8_t shade, int32_t gouraud, int32_t dg)
    {
        const uint32_t e = Mem_Alloc(112);
        uint8_t *s = W_Ptr(e);
        const int32_t words[][2] = {{SURF_U, u}, {SURF_V, v}, {SURF_U_X, du}, {SURF_V_X, dv},
                                    {SURF_TEXTURE, int32_t(texture)}, {SURF_GOURAUD_SHADE, gouraud},
                                    {SURF_GOURAUD_SHADE_X, dg}};
        for (auto [offset, value] : words) {
            P_Set32(s + offset, value);
        }
        s[SURF_SHADE] = shade;
        return e;
    }
};

TEST_F(SpanPictureTest, PlanesDrawnBySpanLists)
{
    FillRampTable(texture_start);
    FillCheckerTexels(texture_start);
    Set_Clear_Colour(0x0008);
    const Plane3 floor{{0, 60, 0}, {0, -1, 0}, {0.866, 0, 0.5}, {-0.5, 0, 0.866}};
    const Plane3 wall{{-40, 0, 300}, {0.5, 0, -0.866}, {0.866, 0, 0.5}, {0, 1, 0}};
    std::vector<uint16_t> frame(size_t(kWidth) * kHeight);
    for (int y = 0; y < kHeight; y++) {
        Current_Scanline = y;
        std::vector<SPAN_Record> spans;
        spans.push_back({1, 0, -1, 0});
        // Later records are drawn first: the 50% panel is listed before what lies under it.
        if (y >= 70 && y < 200) {
            spans.push_back({300, 190, -3, AffineEdge(0x30000 * (y - 70), 0x80000, 0x10000, 0x18000, 0, 0, 0)});
        }
        if (y >= 150 && y < 230) {
            spans.push_back({130, 10, 22, AffineEdge(0, 0x20000 * (y - 150), 0x20000, 0, 0, -0x40000, 0x4800)});
        }
        if (y >= 20 && y < 160) {
            spans.push_back({180, 60, 3, PerspEdge(wall, y, 4)});
        }
        spans.push_back({kWidth, 0, y > kCentreY ? 9 : 14, y > kCentreY ? PerspEdge(floor, y, 0) : surface});
        std::copy(spans.begin(), spans.end(), Span_Buffer);
        Draw_Span_List(frame.data() + size_t(y) * kWidth, &Span_Buffer[spans.size() - 1]);
    }
    Span_Buffer[0] = {1, 0, -1, 0};
    EXPECT_TRUE(MatchesGolden("span_planes", frame.data(), kWidth, kHeight, false));
}

} // namespace
} // namespace kalder_test
