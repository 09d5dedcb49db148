// Keyframe animation: same-table interpolation, pose blends, spline tracks, ease curves, bad handles,
// the vertex morph, turned tracks and the posed arm's picture.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/prof.h"
#include "engine3d/anim.h"
#include "engine3d/image.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "engine3d/raster.h"
#include "engine3d/render.h"
#include "engine3d/view.h"
#include "tests/support/golden.h"
#include "tests/support/image_area.h"
#include "tests/support/scenes.h"

using namespace kalder_test;

namespace {

using Mat = std::array<int32_t, 9>;

OBJ_Handle Load(const std::string &file, const ImageBuilder &image)
{
    MemFiles_Add(file, image.Finish().bytes);
    return Load_Obj(file.c_str());
}

// A hierarchy of n records (a root and its children), each with its own position and an identity-free
// matrix, so that every change shows.
OBJ_Handle Object(int n, std::vector<Vec3> vertices = {})
{
    std::vector<ObjectSpec> objects(static_cast<size_t>(n));
    for (int i = 0; i < n; i++) {
        objects[size_t(i)].name = "R" + std::to_string(i);
        objects[size_t(i)].parent = i == 0 ? -1 : 0;
        objects[size_t(i)].position = {11 * (i + 1), -7 * (i + 1), 3 * (i + 1)};
    }
    objects[0].vertices = vertices;
    static int count = 0;
    OBJ_Handle h = Load("obj" + std::to_string(count++) + ".3dc", HierarchyImage(objects, {}));
    for (int i = 0; i < n; i++) {
        const int32_t m[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9 + i};
        Set_Obj_Matrix(h + i, m);
    }
    return h;
}

OBJ_Handle Tracks(int32_t kind, const std::vector<TrackSpec> &tracks)
{
    static int count = 0;
    return Load("anim" + std::to_string(count++) + ".3da", TrackImage(kind, tracks));
}

struct Pose {
    Mat m;
    Vec3 p;
    bool operator==(const Pose &o) const { return m == o.m && p == o.p; }
};

std::ostream &operator<<(std::ostream &os, const Pose &pose)
{
    os << "m";
    for (int32_t v : pose.m) {
        os << " " << v;
    }
    return os << " p " << pose.p[0] << " " << pose.p[1] << " " << pose.p[2];
}

Pose Pose_Of(OBJ_Handle record)
{
    Pose pose;
    Get_Obj_Matrix(record, pose.m.data());
    Get_Obj_Pos(record, pose.p.data());
    return pose;
}

void Set_Pose(OBJ_Handle record, const Pose &pose)
{
    Set_Obj_Matrix(record, pose.m.data());
    Set_Obj_Pos(record, pose.p.data());
}

Mat Matrix(const Quat &q)
{
    Mat m;
    Quat_To_Matrix(q.data(), m.data());
    return m;
}

// A turn about y (axis 1) or z (axis 2) by that many degrees.
Quat Turn(int axis, double degrees)
{
    const double half = degrees * M_PI / 360.0;
    Quat q{0, 0, 0, int32_t(std::lround(std::cos(half) * 32768.0))};
    q[size_t(axis)] = int32_t(std::lround(std::sin(half) * 32768.0));
    return q;
}

const Quat Identity{0, 0, 0, 0x8000};

// The whole block of a handle, to show that a refused call changed nothing.
std::vector<uint8_t> Bytes(OBJ_Handle h)
{
    Addr block = Get_Obj_Block(h);
    return std::vector<uint8_t>(W_Ptr(block), W_Ptr(block) + Get_Block_Size(block));
}

// Three rotation and position keys at 0, 10 and 20.
TrackSpec Three_Keys()
{
    return {{{0, Identity}, {10, Turn(1, 30)}, {20, Turn(1, 90)}}, {{0, {0, 0, 0}}, {10, {100, 200, 300}}, {20, {1000, 0, -1000}}}};
}

Pose Key_Pose(const TrackSpec &t, size_t k) { return {Matrix(t.rotations[k].second), t.positions[k].second}; }

class AnimTest : public ::testing::Test {
protected:
    void SetUp() override { PROF_Reset(); }
    ImageArea area{4000000};
};

} // namespace

