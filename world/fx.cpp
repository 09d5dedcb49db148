// Effect models: the particle and spark rings, the vents, the mana spheres and the ground elements.
// The glow balls, shots and ribbon are not built yet: their loader and update do nothing, and a glow
// ball asked for is only recorded.
#include "world/fx.h"

#include <cmath>
#include <cstring>

#include "core/fconv.h"
#include "core/game_frame.h"
#include "core/rand.h"
#include "core/wrap.h"
#include "engine3d/image.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "world/actor.h"
#include "world/aim.h"
#include "world/level_record.h"
#include "world/mdl.h"
#include "world/mis.h"
#include "world/prj.h"
#include "world/ptc.h"

FX_Particle FX_Particles[FX_PARTICLE_COUNT];
int32_t FX_ParticleWrite, FX_ParticleRead;
FX_Particle FX_SparkRing[FX_SPARK_COUNT];
int32_t FX_SparkWrite, FX_SparkRead;
FX_Emitter FX_Emitters[FX_TABLE_COUNT];
FX_ManaSphere FX_ManaSpheres[FX_TABLE_COUNT];
FX_GroundElement FX_GroundElements[FX_TABLE_COUNT];

int32_t FX_BallCount;
FX_BallRequest FX_LastBall;

namespace {

constexpr double Pi = 3.14159265358979;
constexpr double Two_Pi = 6.2831853071794;
constexpr const char *Read_Element_Error = "Kalder Internal Error : Read Element Error";

// Zone types that place effects.
constexpr int32_t Zone_Mana = 2;
constexpr int32_t Zone_Ground = 3;
constexpr int32_t Zone_Vents = 6;

// The box element 0 of the ground elements wanders in, kept from the load.
int32_t Ground_Box_Min[3], Ground_Box_Max[3];

// Every node this module touches is an instance it cloned; a cleared record (0, the root camera) or a
// failed clone (-1) is left alone.
bool Has_Node(OBJ_Handle node) { return node > 0; }

void Show(OBJ_Handle node)
{
    if (Has_Node(node)) {
        Show_Obj_Tree(node);
    }
}

void Hide(OBJ_Handle node)
{
    if (Has_Node(node)) {
        Hide_Obj_Tree(node);
    }
}

void Place(OBJ_Handle node, const float *pos)
{
    if (Has_Node(node)) {
        const int32_t v[3] = {trunc_i32(pos[0]), trunc_i32(pos[1]), trunc_i32(pos[2])};
        Set_Obj_Pos(node, v);
    }
}

// Placed and turned like the root camera: the particle faces the viewer.
void Place_Facing(OBJ_Handle node, const float *pos, const int32_t *camera)
{
    if (Has_Node(node)) {
        Place(node, pos);
        Set_Obj_Matrix(node, camera);
    }
}

int32_t Water_Height() { return PRJ_Current != nullptr ? PRJ_Current->water_height : 0; }

bool Hero_Stance() { return (ACTOR_Slots[ACTOR_HERO].flags[4] & ACTOR_F4_PITCH_STEERING) != 0; }

// The lowest-index zone in use of the type, or none.
const ZoneRecord *First_Zone(int32_t type)
{
    if (PRJ_Current == nullptr) {
        return nullptr;
    }
    for (const ZoneRecord &z : PRJ_Current->zones) {
        if ((z.flags & 1) != 0 && z.type == type) {
            return &z;
        }
    }
    return nullptr;
}

// A zone's point count comes from the project file: held to the 16 points a zone has room for.
int32_t Point_Count(const ZoneRecord *z)
{
    return z->point_count < 0 ? 0 : z->point_count > 16 ? 16 : z->point_count;
}

// Effects stand 100 units below their zone's points.
void Point_Position(const ZoneRecord *z, int32_t i, float *pos)
{
    pos[0] = float(z->points[i][0]);
    pos[1] = float(int64_t(z->points[i][1]) + 100);
    pos[2] = float(z->points[i][2]);
}

OBJ_Handle Load_Model(const char *name)
{
    const OBJ_Handle model = Load_Obj(name);
    if (model < 0) {
        MDL_LoadError(Read_Element_Error);
    }
    Hide_Obj_Tree(model);
    return model;
}

// A copy of the model under the root, at the given scale; -1 when the library has no room for it.
OBJ_Handle Instance(OBJ_Handle model, float scale)
{
    const OBJ_Handle copy = Clone_Obj(model);
    if (copy <= 0) {
        return -1;
    }
    Link_Obj(copy, 0);
    Scale_Obj(copy, scale, scale, scale);
    return copy;
}

// A ring of model instances, all hidden, scaled by the hero's stance as the particles are.
void Fill_Ring(FX_Particle *ring, int32_t count, const char *name)
{
    const OBJ_Handle model = Load_Model(name);
    const float unit = Hero_Stance() ? 0.2f : 0.05f;
    for (int32_t i = 0; i < count; i++) {
        FX_Particle &p = ring[i];
        p = FX_Particle{};
        p.node = Instance(model, float((i & 3) + 3) * unit);
        Hide(p.node);
        p.flags = FX_PARTICLE_HIDDEN;
    }
}

void Expire(FX_Particle *p, int32_t count, int32_t *read)
{
    Hide(p->node);
    p->flags |= FX_PARTICLE_HIDDEN;
    *read = (*read + 1) % count;
}

// The entry at the write index, shown and given its flags afresh. When the write index catches the
// read index the oldest entry is dropped, its node hidden so that it does not stay frozen on screen.
FX_Particle *Take(FX_Particle *ring, int32_t count, int32_t *write, int32_t *read, int32_t flags)
{
    FX_Particle *p = &ring[*write];
    if ((p->flags & FX_PARTICLE_HIDDEN) != 0) {
        Show(p->node);
    }
    p->flags = flags;
    *write = (*write + 1) % count;
    if (*write == *read) {
        Expire(&ring[*read], count, read);
    }
    return p;
}

FX_Particle *Take_Particle(int32_t flags)
{
    return Take(FX_Particles, FX_PARTICLE_COUNT, &FX_ParticleWrite, &FX_ParticleRead, flags);
}

float Random_Unit() { return float(SYS_Rand()) / 32767.0f; }

float Squared_Distance(const float *p, const ActorRecord *actor)
{
    const float dx = float(actor->position[0]) - p[0];
    const float dy = float(actor->position[1]) - p[1];
    const float dz = float(actor->position[2]) - p[2];
    return dx * dx + dy * dy + dz * dz;
}

} // namespace

