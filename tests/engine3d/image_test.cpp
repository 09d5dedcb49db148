// Loading 3D file images: relocation by kind, materials, damaged images, clones and deletion.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "engine3d/coll.h"
#include "engine3d/object.h"
#include "tests/support/image_area.h"

using namespace kalder_test;

namespace {

std::vector<uint8_t> Material_File() { return MaterialImage([](int r, int i) { return uint16_t(((r << 11) | i) & 0xFFFF); }).Finish().bytes; }

ImageFile Cube_File() { return HierarchyImage(CubeObjects(), CubeMaterials()).Finish(); }

struct State {
    Addr mem_libre, last_block;
    int32_t cache_count;
    std::vector<int32_t> tables;
    std::vector<uint8_t> cache;
};

State Capture()
{
    State s{Mem_libre, Last_Block, Cache_Count, {}, {}};
    for (int32_t i = 0; i < Max_Handle_Tables; i++) {
        s.tables.push_back(W_Get32(Addr(i) * 4));
    }
    s.cache.assign(W_Ptr(Name_Cache), W_Ptr(Name_Cache) + Name_Cache_Entries * 60);
    return s;
}

void Expect_Unchanged(const State &before, const char *what)
{
    State after = Capture();
    EXPECT_EQ(after.mem_libre, before.mem_libre) << what;
    EXPECT_EQ(after.last_block, before.last_block) << what;
    EXPECT_EQ(W_GetAddr(after.last_block + 16), 0u) << what;
    EXPECT_EQ(after.cache_count, before.cache_count) << what;
    EXPECT_TRUE(after.tables == before.tables) << what;
    EXPECT_TRUE(after.cache == before.cache) << what;
}

Addr Rec(OBJ_Handle h) { return W_Addr(Get_Obj_Ptr(h)); }

} // namespace

