// Near-plane clipping: new vertices on the near plane and the faces that replace a crossing face.
#pragma once
#include <cstdint>

#include "engine3d/records.h"

// a lies on the visible side, b nearer than the near plane. The parameter along a -> b is handed
// back through t when asked for.
Addr Clip_Vertex_Near(Addr a, Addr b, float *t = nullptr);
void Clip_Face_Near(Addr node, Addr record, Addr face);
