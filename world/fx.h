// Effect models: glow balls, shots, the particle and spark rings, emitters, mana spheres and ground
// elements.
#pragma once
#include <cstdint>

#include "engine3d/records.h"

struct ActorRecord;

// A ring entry: a small model instance that flies, slows down and vanishes. Sparks are the same.
struct FX_Particle {
    OBJ_Handle node;
    float pos[3];
    float vel[3];
    float life;                  // frames
    int32_t flags;               // FX_PARTICLE_*
};
inline constexpr int32_t FX_PARTICLE_HIDDEN = 0x01;
inline constexpr int32_t FX_PARTICLE_FROZEN = 0x04; // keeps its velocity: a launch puff

// A point of a vent zone that refills the air of the hero near it and steers the weather's emission box.
struct FX_Emitter {
    float pos[3];
    float rate;
    int32_t in_use;
};

// A ball the hero collects for its second gauge.
struct FX_ManaSphere {
    OBJ_Handle node;
    float pos[3];
    float value;
    uint8_t flags;               // FX_SPHERE_*
};
inline constexpr uint8_t FX_SPHERE_PRESENT = 0x01;
inline constexpr uint8_t FX_SPHERE_TAKEN = 0x02;

// A small creature that wanders in its zone's box, following a leader, and swarms around the hero.
struct FX_GroundElement {
    OBJ_Handle node;
    float target[3];
    float pos[3];
    float vel[3];
    float speed;
    FX_GroundElement *leader;    // none for element 0
    int32_t heading, pitch;      // 4096 a turn; the pitch kept in 0..4095
    int32_t flags;               // FX_GROUND_*
};
inline constexpr int32_t FX_GROUND_ACTIVE = 0x01;
inline constexpr int32_t FX_GROUND_NEAR_HERO = 0x02; // moves and turns at double speed

inline constexpr int32_t FX_PARTICLE_COUNT = 64;
inline constexpr int32_t FX_SPARK_COUNT = 16;
inline constexpr int32_t FX_TABLE_COUNT = 16; // emitters, mana spheres and ground elements each

// The rings live from the read index up to (not including) the write index.
extern FX_Particle FX_Particles[FX_PARTICLE_COUNT];
extern int32_t FX_ParticleWrite, FX_ParticleRead;
extern FX_Particle FX_SparkRing[FX_SPARK_COUNT];
extern int32_t FX_SparkWrite, FX_SparkRead;
extern FX_Emitter FX_Emitters[FX_TABLE_COUNT];
extern FX_ManaSphere FX_ManaSpheres[FX_TABLE_COUNT];
extern FX_GroundElement FX_GroundElements[FX_TABLE_COUNT];

// Forgets every effect and its node without touching the 3D library. The loaders below set up what a
// level has; a bench that builds a scene without the level load calls this first, so that no handle of
// an earlier library is used.
void FX_Clear();

// The level load's effect loaders, in the order it calls them (with WPN_LoadThrown after the first).
void FX_LoadModels();
void FX_LoadShotModels();
void FX_InitEmitters();
void FX_LoadThrownModel();
void FX_LoadManaSpheres();
void FX_LoadGroundElements();

// The actor step hangs a glow ball on an actor whose spell animation passes its hit frame.
void FX_AttachBall(int32_t kind, ActorRecord *actor, int32_t node, int32_t size);

// Per frame from the hero's fight step: the trail a fast mover leaves.
void FX_Trail(ActorRecord *actor);
// One trail particle behind the actor; FX_Trail decides how many.
void FX_SpawnTrail(ActorRecord *actor);
// Particles bursting from an actor: debris of a hit, the air an actor under water breathes out.
void FX_SpawnHitParticles(ActorRecord *actor);
// The hero's moves, each frame a spell is held without the gun: a puff at the casting hand.
void FX_SpawnEffect(ActorRecord *actor);
// One spark about an actor struck by a blow (the callers ask for several).
void FX_Sparks(ActorRecord *actor);
// 32 particles flying out in a circle from the centre. Nothing in the game calls it; kdev does.
void FX_RingBurst(const float *centre);

// Takes a particle out of the front of the ring: its node hidden, the read index on.
void FX_ExpireParticle(FX_Particle *particle);
// Puts a spark out; the spark update takes it off the ring once it reaches the front.
void FX_KillSpark(FX_Particle *spark);

// A new target for a ground element: inside its zone's box (element 0), or near an anchor (its
// leader's position, or the hero's).
void FX_PlaceInZoneBox(FX_GroundElement *element);
void FX_PlaceNearAnchor(FX_GroundElement *element, const float *anchor);
// One step of a ground element toward its target, and the swarm test against the hero after it.
void FX_StepGroundElement(FX_GroundElement *element);
void FX_SwarmHero(FX_GroundElement *element, const ActorRecord *hero);

// What the glow-ball stand-in saw: its calls and the last ball asked for.
struct FX_BallRequest {
    int32_t kind;
    ActorRecord *actor;
    int32_t node, size;
};
extern int32_t FX_BallCount;
extern FX_BallRequest FX_LastBall;

// Called once per frame by the game tick. The emitters and the mana spheres act for the steered
// actor, the ground elements swarm around the hero.
void FX_UpdateEmitters(ActorRecord *actor);
void FX_UpdateManaSpheres(ActorRecord *actor);
void FX_UpdateParticles();
void FX_UpdateSparks();
void FX_UpdateGroundElements(ActorRecord *hero);
void FX_UpdateBalls();