TEST(ImageTest, AHierarchyRelocatesEveryFieldAndBindsItsMaterials)
{
    ImageArea area;
    const ImageFile f = Cube_File();
    MemFiles_Add("cube.3dc", f.bytes);
    MemFiles_Add("cube.3dm", Material_File());
    const Addr start = Mem_libre;
    OBJ_Handle h = Load_Obj("data\\3dc\\CUBE.3DC");
    ASSERT_EQ(h, 1 << 16);
    const Addr image = Get_Obj_Block(h);
    EXPECT_EQ(image, start);
    auto at = [&](const char *s) { return image + f.at(s); };

    EXPECT_EQ(W_GetAddr(image + 24), at("rec0"));
    EXPECT_EQ(W_GetAddr(image + 28), at("rec1"));
    EXPECT_EQ(W_GetAddr(at("rec0") + 16), 0u);
    EXPECT_EQ(W_GetAddr(at("rec0") + 20), at("rec1"));
    EXPECT_EQ(W_GetAddr(at("rec1") + 16), at("rec0"));
    EXPECT_EQ(W_GetAddr(at("rec1") + 24), 0u);
    // The flap shares the cube's vertices and their normals.
    for (const char *r : {"rec0", "rec1"}) {
        EXPECT_EQ(W_GetAddr(at(r) + 128), at("verts0")) << r;
        EXPECT_EQ(W_GetAddr(at(r) + 144), at("vnorms0")) << r;
    }
    EXPECT_EQ(W_GetAddr(at("rec0") + 136), at("items0"));
    EXPECT_EQ(W_GetAddr(at("rec0") + 152), at("fnorms0"));
    EXPECT_EQ(W_GetAddr(at("rec0") + 160), at("boxes0"));
    EXPECT_EQ(W_GetAddr(at("rec1") + 136), 0u); // a flat mesh has no items
    for (int i = 0; i < 2; i++) {
        const std::string n = std::to_string(i);
        const Addr node = at(("nodeA" + n).c_str()), edge_node = at(("nodeB" + n).c_str());
        const uint32_t face = i == 0 ? 68 : 56, edge = i == 0 ? 88 : 60;
        EXPECT_EQ(W_GetAddr(at(("rec" + n).c_str()) + 164), node);
        EXPECT_EQ(W_GetAddr(at(("rec" + n).c_str()) + 168), edge_node);
        EXPECT_EQ(W_GetAddr(node), 0u);
        EXPECT_EQ(W_GetAddr(node + 32), at(("faces" + n).c_str()));
        EXPECT_EQ(W_GetAddr(node + 48), edge_node);
        EXPECT_EQ(W_Get32(edge_node + 16), 0);
        EXPECT_EQ(W_GetAddr(edge_node + 12), at(("edges" + n).c_str()));
        // Faces chain in order; each corner names a vertex, its normal and a shared edge.
        const int32_t faces = W_Get32(node + 28);
        const Addr first = W_GetAddr(node + 32);
        const std::vector<Vec3> corners = i == 0 ? CubeFaces() : std::vector<Vec3>{{2, 7, 3}, {2, 6, 7}};
        for (int32_t k = 0; k < faces; k++) {
            const Addr fa = first + Addr(k) * face;
            EXPECT_EQ(W_GetAddr(fa + 4), k + 1 < faces ? fa + face : 0u);
            for (int c = 0; c < 3; c++) {
                EXPECT_EQ(W_GetAddr(fa + 8 + 12 * Addr(c)), at("verts0") + 40 * Addr(corners[size_t(k)][size_t(c)]));
                EXPECT_EQ(W_GetAddr(fa + 12 + 12 * Addr(c)), at("vnorms0") + 16 * Addr(corners[size_t(k)][size_t(c)]));
                const Addr e = W_GetAddr(fa + 16 + 12 * Addr(c));
                EXPECT_EQ((e - at(("edges" + n).c_str())) % edge, 0u);
                // The edge joins this corner and the next.
                const Addr a = W_GetAddr(e + 28), b = W_GetAddr(e + 32);
                const Addr v0 = at("verts0") + 40 * Addr(corners[size_t(k)][size_t(c)]);
                const Addr v1 = at("verts0") + 40 * Addr(corners[size_t(k)][size_t((c + 1) % 3)]);
                EXPECT_TRUE((a == v0 && b == v1) || (a == v1 && b == v0));
            }
            EXPECT_EQ(W_GetAddr(fa + 44), at(("fnorms" + n).c_str()) + 16 * Addr(k));
            if (i == 0) {
                EXPECT_EQ(W_GetAddr(fa + 52), at("items0") + 24 * Addr(k));
                EXPECT_EQ(W_GetAddr(fa + 60), at("items0") + 24 * Addr(k) + 16);
            }
        }
    }
    // A cube of 12 faces has 18 distinct edges, each shared by the faces on both sides.
    EXPECT_EQ(W_Get32(at("nodeB0") + 8), 18);
    EXPECT_EQ(W_Get32(at("nodeA1") + 8), 0xF800); // flat: the colour word
    const Addr data_word = W_GetAddr(at("nodeA0") + 8);
    const OBJ_Handle material = W_Get32(data_word - 4);
    EXPECT_EQ(W_GetAddr(data_word), Get_Obj_Block(material) + 0x8014);
    EXPECT_EQ(W_Get32(Get_Obj_Block(material) + 8), 3);
    ASSERT_EQ(MemFiles_Requests().size(), 2u);
    EXPECT_EQ(MemFiles_Requests()[1].name, "D:\\DATA\\3DC\\CUBE.3DM");
    EXPECT_EQ(Mem_libre, start + Addr(f.bytes.size() + Material_File().size()));
    EXPECT_EQ(Get_Cache_Count(), 2);
}

TEST(ImageTest, OddLengthsLeaveTheNextImageUnalignedAndItStillReadsRight)
{
    ImageArea area;
    ImageBuilder odd = RecordImage({{1, 2, 3}});
    odd.Section("pad", 3);
    MemFiles_Add("odd.3dc", odd.Finish().bytes);
    MemFiles_Add("cube.3dc", Cube_File().bytes);
    MemFiles_Add("cube.3dm", Material_File());
    ASSERT_NE(Load_Obj("odd.3dc"), -1);
    ASSERT_NE(Mem_libre % 4, 0u);
    OBJ_Handle h = Load_Obj("cube.3dc");
    ASSERT_NE(h, -1);
    EXPECT_STREQ(Get_Obj_Name(h), "Cube");
    EXPECT_EQ(Get_Obj_Child(h), h + 1);
    int32_t v[3];
    ASSERT_EQ(Get_Vertex(h, 7, v), 0);
    EXPECT_EQ(v[0], 256);
    EXPECT_EQ(v[2], 256);
}

