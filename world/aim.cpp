// Head and torso aiming: an actor with a head node turns its head, and its torso, toward the nearest
// opponent (or ally), half of the remaining angle each frame, on top of the keyframe pose.
#include "world/aim.h"

#include <cmath>

#include "core/fconv.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "world/actor.h"

namespace {

// The game's own 2 pi, and one 4096th of it for 12-bit angles.
constexpr double Two_Pi = 6.2831853071794;
constexpr double Pi = Two_Pi / 2.0;
constexpr double Angle_Unit = 0.001533980787885596;
// Aiming reaches 60 degrees to either side and 3000 units ahead; the head tilts 45 degrees at most.
constexpr double Reach = 1.047197551196567;
constexpr double Range = 3000.0;
constexpr double Tilt_Limit = 0.785398163397425;
// A new candidate takes over only when it is this much nearer or farther than the one aimed at.
constexpr double Switch_Margin = 1000.0;

int32_t Signed_Angle(int32_t angle)
{
    angle &= 0xFFF;
    return angle > 2047 ? angle - 4096 : angle;
}

double Distance(const ActorRecord *a, const ActorRecord *b)
{
    const double dx = b->position[0] - a->position[0], dy = b->position[1] - a->position[1],
                 dz = b->position[2] - a->position[2];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// A share of an angle in radians, in 4096 units a turn.
int32_t Units(double radians, double share) { return trunc_i32(radians * 4096.0 * share / Two_Pi) & 0xFFF; }

// Closes half of the distance to the target, both taken in -2048..2047.
int32_t Half_Way(int32_t angle, int32_t target)
{
    const int32_t a = Signed_Angle(angle), t = Signed_Angle(target);
    return (a + ((t - a) >> 1)) & 0xFFF;
}

void Turn_Node(int32_t node, int32_t yaw, int32_t pitch)
{
    int32_t turn[9], local[9], turned[9];
    Mat_Rotate(0, yaw, pitch, turn);
    if (Get_Obj_Matrix(node, local) == 0) {
        Mat_Mul(turn, local, turned);
        Set_Obj_Matrix(node, turned);
    }
}

} // namespace

double ACTOR_BearingTo(const ActorRecord *actor, double x, double z, double *out)
{
    double dx = x - actor->position[0], dz = z - actor->position[2];
    dx = dx == 0.0 ? 1.0 : dx;
    dz = dz == 0.0 ? 1.0 : dz;
    double b = -std::atan(dz / dx);
    if (dx < 0.0) {
        b += Pi;
    }
    b -= double((actor->heading + actor->torso_turn) & 0xFFF) * Angle_Unit;
    for (int i = 0; i < 2; i++) {
        if (b > Pi) {
            b -= Two_Pi;
        } else if (b < -Pi) {
            b += Two_Pi;
        }
    }
    *out = b;
    return b;
}

double ACTOR_ElevationTo(const ActorRecord *actor, double a, double b, double *out)
{
    double da = a - actor->position[0], db = -(b - actor->position[1]);
    da = da == 0.0 ? 1.0 : da;
    db = db == 0.0 ? 1.0 : db;
    double e = -std::atan(db / da);
    if (da < 0.0) {
        e += Pi;
    }
    e += double(actor->pitch & 0xFFF) * Angle_Unit;
    if (e < -Two_Pi) {
        e += Two_Pi;
    }
    if (e > Two_Pi) {
        e -= Two_Pi;
    }
    if (e < -Pi) {
        e += Two_Pi;
    }
    if (e > Pi) {
        e -= Two_Pi;
    }
    if (e > Pi / 2.0 && e < Pi) {
        e = Pi - e;
    } else if (e > -Pi && e < -Pi / 2.0) {
        e = -(e + Pi);
    }
    *out = e;
    return e;
}

int32_t ACTOR_Distance(const ActorRecord *a, const ActorRecord *b) { return round_i32(Distance(a, b)); }

void ACTOR_TestBearings(ActorRecord *actor, double *out)
{
    const double corners[4][2] = {{150, 150}, {-150, 150}, {-150, -150}, {150, -150}};
    const int32_t turn = actor->torso_turn;
    for (int pass = 0; pass < 2; pass++) {
        for (int i = 0; i < 4; i++) {
            ACTOR_BearingTo(actor, corners[i][0], corners[i][1], &out[pass * 4 + i]);
        }
        actor->torso_turn = 3072;
    }
    actor->torso_turn = turn;
}

void ACTOR_AimHead(ActorRecord *actor)
{
    if (actor->flags[5] & ACTOR_F5_STRONG_TURN) {
        return;
    }
    ActorRecord *t = actor->enemy_count != 0 ? actor->enemies[0] : actor->ally_count != 0 ? actor->allies[0] : nullptr;
    if (t == nullptr) {
        actor->aim_target = nullptr;
        return;
    }
    double dist = Distance(actor, t);
    if (t != actor->aim_target) {
        if (actor->aim_target == nullptr) {
            actor->aim_target = t;
        } else {
            // The head does not flick between two opponents at much the same distance.
            const double dist2 = Distance(actor, actor->aim_target);
            if (std::fabs(dist2 - dist) >= Switch_Margin) {
                actor->aim_target = t;
            } else {
                t = actor->aim_target;
                dist = dist2;
            }
        }
    }
    double b;
    ACTOR_BearingTo(actor, t->position[0], t->position[2], &b);
    if (b > Reach || b < -Reach || dist > Range) {
        // Back toward straight ahead: a quarter of the yaw and turn, half of the pitch, each frame.
        actor->head_yaw = Signed_Angle(actor->head_yaw);
        actor->head_pitch = Signed_Angle(actor->head_pitch);
        actor->torso_turn = Signed_Angle(actor->torso_turn);
        actor->head_yaw = (actor->head_yaw + ((0 - actor->head_yaw) >> 2)) & 0xFFF;
        actor->head_pitch = (actor->head_pitch + ((0 - actor->head_pitch) >> 1)) & 0xFFF;
        actor->torso_turn = (actor->torso_turn + ((0 - actor->torso_turn) >> 2)) & 0xFFF;
    } else {
        double head = 0.666, torso = 0.333;
        if (actor->current_anim == 57) {
            head = 0.2;
            torso = 0.8;
        } else if (actor->current_anim == 5) {
            head = 0.4;
            torso = 0.6;
        }
        actor->head_yaw = Half_Way(actor->head_yaw, Units(b, head));
        double e;
        ACTOR_ElevationTo(actor, t->position[0], t->position[1], &e);
        e = e < -Tilt_Limit ? -Tilt_Limit : e > Tilt_Limit ? Tilt_Limit : e;
        actor->head_pitch = Half_Way(actor->head_pitch, Units(e, 1.0));
        if (actor->torso_node != 0) {
            actor->torso_turn = Half_Way(actor->torso_turn, Units(b, torso));
        }
    }
    Turn_Node(actor->head_node, actor->head_yaw, actor->head_pitch);
    if (actor->torso_node != 0) {
        Turn_Node(actor->torso_node, actor->torso_turn, int32_t(uint32_t(actor->pitch_speed) * 6u) & 0xFFF);
    }
}
