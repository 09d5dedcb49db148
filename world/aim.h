// Head and torso aiming: bearings and elevations from an actor to a point, and the turn of the head
// and torso toward the nearest opponent or ally laid over the animation's pose.
#pragma once
#include <cstdint>

struct ActorRecord;

// The signed horizontal angle in radians (-pi..pi) from the direction the actor's torso faces to the
// point (x, z); stored in out and returned. Used by the aiming and the creature AI.
double ACTOR_BearingTo(const ActorRecord *actor, double x, double z, double *out);
// Its vertical counterpart toward the point at x = a, height b, folded into -pi/2..pi/2.
double ACTOR_ElevationTo(const ActorRecord *actor, double a, double b, double *out);
// The bearings of the four corners (+-150, +-150), with the actor's torso turn and again with a torso
// turn of 3072, into out[0..7]. Nothing in the game calls it.
void ACTOR_TestBearings(ActorRecord *actor, double *out);
// The 3D distance between the two actors' positions, rounded to the nearest unit.
int32_t ACTOR_Distance(const ActorRecord *a, const ActorRecord *b);
// Per frame from the actor step, after the animation posed the node, for actors with a head node.
void ACTOR_AimHead(ActorRecord *actor);
