// The render of one frame: the entries, the walk of the object tree under a camera, the settings the
// rest of the program may change, and the dormant geometry-only pass and block dump.
#include "engine3d/render.h"

#include <cstdio>

#include "core/dsp.h"
#include "core/prof.h"
#include "engine3d/boxes.h"
#include "engine3d/draw2d.h"
#include "engine3d/lights.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "engine3d/pipeline.h"
#include "engine3d/raster.h"
#include "engine3d/setup.h"
#include "engine3d/view.h"
#include "engine3d/span_routines.h"
#include "engine3d/span.h"
#include "engine3d/workarea.h"
#include "plat/system.h"

RenderSettings Render_Settings = {Scan_Pass, Build_Prims, Build_Prims_B, 0, nullptr, 0, nullptr, 0};
int32_t Background_Type = 14;
int32_t Debug_Level = 0;

int32_t nb_objects1, nb_objects2, nb_objects3, nb_objects4;
int32_t vertices_processed, faces_processed;
int32_t nb_verts_xformed, nb_verts_projected, nb_normals;
int32_t nb_faces_tested, nb_faces_front, nb_faces_drawn, nb_faces_clipped;

GeomOutput Geom_Output;

namespace {

constexpr uint32_t Flags = offsetof(OBJ_Record, flags);
constexpr uint32_t Parent = offsetof(OBJ_Record, parent);
constexpr uint32_t First_Child = offsetof(OBJ_Record, first_child);
constexpr uint32_t Next_Sibling = offsetof(OBJ_Record, next_sibling);

bool Skipped(Addr record) { return (uint32_t(W_Get32(record + Flags)) & OBJ_FLAG_SKIP_TREE) != 0; }

// The depth-first walk of both the scene pass and XForm_Tree, without recursion: visit on the way
// down for every node not skipped by 0x0001, leave on the way up for every node reached, the root
// last. The root itself is never visited, and the walk ends with it: a camera that hangs in a tree
// renders its own subtree, never its siblings' or its parent's.
template <typename Visit, typename Leave> void Walk_Tree(Addr root, Visit visit, Leave leave)
{
    Addr current = root;
    bool down = true;
    while (current != 0) {
        if (down) {
            Addr child = W_GetAddr(current + First_Child);
            if (child == 0) {
                down = false;
                continue;
            }
            current = child;
            if (Skipped(current)) {
                down = false;
            } else {
                visit(current);
            }
        } else {
            leave(current);
            if (current == root) {
                break;
            }
            Addr sibling = W_GetAddr(current + Next_Sibling);
            if (sibling == 0) {
                current = W_GetAddr(current + Parent);
                continue;
            }
            current = sibling;
            if (!Skipped(current)) {
                visit(current);
                down = true;
            }
        }
    }
}

void Render_From_Record(Addr camera, uint16_t *frame)
{
    // The frame buffer's format check: the halving mask of the 50% spans and the blend tables follow
    // the display's pixel format.
    static int32_t span_format = -1;
    if (DSP_Rgb555 != span_format) {
        span_format = DSP_Rgb555;
        Set_Blend_Mask(DSP_Rgb555 != 0 ? 15 : 16);
    }
    Span_Check_Format(DSP_Rgb555);
    PROF_StartTimer(1);
    if (Render_Settings.geom_only == 0) {
        Render_Scene(camera);
        if (Render_Settings.callback != nullptr) {
            Render_Settings.callback();
        }
        Update_All_Boxes();
        Render_Settings.scan_pass(frame);
    } else {
        Render_Settings.list_b = nullptr;
        Render_Settings.build_obj = Build_Geom_Only;
        Render_Scene(camera);
        if (Render_Settings.callback != nullptr) {
            Render_Settings.callback();
        }
        Update_All_Boxes();
        Render_Settings.build_obj = Build_Prims;
        Render_Settings.list_b = Build_Prims_B;
    }
    PROF_StopTimer(1);
    PROF_StopTimer(0);
    if (Debug_Level != 0) {
        PROF_DrawBars(frame);
        PROF_DrawValue(frame, 0, 0);
    }
    PROF_Reset();
    PROF_StartTimer(0);
}

} // namespace

// The root camera is the first record of handle 0. A library not yet started has none, and then
// nothing is rendered.
void Render_Frame(uint16_t *frame)
{
    Render_Frame_From(0, frame);
}

// A handle that names no object renders nothing: no counter, timer or pixel changes.
void Render_Frame_From(OBJ_Handle camera, uint16_t *frame)
{
    const Addr record = Get_Hierarchy_Record(camera);
    if (record == 0) {
        return;
    }
    Render_From_Record(record, frame);
}

int32_t Render_Scene(Addr root)
{
    Heap_Init(Mem_libre);
    vertices_processed = 0;
    faces_processed = 0;
    XForm_Lights();
    nb_objects1 = nb_objects2 = nb_objects3 = nb_objects4 = 0;
    nb_verts_xformed = nb_verts_projected = nb_normals = 0;
    nb_faces_tested = nb_faces_front = nb_faces_drawn = nb_faces_clipped = 0;
    Walk_Tree(
        root,
        [](Addr record) {
            nb_objects1++;
            Process_Obj(record);
        },
        [](Addr record) {
            if (Render_Settings.list_b != nullptr) {
                Render_Settings.list_b(record);
            }
        });
    return 0;
}