TEST_F(AnimTest, SameTableInterpolatesInTimeAndHoldsKeys)
{
    const TrackSpec t = Three_Keys();
    const TrackSpec one{{{4, Turn(2, 45)}}, {{4, {9, 9, 9}}}};
    OBJ_Handle anim = Tracks(4, {t, one});
    OBJ_Handle obj = Object(2);
    const Pose start1 = Pose_Of(obj + 1);
    struct Case {
        const char *what;
        int32_t c, d, b;
        Pose expected;
    };
    const Case cases[] = {
        {"b = 0 is frame c", 10, 17, 0, Key_Pose(t, 1)},
        {"b = 256 is frame d", 3, 20, 256, Key_Pose(t, 2)},
        {"halfway in time lands on the key between", 0, 20, 128, Key_Pose(t, 1)},
        {"exactly on the first key", 0, 0, 0, Key_Pose(t, 0)},
        {"after the last key", 25, 65535, 77, Key_Pose(t, 2)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(Anim_Apply(obj, anim + c.c, anim + c.d, c.b, 0), 0);
        EXPECT_EQ(Pose_Of(obj), c.expected);
        EXPECT_EQ(Pose_Of(obj + 1), start1) << "a track with one key changes nothing";
    }
    // Halfway between frames 10 and 20 is frame 15 itself.
    ASSERT_EQ(Anim_Apply(obj, anim + 15, anim + 15, 0, 0), 0);
    const Pose at15 = Pose_Of(obj);
    EXPECT_NE(at15, Key_Pose(t, 1));
    EXPECT_NE(at15, Key_Pose(t, 2));
    ASSERT_EQ(Anim_Apply(obj, anim + 10, anim + 20, 128, 0), 0);
    EXPECT_EQ(Pose_Of(obj), at15);
}

TEST_F(AnimTest, FlagsLeaveTheirChannel)
{
    const TrackSpec t = Three_Keys();
    OBJ_Handle anim = Tracks(4, {t});
    OBJ_Handle other = Tracks(4, {t});
    for (bool blend : {false, true}) {
        SCOPED_TRACE(blend ? "pose blend" : "same table");
        OBJ_Handle obj = Object(1);
        const Pose start = Pose_Of(obj);
        const OBJ_Handle d = blend ? other + 10 : anim + 10;
        ASSERT_EQ(Anim_Apply(obj, anim + 10, d, 0, ANIM_KEEP_ROTATION), 0);
        EXPECT_EQ(Pose_Of(obj).m, start.m);
        EXPECT_EQ(Pose_Of(obj).p, t.positions[1].second);
        Set_Pose(obj, start);
        ASSERT_EQ(Anim_Apply(obj, anim + 10, d, 0, ANIM_KEEP_POSITION), 0);
        EXPECT_EQ(Pose_Of(obj).m, Matrix(t.rotations[1].second));
        EXPECT_EQ(Pose_Of(obj).p, start.p);
    }
}

TEST_F(AnimTest, LinearPositionsAreExact)
{
    struct Case {
        const char *what;
        Vec3 p0, p1;
        int32_t time1, t;
        Vec3 expected;
    };
    const Case cases[] = {
        {"a quarter of the way", {0, 0, 0}, {256, 512, -256}, 256, 64, {64, 128, -64}},
        {"rounds toward minus infinity", {0, 0, 5}, {-1, -1, 6}, 2, 1, {-1, -1, 5}},
        {"far beyond 32-bit products", {2000000000, -2000000000, 8000001}, {-2000000000, 2000000000, 9000001}, 256, 128,
         {0, 0, 8500001}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        OBJ_Handle anim = Tracks(4, {{{}, {{0, c.p0}, {c.time1, c.p1}}}});
        OBJ_Handle obj = Object(1);
        ASSERT_EQ(Anim_Apply(obj, anim + c.t, anim + c.t, 0, 0), 0);
        EXPECT_EQ(Pose_Of(obj).p, c.expected);
    }
}

TEST_F(AnimTest, QuarterTurnMatchesTheKeysAndADoubleSlerpBetween)
{
    const Quat quarter = Turn(1, 90);
    OBJ_Handle anim = Tracks(4, {{{{0, Identity}, {256, quarter}}, {}}});
    OBJ_Handle obj = Object(1);
    for (auto [frame, key] : {std::pair{0, Identity}, std::pair{256, quarter}}) {
        ASSERT_EQ(Anim_Apply(obj, anim + frame, anim + frame, 0, 0), 0);
        EXPECT_EQ(Pose_Of(obj).m, Matrix(key));
    }
    // The keys' slerp in double precision, and its matrix without truncation. Halfway, an eighth of a
    // turn, the posed matrix is within 2 of it. At any weight the quaternion rounded to whole units (half
    // a unit a component) and the matrix's truncated products (a unit) keep it within 2.5.
    const double theta = std::acos(quarter[3] / 32768.0);
    struct Case {
        int32_t b;
        double tolerance;
    };
    std::vector<Case> cases{{128, 2.0}};
    for (int32_t b = 8; b < 256; b += 8) {
        cases.push_back({b, 2.5});
    }
    for (const Case &c : cases) {
        SCOPED_TRACE(c.b);
        ASSERT_EQ(Anim_Apply(obj, anim + 0, anim + 256, c.b, 0), 0);
        const Mat m = Pose_Of(obj).m;
        const double u = c.b / 256.0;
        const double y = std::sin(u * theta) / std::sin(theta) * quarter[1];
        const double w = (std::sin((1 - u) * theta) * 32768.0 + std::sin(u * theta) * quarter[3]) / std::sin(theta);
        const double reference[9] = {32768.0 - y * y / 16384, 0, y * w / 16384, 0, 32768.0, 0, -y * w / 16384, 0,
                                     32768.0 - y * y / 16384};
        for (int i = 0; i < 9; i++) {
            EXPECT_NEAR(m[size_t(i)], reference[i], c.tolerance) << "element " << i;
        }
    }
}

TEST_F(AnimTest, PoseBlendsWeighEachTrackByIntegerFrames)
{
    // Position keys at 3 and 10: the frame weight is ((f - 3) << 8) / 7.
    const TrackSpec a{{{3, Turn(2, 10)}, {10, Turn(2, 50)}}, {{3, {0, 0, 0}}, {10, {700, -700, 70}}}};
    const TrackSpec b{{{0, Turn(2, -40)}, {30, Turn(2, 80)}}, {{0, {-50, 60, -70}}, {30, {90, 90, 90}}}};
    OBJ_Handle ta = Tracks(4, {a}), tb = Tracks(4, {b});
    OBJ_Handle obj = Object(1);
    struct Case {
        int32_t frame;
        Vec3 expected;
    };
    const Case cases[] = {
        {5, {199, -200, 19}},  // weight 73
        {9, {598, -599, 59}},  // weight 219
        {1, {0, 0, 0}},        // before the first key: key 0 holds
        {3, {0, 0, 0}},
        {12, {700, -700, 70}}, // after the last key
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.frame);
        ASSERT_EQ(Anim_Apply(obj, ta + c.frame, tb + 0, 0, 0), 0);
        EXPECT_EQ(Pose_Of(obj).p, c.expected);
    }
    // b = 0 shows pose c and b = 256 pose d, as the same-table call shows them.
    for (auto [fc, fd] : {std::pair{5, 12}, std::pair{8, 29}, std::pair{10, 0}}) {
        SCOPED_TRACE(fc);
        ASSERT_EQ(Anim_Apply(obj, ta + fc, ta + fc, 0, 0), 0);
        const Pose pose_c = Pose_Of(obj);
        ASSERT_EQ(Anim_Apply(obj, tb + fd, tb + fd, 0, 0), 0);
        const Pose pose_d = Pose_Of(obj);
        ASSERT_EQ(Anim_Apply(obj, ta + fc, tb + fd, 0, 0), 0);
        EXPECT_EQ(Pose_Of(obj), pose_c);
        ASSERT_EQ(Anim_Apply(obj, ta + fc, tb + fd, 256, 0), 0);
        EXPECT_EQ(Pose_Of(obj), pose_d);
        ASSERT_EQ(Anim_Apply(obj, ta + fc, tb + fd, 128, 0), 0);
        EXPECT_EQ(Pose_Of(obj).p[0], int32_t((int64_t(pose_c.p[0]) * 128 + int64_t(pose_d.p[0]) * 128) >> 8));
    }
}

TEST_F(AnimTest, TrackBWithOneKeyGivesItAndWithNoneLeavesTheChannel)
{
    const TrackSpec a = Three_Keys();
    const TrackSpec one{{{50, Turn(2, 60)}}, {{50, {8, 16, 24}}}};
    const TrackSpec none{{}, {}};
    OBJ_Handle ta = Tracks(4, {a}), t_one = Tracks(4, {one}), t_none = Tracks(4, {none});
    OBJ_Handle obj = Object(1);
    ASSERT_EQ(Anim_Apply(obj, ta + 10, t_one + 3, 256, 0), 0);
    EXPECT_EQ(Pose_Of(obj), (Pose{Matrix(one.rotations[0].second), one.positions[0].second}));
    ASSERT_EQ(Anim_Apply(obj, ta + 10, t_one + 3, 128, 0), 0);
    EXPECT_EQ(Pose_Of(obj).p, (Vec3{54, 108, 162}));

    const Pose start = Pose_Of(obj);
    ASSERT_EQ(Anim_Apply(obj, ta + 10, t_none + 3, 128, 0), 0);
    EXPECT_EQ(Pose_Of(obj), start);
}

TEST_F(AnimTest, FewerTracksThanRecordsPoseOnlyTheFirstRecords)
{
    const TrackSpec t = Three_Keys();
    OBJ_Handle two = Tracks(4, {t, t}), three = Tracks(4, {t, t, t});
    for (bool blend : {false, true}) {
        SCOPED_TRACE(blend ? "pose blend" : "same table");
        OBJ_Handle obj = Object(3);
        const Pose last = Pose_Of(obj + 2);
        ASSERT_EQ(Anim_Apply(obj, two + 10, (blend ? three : two) + 10, 0, 0), 0);
        EXPECT_EQ(Pose_Of(obj + 0), Key_Pose(t, 1));
        EXPECT_EQ(Pose_Of(obj + 1), Key_Pose(t, 1));
        EXPECT_EQ(Pose_Of(obj + 2), last);
    }
    // More tracks than records: the records are all posed and nothing past them is touched.
    OBJ_Handle obj = Object(2);
    const std::vector<uint8_t> anim_bytes = Bytes(three);
    ASSERT_EQ(Anim_Apply(obj, three + 20, three + 20, 0, 0), 0);
    EXPECT_EQ(Pose_Of(obj + 1), Key_Pose(t, 2));
    EXPECT_EQ(Bytes(three), anim_bytes);
}

TEST_F(AnimTest, ExtRoutesFlagsToSplineLinearAndStep)
{
    TrackSpec t{{{0, Identity}, {10, Turn(2, 40)}, {20, Turn(2, 100)}}, {{0, {0, 0, 0}}, {10, {300, 0, 0}}, {20, {0, 600, 0}}}};
    t.rotation_splines = {{0.3f, 0.2f, Turn(2, 10), Turn(2, -5)}, {0.4f, 0.4f, Turn(2, 60), Turn(2, 20)}, {}};
    t.position_splines = {{0.3f, 0.2f, {50, 0, 0}, {0, 0, 0}}, {0.2f, 0.4f, {0, 90, 0}, {90, 0, 0}}, {}};
    OBJ_Handle anim = Tracks(6, {t});
    OBJ_Handle obj = Object(1), ref = Object(1);
    const Addr record = W_Addr(Get_Obj_Ptr(ref)), track = W_Addr(Get_Obj_Ptr(anim));
    using Routine = void (*)(Addr, Addr, float, int32_t);
    const std::pair<int32_t, Routine> routes[] = {
        {0, Anim_Track_Spline}, {ANIM_STEP, Anim_Track_Spline}, {ANIM_LINEAR, Anim_Track_Apply_B},
        {ANIM_LINEAR | ANIM_STEP, Anim_Track_Step}};
    std::vector<Pose> seen;
    for (auto [flags, routine] : routes) {
        SCOPED_TRACE(flags);
        ASSERT_EQ(Anim_Apply_Ext(obj, anim + 4, anim + 13, 192, flags), 0);
        routine(record, track, 4 + 9 * 192 / 256.0f, flags);
        EXPECT_EQ(Pose_Of(obj), Pose_Of(ref));
        seen.push_back(Pose_Of(obj));
    }
    EXPECT_NE(seen[0], seen[2]);
    EXPECT_NE(seen[0], seen[3]);
    EXPECT_NE(seen[2], seen[3]);
}

TEST_F(AnimTest, LinearSplineKeysMatchTheKind4Routine)
{
    TrackSpec t = Three_Keys();
    t.rotation_splines = {{0.5f, 0.5f, Turn(2, 33), Turn(2, 44)}};
    t.position_splines = {{0.5f, 0.5f, {1, 2, 3}, {4, 5, 6}}};
    OBJ_Handle four = Tracks(4, {t}), six = Tracks(6, {t});
    OBJ_Handle a = Object(1), b = Object(1);
    for (int32_t frame : {0, 3, 10, 13, 19, 20, 40}) {
        SCOPED_TRACE(frame);
        ASSERT_EQ(Anim_Apply(a, four + 0, four + frame, 256, 0), 0);
        ASSERT_EQ(Anim_Apply_Ext(b, six + 0, six + frame, 256, ANIM_LINEAR), 0);
        EXPECT_EQ(Pose_Of(a), Pose_Of(b));
        ASSERT_EQ(Anim_Apply(a, four + frame, Tracks(4, {t}) + 20 - frame / 2, 100, 0), 0);
        ASSERT_EQ(Anim_Apply_Ext(b, six + frame, Tracks(6, {t}) + 20 - frame / 2, 100, 0), 0);
        EXPECT_EQ(Pose_Of(a), Pose_Of(b)) << "the pose blends of the two kinds";
    }
}

TEST_F(AnimTest, StepShowsTheKeyAtTheEndOfEachInterval)
{
    const TrackSpec t{{{4, Identity}, {10, Turn(2, 30)}, {20, Turn(2, 60)}}, {{4, {1, 1, 1}}, {10, {2, 2, 2}}, {20, {3, 3, 3}}}};
    OBJ_Handle anim = Tracks(6, {t});
    OBJ_Handle obj = Object(1);
    const std::pair<int32_t, size_t> cases[] = {{2, 0}, {5, 1}, {10, 1}, {11, 2}, {20, 2}, {99, 2}};
    for (auto [frame, key] : cases) {
        SCOPED_TRACE(frame);
        ASSERT_EQ(Anim_Apply_Ext(obj, anim + frame, anim + frame, 0, ANIM_LINEAR | ANIM_STEP), 0);
        EXPECT_EQ(Pose_Of(obj), Key_Pose(t, key));
    }
}

TEST(AnimEase, Curve)
{
    struct Case {
        float u, e1, e2, expected;
    };
    const Case cases[] = {
        {0.3f, 0.0f, 0.0f, 0.3f},              // no ease: u unchanged
        {0.1f, 0.0f, 0.5f, 0.0133333f},        // start zone a = e2: k = 2/3, (k / a) u^2
        {0.6f, 0.0f, 0.5f, 0.4666667f},        // the middle: k (2u - a)
        {0.1f, 0.5f, 0.0f, 0.1333333f},        // no start zone: straight on
        {0.9f, 0.5f, 0.0f, 0.9866667f},        // end zone b = e1: 1 - (k / b) v^2
        {0.5f, 0.25f, 0.25f, 0.5f},
        {0.25f, 1.0f, 1.0f, 0.125f},           // zones of 1 and 1, normalised to 0.5 each: k = 1
        {0.75f, 1.0f, 1.0f, 0.875f},
        {0.0f, 0.3f, 0.3f, 0.0f},
        {1.0f, 0.3f, 0.3f, 1.0f},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.u << " " << c.e1 << " " << c.e2);
        EXPECT_NEAR(Anim_Ease(c.u, c.e1, c.e2), c.expected, 2e-6f);
    }
}

