// Height maps: expanding the runs, damaged files, loading through the file service, placing the camera
// and sampling world points back.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/mem.h"
#include "engine3d/hmap.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "engine3d/view.h"
#include "plat/test.h"
#include "tests/support/hmap_writer.h"
#include "tests/support/scenes.h"
#include "tests/support/temp_drives.h"

namespace kalder_test {
namespace {

// Expands a file into an exactly sized image; empty when the header is refused.
std::vector<uint8_t> Expand(const std::vector<uint8_t> &file)
{
    const uint32_t size = Hmap_Image_Size(file.data(), uint32_t(file.size()));
    if (size == 0) {
        return {};
    }
    std::vector<uint8_t> image(size, 0xCC);
    EXPECT_EQ(Hmap_Convert(image.data(), file.data(), uint32_t(file.size())), 1);
    return image;
}

std::vector<uint16_t> Samples(const std::vector<uint8_t> &image)
{
    std::vector<uint16_t> out((image.size() - HMAP_HEADER_BYTES) / 2);
    std::memcpy(out.data(), image.data() + HMAP_HEADER_BYTES, out.size() * 2);
    return out;
}

HmapWriter Grid(int32_t width, int32_t height, int32_t shift = 0)
{
    HmapWriter w;
    w.width = width;
    w.height = height;
    w.shift = shift;
    return w;
}

TEST(Hmap, ARampRunCountsUpInRowOrder)
{
    HmapWriter w = Grid(5, 3, 16);
    w.runs = {RampRun(15, 0, 65536)};
    const std::vector<uint8_t> file = w.Bytes();
    const std::vector<uint8_t> image = Expand(file);
    ASSERT_EQ(image.size(), 44u + 30u);
    EXPECT_EQ(std::vector<uint8_t>(image.begin(), image.begin() + 44), std::vector<uint8_t>(file.begin(), file.begin() + 44))
        << "the header is copied as it is";
    EXPECT_EQ(Samples(image), (std::vector<uint16_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}));
}

TEST(Hmap, RunsFillTheGridInFileOrderAndStopAtItsEnd)
{
    HmapWriter w = Grid(4, 2, 1);
    // A ramp of any tag but 1, shifted arithmetically and kept to 16 bits; the last run is longer than
    // what is left.
    w.runs = {LiteralRun({7, 0xFFFF, 9}), RampRun(2, -4, 2, 0x55), LiteralRun({1, 2, 3, 4, 5, 6})};
    EXPECT_EQ(Samples(Expand(w.Bytes())), (std::vector<uint16_t>{7, 0xFFFF, 9, 0xFFFE, 0xFFFF, 1, 2, 3}));
    // A ramp whose values wrap at 32 bits.
    w.runs = {RampRun(8, 0x7FFFFFFE, 1)};
    w.shift = 16;
    EXPECT_EQ(Samples(Expand(w.Bytes())),
              (std::vector<uint16_t>{0x7FFF, 0x7FFF, 0x8000, 0x8000, 0x8000, 0x8000, 0x8000, 0x8000}));
}

TEST(Hmap, DamagedFilesGiveNoImageOrAPartialGrid)
{
    HmapWriter good = Grid(4, 2);
    good.runs = {LiteralRun({1, 2, 3}), RampRun(5, 40, 1)};
    struct Case {
        const char *what;
        HmapWriter file;
        std::vector<uint16_t> samples; // empty: refused
    };
    std::vector<Case> cases;
    auto add = [&](const char *what, auto change, std::vector<uint16_t> samples) {
        HmapWriter w = good;
        change(w);
        cases.push_back({what, w, samples});
    };
    add("a header of 43 bytes", [](HmapWriter &w) { w.truncate_at = 43; }, {});
    add("width 0", [](HmapWriter &w) { w.width = 0; }, {});
    add("height -1", [](HmapWriter &w) { w.height = -1; }, {});
    add("width x height too large", [](HmapWriter &w) { w.width = w.height = 4097; }, {});
    add("width x height past 32 bits", [](HmapWriter &w) { w.width = w.height = 0x10000; }, {});
    add("only the header", [](HmapWriter &w) { w.truncate_at = 44; }, {0, 0, 0, 0, 0, 0, 0, 0});
    add("a run header cut short", [](HmapWriter &w) { w.truncate_at = 44 + 9 + 2; }, {1, 2, 3, 0, 0, 0, 0, 0});
    add("samples cut short", [](HmapWriter &w) { w.truncate_at = 44 + 3 + 3; }, {1, 0, 0, 0, 0, 0, 0, 0});
    add("a ramp's values cut short", [](HmapWriter &w) { w.truncate_at = 44 + 9 + 3 + 5; }, {1, 2, 3, 0, 0, 0, 0, 0});
    add("endless zero-count runs",
        [](HmapWriter &w) { w.runs = std::vector<HmapRun>(5000, RampRun(0, 1, 1)); }, {0, 0, 0, 0, 0, 0, 0, 0});
    add("a shift of 40 is a shift of 8", [](HmapWriter &w) { w.shift = 40; w.runs = {RampRun(8, 0x1000, 0x100)}; },
        {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<uint8_t> file = c.file.Bytes();
        const uint32_t size = Hmap_Image_Size(file.data(), uint32_t(file.size()));
        if (c.samples.empty()) {
            EXPECT_EQ(size, 0u);
            std::vector<uint8_t> image(64, 0xCC);
            EXPECT_EQ(Hmap_Convert(image.data(), file.data(), uint32_t(file.size())), 0);
            EXPECT_EQ(image, std::vector<uint8_t>(64, 0xCC)) << "a refused header writes nothing";
        } else {
            EXPECT_EQ(Samples(Expand(file)), c.samples);
        }
    }
    // 16,777,216 samples is the largest grid.
    HmapWriter big = Grid(4096, 4096);
    const std::vector<uint8_t> file = big.Bytes();
    EXPECT_EQ(Hmap_Image_Size(file.data(), uint32_t(file.size())), 44u + 2u * 4096u * 4096u);
}

TEST(Hmap, ThePositionAndTargetAreTruncatedTowardZero)
{
    HmapWriter w = Grid(1, 1);
    w.position[0] = 1.9f;
    w.position[1] = -1.9f;
    w.position[2] = 0.0f;
    w.target[0] = -0.5f;
    w.target[1] = 1000.99f;
    w.target[2] = -7.2f;
    const std::vector<uint8_t> image = Expand(w.Bytes());
    HMAP_SetCurrent(image.data());
    int32_t position[3], target[3];
    Hmap_Get_Position(position);
    Hmap_Get_Target(target);
    HMAP_SetCurrent(nullptr);
    EXPECT_EQ(std::vector<int32_t>(position, position + 3), (std::vector<int32_t>{1, -1, 0}));
    EXPECT_EQ(std::vector<int32_t>(target, target + 3), (std::vector<int32_t>{0, 1000, -7}));
}

TEST(HmapLoad, AMissingFileIsReportedAndGivesNull)
{
    TempDrives drives("C");
    const size_t before = test::Stdout().size();
    uint32_t length = 77;
    EXPECT_EQ(Hmap_Load_File("C:\\MAPS\\NONE.HMP", &length), nullptr);
    EXPECT_EQ(test::Stdout().substr(before), "Impossible d'ouvrir le fichier C:\\MAPS\\NONE.HMP \n");
    EXPECT_EQ(length, 77u);
}

TEST(HmapLoad, AFileInAnotherCaseLoadsWithItsLength)
{
    TempDrives drives("C");
    HmapWriter w = Grid(3, 2);
    w.runs = {RampRun(6, 5, 1)};
    const std::vector<uint8_t> bytes = w.Bytes();
    drives.Write('C', "Maps/Hall.hmp", bytes);
    uint32_t length = 0;
    uint8_t *file = Hmap_Load_File("C:\\MAPS\\HALL.HMP", &length);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(file, file + length), bytes);
    MEM_FreePtr(&file);
    // An empty file loads too, with length 0.
    drives.Write('C', "Maps/Empty.hmp", std::vector<uint8_t>{});
    file = Hmap_Load_File("c:\\maps\\empty.hmp", &length);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(Hmap_Image_Size(file, length), 0u);
    MEM_FreePtr(&file);
}

// The root camera placed by an image of 640 x 480 with the given lens, position and target.
std::vector<uint8_t> CameraImage(int32_t lens, std::array<float, 3> position, std::array<float, 3> target,
                                 int32_t shift = 10, double (*depth)(int32_t, int32_t) = nullptr)
{
    HmapWriter w;
    if (depth != nullptr) {
        w.FromDepth(640, 480, shift, depth);
    } else {
        w = Grid(640, 480, shift);
    }
    w.lens = lens;
    std::copy(position.begin(), position.end(), w.position);
    std::copy(target.begin(), target.end(), w.target);
    return Expand(w.Bytes());
}

TEST(HmapCamera, TheLensBecomesTheFocalLengthAndTheTargetLiesAhead)
{
    SceneArea area;
    Set_Viewport(640, 480, 0, 0, 640);
    const std::array<float, 3> position = {100.7f, -250.2f, 3000.0f};
    const std::array<float, 3> target = {-900.0f, 400.0f, 5200.0f};
    const std::vector<uint8_t> image = CameraImage(400, position, target);
    ASSERT_EQ(Hmap_Set_Camera(image.data()), 1);
    EXPECT_NEAR(OBJ_View.focal_x, 400.0f, 0.01f);
    EXPECT_EQ(OBJ_View.aspect, 1.0f);
    EXPECT_NEAR(OBJ_View.focal_y, 400.0f, 0.01f);
    EXPECT_EQ(OBJ_View.view_width, 640);
    EXPECT_EQ(OBJ_View.view_height, 480);
    int32_t m[9], pos[3];
    Get_Obj_Matrix(0, m);
    Get_Obj_Pos(0, pos);
    EXPECT_EQ(std::vector<int32_t>(pos, pos + 3), (std::vector<int32_t>{100, -250, 3000}));
    // The target in the camera's frame: the matrix turns camera space into the world, so its transpose
    // turns back.
    double local[3] = {0, 0, 0};
    const double d[3] = {double(int32_t(target[0]) - pos[0]), double(int32_t(target[1]) - pos[1]),
                         double(int32_t(target[2]) - pos[2])};
    for (int i = 0; i < 3; i++) {
        for (int j = 0; j < 3; j++) {
            local[i] += m[j * 3 + i] / 32768.0 * d[j];
        }
    }
    const double distance = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    EXPECT_NEAR(local[0] / distance * 1000, 0, 1);
    EXPECT_NEAR(local[1] / distance * 1000, 0, 1);
    EXPECT_GT(local[2], 0);
}

TEST(HmapCamera, ALensBelowOneChangesNothing)
{
    SceneArea area;
    const OBJ_ViewParams view = OBJ_View;
    int32_t m[9], pos[3], m_after[9], pos_after[3];
    Get_Obj_Matrix(0, m);
    Get_Obj_Pos(0, pos);
    for (int32_t lens : {0, -5}) {
        const std::vector<uint8_t> image = CameraImage(lens, {1, 2, 3}, {400, 500, 600});
        EXPECT_EQ(Hmap_Set_Camera(image.data()), 0);
    }
    Get_Obj_Matrix(0, m_after);
    Get_Obj_Pos(0, pos_after);
    EXPECT_EQ(std::memcmp(&view, &OBJ_View, sizeof view), 0);
    EXPECT_EQ(std::memcmp(m, m_after, sizeof m), 0);
    EXPECT_EQ(std::memcmp(pos, pos_after, sizeof pos), 0);
}

// A plane tilted away from the camera: z grows with the row.
double PlaneDepth(int32_t, int32_t y) { return 2000.0 + 6.0 * y; }

TEST(HmapSample, APlaneSamplesBackToItsWorldPoints)
{
    SceneArea area;
    Set_Viewport(640, 480, 0, 0, 640);
    // Camera at (500, 100, -300) looking down +z: world = camera + offset.
    const std::vector<uint8_t> image = CameraImage(500, {500, 100, -300}, {500, 100, 10000}, 10, PlaneDepth);
    ASSERT_EQ(Hmap_Set_Camera(image.data()), 1);
    HMAP_SetCurrent(image.data());
    for (int32_t y = 0; y < 480; y += 37) {
        for (int32_t x = 0; x < 640; x += 53) {
            int32_t p[3];
            ASSERT_EQ(Hmap_Sample(x, y, p), 1);
            const double z = PlaneDepth(x, y);
            EXPECT_NEAR(p[2] + 300, z, z * 0.01) << x << ", " << y;
            EXPECT_NEAR(p[0] - 500, (x - 320) * z / 500, z * 0.01) << x << ", " << y;
            EXPECT_NEAR(p[1] - 100, (y - 240) * z / 500, z * 0.01) << x << ", " << y;
        }
    }
    HMAP_SetCurrent(nullptr);
}

TEST(HmapSample, RefusalsWriteNothing)
{
    SceneArea area;
    HmapWriter w = Grid(4, 2, 20);
    w.runs = {LiteralRun({0, 1, 0x1000, 5, 7, 7, 7, 7})};
    const std::vector<uint8_t> image = Expand(w.Bytes());
    int32_t p[3] = {11, 22, 33};
    EXPECT_EQ(Hmap_Sample(1, 0, p), 0) << "no image";
    HMAP_SetCurrent(image.data());
    struct Case {
        int32_t x, y;
        const char *what;
    } cases[] = {{0, 0, "a sample of 0"},   {2, 0, "0x1000 << 20 does not fit 32 bits"},
                 {-1, 0, "left of the image"}, {4, 0, "right of it"},
                 {0, -1, "above it"},        {0, 2, "below it"}};
    for (const Case &c : cases) {
        EXPECT_EQ(Hmap_Sample(c.x, c.y, p), 0) << c.what;
        EXPECT_EQ(std::vector<int32_t>(p, p + 3), (std::vector<int32_t>{11, 22, 33})) << c.what;
    }
    EXPECT_EQ(Hmap_Sample(3, 0, p), 1) << "5 << 20 fits";
    EXPECT_EQ(p[2], 204) << "2^30 / (5 << 20), truncated";
    HMAP_SetCurrent(nullptr);
}

} // namespace
} // namespace kalder_test
