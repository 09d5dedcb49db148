// The object API: links, flags, primitive types and materials, names, transforms, vertices, scaling.
#include "engine3d/object.h"
#include "engine3d/setup.h"

#include <cstring>

#include "core/fconv.h"
#include "engine3d/image.h"
#include "engine3d/maths.h"
#include "engine3d/matcache.h"
#include "engine3d/workarea.h"

namespace {

constexpr Addr F_Name = 0, F_Flags = 12, F_Parent = 16, F_Child = 20, F_Sibling = 24, F_Pos = 28, F_Matrix = 40,
               F_Cam_Pos = 76, F_Cam_Matrix = 88, F_Vertex_Count = 124, F_Vertices = 128, F_Prims_A = 164,
               F_Prims_B = 168, F_Radius = 176, F_Centre = 180, F_Shade = 208;

// Runaway guard for walks over links the game may have changed at run time.
constexpr uint32_t Walk_Limit = 0x1000000;

// The record of a handle into an object hierarchy; 0 for a bad handle or any other kind of block.
Addr Obj(OBJ_Handle h)
{
    Addr block = Get_Obj_Block(h);
    if (block == 0 || W_Get32(block + 8) != OBJ_KIND_HIERARCHY) {
        return 0;
    }
    return W_Addr(Get_Obj_Ptr(h));
}


uint32_t Flags(Addr r) { return uint32_t(W_Get32(r + F_Flags)); }
void Set_Flags(Addr r, uint32_t f) { W_Set32(r + F_Flags, int32_t(f)); }

int32_t Change_Flag(OBJ_Handle h, uint32_t bit, bool on, bool refuse_camera)
{
    Addr r = Obj(h);
    if (r == 0 || (refuse_camera && (Flags(r) & OBJ_FLAG_CAMERA))) {
        return -1;
    }
    Set_Flags(r, on ? Flags(r) | bit : Flags(r) & ~bit);
    return 0;
}

void Read_Words(Addr a, int32_t *out, int n)
{
    for (int i = 0; i < n; i++) {
        out[i] = W_Get32(a + Addr(i) * 4);
    }
}

void Write_Words(Addr a, const int32_t *in, int n)
{
    for (int i = 0; i < n; i++) {
        W_Set32(a + Addr(i) * 4, in[i]);
    }
}

// A camera is its own view: camera-space matrix = transpose of the local one, position = -(that x
// local position).
void Update_Camera_Pos(Addr r)
{
    int32_t m[9], p[3], out[3];
    Read_Words(r + F_Cam_Matrix, m, 9);
    Read_Words(r + F_Pos, p, 3);
    Mat_Vec_Mul(m, p, out);
    Vec_Neg(out, out);
    Write_Words(r + F_Cam_Pos, out, 3);
}

// The object API's subtree walk: pre-order from the start, ends when it comes back to the start, never
// visits the start's own siblings.
template <typename Visit> void Walk_Subtree(Addr start, Visit visit)
{
    Addr cur = start;
    bool down = true;
    for (uint32_t steps = 0; cur != 0 && steps < Walk_Limit; steps++) {
        if (down) {
            visit(cur);
            Addr child = W_GetAddr(cur + F_Child);
            if (child != 0) {
                cur = child;
            } else {
                down = false;
            }
        } else {
            if (cur == start) {
                break;
            }
            Addr sibling = W_GetAddr(cur + F_Sibling);
            if (sibling != 0) {
                cur = sibling;
                down = true;
            } else {
                cur = W_GetAddr(cur + F_Parent);
                if (cur == start) {
                    break;
                }
            }
        }
    }
}

template <typename Visit> void Walk_Nodes(Addr list, Visit visit)
{
    uint32_t steps = 0;
    for (Addr node = list; node != 0 && steps < Walk_Limit; node = W_GetAddr(node), steps++) {
        visit(node);
    }
}

template <typename Visit> void For_Each_Record(OBJ_Handle h, Visit visit)
{
    Addr block = Get_Obj_Block(h);
    int32_t count = W_Get32(block + OBJ_RECORD_COUNT);
    for (int32_t i = 0; i < count; i++) {
        visit(W_GetAddr(block + OBJ_RECORD_TABLE + Addr(i) * 4));
    }
}

// A node takes a new type when the render reads no more of its faces and edges under it than the
// node holds (so no texture where it has a colour). The node holds what its type stored at load, so a
// node retyped to a smaller type can be turned back; a type no file stores (24, to which the render
// turns 22 and 25) holds at least what the render reads.
bool Type_Fits(int32_t old_type, int32_t new_type)
{
    if (new_type < -15 || new_type > 30) {
        return false;
    }
    uint32_t face = Prim_Face_Size(old_type), edge = Prim_Edge_Size(old_type);
    if (face == 0) {
        Prim_Read_Sizes(old_type, &face, &edge);
    }
    uint32_t need_face, need_edge;
    Prim_Read_Sizes(new_type, &need_face, &need_edge);
    return need_face <= face && need_edge <= edge;
}

void Retype(Addr node, int32_t stored, int32_t old_type, int32_t new_type, bool any)
{
    int32_t type = W_Get32(node + 4);
    if ((any || type == old_type) && Type_Fits(stored, new_type)) {
        W_Set32(node + 4, new_type);
    }
}

// Retypes the face nodes of a record and their edge nodes.
void Retype_Record(Addr record, int32_t old_type, int32_t new_type, bool any, bool edges)
{
    const Addr list_a = W_GetAddr(record + F_Prims_A);
    Walk_Nodes(list_a, [=](Addr node) { Retype(node, Face_Node_Stored_Type(node), old_type, new_type, any); });
    if (edges) {
        Walk_Nodes(W_GetAddr(record + F_Prims_B),
                   [=](Addr node) { Retype(node, Edge_Node_Stored_Type(node, list_a), old_type, new_type, any); });
    }
}

void Rematerial(Addr record, Addr old_slot, Addr new_slot, const char *new_name)
{
    if (old_slot == 0) {
        return;
    }
    Walk_Nodes(W_GetAddr(record + F_Prims_A), [&](Addr node) {
        if (W_GetAddr(node + 8) == old_slot) {
            W_SetAddr(node + 8, new_slot);
            char *name = reinterpret_cast<char *>(W_Ptr(node + 12));
            std::memset(name, 0, 16);
            std::strncpy(name, new_name, 15);
        }
    });
}

// The handle of a record, for navigation: the first block of the chain whose range (both ends
// included) holds the address, searched by its record pointers.
OBJ_Handle Handle_Of(Addr record)
{
    if (record == 0) {
        return -1;
    }
    Addr block = First_Block;
    for (int32_t steps = 0; block != 0 && steps <= Max_Handle_Tables; steps++) {
        uint32_t size = uint32_t(W_Get32(block + 4));
        if (record >= block && uint64_t(record) <= uint64_t(block) + size) {
            int32_t kind = W_Get32(block + 8);
            if (kind != OBJ_KIND_HIERARCHY && kind != OBJ_KIND_RECORDS && kind != OBJ_KIND_TRACKS &&
                kind != OBJ_KIND_SPLINES) {
                return -1;
            }
            int32_t count = W_Get32(block + OBJ_RECORD_COUNT);
            for (int32_t i = 0; i < count; i++) {
                if (W_GetAddr(block + OBJ_RECORD_TABLE + Addr(i) * 4) == record) {
                    return W_Get32(block) + i;
                }
            }
            return -1;
        }
        block = W_GetAddr(block + 16);
    }
    return -1;
}

OBJ_Handle Link_Of(OBJ_Handle h, Addr field)
{
    Addr r = Obj(h);
    return r == 0 ? -1 : Handle_Of(W_GetAddr(r + field));
}

void Unlink_Record(Addr r)
{
    Addr parent = W_GetAddr(r + F_Parent);
    if (parent == 0) {
        return;
    }
    W_SetAddr(r + F_Parent, 0);
    Addr next = W_GetAddr(r + F_Sibling);
    if (W_GetAddr(parent + F_Child) == r) {
        W_SetAddr(parent + F_Child, next);
    } else {
        Addr s = W_GetAddr(parent + F_Child);
        for (uint32_t steps = 0; s != 0 && steps < Walk_Limit; steps++) {
            if (W_GetAddr(s + F_Sibling) == r) {
                W_SetAddr(s + F_Sibling, next);
                break;
            }
            s = W_GetAddr(s + F_Sibling);
        }
    }
    W_SetAddr(r + F_Sibling, 0);
}

int32_t Scaled(int32_t v, float f) { return trunc_i32(double(v) * double(f)); }

void Scale_Words(Addr a, float fx, float fy, float fz)
{
    W_Set32(a, Scaled(W_Get32(a), fx));
    W_Set32(a + 4, Scaled(W_Get32(a + 4), fy));
    W_Set32(a + 8, Scaled(W_Get32(a + 8), fz));
}

} // namespace