TEST_F(AnimTest, HermitePositionAtHalfwayIsExact)
{
    // At u = 0.5 the value is (p0 + p1) / 2 + (T0 - T1) / 8, every f32 step exact.
    TrackSpec t{{}, {{0, {100, -100, 0}}, {10, {300, -300, 0}}}};
    t.position_splines = {{0, 0, {44, -44, 0}, {999, 999, 999}}, {0, 0, {999, 999, 999}, {-80, 80, 0}}};
    OBJ_Handle anim = Tracks(6, {t});
    OBJ_Handle obj = Object(1);
    ASSERT_EQ(Anim_Apply_Ext(obj, anim + 5, anim + 5, 0, 0), 0);
    EXPECT_EQ(Pose_Of(obj).p, (Vec3{215, -215, 0})) << "215.5 truncated toward zero";
}

TEST_F(AnimTest, SplineEaseComesFromKeyAOfTheStartAndKeyBOfTheEnd)
{
    // Tangents equal to the segment make the Hermite curve a straight line: the value is 3000 u.
    const Vec3 slope{3000, 0, 0};
    struct Case {
        float start_a, end_b;
        int32_t expected;
    };
    const Case cases[] = {
        {0.5f, 0.0f, 1000}, // an end zone of 0.5: u = 0.25 runs at 2/3 speed
        {0.0f, 0.5f, 250},  // a start zone of 0.5: (2/3 / 0.5) 0.25^2
    };
    for (const Case &c : cases) {
        TrackSpec t{{}, {{0, {0, 0, 0}}, {256, slope}}};
        t.position_splines = {{c.start_a, 0.9f, slope, slope}, {0.9f, c.end_b, slope, slope}};
        OBJ_Handle anim = Tracks(6, {t});
        OBJ_Handle obj = Object(1);
        ASSERT_EQ(Anim_Apply_Ext(obj, anim + 64, anim + 64, 0, 0), 0);
        EXPECT_NEAR(Pose_Of(obj).p[0], c.expected, 1);
    }
}

