// Library start-up, the root camera and the projection: screen, viewport, focal lengths, clipping.
#include "engine3d/view.h"

#include <cmath>
#include <cstring>

#include "core/fconv.h"
#include "core/prof.h"
#include "engine3d/coll.h"
#include "engine3d/maths.h"
#include "engine3d/matcache.h"
#include "engine3d/pairs.h"
#include "engine3d/raster.h"
#include "engine3d/records.h"
#include "engine3d/workarea.h"

OBJ_ViewParams OBJ_View;
float Cycles_Per_Refresh;

namespace {

// The rasteriser keeps 1024 row buckets; a view that ends below row 1023 would index past them.
constexpr int32_t Last_Row = 1023;

int32_t narrow(int64_t v) { return static_cast<int32_t>(v); }

void Write_Identity(Addr a)
{
    int32_t m[9];
    Mat_Identity(m);
    for (int i = 0; i < 9; i++) {
        W_Set32(a + Addr(i) * 4, m[i]);
    }
}

// The root camera's block: handle 0, one hierarchy record named "Camera", no materials.
void Build_Root_Camera(Addr block, OBJ_Handle h)
{
    Addr record = block + offsetof(OBJ_RootCameraBlock, camera);
    W_Set32(block + offsetof(OBJ_BlockHeader, handle), h);
    W_Set32(block + offsetof(OBJ_BlockHeader, size), int32_t(sizeof(OBJ_RootCameraBlock)));
    W_Set32(block + offsetof(OBJ_BlockHeader, kind), OBJ_KIND_HIERARCHY);
    W_Set32(block + offsetof(OBJ_RootCameraBlock, record_count), 1);
    W_SetAddr(block + offsetof(OBJ_RootCameraBlock, record), record);
    std::memcpy(W_Ptr(record + offsetof(OBJ_Record, name)), "Camera", 7);
    W_Set32(record + offsetof(OBJ_Record, flags), OBJ_FLAG_CAMERA);
    Write_Identity(record + offsetof(OBJ_Record, matrix));
    Write_Identity(record + offsetof(OBJ_Record, cam_matrix));
}

// The view rectangle and what follows from it, for both viewport set-ups; the focal lengths are set
// by the caller in between.
int32_t Clamp_View_Height(int32_t h, int32_t y) { return int64_t(y) + h > Last_Row ? Last_Row - y : h; }

void Set_View_Rect(int32_t w, int32_t h, int32_t x, int32_t y)
{
    OBJ_View.view_width = w;
    OBJ_View.view_height = h;
    OBJ_View.view_x = x;
    OBJ_View.view_y = y;
}

void Finish_Viewport()
{
    OBJ_View.bytes_per_pixel = 2;
    OBJ_View.row_bytes = narrow(2 * int64_t(OBJ_View.screen_width));
    OBJ_View.centre_x = narrow(OBJ_View.view_width / 2 + int64_t(OBJ_View.view_x));
    OBJ_View.centre_y = narrow(OBJ_View.view_height / 2 + int64_t(OBJ_View.view_y));
    OBJ_View.near_clip = 128;
    Compute_Frustum();
    OBJ_View.far_clip = 65000;
    Compute_Frustum();
    Init_Edge_Lists();
    OBJ_View.row_pitch = OBJ_View.screen_width;
    OBJ_View.view_start = narrow(int64_t(OBJ_View.view_y) * OBJ_View.screen_width);
}

} // namespace

// Lays the work area out: the table of handle tables, the name cache, the rasteriser's nodes and the
// root camera, then the angle tables and the profiler. Everything loaded before is gone; the limits
// and the view stay. Offsets and room checks are 32-bit, so an area above 2 GB is refused like one
// too small for its own layout.
int32_t Init_3D(void *area, size_t size)
{
    if (Max_Handle_Tables < 1) {
        Max_Handle_Tables = 1;
    } else if (Max_Handle_Tables > 32767) {
        Max_Handle_Tables = 32767;
    }
    if (area == nullptr || size > 0x7FFFFFFF) {
        Heap_Overflow();
    }
    std::memset(area, 0, size);
    Work_Area = static_cast<uint8_t *>(area);
    Work_Size = static_cast<uint32_t>(size);
    Mem_libre = 0;

    Addr table = Mem_Alloc(uint32_t(Max_Handle_Tables) * 4);
    for (int32_t i = 0; i < Max_Handle_Tables; i++) {
        W_Set32(table + Addr(i) * 4, -1);
    }
    int64_t cache_bytes = int64_t(Max_Cache_Entries) * 60;
    if (cache_bytes < 0 || cache_bytes > int64_t(Work_Size)) {
        Heap_Overflow();
    }
    Name_Cache = Mem_Alloc(uint32_t(cache_bytes));
    Name_Cache_Entries = Max_Cache_Entries;
    Init_Rasteriser();

    First_Block = Last_Block = Mem_libre;
    OBJ_Handle root = Alloc_Handle_Table();
    Build_Root_Camera(Mem_Alloc(sizeof(OBJ_RootCameraBlock)), root);
    Heap_Init(Mem_libre);
    // The registered boxes lived in the area just cleared.
    Pairs_Empty();
    // So did the collision meshes.
    Coll_Forget_Meshes();

    Build_Trig_Tables();

    PROF_CalibrateClock();
    static const uint16_t colours[7] = {0xf800, 0x07e0, 0x001f, 0xf800, 0xffff, 0x00ff, 0x0f00};
    for (int i = 0; i < 7; i++) {
        PROF_SetColour(i + 1, colours[i]);
    }
    PROF_Reset();
    Cycles_Per_Refresh = PROF_CyclesPerRetrace();
    PROF_StartTimer(0);
    return 0;
}

