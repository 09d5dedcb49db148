// Debug views of the collision: collision meshes, the exact tests' results and the collision boxes,
// drawn with lines and pixels into the frame buffer as the root camera sees them.
#pragma once
#include <cstdint>

#include "engine3d/coll.h"
#include "engine3d/records.h"

// The twelve edges of box `index` of an object between its screen corners; nothing for an object
// culled this frame or crossing the near plane, or for a handle or index the boxes refuse.
void Draw_Box(uint16_t *frame, OBJ_Handle h, int32_t index, uint16_t colour);
// Every box of one object in 0x00FF; nothing for an object culled this frame.
void Draw_Obj_Boxes(uint16_t *frame, Addr object);
// The boxes of every object of the walk below the start node (not the node itself), after a render.
void Draw_All_Boxes(uint16_t *frame, Addr start);

// Every triangle of a collision-mesh block whose three corners lie beyond the near distance; the
// game's collision pass calls it while its debug display is on.
void Draw_Mesh_Wire(uint16_t *frame, OBJ_Handle h, uint16_t colour);
// A segment, or a point, between world points, when beyond the near distance.
void Draw_Line_3D(uint16_t *frame, const int32_t *a, const int32_t *b, uint16_t colour);
void Draw_Point_3D(uint16_t *frame, const int32_t *p, uint16_t colour);
// The three edges of a collision triangle.
void Draw_Tri_3D(uint16_t *frame, const OBJ_CollTri *tri, uint16_t colour);
// The body's centre, then for each triangle of its 3D contact list the box of the triangle and the
// sphere test's contact point, as three lines through its middle. Walks the list to its end.
void Draw_Sphere_Test(uint16_t *frame, OBJ_CollBody *body, uint16_t colour);
// The body's centre, then for each triangle of its 2D contact list the point test's hit (0xFF00) and the
// triangle (0xFFFF); only the centre when it is not beyond the near distance.
void Draw_Point_Test(uint16_t *frame, OBJ_CollBody *body, uint16_t colour);