// The quadrangle then slerps a quaternion with itself, which gives it back whole.
TEST_F(AnimTest, ControlsEqualToTheirKeysGiveThePlainSlerp)
{
    TrackSpec t{{{0, Turn(2, -20)}, {10, Turn(2, 70)}, {30, Turn(2, 160)}}, {}};
    for (const auto &k : t.rotations) {
        t.rotation_splines.push_back({0, 0, k.second, k.second});
    }
    OBJ_Handle anim = Tracks(6, {t});
    OBJ_Handle a = Object(1), b = Object(1);
    for (int32_t frame : {1, 5, 9, 17, 29}) {
        SCOPED_TRACE(frame);
        ASSERT_EQ(Anim_Apply_Ext(a, anim + frame, anim + frame, 0, 0), 0);
        ASSERT_EQ(Anim_Apply_Ext(b, anim + frame, anim + frame, 0, ANIM_LINEAR), 0);
        EXPECT_EQ(Pose_Of(a).m, Pose_Of(b).m);
    }
}

// Keys at 0 and 80 degrees about z, both controls at 80: at a quarter of the segment the keys give 20,
// the controls 80, and the quadrangle meets them by 2w(1 - w/256) = 96/256: 42.5 degrees.
TEST_F(AnimTest, TheQuadrangleMeetsKeysAndControlsByItsOwnWeight)
{
    TrackSpec t{{{0, Identity}, {256, Turn(2, 80)}}, {}};
    t.rotation_splines = {{0, 0, Turn(2, 80), Turn(2, 80)}, {0, 0, Turn(2, 80), Turn(2, 80)}};
    OBJ_Handle anim = Tracks(6, {t});
    OBJ_Handle obj = Object(1);
    ASSERT_EQ(Anim_Apply_Ext(obj, anim + 64, anim + 64, 0, 0), 0);
    const Mat got = Pose_Of(obj).m, want = Matrix(Turn(2, 42.5));
    for (size_t i = 0; i < got.size(); i++) {
        EXPECT_NEAR(got[i], want[i], 0x8000 / 100) << i; // within about half a degree
    }
}