Addr Get_Hierarchy_Record(OBJ_Handle h) { return Obj(h); }

int32_t Link_Obj(OBJ_Handle child, OBJ_Handle parent)
{
    Addr c = Obj(child), p = Obj(parent);
    if (c == 0 || p == 0) {
        return -1;
    }
    // An object under itself or under its own descendant would make the scene walk loop for ever.
    Addr up = p;
    for (uint32_t steps = 0; up != 0 && steps < Walk_Limit; steps++) {
        if (up == c) {
            return -1;
        }
        up = W_GetAddr(up + F_Parent);
    }
    Unlink_Record(c);
    W_SetAddr(c + F_Parent, p);
    W_SetAddr(c + F_Sibling, W_GetAddr(p + F_Child));
    W_SetAddr(p + F_Child, c);
    return 0;
}

int32_t Unlink_Obj(OBJ_Handle h)
{
    Addr r = Obj(h);
    if (r == 0) {
        return -1;
    }
    Unlink_Record(r);
    return 0;
}

const char *Get_Obj_Name(OBJ_Handle h)
{
    Addr r = Obj(h);
    return r == 0 ? "Bad_Handle!" : reinterpret_cast<const char *>(W_Ptr(r + F_Name));
}

int32_t Get_Obj_Name_Unchecked(OBJ_Handle h)
{
    uint8_t *r = Get_Obj_Ptr(h);
    return r == nullptr ? -1 : P_Get32(r);
}

