// The collision spheres: each moving actor and object registered with the collision space, swept
// through the scene once a frame and pushed apart from the others; and the camera's own sphere.
#include "world/col.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <cstring>

#include "core/fconv.h"
#include "core/sys.h"
#include "core/wrap.h"
#include "editor/edt.h"
#include "engine3d/coll.h"
#include "engine3d/colltest.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "engine3d/workarea.h"
#include "world/actor.h"
#include "world/fgt_hit.h"
#include "world/mdl.h"
#include "world/phy.h"
#include "world/plt.h"

COL_Sphere COL_Spheres[COL_MAX_SPHERES];
int32_t COL_SphereCount;
OBJ_CollBody *COL_CameraBody;
ActorRecord COL_CameraActor;
int32_t COL_SnapDistance = COL_SNAP_DISTANCE;

namespace {

// A length computed the game's way: each component as a float, the squares summed in float from x to
// z, the root in float, then truncated.
int32_t Length32(const int32_t *v)
{
    const float x = float(v[0]), y = float(v[1]), z = float(v[2]);
    float sum = x * x;
    sum = sum + y * y;
    sum = sum + z * z;
    return trunc_i32(std::sqrt(sum));
}

// Fixed-point product with 15 fraction bits, shifted arithmetically.
int32_t Mul15(int64_t a, int64_t b) { return int32_t((a * b) >> 15); }

bool Collisions_On() { return MDL_SceneCollReady != 0 && EDT_Active == 0; }

OBJ_CollBody *New_Body(int32_t mask)
{
    OBJ_CollBody *body = Coll_Create_Body(mask);
    if (body == nullptr) {
        SYS_FatalError("Kalder Internal Error : can't create collision sphere", 999, 1);
    }
    return body;
}

// The body is registered and stands at the actor's node.
void Attach_Body(ActorRecord *actor, OBJ_CollBody *body, int32_t radius)
{
    COL_AllocSphere(actor, body);
    actor->coll_body = body;
    int32_t p[3];
    Get_Obj_Pos(actor->node, p);
    Copy_Vec(body->centre, p);
    Coll_Set_Body_Radius(body, radius);
}

// The radius a moving actor's sweep steps by: a radius of 0 or below would never end the steps.
int32_t Sweep_Radius(const ActorRecord *actor) { return actor->radius < 1 ? 1 : actor->radius; }

// The sweep steps by the body's radius: a moving actor's own (set just before), an object's 50, the
// camera's 100.
int32_t Body_Radius(const OBJ_CollBody *body)
{
    int32_t centre[3], radius, mask;
    Coll_Get_Body(body, centre, &radius, &mask);
    return radius < 1 ? 1 : radius;
}

// The marker "ZZZZZ" (the first, depth first) and every "BASSIN01" are hidden.
void Mark_Nodes(ActorRecord *actor, int32_t node)
{
    char name[MDL_NODE_NAME_BYTES + 1];
    MDL_UpperNodeName(node, name);
    if (actor->marker_node == 0 && std::strcmp(name, "ZZZZZ") == 0) {
        actor->marker_node = node;
        Hide_Obj(node);
    }
    if (std::strcmp(name, "BASSIN01") == 0) {
        Hide_Obj(node);
    }
    for (int32_t c = Get_Obj_Child(node); c != -1; c = Get_Obj_Sibling(c)) {
        Mark_Nodes(actor, c);
    }
}

void Set_Working(ActorRecord *actor, const int32_t *p)
{
    for (int i = 0; i < 3; i++) {
        actor->previous_position[i] = p[i];
    }
    PHY_RestorePosition(actor);
}

// The node and the body stand at P.
void Place_At(ActorRecord *actor, const int32_t *p)
{
    Set_Obj_Pos(actor->node, p);
    if (actor->coll_body != nullptr) {
        Copy_Vec(actor->coll_body->centre, p);
    }
}

double Distance_Moved(const ActorRecord *actor)
{
    double sum = 0.0;
    for (int i = 0; i < 3; i++) {
        const double d = actor->position[i] - actor->prev_int_pos[i];
        sum += d * d;
    }
    return std::sqrt(sum);
}

// Sphere owners that the push-apart moves: moving actors and objects in play, with a body.
bool Pushable(const COL_Sphere &s)
{
    const ActorRecord *a = s.owner;
    return s.body != nullptr && a != nullptr && (a->flags[0] & ACTOR_F0_IN_USE) && !(a->flags[3] & ACTOR_F3_DISABLED) &&
           (a->flags[1] & (ACTOR_F1_AI | ACTOR_F1_OBJECT));
}

int32_t Impact(const ActorRecord *other)
{
    const int32_t v = round_i32(double(Length32(other->motion_vector)) * other->mass / 30000.0 * 127.0);
    return v > 127 ? 127 : v;
}

} // namespace