void FX_Clear()
{
    std::memset(FX_Particles, 0, sizeof FX_Particles);
    std::memset(FX_SparkRing, 0, sizeof FX_SparkRing);
    std::memset(FX_Emitters, 0, sizeof FX_Emitters);
    std::memset(FX_ManaSpheres, 0, sizeof FX_ManaSpheres);
    std::memset(FX_GroundElements, 0, sizeof FX_GroundElements);
    FX_ParticleWrite = FX_ParticleRead = FX_SparkWrite = FX_SparkRead = 0;
}

void FX_LoadModels() {}
void FX_UpdateBalls() {}

void FX_AttachBall(int32_t kind, ActorRecord *actor, int32_t node, int32_t size)
{
    FX_BallCount++;
    FX_LastBall = {kind, actor, node, size};
}

void FX_LoadShotModels()
{
    const char *name = Water_Height() != 0 ? "data\\3dc\\gr00.3dc"
                       : Hero_Stance()     ? "data\\3dc\\gr03.3dc"
                                           : "data\\3dc\\gr02.3dc";
    FX_ParticleWrite = FX_ParticleRead = 0;
    Fill_Ring(FX_Particles, FX_PARTICLE_COUNT, name);
}

void FX_LoadThrownModel()
{
    FX_SparkWrite = FX_SparkRead = 0;
    Fill_Ring(FX_SparkRing, FX_SPARK_COUNT, "data\\3dc\\gr01.3dc");
}