int32_t Get_Obj_Count(OBJ_Handle h)
{
    if (Get_Obj_Ptr(h) == nullptr) {
        return -1;
    }
    return W_Get32(Get_Obj_Block(h) + OBJ_RECORD_COUNT);
}

OBJ_Handle Get_Table_Handle(OBJ_Handle h) { return Get_Obj_Block(h) == 0 ? -1 : (h / 65536) << 16; }

OBJ_Handle Get_Obj_Parent(OBJ_Handle h) { return Link_Of(h, F_Parent); }
OBJ_Handle Get_Obj_Child(OBJ_Handle h) { return Link_Of(h, F_Child); }
OBJ_Handle Get_Obj_Sibling(OBJ_Handle h) { return Link_Of(h, F_Sibling); }

int32_t Hide_Obj_Tree(OBJ_Handle h) { return Change_Flag(h, OBJ_FLAG_SKIP_TREE, true, false); }
int32_t Show_Obj_Tree(OBJ_Handle h) { return Change_Flag(h, OBJ_FLAG_SKIP_TREE, false, false); }
int32_t Hide_Obj(OBJ_Handle h) { return Change_Flag(h, OBJ_FLAG_HIDDEN, true, true); }
int32_t Show_Obj(OBJ_Handle h) { return Change_Flag(h, OBJ_FLAG_HIDDEN, false, true); }
int32_t Set_Obj_Flag80(OBJ_Handle h) { return Change_Flag(h, OBJ_FLAG_NO_FAR_CULL, true, false); }
int32_t Clear_Obj_Flag80(OBJ_Handle h) { return Change_Flag(h, OBJ_FLAG_NO_FAR_CULL, false, false); }
int32_t Set_Obj_Env_Map(OBJ_Handle h, int32_t on) { return Change_Flag(h, OBJ_FLAG_ENV_MAP, on == 1, false); }
int32_t Set_Obj_No_Build(OBJ_Handle h, int32_t on) { return Change_Flag(h, OBJ_FLAG_NO_BUILD, on == 1, false); }

int32_t Set_Tree_Prim_Type(OBJ_Handle h, int32_t type)
{
    Addr r = Obj(h);
    if (r == 0) {
        return -1;
    }
    Walk_Subtree(r, [type](Addr record) { Retype_Record(record, 0, type, true, true); });
    return 0;
}

int32_t Replace_Tree_Prim_Type(OBJ_Handle h, int32_t old_type, int32_t new_type)
{
    Addr r = Obj(h);
    if (r == 0) {
        return -1;
    }
    Walk_Subtree(r, [=](Addr record) { Retype_Record(record, old_type, new_type, false, false); });
    const Addr list_a = W_GetAddr(r + F_Prims_A);
    Walk_Nodes(W_GetAddr(r + F_Prims_B),
               [=](Addr node) { Retype(node, Edge_Node_Stored_Type(node, list_a), old_type, new_type, false); });
    return 0;
}