void COL_AllocSphere(ActorRecord *owner, OBJ_CollBody *body)
{
    if (COL_SphereCount >= COL_MAX_SPHERES) {
        SYS_FatalError("Kalder Internal Error : too many spheres", 999, 1);
    }
    COL_Spheres[COL_SphereCount++] = {body, owner};
}

void COL_FreeSpheres()
{
    for (int32_t i = 0; i < COL_SphereCount; i++) {
        COL_Sphere &s = COL_Spheres[i];
        if (s.body == nullptr || s.body == COL_CameraBody) {
            continue;
        }
        // The owner outlives its body: it must not move a body given back.
        if (s.owner != nullptr && s.owner->coll_body == s.body) {
            s.owner->coll_body = nullptr;
        }
        Coll_Delete_Body(s.body);
    }
    if (COL_CameraBody != nullptr) {
        Coll_Delete_Body(COL_CameraBody);
        COL_CameraBody = nullptr;
        COL_CameraActor.coll_body = nullptr;
    }
    std::memset(COL_Spheres, 0, sizeof COL_Spheres);
    COL_SphereCount = 0;
    COL_SnapDistance = COL_SNAP_DISTANCE;
}

void COL_SetCameraBody(OBJ_CollBody *body) { COL_CameraBody = body; }

void COL_CreateObjectSpheres(ActorRecord *actor) { Attach_Body(actor, New_Body(7), COL_OBJECT_RADIUS); }

void COL_CreateSceneSpheres(ActorRecord *actor)
{
    Attach_Body(actor, New_Body(15), actor->radius);
    actor->marker_node = 0;
    Mark_Nodes(actor, actor->node);
}

// The scene's entry has no body of its own: the scene's triangles are the space itself.
void COL_AddSceneMesh(int32_t) { COL_AllocSphere(&ACTOR_Slots[ACTOR_SCENE], nullptr); }

void COL_ResolveContact(const int32_t *hit, const int32_t *centre, COL_Accumulator *acc, const OBJ_CollTri *entry,
                        int32_t r, int32_t inside)
{
    if (hit[0] == INT32_MIN) {
        return;
    }
    int32_t d[3], v[3][3], face[3], n[3];
    for (int i = 0; i < 3; i++) {
        d[i] = int32_t(int64_t(hit[i]) - centre[i]);
    }
    Coll_Get_Hit(entry, v[0], v[1], v[2], face);
    for (int i = 0; i < 3; i++) {
        n[i] = -face[i];
    }
    if (std::memcmp(n, acc->last_normal, sizeof n) == 0) {
        return; // the same face again: one face counts once
    }
    const int32_t len = Length32(d);
    // A damaged level's sizes wrap in these sums as the processor's adds do.
    const int32_t depth = inside ? Wrap_Sub(r, len) : Wrap_Add(r, len);
    for (int i = 0; i < 3; i++) {
        acc->last_normal[i] = n[i];
        acc->normal_sum[i] = Wrap_Add(acc->normal_sum[i], n[i]);
        acc->push[i] = Wrap_Add(acc->push[i], Mul15(depth, n[i]));
    }
}

