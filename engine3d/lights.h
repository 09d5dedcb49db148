// Light slots: the scene's point and directed lights, which objects they reach, and their
// camera-space positions and directions each frame.
#pragma once
#include <cstdint>

#include "engine3d/records.h"

// Light types; any other value is stored but neither moved into camera space nor lit with.
enum : int32_t {
    LIGHT_FREE = 0,
    LIGHT_POINT = 1,
    LIGHT_DIRECTED = 2,
};

constexpr int32_t MAX_LIGHTS = 100;
constexpr int32_t MAX_OBJ_LIGHTS = 8;

// One slot. Positions and matrices are fixed point (1.0 = 0x8000); the matrix's third column is the
// light's direction.
struct OBJ_Light {
    int32_t type;
    int32_t position[3];     // in the world frame, the frame the root camera is placed in
    int32_t matrix[9];
    int32_t cam_position[3]; // written every frame by XForm_Lights
    int32_t cam_matrix[9];
    int32_t obj_position[3]; // in the frame of the object being lit, by Compute_Face_Illum
    int32_t obj_direction[3];
    int32_t inner_radius;    // full strength within
    int32_t outer_radius;    // no effect at or beyond
    int32_t intensity;       // shade steps, -31..31
};

// The table and its live count live for the whole run: neither Init_3D nor a level change clears them.
extern OBJ_Light Light_Table[MAX_LIGHTS];
extern int32_t Light_Count;

// The game's light code adds, moves and removes lights and attaches them to the objects they reach.
int32_t Add_Light(const int32_t *position, const int32_t *matrix, int32_t type, int32_t inner_radius,
                  int32_t outer_radius, int32_t intensity);
void Remove_Light(int32_t slot);
void Set_Light_Pos(int32_t slot, const int32_t *position);
void Set_Light_Matrix(int32_t slot, const int32_t *matrix);
void Set_Light_Shade(int32_t slot, int32_t value);
void Get_Light_Pos(int32_t slot, int32_t *position);
void Get_Light_Matrix(int32_t slot, int32_t *matrix);
int32_t Attach_Light(int32_t light, OBJ_Handle h);
int32_t Detach_Light(int32_t light, OBJ_Handle h);

// Called by the scene pass at the start of every frame, before the objects are walked.
void XForm_Lights();