int32_t Replace_Prim_Type(OBJ_Handle h, int32_t old_type, int32_t new_type)
{
    if (Obj(h) == 0) {
        return -1;
    }
    For_Each_Record(h, [=](Addr record) { Retype_Record(record, old_type, new_type, false, true); });
    return 0;
}

int32_t Get_First_Prim_Type(OBJ_Handle h, int32_t *type)
{
    if (Obj(h) == 0) {
        return -1;
    }
    int32_t result = -1;
    For_Each_Record(h, [&](Addr record) {
        const Addr node = W_GetAddr(record + F_Prims_A);
        if (result != 0 && node != 0) {
            *type = W_Get32(node + 4);
            result = 0;
        }
    });
    return result;
}

int32_t Replace_Tree_Material(OBJ_Handle h, const char *old_name, const char *new_name)
{
    Addr r = Obj(h);
    if (r == 0) {
        return -1;
    }
    Addr old_slot = Find_Cached_File_Slot(old_name), new_slot = Find_Cached_File_Slot(new_name);
    Walk_Subtree(r, [&](Addr record) { Rematerial(record, old_slot, new_slot, new_name); });
    return 0;
}

int32_t Replace_Material(OBJ_Handle h, const char *old_name, const char *new_name)
{
    if (Obj(h) == 0) {
        return -1;
    }
    Addr old_slot = Find_Cached_File_Slot(old_name), new_slot = Find_Cached_File_Slot(new_name);
    For_Each_Record(h, [&](Addr record) { Rematerial(record, old_slot, new_slot, new_name); });
    return 0;
}

int32_t Set_Table_Shade(OBJ_Handle h, uint32_t value)
{
    if (Obj(h) == 0) {
        return -1;
    }
    For_Each_Record(h, [value](Addr record) { W_Set32(record + F_Shade, int32_t(value & 0x1f1f)); });
    return 0;
}

int32_t Get_Obj_Matrix(OBJ_Handle h, int32_t *m)
{
    Addr r = Obj(h);
    if (r == 0) {
        return -1;
    }
    Read_Words(r + F_Matrix, m, 9);
    return 0;
}

int32_t Set_Obj_Matrix(OBJ_Handle h, const int32_t *m)
{
    Addr r = Obj(h);
    if (r == 0) {
        return -1;
    }
    Write_Words(r + F_Matrix, m, 9);
    if (Flags(r) & OBJ_FLAG_CAMERA) {
        int32_t t[9];
        Mat_Transpose(m, t);
        Write_Words(r + F_Cam_Matrix, t, 9);
        Update_Camera_Pos(r);
    }
    return 0;
}

int32_t Get_Obj_Pos(OBJ_Handle h, int32_t *v)
{
    Addr r = Obj(h);
    if (r == 0) {
        return -1;
    }
    Read_Words(r + F_Pos, v, 3);
    return 0;
}

int32_t Set_Obj_Pos(OBJ_Handle h, const int32_t *v)
{
    Addr r = Obj(h);
    if (r == 0) {
        return -1;
    }
    Write_Words(r + F_Pos, v, 3);
    if (Flags(r) & OBJ_FLAG_CAMERA) {
        Update_Camera_Pos(r);
    }
    return 0;
}

int32_t Get_Obj_View_Matrix(OBJ_Handle h, int32_t *m)
{
    Addr r = Obj(h);
    if (r == 0) {
        return -1;
    }
    Read_Words(r + F_Cam_Matrix, m, 9);
    return 0;
}

int32_t Get_Obj_View_Pos(OBJ_Handle h, int32_t *v)
{
    Addr r = Obj(h);
    if (r == 0) {
        return -1;
    }
    Read_Words(r + F_Cam_Pos, v, 3);
    return 0;
}

// Both view setters work in the parent's camera-space frame, which an object without a parent lacks.
int32_t Set_Obj_View_Matrix(OBJ_Handle h, const int32_t *m)
{
    Addr r = Obj(h);
    if (r == 0) {
        return -1;
    }
    if (Flags(r) & OBJ_FLAG_CAMERA) {
        return 0;
    }
    Addr parent = W_GetAddr(r + F_Parent);
    if (parent == 0) {
        return -1;
    }
    int32_t pm[9], t[9], out[9];
    Read_Words(parent + F_Cam_Matrix, pm, 9);
    Mat_Transpose(pm, t);
    Mat_Mul(t, m, out);
    Write_Words(r + F_Matrix, out, 9);
    return 0;
}