int32_t COL_SweepSphere(ActorRecord *actor, int32_t *P, int32_t *normal, int32_t *push)
{
    OBJ_CollBody *body = actor->coll_body;
    const int32_t r = Body_Radius(body);
    int32_t D[3], u[3];
    for (int i = 0; i < 3; i++) {
        D[i] = int32_t(int64_t(P[i]) - actor->prev_int_pos[i]);
        P[i] = actor->prev_int_pos[i];
        normal[i] = push[i] = 0;
    }
    const int32_t L = Length32(D);
    Vec_Normalise(D, u);
    int32_t remaining = L;
    int32_t bits = 0;
    // The sweep advances a radius at a time. A damaged level can ask for millions of those (a far jump
    // with a tiny or empty radius): the stride is then lengthened so that one sweep takes at most
    // Max_Sweep_Steps steps. No move of a real level comes near that many radii in one frame.
    constexpr int64_t Max_Sweep_Steps = 1024;
    const int32_t stride = std::max(r, int32_t(std::max<int64_t>(1, (int64_t(L) + Max_Sweep_Steps - 1) / Max_Sweep_Steps)));
    do {
        const int32_t step = remaining < stride ? remaining : stride;
        remaining -= step;
        for (int i = 0; i < 3; i++) {
            P[i] = Wrap_Add(P[i], Mul15(step, u[i]));
        }
        COL_Accumulator acc[4] = {};
        bits = 0;
        Copy_Vec(body->centre, P);
        Coll_Set_Body_Radius(body, r);
        Coll_Sweep_Body(body);
        for (OBJ_CollTri *entry = Coll_Next_Contact(body); entry != nullptr; entry = Coll_Next_Contact(body)) {
            int32_t hit[3] = {INT32_MIN, INT32_MIN, INT32_MIN};
            const int32_t t = Coll_Test_Sphere_Tri(body, entry, hit);
            int32_t kind = -1;
            if (t == 2) {
                kind = 0;
            } else if (t == -2 && !(bits & 0x01)) {
                kind = 1;
            } else if (t == 1 && !(bits & 0x03)) {
                kind = 2;
            } else if (t == -1 && !(bits & 0x07)) {
                kind = 3;
            }
            if (kind < 0) {
                continue;
            }
            bits |= 1 << kind;
            COL_ResolveContact(hit, P, &acc[kind], entry, r, t > 0);
        }
        if (bits == 0) {
            for (int i = 0; i < 3; i++) {
                normal[i] = push[i] = 0;
            }
            continue;
        }
        const int32_t kind = __builtin_ctz(unsigned(bits));
        Vec_Normalise(acc[kind].normal_sum, normal);
        std::memcpy(push, acc[kind].push, 12);
        if (Length32(push) > COL_STOP_PUSH) {
            break;
        }
    } while (remaining > 0);
    return bits;
}