void FX_ExpireParticle(FX_Particle *particle) { Expire(particle, FX_PARTICLE_COUNT, &FX_ParticleRead); }

void FX_SpawnEffect(ActorRecord *actor)
{
    FX_Particle *p = Take_Particle(FX_PARTICLE_FROZEN);
    p->life = 5.0f;
    // The launch vector of a projectile the actor would fire: its facing times its radius.
    static ActorRecord launch;
    MIS_CompLaunchPos(actor, &launch);
    const float k = Random_Unit();
    const float r1 = float(SYS_Rand() - 16383), r2 = float(SYS_Rand() - 16383), r3 = float(SYS_Rand() - 16383);
    const float spread[3] = {r1 / 256.0f, r2 / 512.0f, r3 / 256.0f};
    const float speed = Random_Unit() * 5.0f;
    for (int i = 0; i < 3; i++) {
        p->pos[i] = float(actor->position[i]) + k * launch.velocity[i] + spread[i];
        p->vel[i] = launch.velocity[i] * speed;
    }
}

void FX_SpawnTrail(ActorRecord *actor)
{
    FX_Particle *p = Take_Particle(0);
    p->life = 100.0f;
    const float tf = float(GAME_TimeFactor);
    for (int i = 0; i < 3; i++) {
        p->pos[i] = float(actor->position[i]) - actor->velocity[i] * tf * 15.0f + float(SYS_Rand() - 16383) * 0.0625f;
        p->vel[i] = actor->velocity[i] * 2.0f;
    }
}

void FX_Trail(ActorRecord *actor)
{
    if (actor->physics_mode == 1 && actor->current_anim != 0) {
        return;
    }
    const int32_t water = Water_Height();
    if (water != 0 && double(water) + 150.0 > actor->position[1]) {
        return;
    }
    double v = 0.0;
    for (int32_t m : actor->motion_vector) {
        v += double(m) * double(m);
    }
    v *= GAME_TimeFactor * GAME_TimeFactor;
    if (actor->physics_mode != 1 || !(v > 25.0)) {
        return;
    }
    if (SYS_Rand() < 4095) {
        FX_SpawnTrail(actor);
    }
    if (v > 400.0 && SYS_Rand() < 4095) {
        FX_SpawnTrail(actor);
    }
    if (v > 900.0 && SYS_Rand() < 8191) {
        FX_SpawnTrail(actor);
    }
}

