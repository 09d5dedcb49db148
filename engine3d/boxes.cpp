// Collision boxes: each frame, every box of every object below the root camera gets its screen corners,
// its world corners and its world-aligned bounds.
#include "engine3d/boxes.h"

#include <cstring>

#include "core/fconv.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "engine3d/workarea.h"

namespace {

constexpr uint32_t Parent = offsetof(OBJ_Record, parent);
constexpr uint32_t First_Child = offsetof(OBJ_Record, first_child);
constexpr uint32_t Next_Sibling = offsetof(OBJ_Record, next_sibling);

void Get_Words(Addr a, int32_t *out, int n)
{
    for (int i = 0; i < n; i++) {
        out[i] = W_Get32(a + 4 * Addr(i));
    }
}

float Get_Float(const uint8_t *p)
{
    float f;
    std::memcpy(&f, p, 4);
    return f;
}

// The box record of a hierarchy object, as an offset; 0 for a bad handle or index.
Addr Box_Addr(OBJ_Handle h, int32_t index)
{
    const Addr record = Get_Hierarchy_Record(h);
    if (record == 0) {
        return 0;
    }
    const int32_t count = W_Get32(record + offsetof(OBJ_Record, box_count));
    if (index < 0 || index >= count) {
        return 0;
    }
    return W_GetAddr(record + offsetof(OBJ_Record, boxes)) + Addr(index) * BOX_SIZE;
}

} // namespace

int32_t Update_Obj_Boxes(Addr object, Addr camera)
{
    const int32_t count = W_Get32(object + offsetof(OBJ_Record, box_count));
    if (count <= 0) {
        return 0;
    }
    int32_t view_matrix[9], view_position[3], camera_matrix[9], camera_position[3];
    Get_Words(object + offsetof(OBJ_Record, cam_matrix), view_matrix, 9);
    Get_Words(object + offsetof(OBJ_Record, cam_position), view_position, 3);
    Get_Words(camera + offsetof(OBJ_Record, matrix), camera_matrix, 9);
    Get_Words(camera + offsetof(OBJ_Record, position), camera_position, 3);
    // The second half of the way back to the world does not depend on the corner.
    int32_t back[3];
    Mat_Vec_Mul(camera_matrix, view_position, back);
    Vec_Add(back, camera_position, back);

    uint8_t *box = W_Ptr(W_GetAddr(object + offsetof(OBJ_Record, boxes)));
    for (int32_t b = 0; b < count; b++, box += BOX_SIZE) {
        float lo[3], hi[3];
        for (int k = 0; k < 3; k++) {
            lo[k] = 2147483648.0f;
            hi[k] = -2147483648.0f;
        }
        for (int c = 0; c < 8; c++) {
            int32_t local[3], v[3];
            for (int k = 0; k < 3; k++) {
                local[k] = trunc_i32(Get_Float(box + BOX_CORNERS + 12 * c + 4 * k));
            }
            Mat_Vec_Mul(view_matrix, local, v);
            Vec_Add(v, view_position, v);
            // A corner in the eye's plane has no projection: its screen values stay as they were.
            if (v[2] != 0) {
                int32_t x, y;
                Project_Point(v, &x, &y);
                P_Set32(box + BOX_SCREEN_X + 4 * c, x);
                P_Set32(box + BOX_SCREEN_Y + 4 * c, y);
            }
            int32_t w[3];
            Vec_Sub(v, view_position, w);
            Mat_Vec_Mul(camera_matrix, w, w);
            Vec_Add(w, back, w);
            for (int k = 0; k < 3; k++) {
                const float f = static_cast<float>(w[k]);
                std::memcpy(box + BOX_WORLD + 12 * c + 4 * k, &f, 4);
                if (f > hi[k]) {
                    hi[k] = f;
                }
                if (f < lo[k]) {
                    lo[k] = f;
                }
            }
        }
        std::memcpy(box + BOX_MINIMUM, lo, sizeof lo);
        std::memcpy(box + BOX_MAXIMUM, hi, sizeof hi);
    }
    return 0;
}

// Depth first from the start: down to the first child, else on to the next sibling, else up until a
// parent has a next sibling. The start itself is never visited, and the walk never leaves its tree.
void Walk_Below(Addr start, void (*visit)(Addr object, void *context), void *context)
{
    if (start == 0) {
        return;
    }
    Addr current = start;
    for (;;) {
        const Addr child = W_GetAddr(current + First_Child);
        if (child != 0) {
            current = child;
            visit(current, context);
            continue;
        }
        for (;;) {
            if (current == start) {
                return;
            }
            const Addr sibling = W_GetAddr(current + Next_Sibling);
            if (sibling != 0) {
                current = sibling;
                visit(current, context);
                break;
            }
            current = W_GetAddr(current + Parent);
            if (current == 0) {
                return;
            }
        }
    }
}

// Every object below the root camera, with the root camera as the camera.
int32_t Update_All_Boxes()
{
    Addr root = Get_Hierarchy_Record(0);
    Walk_Below(root, [](Addr object, void *camera) { Update_Obj_Boxes(object, *static_cast<Addr *>(camera)); }, &root);
    return 0;
}

int32_t Get_Box_Count(OBJ_Handle h)
{
    const Addr record = Get_Hierarchy_Record(h);
    return record == 0 ? -1 : W_Get32(record + offsetof(OBJ_Record, box_count));
}

uint8_t *Get_Box(OBJ_Handle h, int32_t index)
{
    const Addr box = Box_Addr(h, index);
    return box == 0 ? nullptr : W_Ptr(box);
}

int32_t Get_Box_Axes(OBJ_Handle h, int32_t index, int32_t *centre, int32_t *axes)
{
    const Addr a = Box_Addr(h, index);
    if (a == 0) {
        return -1;
    }
    const uint8_t *box = W_Ptr(a);
    auto corner = [box](int c, int k) { return Get_Float(box + BOX_WORLD + 12 * c + 4 * k); };
    static const int ends[3] = {1, 4, 3};
    for (int k = 0; k < 3; k++) {
        centre[k] = trunc_i32((corner(0, k) + corner(6, k)) * 0.5f);
        for (int e = 0; e < 3; e++) {
            axes[3 * e + k] = trunc_i32((corner(0, k) + corner(ends[e], k)) * 0.5f);
        }
    }
    return 0;
}
