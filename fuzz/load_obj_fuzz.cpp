// Fuzzes the 3D image loader: the input is a .3DC file (any kind). A loaded image is then walked,
// its collision boxes updated under the root camera and registered as box pairs that are swept and
// tested, then it is cloned, linked, scaled and deleted, with the free remainder of the area poisoned
// while it is read. Animation tracks that load pose a four-record object, alone and blended with a
// valid animation of their kind; record tables serve as morph frames. A hierarchy is also rendered
// once, into a small frame.
// A collision mesh also enters the collision space, where two bodies cross it and a segment query runs.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "engine3d/anim.h"
#include "engine3d/boxes.h"
#include "engine3d/coll.h"
#include "engine3d/colltest.h"
#include "engine3d/image.h"
#include "engine3d/render.h"
#include "engine3d/view.h"
#include "engine3d/maths.h"
#include "engine3d/matcache.h"
#include "engine3d/object.h"
#include "engine3d/pairs.h"
#include "engine3d/view.h"
#include "fuzz/area_poison.h"
#include "plat/test.h"
#include "tests/support/image_builder.h"
#include "tests/support/mem_file_source.h"

namespace {

constexpr size_t Area_Size = 2 << 20;
alignas(16) uint8_t Area[Area_Size];

// The four-record object and a valid animation of each kind, loaded before the input.
struct Fixtures {
    std::vector<uint8_t> object, tracks, splines;
};

const Fixtures &Fixture_Files()
{
    static const Fixtures f = [] {
        using namespace kalder_test;
        std::vector<ObjectSpec> objects(4);
        for (int i = 0; i < 4; i++) {
            objects[size_t(i)].name = "N" + std::to_string(i);
            objects[size_t(i)].parent = i - 1;
        }
        objects[3].vertices = {{1, 2, 3}, {4, 5, 6}};
        TrackSpec track{{{0, {0, 0, 0, 0x8000}}, {40, {0, 0x5A82, 0, 0x5A82}}}, {{5, {1, 2, 3}}, {30000, {-7, 8, 9}}}};
        track.rotation_splines = {{0.5f, 0.25f, {0, 0, 0, 0x8000}, {0, 0x4000, 0, 0x6EDA}}};
        track.position_splines = {{0.25f, 0.5f, {10, 0, 0}, {0, 10, 0}}, {0.1f, 0.9f, {0, 0, 10}, {5, 5, 5}}};
        return Fixtures{HierarchyImage(objects, {}).Finish().bytes, TrackImage(4, {track, track, track}).Finish().bytes,
                        TrackImage(6, {track, track}).Finish().bytes};
    }();
    return f;
}

// Every call of the animation on the loaded tracks h, against the valid table of the same kind.
void Animate(OBJ_Handle object, OBJ_Handle h, OBJ_Handle valid, bool spline)
{
    static const int32_t frames[] = {0, 1, 30000, 65535};
    static const int32_t blends[] = {0, 100, 256};
    static const int32_t flags[] = {0, 0x40, 0xC0};
    auto apply = spline ? Anim_Apply_Ext : Anim_Apply;
    for (int32_t fc : frames) {
        for (int32_t fd : frames) {
            for (int32_t b : blends) {
                for (int32_t f : flags) {
                    apply(object, h + fc, h + fd, b, f);
                    apply(object, h + fc, valid + fd, b, f);
                    apply(object, valid + fc, h + fd, b, f);
                }
            }
        }
    }
    // The other kind's call refuses the table.
    (spline ? Anim_Apply : Anim_Apply_Ext)(object, h, h, 128, 0);
    int32_t turn[9];
    Mat_Rotate(100, 200, 300, turn);
    Rotate_Track(h, turn);
    Anim_Apply(object, h + 7, h + 9, 50, 0);
}

void Touch(void *item) { static_cast<volatile uint8_t *>(item)[7]; }

void Walk(OBJ_Handle h)
{
    int32_t count = Get_Obj_Count(h);
    for (int32_t slot = 0; slot < count && slot < 4096; slot++) {
        OBJ_Handle r = h + slot;
        Get_Obj_Ptr(r);
        Get_Obj_Name(r);
        Get_Obj_Parent(r);
        Get_Obj_Child(r);
        Get_Obj_Sibling(r);
        int32_t v[3];
        int32_t n = Get_Vertex_Count(r);
        for (int32_t i = 0; i < n && i < 100000; i++) {
            Get_Vertex(r, i, v);
        }
        For_Each_Obj_Item(r, Touch);
        int32_t centre[3], axes[9];
        for (int32_t i = 0; i < Get_Box_Count(r) && i < 64; i++) {
            Get_Box_Axes(r, i, centre, axes);
            Pairs_Add_Box(r, i);
        }
    }
}

// The boxes of the image as the frame and the box pairs see them: whatever the file's floats hold.
void Boxes(OBJ_Handle h)
{
    if (Link_Obj(h, 0) != 0) {
        return;
    }
    Update_All_Boxes();
    Pairs_Sweep();
    OBJ_Handle ha, hb;
    int32_t ba, bb, pa[3], pb[3];
    for (int32_t k = 0; k < 1000 && Pairs_Next_Contact(&ha, &ba, pa, &hb, &bb, pb, k) == 0; k++) {
        Pairs_Test(ha, ba, hb, bb, pa, pb);
    }
    Unlink_Obj(h);
}

int32_t Clamp32(int64_t v) { return v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : int32_t(v); }

// The mesh's bounds from the space's endpoint lists; two bodies walk from one corner to the other,
// every contact goes through the exact tests, and one segment query runs along the diagonal.
void Collide(OBJ_Handle h)
{
    Coll_Init();
    Coll_Add_Mesh(h);
    const int32_t n2 = 2 * Coll_Tri_Count();
    int64_t lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
    if (n2 > 0) {
        for (int a = 0; a < 3; a++) {
            lo[a] = Coll_Axis_List(a)[0].value;
            hi[a] = Coll_Axis_List(a)[n2 - 1].value;
        }
    }
    OBJ_CollBody *bodies[2] = {Coll_Create_Body(7), Coll_Create_Body(15)};
    for (int step = -1; step <= 9; step++) {
        for (int i = 0; i < 2; i++) {
            OBJ_CollBody *b = bodies[i];
            const int64_t span = (hi[0] - lo[0]) + (hi[1] - lo[1]) + (hi[2] - lo[2]);
            Coll_Set_Body_Radius(b, Clamp32(span / (4 + 4 * i) + 1 + i));
            for (int a = 0; a < 3; a++) {
                b->centre[a] = Clamp32(lo[a] + (hi[a] - lo[a]) * step / 8 + i);
            }
            Coll_Sweep_Body(b);
            int32_t point[3], v[3][3], n[3];
            while (OBJ_CollTri *t = Coll_Next_Contact(b)) {
                Coll_Test_Sphere_Tri(b, t, point);
                Coll_Test_Point_Tri(b, t, point);
                Coll_Get_Hit(t, v[0], v[1], v[2], n);
            }
            while (OBJ_CollTri *t = Coll_Next_Contact2(b)) {
                Coll_Test_Sphere_Tri(b, t, point);
                Coll_Test_Point_Tri(b, t, point);
                Coll_Get_Hit(t, v[0], v[1], v[2], n);
            }
        }
    }
    const int32_t p1[3] = {Clamp32(lo[0] - 1), Clamp32(hi[1] + 1), Clamp32(lo[2] - 1)};
    const int32_t p2[3] = {Clamp32(hi[0] + 1), Clamp32(lo[1] - 1), Clamp32(hi[2] + 1)};
    int32_t out[3];
    while (OBJ_CollTri *t = Coll_Box_Of_Segment(p1, p2)) {
        Seg_Cross_Plane(p1, p2, t, out);
    }
    Coll_Remove_Mesh(h);
    Coll_Delete_Body(bodies[0]);
    Coll_Delete_Body(bodies[1]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::vector<uint8_t> material =
        kalder_test::MaterialImage([](int r, int i) { return uint16_t((r << 11) | i); }).Finish().bytes;
    test::SetExitHook(test::ThrowOnExit);
    static const int32_t pool = Pairs_Init(256);
    (void)pool;
    try {
        Init_3D(Area, Area_Size);
        Cache_Count = 0;
        kalder_test::MemFiles_Clear();
        kalder_test::MemFiles_Add("FUZZ.3DC", std::vector<uint8_t>(data, data + size));
        kalder_test::MemFiles_SetAnyMaterial(material);
        Set_File_Source(kalder_test::MemFileSource);
        std::snprintf(Material_Dir, sizeof Material_Dir, "%s", "D:\\DATA\\3DC\\");
        const Fixtures &f = Fixture_Files();
        kalder_test::MemFiles_Add("OBJECT.3DC", f.object);
        kalder_test::MemFiles_Add("TRACKS.3DA", f.tracks);
        kalder_test::MemFiles_Add("SPLINES.3DA", f.splines);
        const OBJ_Handle object = Load_Obj("OBJECT.3DC"), tracks = Load_Obj("TRACKS.3DA"), splines = Load_Obj("SPLINES.3DA");
        OBJ_Handle h = Load_Obj("FUZZ.3DC");
        if (h != -1) {
            KALDER_POISON(Area + Mem_libre, Area_Size - Mem_libre);
            const int32_t kind = Get_Obj_Kind(h);
            if (kind == 4 || kind == 6) {
                Animate(object, h, kind == 4 ? tracks : splines, kind == 6);
            } else if (kind == 2) {
                Morph_Obj(object + 3, h, h + 1, 100, 0);
                Morph_Obj(object + 3, h + 1, h, 255, 2);
                Morph_Obj_Towards(object + 3, h, 128, 0);
            } else if (kind == 1) {
                Anim_Apply(h, tracks, tracks + 9, 128, 0);
                Anim_Apply_Ext(h, splines + 3, splines + 2, 200, 0x40);
            }
            Walk(h);
            Boxes(h);
            if (Get_Obj_Kind(h) == OBJ_KIND_MESH) {
                Collide(h);
            }
            KALDER_UNPOISON(Area + Mem_libre, Area_Size - Mem_libre);
            if (Get_Obj_Kind(h) == OBJ_KIND_HIERARCHY && Link_Obj(h, 0) == 0) {
                // What the loader lets through is also drawn: one small frame through the scene pass
                // and the rasteriser.
                static std::vector<uint16_t> frame(64 * 48);
                Set_Screen_Size(64, 48);
                Set_Viewport_Fov(64, 48, 0, 0, 76.36f);
                Render_Frame(frame.data());
                Unlink_Obj(h);
            }
            OBJ_Handle copy = Clone_Obj(h);
            Link_Obj(copy, 0);
            Scale_Obj(copy, 1.5f, 1.5f, 1.5f);
            Delete_Obj(copy);
            Delete_Obj(h);
        }
    } catch (const test::ExitCalled &) {
        // "Heap overflow": the library's own stop ends this input.
    }
    KALDER_UNPOISON(Area, Area_Size);
    Set_File_Source(nullptr);
    test::Reset();
    return 0;
}