void XForm_Tree(OBJ_Handle h)
{
    const Addr record = Get_Hierarchy_Record(h);
    if (record != 0) {
        Walk_Tree(record, XForm_Obj, [](Addr) {});
    }
}

void Select_Rasteriser(int32_t mode) { Render_Settings.scan_pass = mode == 0 ? Scan_Pass : Scan_Pass_Line; }

// A face goes out only when its three points and three indices fit; once one does not, no later face
// of the frame does either, since the counts stop growing.
void Build_Geom_Only(Addr record)
{
    for (Addr node = W_GetAddr(record + offsetof(OBJ_Record, prims_a)); node != 0;
         node = W_GetAddr(node + offsetof(OBJ_PrimNode, next))) {
        for (Addr face = W_GetAddr(node + offsetof(OBJ_PrimNode, face_chain)); face != 0;
             face = W_GetAddr(face + offsetof(OBJ_Face, next))) {
            uint32_t flags = uint32_t(W_Get32(face));
            if ((flags & FACE_CULLED) != 0) {
                continue;
            }
            if (vertices_processed + 3 > GEOM_MAX_POINTS || faces_processed + 3 > GEOM_MAX_INDICES) {
                continue;
            }
            static const uint32_t corners[3] = {offsetof(OBJ_Face, v0), offsetof(OBJ_Face, v1),
                                                offsetof(OBJ_Face, v2)};
            for (int k = 0; k < 3; k++) {
                const uint8_t *v = W_Ptr(W_GetAddr(face + corners[k]));
                int32_t point = vertices_processed + k;
                Geom_Output.points[point][0] = P_Get32(v + offsetof(OBJ_Vertex, screen_x));
                Geom_Output.points[point][1] = P_Get32(v + offsetof(OBJ_Vertex, screen_y));
                Geom_Output.marks[point] = (uint32_t(P_Get32(v)) & VTX_FREE) != 0 ? 1 : 0;
                Geom_Output.indices[faces_processed + k] = uint16_t(faces_processed + k);
            }
            Geom_Output.faces[faces_processed] = (flags & FACE_WINDING) != 0 ? 1 : 0;
            vertices_processed += 3;
            faces_processed += 3;
        }
    }
}

// Each axis 100 units long, the z axis first: blue z, green y, red x, each tipped with a white pixel.
void Draw_Axes(uint16_t *frame, const int32_t *position, const int32_t *matrix)
{
    if (position[2] < OBJ_View.near_clip) {
        return;
    }
    constexpr uint16_t Axis_Colours[3] = {0xf800, 0x1fe0, 0x00ff};
    for (int32_t column = 2; column >= 0; column--) {
        int32_t end[3];
        for (int32_t i = 0; i < 3; i++) {
            end[i] = int32_t(int64_t(position[i]) + ((int64_t(matrix[i * 3 + column]) * 100) >> 15));
        }
        if (end[2] == 0) {
            continue;
        }
        int32_t x0, y0, x1, y1;
        Project_Point(position, &x0, &y0);
        Project_Point(end, &x1, &y1);
        Draw_Line(frame, x0, y0, x1, y1, Axis_Colours[column]);
        Draw_Pixel(frame, x1, y1, 0xffff);
    }
}

void Set_Clear_Colour(uint16_t colour) { Render_Settings.clear_colour = uint32_t(colour) << 16 | colour; }

void Set_Background_Picture(const uint16_t *pixels) { Render_Settings.background_picture = pixels; }

void Set_Render_Callback(Render_Callback callback) { Render_Settings.callback = callback; }

void Set_Detail_Level(int32_t level) { Render_Settings.detail_level = level < 0 ? 0 : (level > 8 ? 8 : level); }

// The block chain on the console, from the root camera's block. The hex words keep the format's
// literal 'd' after them.
void Dump_Blocks()
{
    if (Work_Area == nullptr) {
        return;
    }
    Addr block = W_GetAddr(0);
    for (uint32_t steps = 0; block != 0 && W_Fits(block, sizeof(OBJ_BlockHeader)) && steps < 0x100000; steps++) {
        char line[128];
        std::snprintf(line, sizeof line, " %ld \n %ld \n %ld \n %xd \n %xd \n \n",
                      long(W_Get32(block + offsetof(OBJ_BlockHeader, handle))),
                      long(W_Get32(block + offsetof(OBJ_BlockHeader, size))),
                      long(W_Get32(block + offsetof(OBJ_BlockHeader, kind))),
                      unsigned(W_GetAddr(block + offsetof(OBJ_BlockHeader, previous))),
                      unsigned(W_GetAddr(block + offsetof(OBJ_BlockHeader, next))));
        PLAT_WriteStdout(line);
        block = W_GetAddr(block + offsetof(OBJ_BlockHeader, next));
    }
}