namespace {

struct DamageRow {
    const char *what;
    std::function<void()> files; // adds the files; the load is of "x.3dc"
    const char *name = "x.3dc";
};

void Add_X(const ImageBuilder &b) { MemFiles_Add("x.3dc", b.Finish().bytes); }

ImageBuilder Cube() { return HierarchyImage(CubeObjects(), CubeMaterials()); }

// Three children under one root, for the hierarchy damage.
ImageBuilder Family()
{
    std::vector<ObjectSpec> o(4);
    o[0].name = "Root";
    for (int i = 1; i < 4; i++) {
        o[size_t(i)].name = "C" + std::to_string(i);
        o[size_t(i)].parent = 0;
    }
    return HierarchyImage(o, {});
}

const Convention R = Convention::Record0;

} // namespace

TEST(ImageTest, DamagedImagesAreRefusedAndLeaveNothingBehind)
{
    const std::vector<DamageRow> rows = {
        {"source -1", [] {}},
        {"empty name", [] {}, ""},
        // The room is what the area holds past Mem_libre, less the 20 bytes of a block header.
        {"file of exactly the room", [] { MemFiles_Add("x.3dc", std::vector<uint8_t>(Work_Size - Mem_libre - 20, 0)); }},
        {"file larger than the room", [] { MemFiles_Add("x.3dc", std::vector<uint8_t>(3000000, 0)); }},
        {"27 bytes", [] { MemFiles_Add("x.3dc", std::vector<uint8_t>(27, 0)); }},
        {"material of 98,323 bytes", [] {
             ImageBuilder b = MaterialImage([](int, int) { return uint16_t(0); });
             b.TruncateAt(8 + 98323);
             Add_X(b);
         }},
        {"material of 98,323 bytes named by a hierarchy", [] {
             Add_X(Cube());
             ImageBuilder b = MaterialImage([](int, int) { return uint16_t(0); });
             b.TruncateAt(8 + 98323);
             MemFiles_Add("cube.3dm", b.Finish().bytes);
         }},
        {"negative record count", [] { ImageBuilder b = Cube(); b.Damage32("table", 0, -1); Add_X(b); }},
        {"huge record count", [] { ImageBuilder b = Cube(); b.Damage32("table", 0, 0x7FFFFFFF); Add_X(b); }},
        {"record offset past the image", [] { ImageBuilder b = Cube(); b.Damage32("table", 4, 0x100000); Add_X(b); }},
        {"record offset into the header", [] { ImageBuilder b = Cube(); b.Damage32("table", 8, -16); Add_X(b); }},
        {"truncated", [] { ImageBuilder b = Cube(); b.TruncateAt(Cube().Finish().bytes.size() - 1); Add_X(b); }},
        {"a link to a non-record", [] { ImageBuilder b = Cube(); b.DamageLink("rec0", 20, "verts0", 0, R); Add_X(b); }},
        {"a root with a parent", [] { ImageBuilder b = Cube(); b.DamageLink("rec0", 16, "rec1", 0, R); Add_X(b); }},
        {"a sibling cycle", [] { ImageBuilder b = Family(); b.DamageLink("rec3", 24, "rec1", 0, R); Add_X(b); }},
        {"a parent cycle", [] {
             ImageBuilder b = Family();
             b.DamageLink("rec2", 16, "rec3", 0, R);
             b.DamageLink("rec3", 16, "rec2", 0, R);
             b.Damage32("rec2", 24, 0);
             Add_X(b);
         }},
        {"an unreachable record", [] { ImageBuilder b = Family(); b.Damage32("rec2", 24, 0); Add_X(b); }},
        {"a list-A node of unknown type", [] { ImageBuilder b = Cube(); b.Damage32("nodeA1", 4, 5); Add_X(b); }},
        {"a list-B node of unknown type", [] { ImageBuilder b = Cube(); b.Damage32("nodeB1", 4, 0); Add_X(b); }},
        {"a face count past the image", [] { ImageBuilder b = Cube(); b.Damage32("nodeA0", 28, 100000); Add_X(b); }},
        {"an edge count past the image", [] { ImageBuilder b = Cube(); b.Damage32("nodeB0", 8, 100000); Add_X(b); }},
        {"a face vertex naming a normal", [] { ImageBuilder b = Cube(); b.DamageLink("faces0", 8, "fnorms0", 0, R); Add_X(b); }},
        {"a face edge of another type's size", [] { ImageBuilder b = Cube(); b.DamageLink("faces0", 16, "edges1", 0, R); Add_X(b); }},
        {"a face vertex between two vertices", [] { ImageBuilder b = Cube(); b.DamageLink("faces0", 8, "verts0", 20, R); Add_X(b); }},
        {"two nodes sharing one face array", [] { ImageBuilder b = Cube(); b.DamageLink("nodeA1", 32, "faces0", 0, R); b.Damage32("nodeA1", 4, 2); Add_X(b); }},
        {"a node in two lists", [] { ImageBuilder b = Cube(); b.DamageLink("rec1", 164, "nodeA0", 0, R); Add_X(b); }},
        {"a list-B node of no edges with a wild edge array", [] {
            ImageBuilder b = Cube();
            b.Damage32("nodeA1", 28, 0);
            b.Damage32("nodeB1", 8, 0);
            b.Damage32("nodeB1", 12, 0x7FFFFFF0);
            Add_X(b);
            MemFiles_Add("cube.3dm", Material_File()); // nothing else is missing
        }},
        {"a list-A node of no faces with a wild face array", [] {
            ImageBuilder b = Cube();
            b.Damage32("nodeA1", 28, 0);
            b.Damage32("nodeB1", 8, 0);
            b.Damage32("nodeA1", 32, 0x7FFFFFF0);
            Add_X(b);
            MemFiles_Add("cube.3dm", Material_File()); // nothing else is missing
        }},
        {"a vertex pointer past the image", [] { ImageBuilder b = Cube(); b.Damage32("rec0", 128, 0x7FFFFFF0); Add_X(b); }},
        {"a box count past the image", [] { ImageBuilder b = Cube(); b.Damage32("rec0", 156, 100000); Add_X(b); }},
        {"an item pointer past the image", [] { ImageBuilder b = Cube(); b.Damage32("rec0", 136, 0x7FFFFFF0); Add_X(b); }},
        {"a vertex-normal pointer past the image", [] { ImageBuilder b = Cube(); b.Damage32("rec0", 144, 0x7FFFFFF0); Add_X(b); }},
        {"a face-normal pointer past the image", [] { ImageBuilder b = Cube(); b.Damage32("rec0", 152, 0x7FFFFFF0); Add_X(b); }},
        {"a list-A pointer past the image", [] { ImageBuilder b = Cube(); b.Damage32("rec0", 164, 0x7FFFFFF0); Add_X(b); }},
        {"a list-B pointer past the image", [] { ImageBuilder b = Cube(); b.Damage32("rec0", 168, 0x7FFFFFF0); Add_X(b); }},
        {"negative material count", [] { ImageBuilder b = Cube(); b.Damage32("materials", 0, -1); Add_X(b); }},
        {"material count past the image", [] { ImageBuilder b = Cube(); b.Damage32("materials", 0, 100000); Add_X(b); }},
        {"record name without a NUL", [] { ImageBuilder b = Cube(); b.DamageBytes("rec1", 0, std::vector<uint8_t>(12, 'A')); Add_X(b); }},
        {"material name without a NUL", [] { ImageBuilder b = Cube(); b.DamageBytes("materials", 4, std::vector<uint8_t>(16, 'A')); Add_X(b); }},
        {"file name without a NUL", [] { ImageBuilder b = Cube(); b.DamageBytes("materials", 20, std::vector<uint8_t>(16, 'A')); Add_X(b); }},
        {"node material name without a NUL", [] { ImageBuilder b = Cube(); b.DamageBytes("nodeA0", 12, std::vector<uint8_t>(16, 'A')); Add_X(b); }},
        {"a missing .3DM", [] { Add_X(Cube()); }},
        {"a material file of kind 1", [] { Add_X(Cube()); MemFiles_Add("cube.3dm", Cube_File().bytes); }},
        {"kind-4 key offset past the image", [] { ImageBuilder b = TrackImage(4, {{{{0, {0, 0, 0, 0x8000}}}, {{0, {1, 2, 3}}}}}); b.Damage32("track0", 16, 100000); Add_X(b); }},
        {"kind-4 key count past the image", [] { ImageBuilder b = TrackImage(4, {{{{0, {0, 0, 0, 0x8000}}}, {{0, {1, 2, 3}}}}}); b.Damage32("track0", 4, 100000); Add_X(b); }},
        {"kind-5 body word 0", [] { ImageBuilder b = CollisionImage({{0, 0, 0}, {100, 0, 0}, {0, 0, 100}}, {{0, 1, 2}}); b.Damage32("body", 4, 0); Add_X(b); }},
        {"kind-5 body word past the image", [] { ImageBuilder b = CollisionImage({{0, 0, 0}, {100, 0, 0}, {0, 0, 100}}, {{0, 1, 2}}); b.Damage32("body", 20, 100000); Add_X(b); }},
        {"kind-5 triangle count past the image", [] { ImageBuilder b = CollisionImage({{0, 0, 0}, {100, 0, 0}, {0, 0, 100}}, {{0, 1, 2}}); b.Damage32("body", 8, 1000); Add_X(b); }},
        {"kind-5 wrong owning mesh", [] { ImageBuilder b = CollisionImage({{0, 0, 0}, {100, 0, 0}, {0, 0, 100}}, {{0, 1, 2}}); b.Damage32("tris", 68, 2); Add_X(b); }},
    };
    for (const DamageRow &row : rows) {
        ImageArea area;
        ObjectSpec other;
        other.name = "Other";
        MemFiles_Add("other.3dc", HierarchyImage({other}, {{"OTHER", "OTHER", 1}}).Finish().bytes);
        MemFiles_Add("other.3dm", Material_File());
        ASSERT_NE(Load_Obj("other.3dc"), -1); // an object in the cache and the chain before the damage
        MemFiles_Clear();
        row.files();
        const State before = Capture();
        EXPECT_EQ(Load_Obj(row.name), -1) << row.what;
        Expect_Unchanged(before, row.what);
    }
    // One byte below the room still loads: zeros are an image of an unknown kind, kept as they are.
    ImageArea area;
    MemFiles_Add("x.3dc", std::vector<uint8_t>(Work_Size - Mem_libre - 21, 0));
    EXPECT_NE(Load_Obj("x.3dc"), -1);
}