TEST_F(AnimTest, ATimeBeforeTheFirstKeyHoldsKeyZero)
{
    TrackSpec t{{{10, Turn(2, 30)}, {20, Turn(2, 80)}}, {{10, {5, 6, 7}}, {20, {500, 600, 700}}}};
    t.rotation_splines = {{0.2f, 0.2f, Turn(2, 35), Turn(2, 25)}, {0.2f, 0.2f, Turn(2, 85), Turn(2, 75)}};
    t.position_splines = {{0.2f, 0.2f, {9, 9, 9}, {9, 9, 9}}, {0.2f, 0.2f, {9, 9, 9}, {9, 9, 9}}};
    OBJ_Handle four = Tracks(4, {t}), six = Tracks(6, {t}), other = Tracks(4, {t});
    const Pose key0 = Key_Pose(t, 0);
    OBJ_Handle obj = Object(1);
    ASSERT_EQ(Anim_Apply(obj, four + 4, four + 4, 0, 0), 0);
    EXPECT_EQ(Pose_Of(obj), key0) << "kind 4";
    ASSERT_EQ(Anim_Apply(obj, four + 4, other + 4, 128, 0), 0);
    EXPECT_EQ(Pose_Of(obj), key0) << "kind 4, pose blend";
    for (int32_t flags : {0, ANIM_LINEAR, ANIM_LINEAR | ANIM_STEP}) {
        SCOPED_TRACE(flags);
        ASSERT_EQ(Anim_Apply_Ext(obj, six + 4, six + 4, 0, flags), 0);
        EXPECT_EQ(Pose_Of(obj), key0) << "kind 6";
    }
}