int32_t COL_GroundTest(ActorRecord *actor, const int32_t *P, int32_t *dy)
{
    if (actor->flags[7] & ACTOR_F7_UNSTRUCK) {
        return 0;
    }
    OBJ_CollBody *body = actor->coll_body;
    if (!(actor->coll_flags[1] & ACTOR_C1_GROUND_SWEPT)) {
        actor->coll_flags[1] |= ACTOR_C1_GROUND_SWEPT;
        Coll_Sweep_Body(body);
    }
    OBJ_CollTri *below = nullptr, *above = nullptr;
    int32_t below_y = 0, above_y = 0;
    for (OBJ_CollTri *entry = Coll_Next_Contact2(body); entry != nullptr; entry = Coll_Next_Contact2(body)) {
        int32_t h[3];
        if (Coll_Test_Point_Tri(body, entry, h) == 0) {
            continue;
        }
        if (h[1] > P[1]) {
            if (below == nullptr || h[1] < below_y) {
                below = entry;
                below_y = h[1];
            }
        } else if (above == nullptr || h[1] > above_y) {
            above = entry;
            above_y = h[1];
        }
    }
    uint8_t *c = actor->coll_flags;
    if (below == nullptr && above == nullptr) {
        // Nothing under the feet nor over the head: as over ground out of snapping reach, the actor
        // falls. Held where it is, it would stand on air beside the mesh's edge.
        if (!(c[0] & ACTOR_C0_ON_PLATFORM)) {
            c[0] |= ACTOR_C0_CONTACT_A;
        }
        c[0] |= ACTOR_C0_NO_GROUND;
        *dy = 0;
        actor->ground_slope = 0;
        return 0;
    }
    const bool lesser = below == nullptr;
    OBJ_CollTri *ground = lesser ? above : below;
    const int32_t ground_y = lesser ? above_y : below_y;
    *dy = int32_t(int64_t(ground_y) - P[1] - PHY_FootOffset(actor));
    if (lesser && std::abs(*dy) > 500) {
        *dy = 0;
    }
    actor->ground_contact = W_Addr(ground);
    actor->ground_height = ground_y;

    int32_t result;
    if (c[0] & ACTOR_C0_KEEP_CAMERA) {
        *dy = 0;
        result = 1;
    } else if (std::abs(*dy) < COL_SnapDistance || lesser) {
        c[0] &= uint8_t(~ACTOR_C0_CONTACT_A);
        *dy -= 5;
        result = 1;
    } else {
        if (!(c[0] & ACTOR_C0_ON_PLATFORM)) {
            c[0] |= ACTOR_C0_CONTACT_A;
        }
        *dy = 0;
        result = 0;
    }
    c[0] &= uint8_t(~ACTOR_C0_NO_GROUND);

    // The slope along the actor's heading: its forward direction against the ground's normal.
    const float theta = float(double(4096 - actor->heading) * 0.001533980787885596);
    const int32_t f[3] = {trunc_i32(std::cos(double(theta)) * 32767.0 + 0.5), 0,
                          trunc_i32(std::sin(double(theta)) * 32767.0 + 0.5)};
    int32_t fn[3], v[3][3], n[3];
    Vec_Normalise(f, fn);
    Coll_Get_Hit(ground, v[0], v[1], v[2], n);
    actor->ground_slope = -(Vec_Dot(fn, n) >> 20);
    return result;
}

int32_t COL_SpaceBottom()
{
    const int32_t n = Coll_Tri_Count();
    return n > 0 ? Coll_Axis_List(1)[2 * n - 1].value : 0;
}

namespace {

// An actor falling with nothing under it, far below everything that could catch it, would fall for
// ever: it dies, as from a mortal blow. A creature's body is taken out of play with it.
void End_Endless_Fall(ActorRecord *actor, const int32_t *P)
{
    if (!(actor->coll_flags[0] & ACTOR_C0_NO_GROUND) || actor->life <= 0.0f) {
        return;
    }
    const int64_t foot = int64_t(P[1]) + PHY_FootOffset(actor);
    if (foot <= int64_t(COL_SpaceBottom()) + COL_FALL_OUT_DEPTH) {
        return;
    }
    FGT_Kill(actor);
    if (!(actor->flags[0] & ACTOR_F0_HERO)) {
        Hide_Obj_Tree(actor->node);
        actor->flags[3] |= ACTOR_F3_DISABLED;
    }
}

} // namespace