TEST(ImageTest, TheTwoHundredAndFiftySeventhMaterialIsRefused)
{
    ImageArea area(4000000);
    std::vector<MaterialSpec> many;
    for (int i = 0; i < 257; i++) {
        many.push_back({"M" + std::to_string(i), "", uint32_t(i)});
    }
    ObjectSpec root;
    root.name = "Root";
    MemFiles_Add("x.3dc", HierarchyImage({root}, std::vector<MaterialSpec>(many.begin(), many.end() - 1)).Finish().bytes);
    MemFiles_Add("y.3dc", HierarchyImage({root}, {many.back()}).Finish().bytes);
    ASSERT_NE(Load_Obj("x.3dc"), -1);
    EXPECT_EQ(Get_Cache_Count(), 256);
    const State before = Capture();
    EXPECT_EQ(Load_Obj("y.3dc"), -1);
    Expect_Unchanged(before, "257th");
    EXPECT_EQ(Add_Cached_File("NEW", ""), -1);
}

TEST(ImageTest, WithNoFreeTableTheSourceIsNeverAsked)
{
    ImageArea area;
    MemFiles_Add("x.3dc", RecordImage({{1, 2, 3}}).Finish().bytes);
    while (Alloc_Handle_Table() != -1) {
    }
    EXPECT_EQ(Load_Obj("x.3dc"), -1);
    EXPECT_TRUE(MemFiles_Requests().empty());
}