TEST_F(AnimTest, KeysOfOneTimeTakeTheLaterKey)
{
    // A time before two keys of one time, and a track whose keys all share one time.
    TrackSpec shared{{{5, Turn(2, 10)}, {5, Turn(2, 20)}, {9, Turn(2, 30)}}, {{5, {1, 1, 1}}, {5, {2, 2, 2}}, {9, {3, 3, 3}}}};
    const TrackSpec all{{{7, Turn(2, 10)}, {7, Turn(2, 20)}}, {{7, {1, 1, 1}}, {7, {2, 2, 2}}}};
    shared.rotation_splines.resize(3);
    const Pose later = Key_Pose(shared, 1);
    for (const TrackSpec &t : {shared, all}) {
        OBJ_Handle four = Tracks(4, {t}), six = Tracks(6, {t});
        OBJ_Handle obj = Object(1);
        ASSERT_EQ(Anim_Apply(obj, four + 2, four + 2, 0, 0), 0);
        EXPECT_EQ(Pose_Of(obj), later);
        ASSERT_EQ(Anim_Apply(obj, four + 2, Tracks(4, {t}) + 2, 0, 0), 0);
        EXPECT_EQ(Pose_Of(obj), later) << "pose blend";
        for (int32_t flags : {0, ANIM_LINEAR}) {
            ASSERT_EQ(Anim_Apply_Ext(obj, six + 2, six + 2, 0, flags), 0);
            EXPECT_EQ(Pose_Of(obj), later) << "kind 6, flags " << flags;
        }
    }
}

