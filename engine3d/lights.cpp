// Light slots: adding, moving and removing lights, attaching them to objects, and carrying them into
// camera space once per frame.
#include "engine3d/lights.h"

#include <cstring>

#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "engine3d/workarea.h"

OBJ_Light Light_Table[MAX_LIGHTS];
int32_t Light_Count;

namespace {

constexpr Addr F_Light_Count = offsetof(OBJ_Record, light_count);
constexpr Addr F_Lights = offsetof(OBJ_Record, lights);

// Slot numbers come from the game's own bookkeeping; one outside the table names no light.
OBJ_Light *Slot(int32_t slot) { return slot >= 0 && slot < MAX_LIGHTS ? &Light_Table[slot] : nullptr; }

} // namespace

// The lowest free slot takes the light. The intensity keeps the sign of the value given: 40 gives 8,
// -33 gives -1.
int32_t Add_Light(const int32_t *position, const int32_t *matrix, int32_t type, int32_t inner_radius,
                  int32_t outer_radius, int32_t intensity)
{
    if (Light_Count >= MAX_LIGHTS) {
        return -1;
    }
    for (int32_t i = 0; i < MAX_LIGHTS; i++) {
        OBJ_Light &l = Light_Table[i];
        if (l.type != LIGHT_FREE) {
            continue;
        }
        Vec_Copy(l.position, position);
        Mat_Copy(l.matrix, matrix);
        l.type = type;
        l.inner_radius = inner_radius;
        l.outer_radius = outer_radius;
        l.intensity = intensity % 32;
        Light_Count++;
        return i;
    }
    return -1;
}

// Removing a slot that holds no light changes nothing, so the live count keeps matching the table.
void Remove_Light(int32_t slot)
{
    OBJ_Light *l = Slot(slot);
    if (l == nullptr || l->type == LIGHT_FREE) {
        return;
    }
    l->type = LIGHT_FREE;
    Light_Count--;
}

void Set_Light_Pos(int32_t slot, const int32_t *position)
{
    if (OBJ_Light *l = Slot(slot)) {
        Vec_Copy(l->position, position);
    }
}

void Set_Light_Matrix(int32_t slot, const int32_t *matrix)
{
    if (OBJ_Light *l = Slot(slot)) {
        Mat_Copy(l->matrix, matrix);
    }
}

void Set_Light_Shade(int32_t slot, int32_t value)
{
    if (OBJ_Light *l = Slot(slot)) {
        l->intensity = value % 32;
    }
}

void Get_Light_Pos(int32_t slot, int32_t *position)
{
    if (OBJ_Light *l = Slot(slot)) {
        Vec_Copy(position, l->position);
    }
}

void Get_Light_Matrix(int32_t slot, int32_t *matrix)
{
    if (OBJ_Light *l = Slot(slot)) {
        Mat_Copy(matrix, l->matrix);
    }
}

// Appends the light to the object's list; a full list (8) stays as it is, and the same light
// attached twice is listed twice.
int32_t Attach_Light(int32_t light, OBJ_Handle h)
{
    const Addr r = Get_Hierarchy_Record(h);
    if (r == 0) {
        return -1;
    }
    const int32_t count = W_Get32(r + F_Light_Count);
    if (Slot(light) == nullptr || count < 0 || count >= MAX_OBJ_LIGHTS) {
        return 0;
    }
    W_Ptr(r + F_Lights)[count] = uint8_t(light);
    W_Set32(r + F_Light_Count, count + 1);
    return 0;
}

// Removes the first listing of the light; the list's last entry takes its place.
int32_t Detach_Light(int32_t light, OBJ_Handle h)
{
    const Addr r = Get_Hierarchy_Record(h);
    if (r == 0) {
        return -1;
    }
    const int32_t count = W_Get32(r + F_Light_Count);
    if (Slot(light) == nullptr || count <= 0 || count > MAX_OBJ_LIGHTS) {
        return 0;
    }
    uint8_t *list = W_Ptr(r + F_Lights);
    for (int32_t i = 0; i < count; i++) {
        if (list[i] == light) {
            list[i] = list[count - 1];
            W_Set32(r + F_Light_Count, count - 1);
            break;
        }
    }
    return 0;
}

// Every live slot is moved, wherever it lies in the table: a light left above the live count by the
// removal of a lower slot must not light this frame with last frame's position. The root camera
// places the lights whichever camera the frame is rendered from.
void XForm_Lights()
{
    const Addr root = Get_Hierarchy_Record(0);
    if (root == 0) {
        return;
    }
    int32_t m[9], p[3];
    std::memcpy(m, W_Ptr(root + offsetof(OBJ_Record, cam_matrix)), sizeof m);
    std::memcpy(p, W_Ptr(root + offsetof(OBJ_Record, cam_position)), sizeof p);
    for (OBJ_Light &l : Light_Table) {
        if (l.type != LIGHT_POINT && l.type != LIGHT_DIRECTED) {
            continue;
        }
        Mat_Mul(m, l.matrix, l.cam_matrix);
        Mat_Vec_Mul(m, l.position, l.cam_position);
        Vec_Add(l.cam_position, p, l.cam_position);
    }
}