int32_t Set_Obj_View_Pos(OBJ_Handle h, const int32_t *v)
{
    Addr r = Obj(h);
    if (r == 0) {
        return -1;
    }
    if (Flags(r) & OBJ_FLAG_CAMERA) {
        return 0;
    }
    Addr parent = W_GetAddr(r + F_Parent);
    if (parent == 0) {
        return -1;
    }
    int32_t pm[9], t[9], pp[3], d[3], out[3];
    Read_Words(parent + F_Cam_Matrix, pm, 9);
    Read_Words(parent + F_Cam_Pos, pp, 3);
    Mat_Transpose(pm, t);
    Vec_Sub(v, pp, d);
    Mat_Vec_Mul(t, d, out);
    Write_Words(r + F_Pos, out, 3);
    return 0;
}

int32_t Get_Obj_Rel_Matrix(OBJ_Handle frame, OBJ_Handle h, int32_t *m)
{
    Addr f = Obj(frame), r = Obj(h);
    if (f == 0 || r == 0) {
        return -1;
    }
    if (f == r) {
        Read_Words(r + F_Matrix, m, 9);
        return 0;
    }
    int32_t fm[9], cm[9];
    Read_Words(f + F_Matrix, fm, 9);
    Read_Words(r + F_Cam_Matrix, cm, 9);
    Mat_Mul(fm, cm, m);
    return 0;
}

int32_t Get_Obj_Rel_Pos(OBJ_Handle frame, OBJ_Handle h, int32_t *v)
{
    Addr f = Obj(frame), r = Obj(h);
    if (f == 0 || r == 0) {
        return -1;
    }
    if (f == r) {
        Read_Words(r + F_Pos, v, 3);
        return 0;
    }
    int32_t fm[9], fp[3], cp[3], out[3];
    Read_Words(f + F_Matrix, fm, 9);
    Read_Words(f + F_Pos, fp, 3);
    Read_Words(r + F_Cam_Pos, cp, 3);
    Mat_Vec_Mul(fm, cp, out);
    Vec_Add(out, fp, v);
    return 0;
}

int32_t Get_Obj_World_Matrix(OBJ_Handle h, int32_t *m) { return Get_Obj_Rel_Matrix(0, h, m); }
int32_t Get_Obj_World_Pos(OBJ_Handle h, int32_t *v) { return Get_Obj_Rel_Pos(0, h, v); }

namespace {

void Mirror(Addr r, const int32_t *point, int32_t *out)
{
    int32_t m[9], pos[3], d[3];
    Read_Words(r + F_Matrix, m, 9);
    Read_Words(r + F_Pos, pos, 3);
    const int32_t n[3] = {m[2], m[5], m[8]};
    Vec_Sub(pos, point, d);
    int64_t dot = int64_t(d[0]) * n[0] + int64_t(d[1]) * n[1] + int64_t(d[2]) * n[2];
    // k is a float; its product with each component is formed wider, so that no rounding of a float
    // product moves the truncated result.
    float k = float(double(dot) / 1073741824.0);
    for (int i = 0; i < 3; i++) {
        int32_t q = trunc_i32(double(n[i]) * double(k));
        out[i] = int32_t(int64_t(pos[i]) - (int64_t(d[i]) - q - q));
    }
}

} // namespace

int32_t Mirror_Point(OBJ_Handle h, const int32_t *point, int32_t *out)
{
    Addr r = Obj(h);
    if (r == 0) {
        return -1;
    }
    Mirror(r, point, out);
    return 0;
}

int32_t Mirror_Points(OBJ_Handle h, const int32_t *points, int32_t *out)
{
    Addr r = Obj(h);
    if (r == 0) {
        return -1;
    }
    int32_t result[9];
    for (int i = 0; i < 3; i++) {
        const int32_t p[3] = {points[i], points[3 + i], points[6 + i]};
        int32_t q[3];
        Mirror(r, p, q);
        result[i] = -q[0];
        result[3 + i] = -q[1];
        result[6 + i] = -q[2];
    }
    std::memcpy(out, result, sizeof result);
    return 0;
}

