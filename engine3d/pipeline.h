// The per-object pipeline: camera frame, sphere culling, vertex transforms, face culling, projection.
#pragma once
#include <cstdint>
#include <cstring>

#include "engine3d/records.h"

void Process_Obj(Addr record);
void XForm_Obj(Addr record);
void Cull_Obj(Addr record);
void XForm_Verts(Addr record);
void XForm_Free_Verts(Addr record);
void XForm_Norms(Addr record);
void Cull_Faces(Addr record);
void Project_Verts(Addr record);
// The camera's origin in the object's frame, truncated toward zero, from its camera frame of this frame.
void Obj_Eye(Addr record, int32_t *eye);

// Vertex flag bits.
enum : uint32_t {
    VTX_RIGHT = 0x01,
    VTX_LEFT = 0x02,
    VTX_ABOVE = 0x04,
    VTX_BELOW = 0x08,
    VTX_NEAR = 0x10,
    VTX_FAR = 0x20,
    VTX_PROJECT = 0x40,
    VTX_FREE = 0x80,
};

// Face flag bits.
enum : uint32_t {
    FACE_CULLED = 0x01,
    FACE_CLIPPED = 0x02,
    FACE_WINDING = 0x08,
};

// Float fields of work-area records, read and written byte-wise like the integer ones.
inline float P_GetF(const void *p)
{
    float v;
    std::memcpy(&v, p, 4);
    return v;
}

inline void P_SetF(void *p, float v) { std::memcpy(p, &v, 4); }

// The screen bits of a projected position.
uint32_t Screen_Bits(int32_t x, int32_t y);
// Inverse depth and screen position of a vertex from its camera position.
void Project_Vertex(uint8_t *vertex);
