// The render entry and scene pass: walk order, pruning, hidden objects, counters, the geometry-only
// pass, the settings, rendering from another camera, and the heap stop of clipping.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/fconv.h"
#include "core/prof.h"
#include "engine3d/mapping.h"
#include "engine3d/object.h"
#include "engine3d/raster.h"
#include "engine3d/render.h"
#include "engine3d/setup.h"
#include "engine3d/view.h"
#include "plat/test.h"
#include "tests/support/scene_builder.h"
#include "tests/support/scenes.h"

using namespace kalder_test;

namespace {

std::vector<std::string> Log;
int Scans;

std::string Name(Addr record)
{
    const char *name = reinterpret_cast<const char *>(W_Ptr(record));
    return std::string(name, strnlen(name, 12));
}

void Record_Build(Addr record) { Log.push_back("+" + Name(record)); }
void Record_List_B(Addr record) { Log.push_back("-" + Name(record)); }
void Record_Scan(uint16_t *) { Scans++; }

// Installs recording routines in the settings and puts the defaults back afterwards.
struct RenderTest : ::testing::Test {
    void SetUp() override
    {
        Log.clear();
        Scans = 0;
        Render_Settings.build_obj = Record_Build;
        Render_Settings.list_b = Record_List_B;
        Render_Settings.scan_pass = Record_Scan;
    }
    void TearDown() override
    {
        Render_Settings.build_obj = Build_Prims;
        Render_Settings.list_b = Build_Prims_B;
        Render_Settings.scan_pass = Scan_Pass;
        Render_Settings.geom_only = 0;
        Render_Settings.callback = nullptr;
        test::SetExitHook(nullptr);
    }
};

void Set_Camera_Frame(Addr record, const int32_t *matrix, const int32_t *position)
{
    for (int i = 0; i < 9; i++) {
        W_Set32(record + offsetof(OBJ_Record, cam_matrix) + 4 * Addr(i), matrix[i]);
    }
    for (int i = 0; i < 3; i++) {
        W_Set32(record + offsetof(OBJ_Record, cam_position) + 4 * Addr(i), position[i]);
    }
}

struct Node {
    const char *name;
    int parent;
    uint32_t flags;
};

// A tree of empty objects 1000 units ahead, each drawn unless pruned: an object without vertices has
// a sphere of radius 0 at its position.
ImageBuilder Tree(const std::vector<Node> &nodes)
{
    std::vector<ObjectSpec> objects;
    for (const Node &n : nodes) {
        ObjectSpec o;
        o.name = n.name;
        o.parent = n.parent;
        o.flags = n.flags;
        objects.push_back(o);
    }
    objects[0].position = {0, 0, 1000};
    return HierarchyImage(objects, {});
}

TEST_F(RenderTest, TheWalkProcessesInPreOrderAndRunsListBInPostOrderWithTheRootLast)
{
    struct Case {
        const char *what;
        std::vector<Node> tree; // empty: nothing under the camera
        std::vector<std::string> log;
        int32_t visited;
    };
    const Case cases[] = {
        {"nested and siblings",
         {{"R", -1, 0}, {"A", 0, 0}, {"B", 1, 0}, {"C", 1, 0}, {"D", 3, 0}, {"E", 0, 0}},
         {"+R", "+A", "+B", "-B", "+C", "+D", "-D", "-C", "-A", "+E", "-E", "-R", "-Camera"},
         6},
        {"camera alone", {}, {"-Camera"}, 0},
        {"0x0001 prunes a first child and its subtree",
         {{"R", -1, 0}, {"A", 0, 0x0001}, {"B", 1, 0}, {"C", 0, 0}},
         {"+R", "-A", "+C", "-C", "-R", "-Camera"},
         2},
        {"0x0001 prunes a later sibling",
         {{"R", -1, 0}, {"A", 0, 0}, {"B", 0, 0x0001}, {"C", 2, 0}, {"D", 0, 0}},
         {"+R", "+A", "-A", "-B", "+D", "-D", "-R", "-Camera"},
         3},
        {"a hidden object's children are drawn",
         {{"R", -1, 0}, {"A", 0, 0x0004}, {"B", 1, 0}, {"C", 0, 0}},
         {"+R", "+B", "-B", "-A", "+C", "-C", "-R", "-Camera"},
         4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SceneArea area;
        if (!c.tree.empty()) {
            ASSERT_GE(area.Load("tree.3dc", Tree(c.tree)), 0);
        }
        Log.clear();
        Scans = 0;
        std::vector<uint16_t> frame(640 * 480);
        Render_Frame(frame.data());
        EXPECT_EQ(Log, c.log);
        EXPECT_EQ(Scans, 1);
        EXPECT_EQ(nb_objects1, c.visited);
        EXPECT_EQ(nb_objects2, c.visited);
    }
}

TEST_F(RenderTest, AHiddenObjectKeepsItsVerticesAndFlagsButGetsItsCameraFrame)
{
    SceneArea area;
    ObjectSpec root;
    root.name = "R";
    root.position = {0, 0, 1000};
    ObjectSpec hidden = MeshObject("H", 0, {0, 0, 500}, CubeMesh(100), 1, "FLAT");
    hidden.flags = 0x0004;
    ObjectSpec child;
    child.name = "C";
    child.parent = 1;
    const OBJ_Handle h = area.Load("hidden.3dc", HierarchyImage({root, hidden, child}, {{"FLAT", "", 1}}));
    ASSERT_GE(h, 0);
    const Addr record = SceneArea::Record(h + 1);
    const Addr vertices = W_GetAddr(record + offsetof(OBJ_Record, vertices));
    std::vector<uint8_t> before(W_Ptr(vertices), W_Ptr(vertices) + 8 * sizeof(OBJ_Vertex));
    std::vector<uint16_t> frame(640 * 480);
    Render_Frame(frame.data());
    EXPECT_EQ(std::vector<uint8_t>(W_Ptr(vertices), W_Ptr(vertices) + before.size()), before);
    EXPECT_EQ(uint32_t(W_Get32(record + offsetof(OBJ_Record, flags))), 0x0004u);
    EXPECT_EQ(W_Get32(record + offsetof(OBJ_Record, cam_position) + 8), 1500);
    EXPECT_EQ(Log, (std::vector<std::string>{"+R", "+C", "-C", "-H", "-R", "-Camera"}));
    EXPECT_EQ(nb_verts_xformed, 0);
}

TEST_F(RenderTest, CountersOfTheCubesAsTheCameraMoves)
{
    struct Case {
        const char *what;
        Vec3 position; // of the scene's root, seen from the camera
        int32_t objects[4], xformed, projected, normals, tested, front, drawn, clipped;
    };
    // The cubes stand 1500 ahead at x = -400 and 400, half-size 200; from the origin each shows its
    // front and its inner side: four faces over six vertices.
    const Case cases[] = {
        {"both ahead", {0, 0, 0}, {3, 3, 2, 0}, 16, 12, 24, 24, 8, 8, 0},
        // The textured cube moved to x -500..-100, z 100..500: its inner side crosses the near plane
        // (two faces clipped) and its front square lies wholly before it; the flat cube is far left.
        {"textured cube across the near plane", {-700, 0, -1200}, {3, 3, 1, 0}, 8, 2, 12, 12, 4, 2, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SceneArea area;
        const OBJ_Handle h = LoadScene(area, "cubes");
        ASSERT_GE(h, 0);
        ASSERT_EQ(Set_Obj_Pos(h, c.position.data()), 0);
        std::vector<uint16_t> frame(640 * 480);
        // Counters from an earlier frame must not leak into this one.
        nb_objects1 = nb_objects2 = nb_objects3 = nb_objects4 = 99;
        nb_verts_xformed = nb_verts_projected = nb_normals = 99;
        nb_faces_tested = nb_faces_front = nb_faces_drawn = nb_faces_clipped = 99;
        vertices_processed = faces_processed = 99;
        Render_Frame(frame.data());
        EXPECT_EQ(nb_objects1, c.objects[0]);
        EXPECT_EQ(nb_objects2, c.objects[1]);
        EXPECT_EQ(nb_objects3, c.objects[2]);
        EXPECT_EQ(nb_objects4, c.objects[3]);
        EXPECT_EQ(nb_verts_xformed, c.xformed);
        EXPECT_EQ(nb_verts_projected, c.projected);
        EXPECT_EQ(nb_normals, c.normals);
        EXPECT_EQ(nb_faces_tested, c.tested);
        EXPECT_EQ(nb_faces_front, c.front);
        EXPECT_EQ(nb_faces_drawn, c.drawn);
        EXPECT_EQ(nb_faces_clipped, c.clipped);
        EXPECT_EQ(vertices_processed, 0);
        EXPECT_EQ(faces_processed, 0);
    }
}

TEST_F(RenderTest, TheGeometryOnlyPassLeavesTheFrameAndRestoresTheRoutines)
{
    SceneArea area;
    ObjectSpec root;
    root.name = "R";
    ObjectSpec tri;
    tri.name = "T";
    tri.parent = 0;
    tri.position = {0, 0, 1000};
    tri.vertices = {{0, 0, 0}, {0, -200, 0}, {200, 0, 0}, {-200, 0, 0}};
    tri.vertex_flags = {0, 0x80, 0, 0};
    tri.faces = {{0, 2, 1}, {0, 1, 3}};
    const OBJ_Handle h = area.Load("tri.3dc", HierarchyImage({root, tri}, {}));
    ASSERT_GE(h, 0);
    std::vector<uint16_t> frame(640 * 480, 0x1234);
    const std::vector<uint16_t> before = frame;
    std::memset(&Geom_Output, 0xEE, sizeof Geom_Output);
    Render_Settings.geom_only = 1;
    Render_Frame(frame.data());
    EXPECT_EQ(frame, before);
    EXPECT_EQ(Scans, 0);
    EXPECT_TRUE(Log.empty()); // neither recording routine ran
    EXPECT_EQ(Render_Settings.build_obj, &Build_Prims);
    EXPECT_EQ(Render_Settings.list_b, &Build_Prims_B);
    ASSERT_EQ(vertices_processed, 6);
    ASSERT_EQ(faces_processed, 6);
    auto sx = [](float x) { return trunc_i32(x * OBJ_View.focal_x / 1000.0f + float(OBJ_View.centre_x)); };
    auto sy = [](float y) { return trunc_i32(y * OBJ_View.focal_y / 1000.0f + float(OBJ_View.centre_y)); };
    const int32_t points[6][2] = {{sx(0), sy(0)}, {sx(200), sy(0)}, {sx(0), sy(-200)},
                                  {sx(0), sy(0)}, {sx(0), sy(-200)}, {sx(-200), sy(0)}};
    const uint8_t marks[6] = {0, 0, 1, 0, 1, 0};
    for (int i = 0; i < 6; i++) {
        EXPECT_EQ(Geom_Output.points[i][0], points[i][0]) << i;
        EXPECT_EQ(Geom_Output.points[i][1], points[i][1]) << i;
        EXPECT_EQ(Geom_Output.marks[i], marks[i]) << i;
        EXPECT_EQ(Geom_Output.indices[i], i);
    }
    EXPECT_EQ(Geom_Output.faces[0], 0);
    EXPECT_EQ(Geom_Output.faces[3], 0);
    EXPECT_EQ(Geom_Output.marks[6], 0xEE);

    // Faces judged by their winding carry their mark.
    ASSERT_EQ(Hide_Obj_Faces(h + 1), 0);
    Render_Frame(frame.data());
    EXPECT_EQ(Geom_Output.faces[0], 1);
    EXPECT_EQ(Geom_Output.faces[3], 1);
}

TEST_F(RenderTest, TheGeometryOnlyPassStopsAtItsCapacity)
{
    SceneArea area;
    ObjectSpec root;
    root.name = "R";
    // 800 faces, all in view and facing the camera.
    Mesh grid = GridMesh(-600, 600, 1000, 3000, 400, 20, 20);
    const OBJ_Handle h = area.Load("grid.3dc", HierarchyImage({root, MeshObject("G", 0, {0, 0, 0}, grid, 1, "F")}, {}));
    ASSERT_GE(h, 0);
    std::memset(&Geom_Output, 0xEE, sizeof Geom_Output);
    Render_Settings.geom_only = 1;
    std::vector<uint16_t> frame(640 * 480);
    Render_Frame(frame.data());
    EXPECT_EQ(nb_faces_drawn, 800);
    EXPECT_EQ(faces_processed, 2046); // 682 faces
    EXPECT_EQ(vertices_processed, 2046);
    EXPECT_EQ(Geom_Output.indices[2045], 2045);
    EXPECT_EQ(Geom_Output.indices[2046], 0xEEEE);
    EXPECT_EQ(Geom_Output.indices[2047], 0xEEEE);
    EXPECT_EQ(Geom_Output.marks[2046], 0xEE);
}

TEST_F(RenderTest, Settings)
{
    const int32_t levels[][2] = {{-3, 0}, {0, 0}, {5, 5}, {8, 8}, {12, 8}, {INT32_MIN, 0}};
    for (const auto &l : levels) {
        Set_Detail_Level(l[0]);
        EXPECT_EQ(Render_Settings.detail_level, l[1]) << l[0];
    }
    Set_Clear_Colour(0xF800);
    EXPECT_EQ(Render_Settings.clear_colour, 0xF800F800u);
    Set_Clear_Colour(0);
    const std::pair<int32_t, Scan_Routine> modes[] = {{0, Scan_Pass}, {1, Scan_Pass_Line}, {7, Scan_Pass_Line},
                                                      {-1, Scan_Pass_Line}, {0, Scan_Pass}};
    for (const auto &m : modes) {
        Select_Rasteriser(m.first);
        EXPECT_EQ(Render_Settings.scan_pass, m.second) << m.first;
    }
    const uint16_t picture[4] = {};
    Set_Background_Picture(picture);
    EXPECT_EQ(Render_Settings.background_picture, picture);
    Set_Background_Picture(nullptr);
    EXPECT_EQ(Background_Type, 14);
    EXPECT_EQ(Debug_Level, 0);
}

float Timer1_Starts_At_Scan;
uint16_t Timer1_Running_At_Scan;

TEST_F(RenderTest, AFrameRunsTimerOneAroundItselfAndRestartsTimerZeroAtItsEnd)
{
    SceneArea area;
    Render_Settings.scan_pass = [](uint16_t *) {
        Timer1_Starts_At_Scan = PROF_Timers[1].starts;
        Timer1_Running_At_Scan = PROF_Timers[1].running;
    };
    std::vector<uint16_t> frame(640 * 480);
    test::Reset();
    for (int i = 0; i < 3; i++) {
        PROF_Timers[5].starts = 9.0f; // the reset at the end of a frame clears every timer
        Render_Frame(frame.data());
        EXPECT_EQ(Timer1_Starts_At_Scan, 1.0f);
        EXPECT_EQ(Timer1_Running_At_Scan, 1);
        EXPECT_EQ(PROF_Timers[1].running, 0);
        EXPECT_EQ(PROF_Timers[1].starts, 0.0f);
        EXPECT_EQ(PROF_Timers[0].running, 1);
        EXPECT_EQ(PROF_Timers[0].starts, 1.0f);
        EXPECT_EQ(PROF_Timers[5].starts, 0.0f);
    }
    EXPECT_EQ(test::Stderr(), ""); // no timer was started twice
}

int Callbacks;
std::vector<std::string> Log_At_Callback;
std::vector<int> Scans_At_Callback;

TEST_F(RenderTest, TheCallbackRunsOnceAfterTheScenePassAndBeforeTheScan)
{
    SceneArea area;
    ASSERT_GE(area.Load("tree.3dc", Tree({{"R", -1, 0}})), 0);
    Callbacks = 0;
    Scans_At_Callback.clear();
    Set_Render_Callback([] {
        Callbacks++;
        Log_At_Callback = Log;
        Scans_At_Callback.push_back(Scans);
    });
    std::vector<uint16_t> frame(640 * 480);
    Render_Frame(frame.data());
    EXPECT_EQ(Callbacks, 1);
    EXPECT_EQ(Log_At_Callback, (std::vector<std::string>{"+R", "-R", "-Camera"}));
    Render_Settings.geom_only = 1;
    Render_Frame(frame.data());
    EXPECT_EQ(Callbacks, 2);
    EXPECT_EQ(Scans_At_Callback, (std::vector<int>{0, 1})); // no scan in the geometry-only pass
    Set_Render_Callback(nullptr);
}

TEST_F(RenderTest, RenderingFromAnotherCameraWalksItsSubtreeAndABadHandleDoesNothing)
{
    SceneArea area;
    const OBJ_Handle h = area.Load("tree.3dc", Tree({{"R", -1, 0}, {"Eye", 0, 0}, {"T", 1, 0}, {"S", 0, 0}}));
    ASSERT_GE(h, 0);
    // The eye's own view: T, at its origin, is 1000 ahead of it.
    const int32_t identity[9] = {0x8000, 0, 0, 0, 0x8000, 0, 0, 0, 0x8000};
    const int32_t ahead[3] = {0, 0, 1000};
    Set_Camera_Frame(SceneArea::Record(h + 1), identity, ahead);
    std::vector<uint16_t> frame(640 * 480, 0x5555);
    Render_Frame_From(h + 1, frame.data());
    EXPECT_EQ(Log, (std::vector<std::string>{"+T", "-T", "-Eye"}));
    EXPECT_EQ(Scans, 1);
    EXPECT_EQ(nb_objects1, 1);

    const std::vector<uint16_t> before = frame;
    Log.clear();
    nb_objects1 = 77;
    nb_faces_tested = 78;
    const float starts = PROF_Timers[1].starts;
    const Addr heap = Heap_Ptr;
    for (OBJ_Handle bad : {OBJ_Handle(-1), OBJ_Handle(0x03FF0000), OBJ_Handle(h + 9), OBJ_Handle(0x7FFF0000)}) {
        Render_Frame_From(bad, frame.data());
        XForm_Tree(bad);
    }
    EXPECT_TRUE(Log.empty());
    EXPECT_EQ(Scans, 1);
    EXPECT_EQ(nb_objects1, 77);
    EXPECT_EQ(nb_faces_tested, 78);
    EXPECT_EQ(PROF_Timers[1].starts, starts);
    EXPECT_EQ(Heap_Ptr, heap);
    EXPECT_EQ(frame, before);
}

TEST_F(RenderTest, XFormTreeGivesTheSubtreeItsCameraFramesAndNothingElse)
{
    SceneArea area;
    const OBJ_Handle h = area.Load("tree.3dc", Tree({{"R", -1, 0}, {"A", 0, 0}, {"B", 1, 0}, {"P", 0, 0x0001}}));
    ASSERT_GE(h, 0);
    const int32_t step[3] = {10, -20, 30};
    for (int i = 1; i < 4; i++) {
        ASSERT_EQ(Set_Obj_Pos(h + i, step), 0);
    }
    // The root's own camera frame is taken as it stands: give it one.
    const int32_t identity[9] = {0x8000, 0, 0, 0, 0x8000, 0, 0, 0, 0x8000};
    const int32_t ahead[3] = {0, 0, 1000};
    Set_Camera_Frame(SceneArea::Record(h), identity, ahead);
    nb_objects1 = 5;
    XForm_Tree(h);
    EXPECT_EQ(W_Get32(SceneArea::Record(h + 1) + offsetof(OBJ_Record, cam_position) + 8), 1030);
    EXPECT_EQ(W_Get32(SceneArea::Record(h + 2) + offsetof(OBJ_Record, cam_position) + 8), 1060);
    EXPECT_EQ(W_Get32(SceneArea::Record(h + 2) + offsetof(OBJ_Record, cam_position) + 4), -40);
    EXPECT_EQ(W_Get32(SceneArea::Record(h + 3) + offsetof(OBJ_Record, cam_position) + 8), 0); // pruned
    EXPECT_TRUE(Log.empty());
    EXPECT_EQ(nb_objects1, 5);
}

TEST_F(RenderTest, ClippingBeyondTheFrameHeapStopsWithHeapOverflow)
{
    // Room for the scene and the frame's clipped geometry of a few faces, not of the whole floor.
    SceneArea probe;
    ASSERT_GE(LoadScene(probe, "floor"), 0);
    const uint32_t used = Mem_libre;
    std::vector<uint16_t> frame(640 * 480);
    Render_Frame(frame.data());
    ASSERT_GT(nb_faces_clipped, 4);
    const uint32_t needed = Heap_Ptr - Mem_libre;
    ASSERT_GT(needed, 0u);

    SceneArea area(used + needed - 1);
    ASSERT_GE(LoadScene(area, "floor"), 0);
    ASSERT_EQ(Mem_libre, used);
    test::Reset();
    test::SetExitHook(test::ThrowOnExit);
    int code = 0;
    try {
        Render_Frame(frame.data());
        ADD_FAILURE() << "no stop";
    } catch (const test::ExitCalled &e) {
        code = e.code;
    }
    EXPECT_EQ(code, -1);
    EXPECT_EQ(test::Stdout(), "Heap overflow\n");

    // One byte more and the frame fits.
    SceneArea enough(used + needed);
    ASSERT_GE(LoadScene(enough, "floor"), 0);
    Render_Frame(frame.data());
    EXPECT_EQ(Heap_Ptr, enough.size());
}

TEST_F(RenderTest, DumpBlocksPrintsTheChain)
{
    SceneArea area;
    ASSERT_GE(area.Load("tree.3dc", Tree({{"R", -1, 0}})), 0);
    test::Reset();
    Dump_Blocks();
    const Addr root = First_Block;
    const Addr second = W_GetAddr(root + offsetof(OBJ_BlockHeader, next));
    char expected[256];
    std::snprintf(expected, sizeof expected, " 0 \n 252 \n 1 \n 0d \n %xd \n \n %ld \n %ld \n 1 \n %xd \n 0d \n \n",
                  unsigned(second), long(W_Get32(second)), long(W_Get32(second + 4)), unsigned(root));
    EXPECT_EQ(test::Stdout(), expected);
}

} // namespace