TEST(ImageTest, OtherKindsRelocate)
{
    ImageArea area;
    const ImageFile tracks = TrackImage(4, {{{{0, {0, 0, 0, 0x8000}}, {12, {0, 0, 0x4000, 0x4000}}}, {{0, {10, 20, 30}}, {7, {-5, 6, 7}}}}}).Finish();
    const ImageFile splines = TrackImage(6, {{{{3, {0, 0, 0, 0x8000}}}, {{0, {10, 20, 30}}}}}).Finish();
    const ImageFile records = RecordImage({{1, 2, 3}, {4, 5, 6}}).Finish();
    const ImageFile mesh = CollisionImage({{0, 0, 0}, {1000, 0, 0}, {0, 0, 1000}, {1000, 0, 1000}}, {{0, 2, 1}, {1, 2, 3}}).Finish();
    MemFiles_Add("t.3da", tracks.bytes);
    MemFiles_Add("s.3da", splines.bytes);
    MemFiles_Add("r.3dc", records.bytes);
    MemFiles_Add("m.3di", mesh.bytes);
    OBJ_Handle t = Load_Obj("t.3da"), s = Load_Obj("s.3da"), r = Load_Obj("r.3dc"), m = Load_Obj("m.3di");
    ASSERT_NE(t, -1);
    ASSERT_NE(s, -1);
    ASSERT_NE(r, -1);
    ASSERT_NE(m, -1);
    for (auto [h, f] : {std::pair{t, &tracks}, std::pair{s, &splines}}) {
        const Addr b = Get_Obj_Block(h);
        const Addr track = W_GetAddr(b + 24);
        EXPECT_EQ(track, b + f->at("track0"));
        EXPECT_EQ(W_GetAddr(track + 12), b + f->at("rot0"));
        EXPECT_EQ(W_GetAddr(track + 16), b + f->at("pos0"));
    }
    EXPECT_EQ(Get_Obj_Name_Unchecked(t), 12); // the frame count: the last key time
    EXPECT_EQ(Get_Obj_Count(r), 2);
    EXPECT_EQ(W_GetAddr(Get_Obj_Block(r) + 28), Get_Obj_Block(r) + records.at("rec1"));
    const Addr mb = Get_Obj_Block(m), body = mb + 20;
    EXPECT_EQ(W_Get32(body + 24), m);
    EXPECT_EQ(W_GetAddr(body + 4), mb + mesh.at("verts"));
    EXPECT_EQ(W_GetAddr(body + 12), mb + mesh.at("tris"));
    EXPECT_EQ(W_GetAddr(body + 20), mb + mesh.at("normals"));
    const Addr tri1 = mb + mesh.at("tris") + 96;
    EXPECT_EQ(W_GetAddr(tri1), mb + mesh.at("verts") + 12);
    EXPECT_EQ(W_GetAddr(tri1 + 4), mb + mesh.at("verts") + 24);
    EXPECT_EQ(W_GetAddr(tri1 + 8), mb + mesh.at("verts") + 36);
    EXPECT_EQ(W_GetAddr(tri1 + 12), mb + mesh.at("normals") + 12);
    EXPECT_EQ(W_GetAddr(tri1 + 68), body);
    // Object operations take only hierarchies; scaling moves the position keys and nothing else.
    EXPECT_STREQ(Get_Obj_Name(t), "Bad_Handle!");
    EXPECT_EQ(Hide_Obj(r), -1);
    ASSERT_EQ(Scale_Obj(t, 2.0f, -0.5f, 1.5f), 0);
    ASSERT_EQ(Scale_Obj(s, 2.0f, 2.0f, 2.0f), 0);
    const Addr pos = W_GetAddr(W_GetAddr(Get_Obj_Block(t) + 24) + 16);
    EXPECT_EQ(W_Get32(pos), 0);
    EXPECT_EQ(W_Get32(pos + 4), 20);
    EXPECT_EQ(W_Get32(pos + 8), -10);
    EXPECT_EQ(W_Get32(pos + 12), 45);
    EXPECT_EQ(W_Get32(pos + 16 + 8), -3); // 6 x -0.5
    EXPECT_EQ(W_Get32(pos + 16 + 12), 10); // 7 x 1.5 = 10.5, truncated
    const Addr rot = W_GetAddr(W_GetAddr(Get_Obj_Block(t) + 24) + 12);
    EXPECT_EQ(W_Get32(rot + 16), 0x8000);
    const Addr spos = W_GetAddr(W_GetAddr(Get_Obj_Block(s) + 24) + 16);
    EXPECT_EQ(W_Get32(spos + 4), 20);
    EXPECT_EQ(W_Get32(spos + 12), 60);
    EXPECT_EQ(Scale_Obj(m, 2.0f, 2.0f, 2.0f), 0);
    EXPECT_EQ(W_Get32(mb + mesh.at("verts") + 12), 1000);
}

