// The render of one frame of the 3D scene: the settings, the per-frame counters, the walk of the
// object tree and the dormant geometry-only pass.
#pragma once
#include <cstdint>

#include "engine3d/records.h"

// What the scene pass calls: per object on the way down (Build_Obj), per node on the way up (list B),
// and per frame with the frame buffer (the scanline pass).
using Obj_Routine = void (*)(Addr record);
using Scan_Routine = void (*)(uint16_t *frame);
using Render_Callback = void (*)();

struct RenderSettings {
    Scan_Routine scan_pass;             // Scan_Pass or Scan_Pass_Line
    Obj_Routine build_obj;              // Build_Prims
    Obj_Routine list_b;                 // Build_Prims_B, or null
    uint8_t geom_only;                  // non-zero: the geometry-only pass, nothing drawn
    Render_Callback callback;           // after the scene pass, or null
    uint32_t clear_colour;              // the background colour in both halves
    const uint16_t *background_picture; // screen-sized, or null
    int32_t detail_level;               // 0..8
};
extern RenderSettings Render_Settings;

// Surface type of the background: 14 fills with the clear colour, 15 copies the picture.
extern int32_t Background_Type;
// Non-zero draws the profiler bars after each frame and turns on the rasteriser's checks.
extern int32_t Debug_Level;

// Per-frame counters, zeroed by every scene pass.
extern int32_t nb_objects1, nb_objects2, nb_objects3, nb_objects4;
extern int32_t vertices_processed, faces_processed;
extern int32_t nb_verts_xformed, nb_verts_projected, nb_normals;
extern int32_t nb_faces_tested, nb_faces_front, nb_faces_drawn, nb_faces_clipped;

// What the geometry-only pass writes: screen points with a free-vertex mark each, three indices per
// face, and one byte per face (face flag 0x08) at the face's first index.
constexpr int32_t GEOM_MAX_POINTS = 4096;
constexpr int32_t GEOM_MAX_INDICES = 2048;
struct GeomOutput {
    int32_t points[GEOM_MAX_POINTS][2];
    uint8_t marks[GEOM_MAX_POINTS];
    uint16_t indices[GEOM_MAX_INDICES];
    uint8_t faces[GEOM_MAX_INDICES];
};
extern GeomOutput Geom_Output;

void Render_Frame(uint16_t *frame);
void Render_Frame_From(OBJ_Handle camera, uint16_t *frame);
int32_t Render_Scene(Addr root);
void XForm_Tree(OBJ_Handle h);
void Select_Rasteriser(int32_t mode);
void Build_Geom_Only(Addr record);

// Debug drawing of a frame's axes from its camera-space position and matrix; nothing calls it in the game.
void Draw_Axes(uint16_t *frame, const int32_t *position, const int32_t *matrix);

void Set_Clear_Colour(uint16_t colour);
void Set_Background_Picture(const uint16_t *pixels);
void Set_Render_Callback(Render_Callback callback);
void Set_Detail_Level(int32_t level);

void Dump_Blocks();