void COL_ActorVsScene(ActorRecord *actor)
{
    int32_t P[3], normal[3], push[3];
    for (int i = 0; i < 3; i++) {
        P[i] = trunc_i32(actor->previous_position[i]);
    }
    const int32_t r = Sweep_Radius(actor);
    Coll_Set_Body_Radius(actor->coll_body, r);
    actor->coll_flags[1] &= uint8_t(~ACTOR_C1_GROUND_SWEPT);
    const int32_t bits = COL_SweepSphere(actor, P, normal, push);
    int32_t dy = 0;
    const int32_t g = COL_GroundTest(actor, P, &dy);
    if (actor->physics_mode != 1 && bits == 0) {
        return;
    }
    if (g != 0 && !(actor->coll_flags[0] & ACTOR_C0_KEEP_CAMERA)) {
        push[1] = -dy;
    }
    if (actor->physics_mode == 1 && actor->speed < 2.0 && std::abs(push[0]) + std::abs(push[2]) < 20) {
        push[0] = push[2] = 0;
    }
    const int32_t measure = trunc_i32(double(Length32(push)) * 127.0 / r);
    actor->contact_measure = uint32_t(measure > 127 ? 127 : measure);
    for (int i = 0; i < 3; i++) {
        P[i] -= push[i];
    }
    Set_Working(actor, P);
    Place_At(actor, P);
    if (bits != 0) {
        actor->phy_velocity[0] *= 0.5;
        actor->phy_velocity[2] *= 0.5;
        if (!(actor->coll_flags[0] & ACTOR_C0_CONTACT_A)) {
            actor->phy_velocity[1] = 0.0;
        }
        actor->coll_flags[0] |= ACTOR_C0_DECOR;
    } else {
        actor->coll_flags[0] &= uint8_t(~ACTOR_C0_DECOR);
    }
    actor->speed = Distance_Moved(actor);
    End_Endless_Fall(actor, P);
}

void COL_ObjectVsScene(ActorRecord *object)
{
    int32_t P[3], S[3], n[3], push[3];
    for (int i = 0; i < 3; i++) {
        P[i] = trunc_i32(object->position[i]);
        S[i] = object->motion_vector[i];
    }
    Coll_Sweep_Body(object->coll_body);
    if (COL_SweepSphere(object, P, n, push) == 0) {
        object->coll_flags[0] &= uint8_t(~ACTOR_C0_DECOR);
        return;
    }
    for (int i = 0; i < 3; i++) {
        P[i] -= push[i];
    }
    // The step bounces off the contact's plane and goes on as the object's velocity.
    const int64_t sn = (int64_t(S[0]) * n[0] + int64_t(S[1]) * n[1] + int64_t(S[2]) * n[2]) >> 15;
    for (int i = 0; i < 3; i++) {
        S[i] -= Mul15(sn * 2, n[i]);
        object->phy_velocity[i] = S[i];
    }
    Set_Working(object, P);
    Place_At(object, P);
    // 128 times the cosine between the step and the wall's normal.
    const int64_t dot = int64_t(S[0]) * n[0] + int64_t(S[1]) * n[1] + int64_t(S[2]) * n[2];
    const int32_t length = Length32(S);
    int32_t impact = 0;
    if (length != 0) {
        impact = trunc_i32(double((dot < 0 ? -dot : dot) >> 15) * 128.0 / double(length));
    }
    object->contact_measure = uint32_t(impact > 127 ? 127 : impact);
    object->coll_flags[0] |= ACTOR_C0_DECOR;
}

void COL_PushApart(ActorRecord *a, ActorRecord *b, int32_t *pa, int32_t *pb)
{
    int32_t d[3];
    double dist2 = 0.0;
    for (int i = 0; i < 3; i++) {
        d[i] = int32_t(int64_t(pb[i]) - pa[i]);
        dist2 += double(d[i]) * double(d[i]);
    }
    const int32_t dist = round_i32(std::sqrt(dist2));
    int32_t sum = 0;
    for (const ActorRecord *x : {a, b}) {
        int32_t centre[3], radius, mask;
        Coll_Get_Body(x->coll_body, centre, &radius, &mask);
        radius /= 2;
        const int32_t step = Length32(x->motion_vector);
        // A damaged level's sizes and speeds wrap in the sums as the processor's adds do.
        sum = Wrap_Add(sum, radius < step ? step : radius);
    }
    if (sum < dist) {
        return;
    }
    int32_t n[3];
    Vec_Normalise(d, n);
    const double q = a->mass / (a->mass + b->mass);
    for (int i = 0; i < 3; i++) {
        const int32_t push = Mul15(Wrap_Sub(sum, dist), n[i]);
        const int32_t share = round_i32(double(push) * q);
        pa[i] = Wrap_Sub(pa[i], share);
        pb[i] = Wrap_Add(pb[i], Wrap_Sub(push, share));
    }
    a->push_impact = Impact(b);
    b->push_impact = Impact(a);
    a->last_collider = b;
    b->last_collider = a;
    a->coll_flags[0] |= ACTOR_C0_SPHERE;
    b->coll_flags[0] |= ACTOR_C0_SPHERE;
}