TEST(ImageTest, CollisionMeshValuesHoldUnderTheDistanceRule)
{
    const std::vector<Vec3> v = {{0, 0, 0}, {1000, 37, 0}, {13, -20, 1000}, {997, 500, 1011}};
    const std::vector<Vec3> t = {{0, 2, 1}, {1, 2, 3}};
    const ImageFile f = CollisionImage(v, t).Finish();
    const uint8_t *image = f.bytes.data() + 8;
    for (size_t k = 0; k < t.size(); k++) {
        const uint8_t *tri = image + f.at("tris") + 96 * k;
        int32_t w[24];
        std::memcpy(w, tri, sizeof w);
        const int32_t *normal = reinterpret_cast<const int32_t *>(image + 19 + uint32_t(w[3]));
        int32_t n[3];
        std::memcpy(n, normal, 12);
        double length = std::sqrt(double(n[0]) * n[0] + double(n[1]) * n[1] + double(n[2]) * n[2]);
        EXPECT_NEAR(length, 32768.0, 2.0);
        for (int c = 0; c < 3; c++) {
            const int32_t *p = v[size_t(t[k][size_t(c)])].data();
            EXPECT_LE(std::abs(Plane_Distance(n, w[4], p)), 1);
            for (int e = 0; e < 3; e++) {
                EXPECT_GE(Plane_Distance(&w[5 + 3 * e], w[14 + e], p), 0) << k << " " << c << " " << e;
            }
        }
        EXPECT_EQ(w[17], 1);
    }
}