void FX_SpawnHitParticles(ActorRecord *actor)
{
    if (Water_Height() != 0) {
        // A breath of air that the water makes rise.
        FX_Particle *p = Take_Particle(0);
        p->life = 1000.0f;
        for (int i = 0; i < 3; i++) {
            p->pos[i] = float(actor->position[i]);
            p->vel[i] = 0.0f;
        }
        p->pos[1] -= 100.0f;
        return;
    }
    for (int n = 0; n < 2; n++) {
        FX_Particle *p = Take_Particle(0);
        p->life = 1000.0f;
        for (int i = 0; i < 3; i++) {
            p->pos[i] = float(actor->position[i]);
            p->vel[i] = 0.0f;
        }
        if ((actor->flags[4] & ACTOR_F4_PITCH_STEERING) != 0) {
            // Thrown out ahead of the body, along its node's axes, with a little scatter on the ground.
            int32_t m[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
            Get_Obj_Matrix(actor->node, m);
            const int32_t sx = SYS_Rand() % 65 - 32;
            const int32_t sz = SYS_Rand() % 65 - 32;
            const int32_t spread[3] = {sx, 0, sz};
            for (int i = 0; i < 3; i++) {
                p->pos[i] += float(spread[i] + (m[i] >> 11) + (m[3 + i] >> 10) + (m[6 + i] >> 8));
                p->vel[i] = float(-(m[6 + i] >> 10));
            }
        }
    }
}

void FX_RingBurst(const float *centre)
{
    for (int32_t k = 0; k < 32; k++) {
        const double a = double(k) * Pi / 16.0;
        FX_Particle *p = Take_Particle(0);
        p->life = 2.0f;
        const float d[3] = {float(std::cos(a)), 0.0f, float(std::sin(a))};
        for (int i = 0; i < 3; i++) {
            p->pos[i] = centre[i];
            p->vel[i] = 30.0f * d[i];
        }
    }
}

void FX_UpdateParticles()
{
    int32_t camera[9];
    Get_Obj_Matrix(0, camera);
    const float tf = float(GAME_TimeFactor);
    const bool water = Water_Height() != 0;
    for (int32_t i = FX_ParticleRead; i != FX_ParticleWrite; i = (i + 1) % FX_PARTICLE_COUNT) {
        FX_Particle &p = FX_Particles[i];
        if ((p.flags & FX_PARTICLE_FROZEN) == 0) {
            if (water) {
                p.vel[0] = (p.vel[0] + tf * 0.2f) * 0.95f;
                p.vel[1] = (p.vel[1] - tf * 8.0f) * 0.5f;
                p.vel[2] = p.vel[2] * 0.95f;
            } else {
                p.vel[0] = p.vel[0] * 0.95f;
                p.vel[1] = p.vel[1] - tf * 0.2f;
                p.vel[2] = p.vel[2] * 0.95f;
            }
        }
        for (int k = 0; k < 3; k++) {
            p.pos[k] += p.vel[k];
        }
        p.life -= tf;
        Place_Facing(p.node, p.pos, camera);
        // Only the front of the ring leaves it; a run of dead particles there goes in this one pass.
        if (i == FX_ParticleRead && p.life <= 0.0f) {
            FX_ExpireParticle(&p);
        }
    }
}

void FX_Sparks(ActorRecord *actor)
{
    FX_Particle *s = Take(FX_SparkRing, FX_SPARK_COUNT, &FX_SparkWrite, &FX_SparkRead, 0);
    const float radius = float(actor->radius);
    for (int i = 0; i < 3; i++) {
        s->pos[i] = float(actor->position[i]) + float(SYS_Rand() - 16383) * radius / 32767.0f;
    }
    for (float &v : s->vel) {
        v = float(SYS_Rand() - 16383) * radius / 131068.0f;
    }
    s->life = 16.0f;
}

void FX_KillSpark(FX_Particle *spark)
{
    spark->life = 0.0f;
    Hide(spark->node);
    spark->flags |= FX_PARTICLE_HIDDEN;
}

void FX_UpdateSparks()
{
    int32_t camera[9];
    Get_Obj_Matrix(0, camera);
    const float tf = float(GAME_TimeFactor);
    for (int32_t i = FX_SparkRead; i != FX_SparkWrite; i = (i + 1) % FX_SPARK_COUNT) {
        FX_Particle &s = FX_SparkRing[i];
        for (int k = 0; k < 3; k++) {
            s.pos[k] += s.vel[k] * tf;
        }
        s.vel[1] += tf * 4.0f;
        s.life = s.life - tf < 0.0f ? 0.0f : s.life - tf;
        Place_Facing(s.node, s.pos, camera);
    }
    while (FX_SparkRead != FX_SparkWrite && FX_SparkRing[FX_SparkRead].life == 0.0f) {
        Expire(&FX_SparkRing[FX_SparkRead], FX_SPARK_COUNT, &FX_SparkRead);
    }
}

void FX_InitEmitters()
{
    for (FX_Emitter &e : FX_Emitters) {
        e.in_use = 0;
    }
    const ZoneRecord *z = First_Zone(Zone_Vents);
    if (z == nullptr) {
        return;
    }
    for (int32_t i = 0; i < Point_Count(z); i++) {
        FX_Emitter &e = FX_Emitters[i];
        Point_Position(z, i, e.pos);
        e.rate = float(z->rate);
        e.in_use = 1;
    }
}

void FX_UpdateEmitters(ActorRecord *actor)
{
    const FX_Emitter &drawn = FX_Emitters[SYS_Rand() & 15];
    if (drawn.in_use != 0) {
        // The weather falls from a box 100 units about the vent, level with its top.
        for (int i = 0; i < 3; i++) {
            const int32_t c = trunc_i32(drawn.pos[i] * 256.0f);
            PART_EmissionA[i] = Wrap_Sub(c, 12800);
            PART_EmissionB[i] = i == 1 ? Wrap_Sub(c, 12800) : Wrap_Add(c, 12800);
        }
    }
    for (const FX_Emitter &e : FX_Emitters) {
        if (e.in_use != 0 && Squared_Distance(e.pos, actor) < 40000.0f) {
            actor->air += e.rate;
            return;
        }
    }
}

void FX_LoadManaSpheres()
{
    for (FX_ManaSphere &s : FX_ManaSpheres) {
        s.flags &= uint8_t(~FX_SPHERE_PRESENT);
    }
    const ZoneRecord *z = First_Zone(Zone_Mana);
    if (z == nullptr) {
        return;
    }
    const OBJ_Handle model = Load_Model("data\\3dc\\mana.3dc");
    for (int32_t i = 0; i < Point_Count(z); i++) {
        FX_ManaSphere &s = FX_ManaSpheres[i];
        s.node = Instance(model, 1.0f);
        Point_Position(z, i, s.pos);
        s.value = float(z->rate);
        s.flags = FX_SPHERE_PRESENT;
        Place(s.node, s.pos);
        Show(s.node);
    }
}

void FX_UpdateManaSpheres(ActorRecord *actor)
{
    for (FX_ManaSphere &s : FX_ManaSpheres) {
        if ((s.flags & FX_SPHERE_PRESENT) != 0 && Squared_Distance(s.pos, actor) < 40000.0f) {
            Hide(s.node);
            actor->second_gauge += s.value;
            s.flags = uint8_t((s.flags & ~FX_SPHERE_PRESENT) | FX_SPHERE_TAKEN);
            return;
        }
    }
}

void FX_PlaceInZoneBox(FX_GroundElement *element)
{
    for (int i = 0; i < 3; i++) {
        const float span = float(int64_t(Ground_Box_Max[i]) - Ground_Box_Min[i]);
        element->target[i] = float(Ground_Box_Min[i]) + span * float(SYS_Rand()) / 32767.0f;
    }
}

void FX_PlaceNearAnchor(FX_GroundElement *element, const float *anchor)
{
    for (int i = 0; i < 3; i++) {
        element->target[i] = anchor[i] + float(SYS_Rand()) * 256.0f / 32767.0f - 128.0f;
    }
}

// Element 0 roams its box; the others keep near their leader.
static void New_Target(FX_GroundElement *element)
{
    if (element->leader == nullptr) {
        FX_PlaceInZoneBox(element);
    } else {
        FX_PlaceNearAnchor(element, element->leader->pos);
    }
}

void FX_LoadGroundElements()
{
    std::memset(FX_GroundElements, 0, sizeof FX_GroundElements);
    const ZoneRecord *z = First_Zone(Zone_Ground);
    if (z == nullptr) {
        return;
    }
    const char *name = SYS_Rand() > 0x3FFF ? "data\\3dc\\x01sol.3dc" : "data\\3dc\\x01sol1.3dc";
    const OBJ_Handle model = Load_Model(name);
    for (int i = 0; i < 3; i++) {
        Ground_Box_Min[i] = z->box_min[i];
        Ground_Box_Max[i] = z->box_max[i];
    }
    for (int32_t i = 0; i < Point_Count(z); i++) {
        FX_GroundElement &e = FX_GroundElements[i];
        e.node = Instance(model, float((i & 3) + 3) * 0.2f);
        Point_Position(z, i, e.pos);
        Place(e.node, e.pos);
        Show(e.node);
        e.flags = FX_GROUND_ACTIVE;
        e.speed = float(z->rate / 10);
        e.leader = i == 0 ? nullptr : &FX_GroundElements[(i - 1) / 2];
        New_Target(&e);
    }
}

void FX_StepGroundElement(FX_GroundElement *e)
{
    const float dx = e->target[0] - e->pos[0];
    const float dz = e->target[2] - e->pos[2];
    // The pitch eases back toward level, read as a signed 12-bit angle.
    int32_t pitch = int32_t(uint32_t(e->pitch) << 20) >> 20;
    pitch -= pitch >> 2;
    e->pitch = pitch & 0xFFF;
    const float reach = std::sqrt(dx * dx + dz * dz);
    if (!(reach >= 300.0f)) {
        New_Target(e);
        return;
    }
    const double tf = GAME_TimeFactor * ((e->flags & FX_GROUND_NEAR_HERO) != 0 ? 2.0 : 1.0);
    // The bearing and elevation are measured as for an actor standing where the element is.
    static ActorRecord probe;
    probe.position[0] = e->pos[0];
    probe.position[1] = e->pos[1];
    probe.position[2] = e->pos[2];
    probe.heading = e->heading;
    probe.torso_turn = 0;
    probe.pitch = e->pitch;
    double bearing = 0.0, elevation = 0.0;
    ACTOR_BearingTo(&probe, e->target[0], e->target[2], &bearing);
    ACTOR_ElevationTo(&probe, double(e->pos[0]) + double(reach), e->target[1], &elevation);
    const double turn = double(e->speed) * 8.0 * tf;
    if (bearing > Pi / 16.0) {
        e->heading = trunc_i32(double(e->heading) + turn) & 0xFFF;
    } else if (bearing < -Pi / 16.0) {
        e->heading = trunc_i32(double(e->heading) - turn) & 0xFFF;
    }
    if (elevation > Pi / 8.0 && pitch < 512) {
        pitch = trunc_i32(double(pitch) + turn);
    } else if (elevation < -Pi / 8.0 && pitch > -512) {
        pitch = trunc_i32(double(pitch) - turn);
    }
    e->pitch = pitch & 0xFFF;
    // The heading and pitch point the way the bearing and elevation measure them, as a projectile
    // launched with them flies.
    const double a = double(4096 - e->heading) * Two_Pi / 4096.0;
    const double p = double(pitch) * Two_Pi / 4096.0;
    const double length = double(e->speed) * tf;
    const double want[3] = {std::cos(p) * std::cos(a) * length, std::sin(p) * length, std::cos(p) * std::sin(a) * length};
    for (int i = 0; i < 3; i++) {
        e->vel[i] += float((want[i] - double(e->vel[i])) * 0.1);
        e->pos[i] += e->vel[i];
    }
    Place(e->node, e->pos);
    if (Has_Node(e->node)) {
        int32_t m[9];
        Mat_Rotate(0, e->heading & 0xFFF, e->pitch, m);
        Set_Obj_Matrix(e->node, m);
    }
}

void FX_SwarmHero(FX_GroundElement *e, const ActorRecord *hero)
{
    e->flags &= ~FX_GROUND_NEAR_HERO;
    const float d2 = Squared_Distance(e->pos, hero);
    if (!(d2 < 360000.0f)) {
        return;
    }
    for (int i = 0; i < 3; i++) {
        const float r = float(SYS_Rand());
        const float o = i == 1 ? r * 128.0f / 32767.0f - 64.0f : r * 512.0f / 32767.0f - 256.0f;
        const float away = i == 1 ? 32.0f : 200.0f;
        e->target[i] = float(hero->position[i]) + (o > 0.0f ? away : -away) + o;
    }
    if (d2 < 250000.0f) {
        e->flags |= FX_GROUND_NEAR_HERO;
    }
}

void FX_UpdateGroundElements(ActorRecord *hero)
{
    for (FX_GroundElement &e : FX_GroundElements) {
        if ((e.flags & FX_GROUND_ACTIVE) != 0) {
            FX_StepGroundElement(&e);
            if (hero != nullptr) {
                FX_SwarmHero(&e, hero);
            }
        }
    }
}
