// Library start-up, the root camera and the projection: screen, viewport, focal lengths, clipping.
#pragma once
#include <cstddef>
#include <cstdint>

struct OBJ_ViewParams {
    int32_t screen_width, screen_height;
    int32_t bytes_per_pixel; // 2
    int32_t row_bytes;       // bytes per pixel x screen width
    int32_t row_pitch;       // pixels per row of the frame buffer
    int32_t view_start;      // pixel index of the view's first row: view y x screen width
    float aspect;            // height x 4 / (width x 3): 1.0 for 4:3
    int32_t view_x, view_y, view_width, view_height;
    int32_t centre_x, centre_y;
    float focal_x, focal_y;  // screen x = x x focal x / z + centre x
    int32_t near_clip, far_clip;
    int32_t normals[4][3];   // outward unit normals of the -x, +x, -y, +y side planes
    int32_t x_slope, y_slope;
};

extern OBJ_ViewParams OBJ_View;
extern float Cycles_Per_Refresh; // the profiler's measure of one display refresh, taken at start-up

int32_t Init_3D(void *area, size_t size);

int32_t Set_Screen_Size(int32_t width, int32_t height);
int32_t Set_Aspect(float aspect);
int32_t Set_Viewport(int32_t w, int32_t h, int32_t x, int32_t y, int32_t focal_factor);
int32_t Set_Viewport_Fov(int32_t w, int32_t h, int32_t x, int32_t y, float fov);
void Set_Near_Clip(int32_t distance);
void Set_Far_Clip(int32_t distance);
void Compute_Frustum();
int32_t Check_3DC_Magic(int32_t magic, int32_t version);
