// The game's collision pass. Not built yet: there is nothing to collide, no sphere to free, no
// scene mesh is kept and the camera's point is left where it is.
#include "world/col.h"

#include "world/actor.h"

COL_Sphere COL_Spheres[COL_MAX_SPHERES];
int32_t COL_SphereCount;
OBJ_CollBody *COL_CameraBody;
ActorRecord COL_CameraActor;
int32_t COL_SnapDistance = COL_SNAP_DISTANCE;

void COL_AllocSphere(ActorRecord *, OBJ_CollBody *) {}
void COL_FreeSpheres() {}
void COL_SetCameraBody(OBJ_CollBody *body) { COL_CameraBody = body; }
void COL_CreateObjectSpheres(ActorRecord *) {}
void COL_CreateSceneSpheres(ActorRecord *) {}
void COL_AddSceneMesh(int32_t) {}

void COL_Collide() {}
void COL_ActorVsScene(ActorRecord *) {}
void COL_ObjectVsScene(ActorRecord *) {}
void COL_PushApart(ActorRecord *, ActorRecord *, int32_t *, int32_t *) {}
void COL_CollideCamera(int32_t *) {}

int32_t COL_SweepSphere(ActorRecord *, int32_t *, int32_t *normal, int32_t *push)
{
    for (int i = 0; i < 3; i++) {
        normal[i] = push[i] = 0;
    }
    return 0;
}

void COL_ResolveContact(const int32_t *, const int32_t *, COL_Accumulator *, const OBJ_CollTri *, int32_t, int32_t) {}

int32_t COL_GroundTest(ActorRecord *, const int32_t *, int32_t *dy)
{
    *dy = 0;
    return 0;
}