int32_t Scale_Obj(OBJ_Handle h, float fx, float fy, float fz)
{
    Addr block = Get_Obj_Block(h);
    if (block == 0) {
        return -1;
    }
    int32_t kind = W_Get32(block + 8);
    if (kind == OBJ_KIND_HIERARCHY) {
        Addr r = Obj(h);
        Scale_Words(r + F_Pos, fx, fy, fz);
        int32_t n = W_Get32(r + F_Vertex_Count);
        Addr vertices = W_GetAddr(r + F_Vertices);
        for (int32_t i = 0; i < n; i++) {
            Scale_Words(vertices + Addr(i) * sizeof(OBJ_Vertex) + 4, fx, fy, fz);
        }
        Walk_Nodes(W_GetAddr(r + F_Prims_A), [fx](Addr node) {
            int32_t faces = W_Get32(node + 28);
            Addr f = W_GetAddr(node + 32);
            for (int32_t k = 0; f != 0 && k < faces; k++) {
                W_Set32(f + 48, Scaled(W_Get32(f + 48), fx));
                f = W_GetAddr(f + 4);
            }
        });
        W_Set32(r + F_Radius, Scaled(W_Get32(r + F_Radius), fx));
        Scale_Words(r + F_Centre, fx, fy, fz);
    } else if (kind == OBJ_KIND_TRACKS || kind == OBJ_KIND_SPLINES) {
        uint32_t key = kind == OBJ_KIND_TRACKS ? sizeof(OBJ_PosKey) : sizeof(OBJ_PosKeySpline);
        int32_t count = W_Get32(block + OBJ_RECORD_COUNT);
        for (int32_t i = 0; i < count; i++) {
            Addr track = W_GetAddr(block + OBJ_RECORD_TABLE + Addr(i) * 4);
            int32_t n = W_Get32(track + 8);
            Addr keys = W_GetAddr(track + 16);
            for (int32_t k = 0; k < n; k++) {
                Scale_Words(keys + Addr(k) * key + 4, fx, fy, fz);
            }
        }
    }
    return 0;
}

int32_t Get_Vertex_Count(OBJ_Handle h)
{
    Addr r = Obj(h);
    return r == 0 ? -1 : W_Get32(r + F_Vertex_Count);
}

int32_t Set_Vertex(OBJ_Handle h, int32_t index, const int32_t *v)
{
    Addr r = Obj(h);
    if (r == 0 || index < 0 || index >= W_Get32(r + F_Vertex_Count)) {
        return -1;
    }
    Write_Words(W_GetAddr(r + F_Vertices) + Addr(index) * sizeof(OBJ_Vertex) + 4, v, 3);
    return 0;
}

int32_t Get_Vertex(OBJ_Handle h, int32_t index, int32_t *v)
{
    Addr r = Obj(h);
    if (r == 0 || index < 0 || index >= W_Get32(r + F_Vertex_Count)) {
        return -1;
    }
    Read_Words(W_GetAddr(r + F_Vertices) + Addr(index) * sizeof(OBJ_Vertex) + 4, v, 3);
    return 0;
}

int32_t Set_All_Vertices(OBJ_Handle h, const int32_t *v)
{
    int32_t n = Get_Vertex_Count(h);
    for (int32_t i = 0; i < n; i++) {
        Set_Vertex(h, i, v + i * 3);
    }
    return n < 0 ? -1 : 0;
}

int32_t Get_All_Vertices(OBJ_Handle h, int32_t *v)
{
    int32_t n = Get_Vertex_Count(h);
    for (int32_t i = 0; i < n; i++) {
        Get_Vertex(h, i, v + i * 3);
    }
    return n < 0 ? -1 : 0;
}

int32_t Get_Obj_Bounds(OBJ_Handle h, int32_t *centre, int32_t *radius)
{
    Addr r = Obj(h);
    if (r == 0) {
        return -1;
    }
    Read_Words(r + F_Centre, centre, 3);
    *radius = W_Get32(r + F_Radius);
    return 0;
}

int32_t Copy_Obj_Data(OBJ_Handle destination, OBJ_Handle source, int32_t mode)
{
    Addr d = Obj(destination), s = Obj(source);
    if (d == 0 || s == 0) {
        return -1;
    }
    std::memmove(W_Ptr(d + F_Name), W_Ptr(s + F_Name), 12);
    if (!(mode & 2)) {
        std::memmove(W_Ptr(d + F_Pos), W_Ptr(s + F_Pos), 12);
    }
    if (!(mode & 1)) {
        std::memmove(W_Ptr(d + F_Matrix), W_Ptr(s + F_Matrix), 36);
    }
    // The geometry, both primitive lists, the bounds, word 192, the attached lights and the shade word.
    std::memmove(W_Ptr(d + F_Vertex_Count), W_Ptr(s + F_Vertex_Count), 172 - 124);
    std::memmove(W_Ptr(d + F_Radius), W_Ptr(s + F_Radius), 212 - 176);
    return 0;
}