// A size of nothing would leave the projection without a screen: it is ignored.
int32_t Set_Screen_Size(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0) {
        return 0;
    }
    OBJ_View.screen_width = width;
    OBJ_View.screen_height = height;
    OBJ_View.bytes_per_pixel = 2;
    OBJ_View.aspect = static_cast<float>(height * 4.0 / (width * 3.0));
    OBJ_View.row_pitch = width;
    OBJ_View.view_start = 0;
    return 0;
}

int32_t Set_Aspect(float aspect)
{
    OBJ_View.aspect = aspect;
    return 0;
}

// Focal length from a factor that gives the focal length of a 640-pixel-wide view.
int32_t Set_Viewport(int32_t w, int32_t h, int32_t x, int32_t y, int32_t focal_factor)
{
    h = Clamp_View_Height(h, y);
    Set_View_Rect(w, h, x, y);
    int32_t focal = narrow(int64_t(focal_factor) * w / 640);
    OBJ_View.aspect = static_cast<float>(h * 4.0 / (w * 3.0));
    OBJ_View.focal_x = static_cast<float>(focal);
    OBJ_View.focal_y = static_cast<float>(double(OBJ_View.focal_x) * OBJ_View.aspect);
    Finish_Viewport();
    return 0;
}

// Focal length from a horizontal field of view in degrees, kept to 1..179. The aspect is the
// current one, not the rectangle's, so a letterboxed view keeps the full screen's.
int32_t Set_Viewport_Fov(int32_t w, int32_t h, int32_t x, int32_t y, float fov)
{
    h = Clamp_View_Height(h, y);
    Set_View_Rect(w, h, x, y);
    double degrees = fov >= 1.0f ? (fov <= 179.0f ? double(fov) : 179.0) : 1.0;
    OBJ_View.focal_x = static_cast<float>(w * 0.5 / std::tan(degrees * 3.14159 / 360.0) + 0.5);
    OBJ_View.focal_y = static_cast<float>(double(OBJ_View.focal_x) * OBJ_View.aspect);
    Finish_Viewport();
    return 0;
}

// A near plane at 0 would let a camera z of 0 reach the projection.
void Set_Near_Clip(int32_t distance)
{
    OBJ_View.near_clip = distance < 1 ? 1 : distance;
    Compute_Frustum();
}

void Set_Far_Clip(int32_t distance)
{
    OBJ_View.far_clip = distance;
    Compute_Frustum();
}

void Compute_Frustum()
{
    int64_t fx = trunc_i32(OBJ_View.focal_x);
    int64_t fy = trunc_i32(OBJ_View.focal_y);
    int32_t hw = OBJ_View.view_width / 2;
    int32_t hh = OBJ_View.view_height / 2;
    const int32_t sides[4][3] = {
        {narrow(-fx), 0, -hw},
        {narrow(fx), 0, -hw},
        {0, narrow(-fy), -hh},
        {0, narrow(fy), -hh},
    };
    for (int i = 0; i < 4; i++) {
        Vec_Normalise(sides[i], OBJ_View.normals[i]);
    }
    OBJ_View.x_slope = trunc_i32(OBJ_View.view_width * 32768.0 / (-double(fx) * 2.0));
    OBJ_View.y_slope = trunc_i32(OBJ_View.view_height * 32768.0 / (-double(fy) * 2.0));
}

int32_t Check_3DC_Magic(int32_t magic, int32_t version)
{
    return magic == 0x43443346 && version == 450 ? 0 : -1;
}