TEST(ImageTest, ClonesAreDetachedMovedCopiesThatShareTheMaterials)
{
    ImageArea area;
    MemFiles_Add("cube.3dc", Cube_File().bytes);
    MemFiles_Add("cube.3dm", Material_File());
    OBJ_Handle h = Load_Obj("cube.3dc");
    ASSERT_EQ(Link_Obj(h, 0), 0);
    OBJ_Handle c = Clone_Obj(h);
    ASSERT_NE(c, -1);
    const Addr src = Get_Obj_Block(h), copy = Get_Obj_Block(c), d = copy - src;
    EXPECT_EQ(W_GetAddr(Rec(c) + 16), 0u); // detached
    EXPECT_EQ(W_GetAddr(Rec(c) + 20), Rec(h + 1) + d);
    EXPECT_EQ(W_GetAddr(Rec(c + 1) + 16), Rec(c));
    EXPECT_EQ(W_GetAddr(Rec(c) + 128), W_GetAddr(Rec(h) + 128) + d);
    const Addr node = W_GetAddr(Rec(c) + 164);
    EXPECT_EQ(node, W_GetAddr(Rec(h) + 164) + d);
    EXPECT_EQ(W_GetAddr(W_GetAddr(node + 32) + 8), W_GetAddr(W_GetAddr(W_GetAddr(Rec(h) + 164) + 32) + 8) + d);
    EXPECT_EQ(W_Get32(Cache_Entry(0)), 2);
    EXPECT_EQ(W_Get32(Cache_Entry(1)), 2);
    EXPECT_EQ(W_GetAddr(node + 8), Cache_Entry(0) + 8);
    // The source stays linked under the camera.
    EXPECT_EQ(Get_Obj_Child(0), h);
}

