// Debug views of the collision: meshes as wire, the sphere and point tests' results, and the boxes.
#include "engine3d/colldraw.h"

#include <algorithm>
#include <cstddef>

#include "engine3d/boxes.h"
#include "engine3d/colltest.h"
#include "engine3d/draw2d.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "engine3d/workarea.h"

namespace {

// Points nearer the eye than this are not drawn: their projection is unreliable.
constexpr int32_t Near_Distance = 128;

constexpr uint32_t Flags = offsetof(OBJ_Record, flags);
constexpr uint16_t Box_Colour = 0x00FF;

// The twelve edges: round the face 0..3, round the face 4..7, and the four between them.
constexpr int Box_Edges[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                  {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};

// A world point in the root camera's space; false when the library has no root camera.
bool To_Camera(const int32_t *p, int32_t *out)
{
    const Addr camera = Get_Hierarchy_Record(0);
    if (camera == 0) {
        return false;
    }
    int32_t matrix[9], position[3];
    for (int i = 0; i < 9; i++) {
        matrix[i] = W_Get32(camera + offsetof(OBJ_Record, cam_matrix) + 4 * Addr(i));
    }
    for (int i = 0; i < 3; i++) {
        position[i] = W_Get32(camera + offsetof(OBJ_Record, cam_position) + 4 * Addr(i));
    }
    Mat_Vec_Mul(matrix, p, out);
    Vec_Add(out, position, out);
    return true;
}

// The screen point of a world point beyond the near distance.
bool Screen_Point(const int32_t *p, int32_t *x, int32_t *y)
{
    int32_t v[3];
    if (!To_Camera(p, v) || v[2] <= Near_Distance) {
        return false;
    }
    Project_Point(v, x, y);
    return true;
}

void Vertex(Addr at, int32_t *out)
{
    for (int k = 0; k < 3; k++) {
        out[k] = W_Get32(at + 4 * Addr(k));
    }
}

void Tri_Corners(const OBJ_CollTri *tri, int32_t corners[3][3])
{
    for (int k = 0; k < 3; k++) {
        Vertex(tri->v[k], corners[k]);
    }
}

void Box_Edges_Of(uint16_t *frame, const uint8_t *box, uint16_t colour)
{
    for (const auto &e : Box_Edges) {
        Draw_Line(frame, P_Get32(box + BOX_SCREEN_X + 4 * e[0]), P_Get32(box + BOX_SCREEN_Y + 4 * e[0]),
                  P_Get32(box + BOX_SCREEN_X + 4 * e[1]), P_Get32(box + BOX_SCREEN_Y + 4 * e[1]), colour);
    }
}

} // namespace

void Draw_Box(uint16_t *frame, OBJ_Handle h, int32_t index, uint16_t colour)
{
    const uint8_t *box = Get_Box(h, index);
    if (box == nullptr || (uint32_t(W_Get32(Get_Hierarchy_Record(h) + Flags)) & (OBJ_FLAG_CULLED | OBJ_FLAG_CROSS_NEAR)) != 0) {
        return;
    }
    Box_Edges_Of(frame, box, colour);
}

void Draw_Obj_Boxes(uint16_t *frame, Addr object)
{
    if ((uint32_t(W_Get32(object + Flags)) & OBJ_FLAG_CULLED) != 0) {
        return;
    }
    const int32_t count = W_Get32(object + offsetof(OBJ_Record, box_count));
    if (count <= 0) {
        return;
    }
    const uint8_t *box = W_Ptr(W_GetAddr(object + offsetof(OBJ_Record, boxes)));
    for (int32_t b = 0; b < count; b++, box += BOX_SIZE) {
        Box_Edges_Of(frame, box, Box_Colour);
    }
}

// The walk of the box update, from the start node.
void Draw_All_Boxes(uint16_t *frame, Addr start)
{
    Walk_Below(start, [](Addr object, void *f) { Draw_Obj_Boxes(static_cast<uint16_t *>(f), object); }, frame);
}

void Draw_Mesh_Wire(uint16_t *frame, OBJ_Handle h, uint16_t colour)
{
    if (Get_Obj_Kind(h) != OBJ_KIND_MESH) {
        return;
    }
    const uint8_t *mesh = Get_Table_Count_Ptr(h);
    if (mesh == nullptr) {
        return;
    }
    const int32_t count = P_Get32(mesh + offsetof(OBJ_CollMesh, tri_count));
    const Addr tris = Addr(P_Get32(mesh + offsetof(OBJ_CollMesh, tris)));
    for (int32_t t = 0; t < count; t++) {
        const OBJ_CollTri *tri = reinterpret_cast<const OBJ_CollTri *>(W_Ptr(tris + Addr(t) * sizeof(OBJ_CollTri)));
        int32_t corners[3][3], x[3], y[3];
        Tri_Corners(tri, corners);
        if (!Screen_Point(corners[0], &x[0], &y[0]) || !Screen_Point(corners[1], &x[1], &y[1]) ||
            !Screen_Point(corners[2], &x[2], &y[2])) {
            continue;
        }
        for (int k = 0; k < 3; k++) {
            Draw_Line(frame, x[k], y[k], x[(k + 1) % 3], y[(k + 1) % 3], colour);
        }
    }
}

void Draw_Line_3D(uint16_t *frame, const int32_t *a, const int32_t *b, uint16_t colour)
{
    int32_t x0, y0, x1, y1;
    if (Screen_Point(a, &x0, &y0) && Screen_Point(b, &x1, &y1)) {
        Draw_Line(frame, x0, y0, x1, y1, colour);
    }
}

void Draw_Point_3D(uint16_t *frame, const int32_t *p, uint16_t colour)
{
    int32_t x, y;
    if (Screen_Point(p, &x, &y)) {
        Draw_Pixel(frame, x, y, colour);
    }
}

void Draw_Tri_3D(uint16_t *frame, const OBJ_CollTri *tri, uint16_t colour)
{
    int32_t corners[3][3];
    Tri_Corners(tri, corners);
    for (int k = 0; k < 3; k++) {
        Draw_Line_3D(frame, corners[k], corners[(k + 1) % 3], colour);
    }
}

// The box of the triangle's corners and the contact point is drawn as its three middle lines, each from
// face to opposite face.
void Draw_Sphere_Test(uint16_t *frame, OBJ_CollBody *body, uint16_t colour)
{
    Draw_Point_3D(frame, body->centre, colour);
    while (const OBJ_CollTri *tri = Coll_Next_Contact(body)) {
        // Without a contact the test leaves the point alone: it starts at the centre.
        int32_t points[4][3];
        Tri_Corners(tri, points);
        Vec_Copy(points[3], body->centre);
        Coll_Test_Sphere_Tri(body, tri, points[3]);
        int32_t lo[3], hi[3], mid[3];
        for (int k = 0; k < 3; k++) {
            lo[k] = std::min({points[0][k], points[1][k], points[2][k], points[3][k]});
            hi[k] = std::max({points[0][k], points[1][k], points[2][k], points[3][k]});
            mid[k] = int32_t((int64_t(lo[k]) + hi[k]) / 2);
        }
        for (int axis = 0; axis < 3; axis++) {
            int32_t a[3], b[3];
            Vec_Copy(a, mid);
            Vec_Copy(b, mid);
            a[axis] = lo[axis];
            b[axis] = hi[axis];
            Draw_Line_3D(frame, a, b, colour);
        }
    }
}

void Draw_Point_Test(uint16_t *frame, OBJ_CollBody *body, uint16_t colour)
{
    int32_t x, y;
    if (!Screen_Point(body->centre, &x, &y)) {
        return;
    }
    Draw_Pixel(frame, x, y, colour);
    while (const OBJ_CollTri *tri = Coll_Next_Contact2(body)) {
        int32_t hit[3];
        Vec_Copy(hit, body->centre);
        if (Coll_Test_Point_Tri(body, tri, hit) != 0) {
            Draw_Point_3D(frame, hit, 0xFF00);
        }
        Draw_Tri_3D(frame, tri, 0xFFFF);
    }
}
