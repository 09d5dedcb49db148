// The game's collision pass: actors against the scene, then spheres pushed apart; and the camera's
// sphere that keeps it out of the decor.
#pragma once
#include <cstdint>

struct ActorRecord;
struct OBJ_CollBody;
struct OBJ_CollTri;

// A registered sphere; the scene's registration has no body.
struct COL_Sphere {
    OBJ_CollBody *body;
    ActorRecord *owner;
};

// What one kind of contact gathered over a sweep step.
struct COL_Accumulator {
    int32_t last_normal[3];
    int32_t normal_sum[3];
    int32_t push[3];
};

inline constexpr int32_t COL_MAX_SPHERES = 30;
inline constexpr int32_t COL_CAMERA_RADIUS = 100;
inline constexpr int32_t COL_OBJECT_RADIUS = 50;
inline constexpr int32_t COL_SNAP_DISTANCE = 100;
// A sweep step whose push is longer than this ends the sweep: the sphere ran into something.
inline constexpr int32_t COL_STOP_PUSH = 50;
// How far below the lowest triangle of the collision space an actor's foot may fall, with nothing under
// it or over it, before its fall is taken as endless: it dies there.
inline constexpr int32_t COL_FALL_OUT_DEPTH = 2048;

extern COL_Sphere COL_Spheres[COL_MAX_SPHERES];
extern int32_t COL_SphereCount;
extern OBJ_CollBody *COL_CameraBody;
// The camera's stand-in during its push out of the decor.
extern ActorRecord COL_CameraActor;
extern int32_t COL_SnapDistance;

// Registers a body and its owner; the 31st stops the game.
void COL_AllocSphere(ActorRecord *owner, OBJ_CollBody *body);
// The level load frees the collision spheres of the level left.
void COL_FreeSpheres();
void COL_SetCameraBody(OBJ_CollBody *body);
// The body reset of an object, and of a moving actor: a body registered at its node.
void COL_CreateObjectSpheres(ActorRecord *actor);
void COL_CreateSceneSpheres(ActorRecord *actor);
// The scene loader registers the scene's collision model (a loaded .3DI handle) with the spheres.
void COL_AddSceneMesh(int32_t handle);

// Per frame from the frame composition, just before the render.
void COL_Collide();
void COL_ActorVsScene(ActorRecord *actor);
void COL_ObjectVsScene(ActorRecord *object);
// Pushes two actors apart; pa and pb are their rounded working positions, corrected in place.
void COL_PushApart(ActorRecord *a, ActorRecord *b, int32_t *pa, int32_t *pb);
// The follow camera pushes its aim target out of the decor, each frame its collision flag is set.
void COL_CollideCamera(int32_t *point);
// Sweeps the actor's body from its previous integer position to P in radius-sized steps; the contact
// bits of the last step, with its normal and push (P is left where that step was).
int32_t COL_SweepSphere(ActorRecord *actor, int32_t *P, int32_t *normal, int32_t *push);
// One contact of a sweep step into its kind's accumulator.
void COL_ResolveContact(const int32_t *hit, const int32_t *centre, COL_Accumulator *acc, const OBJ_CollTri *entry,
                        int32_t r, int32_t inside);
// The ground under P: 1 with the vertical correction in dy when the actor stands, 0 when the ground is
// beyond snapping reach or there is none at all: then the actor falls (contact A).
int32_t COL_GroundTest(ActorRecord *actor, const int32_t *P, int32_t *dy);
// The greatest y of any triangle in the collision space (its lowest point); 0 when it is empty.
int32_t COL_SpaceBottom();