TEST(ImageTest, CloneRefusalsAndRoom)
{
    ImageArea area;
    MemFiles_Add("r.3dc", RecordImage({{1, 2, 3}}).Finish().bytes);
    MemFiles_Add("t.3da", TrackImage(4, {{{}, {{0, {1, 2, 3}}}}}).Finish().bytes);
    MemFiles_Add("s.3da", TrackImage(6, {{{{3, {0, 0, 0, 0x8000}}}, {{0, {10, 20, 30}}}}}).Finish().bytes);
    MemFiles_Add("m.3di", CollisionImage({{0, 0, 0}, {100, 0, 0}, {0, 0, 100}}, {{0, 1, 2}}).Finish().bytes);
    MemFiles_Add("x.3dm", Material_File());
    for (const char *name : {"r.3dc", "t.3da", "s.3da", "m.3di", "x.3dm"}) {
        OBJ_Handle h = Load_Obj(name);
        ASSERT_NE(h, -1) << name;
        EXPECT_EQ(Clone_Obj(h), -1) << name;
    }
    EXPECT_EQ(Clone_Obj(-1), -1);
    ObjectSpec root;
    root.name = "Root";
    MemFiles_Add("o.3dc", HierarchyImage({root}, {}).Finish().bytes);
    OBJ_Handle h = Load_Obj("o.3dc");
    const int32_t size = W_Get32(Get_Obj_Block(h) + 4);
    // Fill the area up to size + 1 bytes, then to exactly size.
    Mem_libre = Work_Size - Addr(size) + 1;
    const State before = Capture();
    EXPECT_EQ(Clone_Obj(h), -1);
    Expect_Unchanged(before, "a clone one byte larger than the room");
    Mem_libre -= 1;
    OBJ_Handle c = Clone_Obj(h);
    EXPECT_NE(c, -1);
    EXPECT_EQ(Mem_libre, Work_Size);
}

TEST(ImageTest, AClonedObjectKeepsOnlyItsOwnChildren)
{
    ImageArea area;
    MemFiles_Add("cube.3dc", Cube_File().bytes);
    MemFiles_Add("cube.3dm", Material_File());
    OBJ_Handle a = Load_Obj("cube.3dc"), b = Load_Obj("cube.3dc");
    ASSERT_EQ(Link_Obj(b, a), 0); // a foreign first child before the cube's own flap
    ASSERT_EQ(Link_Obj(a, 0), 0);
    OBJ_Handle c = Clone_Obj(a);
    ASSERT_NE(c, -1);
    EXPECT_EQ(Get_Obj_Child(c), c + 1);
    EXPECT_EQ(Get_Obj_Sibling(c + 1), -1);
    EXPECT_EQ(Get_Obj_Child(a), b); // the source is untouched
    OBJ_Handle camera = Clone_Obj(0);
    ASSERT_NE(camera, -1);
    EXPECT_EQ(Get_Obj_Child(camera), -1);
    EXPECT_EQ(Get_Obj_Child(0), a);
}

TEST(ImageTest, DeletionUnlinksUnchainsAndFreesTheTable)
{
    ImageArea area;
    MemFiles_Add("cube.3dc", Cube_File().bytes);
    MemFiles_Add("cube.3dm", Material_File());
    OBJ_Handle a = Load_Obj("cube.3dc"), b = Load_Obj("cube.3dc"), c = Load_Obj("cube.3dc");
    for (OBJ_Handle h : {a, b, c}) {
        ASSERT_EQ(Link_Obj(h, 0), 0);
    }
    EXPECT_EQ(Delete_Obj(0), -1);
    EXPECT_EQ(Delete_Obj(-1), -1);
    const Addr mem = Mem_libre, block = Get_Obj_Block(b);
    ASSERT_EQ(Delete_Obj(b), 0);
    EXPECT_EQ(Get_Obj_Child(0), c);
    EXPECT_EQ(Get_Obj_Sibling(c), a);
    EXPECT_FALSE(Block_Is_Chained(block));
    EXPECT_EQ(W_Get32(Addr(b / 65536) * 4), -1);
    EXPECT_EQ(Alloc_Handle_Table(), b);
    EXPECT_EQ(Mem_libre, mem);
}

TEST(ImageTest, ForEachItemVisitsTheItemsInOrder)
{
    ImageArea area;
    MemFiles_Add("cube.3dc", Cube_File().bytes);
    MemFiles_Add("cube.3dm", Material_File());
    OBJ_Handle h = Load_Obj("cube.3dc");
    static std::vector<void *> seen;
    seen.clear();
    ASSERT_EQ(For_Each_Obj_Item(h, [](void *item) { seen.push_back(item); }), 0);
    ASSERT_EQ(seen.size(), 36u);
    EXPECT_EQ(W_Addr(seen[1]), W_GetAddr(Rec(h) + 136) + 8);
    EXPECT_EQ(For_Each_Obj_Item(-1, [](void *) {}), -1);
}