TEST_F(AnimTest, BadHandlesAndKindsChangeNothingAndStopTheTimer)
{
    const TrackSpec t = Three_Keys();
    OBJ_Handle four = Tracks(4, {t}), six = Tracks(6, {t});
    OBJ_Handle obj = Object(2);
    MemFiles_Add("frames.3dc", RecordImage({{1, 2, 3}}).Finish().bytes);
    OBJ_Handle records = Load_Obj("frames.3dc");
    ASSERT_GE(records, 0);
    struct Case {
        const char *what;
        bool ext;
        OBJ_Handle object, c, d;
    };
    const Case cases[] = {
        {"kind-6 tables in the linear call", false, obj, six + 1, six + 2},
        {"a kind-6 table beside a kind-4 one", false, obj, four + 1, six + 2},
        {"kind-4 tables in the spline call", true, obj, four + 1, four + 2},
        {"an object that is a track table", false, four, four + 1, four + 2},
        {"an object that is a record table", false, records, four + 1, four + 2},
        {"a record table as animation", false, obj, records + 1, four + 2},
        {"an object slot past its table", false, obj + 2, four + 1, four + 1},
        {"no object", false, -1, four + 1, four + 1},
        {"a free table", false, obj, four + (50 << 16), four + 1},
        {"a table past the handle tables", true, obj, six + 1, 0x7FFF0000},
        {"a negative table", true, obj, six, int32_t(0x80000005)},
        {"the root camera as animation", false, obj, 0, 0},
    };
    const std::vector<uint8_t> before = Bytes(obj);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.ext ? Anim_Apply_Ext(c.object, c.c, c.d, 128, 0) : Anim_Apply(c.object, c.c, c.d, 128, 0), -1);
        EXPECT_EQ(Bytes(obj), before);
        EXPECT_EQ(PROF_Timers[2].running, 0);
    }
    EXPECT_EQ(PROF_Timers[2].starts, float(std::size(cases)));
}

TEST_F(AnimTest, MorphMixesTwoFramesOfARecordTable)
{
    // Two vertices: a frame is 3 records of the table (position, vertex 0, vertex 1).
    OBJ_Handle obj = Object(1, {{1, 1, 1}, {2, 2, 2}});
    MemFiles_Add("morph.3dc", RecordImage({{0, 0, 0}, {100, 200, -300}, {-256, 512, 7},
                                           {256, -256, 1024}, {300, 0, -300}, {0, 256, 9}}).Finish().bytes);
    OBJ_Handle frames = Load_Obj("morph.3dc");
    ASSERT_GE(frames, 0);
    const OBJ_Handle a = frames + 0, b = frames + 3;
    auto state = [&] {
        std::vector<int32_t> s(9);
        Get_Obj_Pos(obj, s.data());
        Get_Vertex(obj, 0, s.data() + 3);
        Get_Vertex(obj, 1, s.data() + 6);
        return s;
    };
    const std::vector<int32_t> frame_a{0, 0, 0, 100, 200, -300, -256, 512, 7};
    const std::vector<int32_t> frame_b{256, -256, 1024, 300, 0, -300, 0, 256, 9};
    const std::vector<int32_t> mix{128, -128, 512, 200, 100, -300, -128, 384, 8};
    struct Case {
        int32_t w, flags;
        std::vector<int32_t> expected;
    };
    const Case cases[] = {{0, 0, frame_a}, {255, 0, frame_b}, {128, 0, mix}, {999, 0, frame_b}, {-3, 0, frame_a}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.w);
        ASSERT_EQ(Morph_Obj(obj, a, b, c.w, c.flags), 0);
        EXPECT_EQ(state(), c.expected);
        EXPECT_EQ(PROF_Timers[2].running, 0);
    }
    // 0x02 keeps the position.
    Morph_Obj(obj, a, a, 0, 0);
    ASSERT_EQ(Morph_Obj(obj, a, b, 255, ANIM_KEEP_POSITION), 0);
    std::vector<int32_t> kept = frame_b;
    std::copy(frame_a.begin(), frame_a.begin() + 3, kept.begin());
    EXPECT_EQ(state(), kept);

    // Towards one frame: 0 changes nothing, 128 goes halfway, 255 arrives.
    Morph_Obj(obj, a, a, 0, 0);
    ASSERT_EQ(Morph_Obj_Towards(obj, b, 0, 0), 0);
    EXPECT_EQ(state(), frame_a);
    ASSERT_EQ(Morph_Obj_Towards(obj, b, 128, 0), 0);
    EXPECT_EQ(state(), mix);
    ASSERT_EQ(Morph_Obj_Towards(obj, b, 255, 0), 0);
    EXPECT_EQ(state(), frame_b);
}

TEST_F(AnimTest, MorphRefusesShortFramesAndOtherKinds)
{
    OBJ_Handle obj = Object(1, {{1, 1, 1}, {2, 2, 2}});
    MemFiles_Add("morph.3dc", RecordImage({{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 3, 3}}).Finish().bytes);
    OBJ_Handle frames = Load_Obj("morph.3dc");
    OBJ_Handle anim = Tracks(4, {Three_Keys()});
    ASSERT_GE(frames, 0);
    const std::vector<uint8_t> before = Bytes(obj);
    struct Case {
        const char *what;
        OBJ_Handle object, a, b;
    };
    const Case cases[] = {
        {"frame b two vertices short", obj, frames, frames + 3},
        {"frame a one vertex short", obj, frames + 2, frames},
        {"a track table as frame", obj, frames, anim},
        {"a hierarchy as frame", obj, obj, frames},
        {"a record table as object", frames, frames, frames},
        {"a slot past the table", obj, frames + 4, frames},
        {"no object", -1, frames, frames},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Morph_Obj(c.object, c.a, c.b, 100, 0), -1);
        EXPECT_EQ(PROF_Timers[2].running, 0);
        if (c.a != frames) {
            EXPECT_EQ(Morph_Obj_Towards(c.object, c.a, 100, 0), -1);
        }
    }
    EXPECT_EQ(Morph_Obj_Towards(frames, frames, 100, 0), -1) << "a record table as object";
    EXPECT_EQ(Bytes(obj), before);
    EXPECT_EQ(Morph_Obj(obj, frames, frames + 1, 100, 0), 0) << "exactly the room of two vertices";
}

