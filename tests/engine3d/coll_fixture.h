// A started library with an empty collision space, meshes loaded from coll_meshes, and the walks of a
// body's contact lists as work-area offsets.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine3d/coll.h"
#include "engine3d/colltest.h"
#include "engine3d/image.h"
#include "engine3d/workarea.h"
#include "tests/support/coll_meshes.h"
#include "tests/support/coll_reference.h"
#include "tests/support/image_area.h"

namespace coll_test {

using kalder_test::CollMeshSpec;
using kalder_test::Vec3;

class CollArea : public ::testing::Test {
public:
    CollArea() { Coll_Init(); }
    ~CollArea() override { Coll_Free(); }

    // Loads the mesh as a .3di block; the space is left as it is.
    OBJ_Handle Load(const CollMeshSpec &mesh)
    {
        const std::string name = "m" + std::to_string(loaded_++) + ".3di";
        kalder_test::MemFiles_Add(name, mesh.Bytes());
        OBJ_Handle h = Load_Obj(name.c_str());
        EXPECT_NE(h, -1);
        return h;
    }
    OBJ_Handle Add(const CollMeshSpec &mesh)
    {
        OBJ_Handle h = Load(mesh);
        Coll_Add_Mesh(h);
        return h;
    }
    // The mesh body of a loaded block and its k-th triangle.
    static Addr Body(OBJ_Handle h) { return Get_Obj_Block(h) + 20; }
    static Addr Tri(OBJ_Handle h, int32_t k) { return W_GetAddr(Body(h) + 12) + Addr(k) * sizeof(OBJ_CollTri); }
    static OBJ_CollTri *TriPtr(OBJ_Handle h, int32_t k) { return reinterpret_cast<OBJ_CollTri *>(W_Ptr(Tri(h, k))); }
    static std::vector<kalder_test::RefBox> Boxes(OBJ_Handle h)
    {
        return kalder_test::RefBoxes(Work_Area, W_GetAddr(Body(h) + 12), W_Get32(Body(h) + 8));
    }

    static OBJ_CollBody *NewBody(int32_t mask, Vec3 centre, int32_t radius)
    {
        OBJ_CollBody *b = Coll_Create_Body(mask);
        Coll_Set_Body_Radius(b, radius);
        Copy_Vec(b->centre, centre.data());
        return b;
    }
    static void MoveTo(OBJ_CollBody *b, Vec3 centre)
    {
        Copy_Vec(b->centre, centre.data());
        Coll_Sweep_Body(b);
    }

    // Both walks of a body in list order.
    static std::vector<Addr> Walk3D(OBJ_CollBody *b)
    {
        std::vector<Addr> out;
        while (OBJ_CollTri *t = Coll_Next_Contact(b)) {
            out.push_back(W_Addr(t));
        }
        return out;
    }
    static std::vector<Addr> Walk2D(OBJ_CollBody *b)
    {
        std::vector<Addr> out;
        while (OBJ_CollTri *t = Coll_Next_Contact2(b)) {
            out.push_back(W_Addr(t));
        }
        return out;
    }
    static std::vector<Addr> Sorted(std::vector<Addr> v)
    {
        std::sort(v.begin(), v.end());
        return v;
    }

    kalder_test::ImageArea area_;
    int loaded_ = 0;
};

} // namespace coll_test
