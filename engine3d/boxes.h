// Collision boxes: their corners carried to the world and the screen each frame, and their accessors.
#pragma once
#include <cstdint>

#include "engine3d/records.h"

// Offsets of the fields of a collision box record (OBJ_CollBox), which may lie at any byte.
constexpr uint32_t BOX_SIZE = sizeof(OBJ_CollBox);
constexpr uint32_t BOX_CORNERS = offsetof(OBJ_CollBox, corners);
constexpr uint32_t BOX_SCREEN_X = offsetof(OBJ_CollBox, screen_x);
constexpr uint32_t BOX_SCREEN_Y = offsetof(OBJ_CollBox, screen_y);
constexpr uint32_t BOX_WORLD = offsetof(OBJ_CollBox, world);
constexpr uint32_t BOX_MINIMUM = offsetof(OBJ_CollBox, minimum);
constexpr uint32_t BOX_MAXIMUM = offsetof(OBJ_CollBox, maximum);

// Called by the render of every frame, between the scene pass and the scan pass: updates the boxes of
// every object below the root camera, whichever camera the frame is rendered from. Returns 0.
int32_t Update_All_Boxes();
// Visits every object below the start node, depth first, parents before children; the box update and
// the box drawing walk this way. The context is handed to each visit.
void Walk_Below(Addr start, void (*visit)(Addr object, void *context), void *context);
// Screen corners, world corners and world bounds of every box of one object, from its camera-space
// placement of this frame and the camera's own placement. Returns 0.
int32_t Update_Obj_Boxes(Addr object, Addr camera);

// The box count of a hierarchy object; -1 for a handle that names none.
int32_t Get_Box_Count(OBJ_Handle h);
// The box record i of an object; null for a bad handle or index.
uint8_t *Get_Box(OBJ_Handle h, int32_t index);
// The box's centre (between world corners 0 and 6) and the midpoints of its edges 0-1, 0-4 and 0-3
// (axes: three points of three words), truncated toward zero. 0, or -1 with nothing written for a bad
// handle or index.
int32_t Get_Box_Axes(OBJ_Handle h, int32_t index, int32_t *centre, int32_t *axes);