// The identity leaves every word of the track as it was, the key whose w is negative too: a key taken
// back from a matrix comes back with a positive w, which would send the slerp to its neighbours the long
// way round. A turn and then its transpose bring every key back within 2, one rounding each way.
TEST_F(AnimTest, RotateTrackTurnsKeysAndItsTransposeTurnsThemBack)
{
    TrackSpec t = Three_Keys();
    t.rotations[1].second = Turn(2, -70);
    t.rotations[2].second = Turn(1, 250);
    for (int32_t kind : {4, 6}) {
        SCOPED_TRACE(kind);
        OBJ_Handle obj = Object(2);
        OBJ_Handle anim = Tracks(kind, {Three_Keys(), t}), turned = Tracks(kind, {Three_Keys(), t});
        const std::vector<uint8_t> anim_bytes = Bytes(anim), turned_bytes = Bytes(turned);
        int32_t identity[9], turn[9], back[9];
        Mat_Identity(identity);
        ASSERT_EQ(Rotate_Track(anim + 1, identity), 0);
        EXPECT_EQ(Bytes(anim), anim_bytes);

        // A quarter turn about x: (x, y, z) -> (x, -z, y).
        Mat_Rotate(1024, 0, 0, turn);
        Mat_Transpose(turn, back);
        ASSERT_EQ(Rotate_Track(turned + 1, turn), 0);
        const Addr pos = W_GetAddr(W_Addr(Get_Obj_Ptr(turned + 1)) + 16) + (kind == 4 ? 16 : 48);
        EXPECT_EQ((Vec3{W_Get32(pos + 4), W_Get32(pos + 8), W_Get32(pos + 12)}), (Vec3{100, -300, 200}));
        if (kind == 4) {
            ASSERT_EQ(Anim_Apply(obj, turned + 10, turned + 10, 0, 0), 0);
        } else {
            ASSERT_EQ(Anim_Apply_Ext(obj, turned + 10, turned + 10, 0, 0), 0);
        }
        int32_t expected[9];
        Mat_Mul(Matrix(Turn(2, -70)).data(), turn, expected);
        for (int i = 0; i < 9; i++) {
            EXPECT_NEAR(Pose_Of(obj + 1).m[size_t(i)], expected[i], 2) << "the turned key, element " << i;
        }
        ASSERT_EQ(Rotate_Track(turned + 1, back), 0);
        const std::vector<uint8_t> now = Bytes(turned);
        for (size_t i = 20; i < now.size(); i += 4) {
            int32_t was, is;
            std::memcpy(&was, &turned_bytes[i], 4);
            std::memcpy(&is, &now[i], 4);
            EXPECT_NEAR(is, was, 2) << "word at " << i;
        }
        EXPECT_EQ(Rotate_Track(anim + 2, identity), -1) << "a slot past the table";
    }
    OBJ_Handle obj = Object(1);
    int32_t identity[9];
    Mat_Identity(identity);
    EXPECT_EQ(Rotate_Track(obj, identity), -1);
    EXPECT_EQ(Rotate_Track(-1, identity), -1);
}

// Three clones of the arm, placed side by side, at b = 0, 128 and 256 between keys 7 and 19 of the wave.
TEST(AnimGolden, ArmPoses)
{
    SceneArea area;
    OBJ_Handle arms[3];
    ASSERT_EQ(LoadArmPoses(area, arms), 0);
    OBJ_Handle wave = LoadArmAnimation("wave", 4);
    ASSERT_GE(wave, 0);
    const int32_t blends[3] = {0, 128, 256};
    for (int k = 0; k < 3; k++) {
        ASSERT_EQ(Anim_Apply(arms[k], wave + 7, wave + 19, blends[k], 0), 0);
    }
    std::vector<uint16_t> frame(size_t(OBJ_View.screen_width) * size_t(OBJ_View.screen_height));
    std::memset(Row_Repeat_Table, 0, sizeof Row_Repeat_Table);
    Render_Frame(frame.data());
    EXPECT_TRUE(MatchesGolden("render-arm-poses", frame.data(), OBJ_View.screen_width, OBJ_View.screen_height, false));
}