void COL_Collide()
{
    if (!Collisions_On()) {
        return;
    }
    ACTOR_BuildActiveLists();
    for (int32_t i = 0; i < ACTOR_ActiveCount2; i++) {
        ActorRecord *actor = ACTOR_ActiveList2[i];
        if ((actor->flags[3] & ACTOR_F3_DISABLED) || actor->coll_body == nullptr) {
            continue;
        }
        if (actor->flags[1] & ACTOR_F1_AI) {
            COL_ActorVsScene(actor);
        } else if (actor->flags[1] & ACTOR_F1_OBJECT) {
            COL_ObjectVsScene(actor);
        }
        actor->coll_flags[0] &= uint8_t(~ACTOR_C0_SPHERE);
    }

    for (int32_t i = 0; i < COL_SphereCount; i++) {
        if (!Pushable(COL_Spheres[i])) {
            continue;
        }
        for (int32_t j = i + 1; j < COL_SphereCount; j++) {
            if (!Pushable(COL_Spheres[j])) {
                continue;
            }
            ActorRecord *a = COL_Spheres[i].owner, *b = COL_Spheres[j].owner;
            int32_t pa[3], pb[3];
            for (int k = 0; k < 3; k++) {
                pa[k] = round_i32(a->previous_position[k]);
                pb[k] = round_i32(b->previous_position[k]);
            }
            COL_PushApart(a, b, pa, pb);
            for (ActorRecord *x : {a, b}) {
                const int32_t *p = x == a ? pa : pb;
                Set_Working(x, p);
                Place_At(x, p);
                x->speed = Distance_Moved(x);
            }
        }
    }

    for (int32_t i = 0; i < COL_SphereCount; i++) {
        if (!Pushable(COL_Spheres[i])) {
            continue;
        }
        ActorRecord *owner = COL_Spheres[i].owner;
        int32_t out[3];
        const int32_t r = PLT_Contact(owner, out);
        if (r == 0) {
            continue;
        }
        int32_t p[3];
        Get_Obj_Pos(owner->node, p);
        if (r == 2) {
            for (int k = 0; k < 3; k++) {
                p[k] -= out[k];
            }
        }
        Set_Working(owner, p);
        Place_At(owner, p);
        owner->speed = Distance_Moved(owner);
    }
}

void COL_CollideCamera(int32_t *point)
{
    if (!Collisions_On()) {
        return;
    }
    ActorRecord *cam = &COL_CameraActor;
    if (COL_CameraBody == nullptr) {
        ACTOR_InitRecord(cam);
        cam->radius = COL_CAMERA_RADIUS;
        OBJ_CollBody *body = New_Body(7);
        COL_SetCameraBody(body);
        COL_AllocSphere(cam, body);
        cam->coll_body = body;
        Coll_Set_Body_Radius(body, COL_CAMERA_RADIUS);
        std::memcpy(cam->prev_int_pos, point, 12);
    }
    int32_t P[3] = {point[0], point[1], point[2]}, normal[3], push[3];
    COL_SweepSphere(cam, P, normal, push);
    for (int i = 0; i < 3; i++) {
        point[i] = P[i] - push[i];
        cam->prev_int_pos[i] = point[i];
    }
}
