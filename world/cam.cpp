// The camera: drains its event queue and places the 3D engine's root camera once a frame.
#include "world/cam.h"

#include <cmath>
#include <cstdlib>

#include "core/fconv.h"
#include "core/game_frame.h"
#include "core/inp.h"
#include "core/opt.h"
#include "core/que.h"
#include "core/sys.h"
#include "editor/edt.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "world/actor.h"
#include "world/col.h"
#include "world/ctrl.h"
#include "world/prj.h"

namespace {

// The game's own circle: 2 pi as 6.2831853071794, so 4096 units give this step.
constexpr double kAngle = 0.001533980787885596;
constexpr double kTwoPi = 6.2831853071794;
constexpr double kPi = kTwoPi / 2;
constexpr double kQuarter = kPi / 4;
constexpr double kLookDownLimit = -1.5446163;
constexpr int32_t kQueueSize = 10;
constexpr float kPairDuration = 90.0f; // a pair shot has no duration of its own: the triggers' shot length

MGM_Queue *queue = nullptr;
int32_t preset_g = 4; // the loaded preset's G, which close quarters lowers in the aim divisor

// The event's actor, or the steered actor for 0: the hero's coupled object when it has one, else the hero.
ActorRecord *actor_or_steered(intptr_t a)
{
    if (a != 0) {
        return reinterpret_cast<ActorRecord *>(a);
    }
    ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    return hero->coupled != nullptr ? hero->coupled : hero;
}

void node_pos(const ActorRecord *actor, int32_t *out)
{
    out[0] = out[1] = out[2] = 0;
    Get_Obj_Pos(actor->node, out);
}

bool held(int32_t control) { return (CTRL_Controls[control] & CTRL_HELD) != 0; }

// A divisor below 1 only comes from damaged project data; it would make the point run away.
int64_t divisor(int32_t d) { return d < 1 ? 1 : d; }

int32_t narrow(int64_t v) { return static_cast<int32_t>(v); }

// A 12-bit angle read as -2048..2047.
int32_t signed_angle(int32_t a)
{
    a &= 0xFFF;
    return a > 2047 ? a - 4096 : a;
}

bool is_climb_anim(int32_t anim) { return anim == 25 || anim == 41 || anim == 42; }

int32_t project_camera_hold() { return PRJ_Current != nullptr ? PRJ_Current->camera_hold : 1; }

void put_root(const int32_t *position) { Set_Obj_Pos(0, position); }

// The common placement of the follow camera; elevation is the vertical angle of the camera offset
// (the look offset, or the subject's pitch), aim_scale scales the aim distance.
void place(bool snap, bool pitched)
{
    CAM_FollowState &f = CAM_Follow;
    ActorRecord *s = f.subject;
    int32_t pos[3];
    node_pos(s, pos);

    double h = (4096 - s->heading) * kAngle;
    bool keeps_heading = pitched && (s->flags[4] & ACTOR_F4_PITCH_STEERING) != 0;
    if (CAM_FixedHeading != 0 && !keeps_heading) {
        h = 0.0;
    }
    if (GAME_Paused == 1) {
        GAME_PauseHeading = round_i32(GAME_PauseHeading + GAME_TimeFactor * 10) & 0xFFF;
        h = (4096 - GAME_PauseHeading) * kAngle;
    }
    double h2 = h + kPi;

    bool look = CAM_ManualLook == 1 && EDT_Active == 0;
    if (look) {
        float step = float(GAME_TimeFactor * 0.01745329251994278 * 3.0);
        if (held(CTRL_LEFT) && CAM_TurnOffset > -kQuarter) {
            CAM_TurnOffset -= step;
        } else if (held(CTRL_RIGHT) && CAM_TurnOffset < kQuarter) {
            CAM_TurnOffset += step;
        }
        // Looking down raises the camera on its arc and lowers the point it looks at; looking up the
        // other way round. Each key moves the subject height only while it is held.
        if (held(CTRL_DOWN)) {
            CAM_LookOffset -= step;
            if (CAM_LookOffset < kLookDownLimit) {
                CAM_LookOffset = float(kLookDownLimit);
            }
            if (CAM_LookOffset < 0) {
                pos[1] += round_i32(CAM_LookDownScale * double(CAM_LookOffset) / kLookDownLimit);
            }
        } else if (held(CTRL_UP)) {
            CAM_LookOffset += step;
            if (CAM_LookOffset > kQuarter) {
                CAM_LookOffset = float(kQuarter);
            }
            if (CAM_LookOffset > 0) {
                pos[1] -= round_i32(CAM_LookDownScale * 3.0 * double(CAM_LookOffset) / kQuarter);
            }
        }
    } else {
        CAM_TurnOffset = 0;
        CAM_LookOffset = 0;
    }
    h -= CAM_TurnOffset;
    h2 -= CAM_TurnOffset;
    // The heights E and F are negative, and negative y is up: the camera rides |F| above the subject.
    pos[1] += CAM_F;

    double elevation = CAM_LookOffset;
    double aim_distance = f.aim_distance;
    if (pitched) {
        double e = (s->pitch & 0xFFF) * kAngle;
        if (e > 1.396263 && e < 1.5708) {
            e = 1.396263;
        } else if (e > 1.5708 && e < 1.745329) {
            e = 1.745329;
        } else if (e > 4.537856 && e < 4.712389) {
            e = 4.537856;
        } else if (e > 4.712389 && e < 4.886922) {
            e = 4.886922;
        }
        if (e > kPi / 2 && e < 3 * kPi / 2) {
            aim_distance = trunc_i32(aim_distance * ((kPi / 2 - std::fabs(e - kPi) / (kPi / 2)) * 2.0) + 0.5);
        }
        elevation = e;
    }

    // The subject faces (cos h, sin h): the camera stands behind it, on the h2 side.
    const int32_t previous_camera[3] = {f.camera[0], f.camera[1], f.camera[2]};
    double r = std::fabs(std::cos(elevation)) * f.camera_distance;
    const int32_t offset[3] = {round_i32(std::cos(h2) * r), round_i32(std::sin(elevation) * f.camera_distance),
                               round_i32(std::sin(h2) * r)};
    for (int i = 0; i < 3; i++) {
        int64_t target = int64_t(pos[i]) + offset[i];
        f.camera[i] = snap ? narrow(target) : narrow(f.camera[i] + (target - f.camera[i]) / divisor(CAM_CameraDivisor));
    }
    bool keep_height = (s->coll_flags[0] & ACTOR_C0_KEEP_CAMERA) != 0;
    if (keep_height) {
        f.camera[1] = previous_camera[1];
    }

    // The aim point, ahead of the subject.
    const int32_t previous_aim[3] = {f.aim[0], f.aim[1], f.aim[2]};
    const int32_t aim_offset[3] = {round_i32(std::cos(h) * aim_distance), 0, round_i32(std::sin(h) * aim_distance)};
    if (snap) {
        for (int i = 0; i < 3; i++) {
            f.aim[i] = narrow(int64_t(pos[i]) + aim_offset[i]);
        }
    } else {
        // The height is smoothed relative to the raised subject height, so it settles on the subject's own.
        f.aim[1] = narrow(int64_t(f.aim[1]) + CAM_F);
        int32_t target[3];
        for (int i = 0; i < 3; i++) {
            target[i] = narrow(int64_t(pos[i]) + aim_offset[i]);
        }
        if (CAM_Collision != 0) {
            COL_CollideCamera(target);
        }
        for (int i = 0; i < 3; i++) {
            int64_t d = i == 1 ? divisor(CAM_AimDivisor) * 2 : divisor(CAM_AimDivisor);
            f.aim[i] = narrow(f.aim[i] + (int64_t(target[i]) - f.aim[i]) / d);
        }
    }

    // The aim height: held near the reference height, else led upward by the speed and kept between
    // |E| and |F| below the camera (E is the upper bound, the one nearer the camera's height).
    if (keep_height && int64_t(f.aim[1]) - 300 <= s->reference_height) {
        f.aim[1] = previous_aim[1];
    } else {
        f.aim[1] = narrow(int64_t(f.aim[1]) - CAM_F);
        f.aim[1] -= trunc_i32(double(CAM_E - CAM_F) / 150.0 * f.speed / double(divisor(CAM_HeightDivisor)));
        if (!look) {
            int64_t upper = int64_t(f.camera[1]) - CAM_E, lower = int64_t(f.camera[1]) - CAM_F;
            if (f.aim[1] < upper) {
                f.aim[1] = narrow(upper);
            } else if (f.aim[1] > lower) {
                f.aim[1] = narrow(lower);
            }
        }
    }

    // Small jitters leave both points where they were.
    if (!snap) {
        auto still = [](const int32_t *a, const int32_t *b) {
            double sum = 0;
            for (int i = 0; i < 3; i++) {
                double d = double(a[i]) - b[i];
                sum += d * d;
            }
            return sum < CAM_Stillness;
        };
        if (still(f.aim, previous_aim)) {
            for (int i = 0; i < 3; i++) {
                f.aim[i] = previous_aim[i];
            }
        }
        if (still(f.camera, previous_camera)) {
            for (int i = 0; i < 3; i++) {
                f.camera[i] = previous_camera[i];
            }
        }
    }
    // Look control lasts the placement it was asked for; close quarters may follow it.
    CAM_ManualLook = 0;
}

void script_frame(CAM_ScriptState &state)
{
    put_root(state.camera);
    bool remains = CAM_StepTimer(&state.timer) >= 0 && state.timer >= 0;
    if (remains) {
        CAM_SwayFollow(state.camera, state.aim);
    }
}

} // namespace

const int32_t CAM_Presets[CAM_PRESET_COUNT][8] = {
    {1024, 1024, 528, 528, -80, -80, 4, -1},   {1024, 1024, 336, 336, -32, -32, 4, 0},
    {1024, 1024, 528, 528, -80, -80, 4, 0},    {336, 336, 768, 768, -448, -448, 4, 0},
    {226, 226, 968, 968, -800, -800, 4, 0},    {226, 226, 768, 768, -248, -248, 4, 1},
};

uint8_t CAM_Mode = CAM_NOT_STARTED;
CAM_FollowState CAM_Follow{};
ActorRecord *CAM_LastSubject = nullptr;
int32_t CAM_A = 1024, CAM_B = 1024, CAM_C = 528, CAM_D = 528, CAM_E = -80, CAM_F = -80;
int32_t CAM_AimDivisor = 6, CAM_CameraDivisor = 2, CAM_HeightDivisor = 8, CAM_Stillness = 20, CAM_LookDownScale = 145;
int32_t CAM_FixedHeading = 0;
float CAM_TurnOffset = 0, CAM_LookOffset = 0;
int32_t CAM_ManualLook = 0, CAM_Collision = 0, CAM_Close = 0, CAM_Return = 0, CAM_SwayEnabled = 1;
float CAM_SwayPhase[2] = {0, 0};
int32_t CAM_Roll = 0;
CAM_ScriptState CAM_Fixed{}, CAM_Shot{}, CAM_Pair{}, CAM_OnObject{};
CAM_OverheadState CAM_Overhead{};
CAM_FreeFlyState CAM_FreeFly{};

int32_t CAM_Init()
{
    if (queue != nullptr) {
        QUE_Destroy(queue);
    }
    queue = QUE_Create(kQueueSize);
    CAM_Mode = CAM_NOT_STARTED;
    CAM_Follow = {};
    CAM_LastSubject = nullptr;
    CAM_AimDivisor = 6;
    CAM_CameraDivisor = 2;
    CAM_HeightDivisor = 8;
    CAM_Stillness = 20;
    CAM_LookDownScale = 145;
    CAM_TurnOffset = CAM_LookOffset = 0;
    CAM_ManualLook = CAM_Collision = CAM_Close = CAM_Return = 0;
    CAM_SwayEnabled = 1;
    CAM_SwayPhase[0] = CAM_SwayPhase[1] = 0;
    CAM_Roll = 0;
    CAM_Fixed = CAM_Shot = CAM_Pair = CAM_OnObject = {};
    CAM_Overhead = {};
    CAM_FreeFly = {};
    return queue != nullptr ? 1 : 0;
}

void CAM_Exit()
{
    if (queue != nullptr) {
        QUE_Destroy(queue);
        queue = nullptr;
    }
}

void CAM_LoadPreset()
{
    int32_t index = OPT_CameraPreset >= 0 && OPT_CameraPreset < CAM_PRESET_COUNT ? OPT_CameraPreset : 0;
    int32_t v[8];
    for (int i = 0; i < 8; i++) {
        v[i] = CAM_Presets[index][i];
    }
    if (index == 0 && PRJ_Current != nullptr) {
        // The project's six camera values and its camera distance override A..G where set.
        for (int i = 0; i < 6; i++) {
            if (PRJ_Current->camera_preset[i] != 0) {
                v[i] = PRJ_Current->camera_preset[i];
            }
        }
        if (PRJ_Current->camera_distance != 0) {
            v[6] = PRJ_Current->camera_distance;
        }
    }
    CAM_A = v[0];
    CAM_B = v[1];
    CAM_C = v[2];
    CAM_D = v[3];
    CAM_E = v[4];
    CAM_F = v[5];
    CAM_AimDivisor = preset_g = v[6];
    CAM_FixedHeading = v[7] == 1 ? 1 : 0;
}

void (*CAM_EventObserver)(int32_t code, intptr_t a, intptr_t b);

void CAM_PostEvent(int32_t code, intptr_t a, intptr_t b)
{
    if (CAM_EventObserver != nullptr) {
        CAM_EventObserver(code, a, b);
    }
    QUE_Post(queue, uint8_t(code), a, b);
}

void CAM_EnableLook() { CAM_ManualLook = 1; }
void CAM_EnableCollision() { CAM_Collision = 1; }
void CAM_DisableCollision() { CAM_Collision = 0; }

int32_t CAM_StepTimer(float *timer)
{
    *timer = float(*timer - GAME_TimeFactor);
    if (*timer < 0) {
        CAM_PostEvent('+', reinterpret_cast<intptr_t>(CAM_LastSubject), 0);
    }
    return trunc_i32(*timer);
}

void CAM_CompCameraPos()
{
    MGM_Event event;
    bool drained = false;
    while (queue != nullptr && QUE_Read(queue, &event) != 0) {
        drained = true;
        switch (event.type) {
        case '+': CAM_StartFollow(event.a, event.b); break;
        case ',': CAM_StartFixed(event.a, event.b); break;
        case '-': CAM_StartShot(event.a, event.b); break;
        case '.': CAM_StartObjPair(event.a, event.b); break;
        case '/': CAM_StartOnObject(event.a, event.b); break;
        case '0': CAM_ToggleOverhead(event.a, event.b); break;
        case '1': CAM_ToggleFreeFly(event.a, event.b); break;
        default: SYS_FatalError("Kalder Internal Error : unknown event in CAM_CompCameraPos", 999, 1);
        }
    }
    if (drained) {
        CAM_ManualLook = 0;
        CAM_Collision = 0;
        return;
    }
    switch (CAM_Mode) {
    case CAM_FOLLOW: CAM_UpdateFollow(); break;
    case CAM_FIXED: CAM_UpdateFixed(); break;
    case CAM_SHOT: CAM_UpdateShot(); break;
    case CAM_OBJECT_PAIR: CAM_UpdateObjPair(); break;
    case CAM_ON_OBJECT: CAM_UpdateOnObject(); break;
    case CAM_OVERHEAD: CAM_UpdateOverhead(); break;
    case CAM_FREE_FLY: CAM_UpdateFreeFly(); break;
    default: break;
    }
}

void CAM_StartFollow(intptr_t a, intptr_t)
{
    CAM_Mode = CAM_FOLLOW;
    CAM_Follow.subject = actor_or_steered(a);
    CAM_LastSubject = CAM_Follow.subject;
    // Placed at once: the frame of the event runs no update.
    CAM_FollowSelect(true);
    put_root(CAM_Follow.camera);
    CAM_SwayFollow(CAM_Follow.camera, CAM_Follow.aim);
}

void CAM_StartFixed(intptr_t a, intptr_t)
{
    const auto *record = reinterpret_cast<const CAM_FixedRecord *>(a);
    if (record == nullptr) {
        return;
    }
    CAM_Mode = CAM_FIXED;
    for (int i = 0; i < 3; i++) {
        CAM_Fixed.camera[i] = record->camera[i];
        CAM_Fixed.aim[i] = record->aim[i];
    }
    CAM_Fixed.timer = float(record->duration);
    put_root(CAM_Fixed.camera);
    // The fixed frames only count time, so the shot looks at its aim from the start.
    CAM_SwayFollow(CAM_Fixed.camera, CAM_Fixed.aim);
}

void CAM_StartShot(intptr_t a, intptr_t)
{
    const auto *record = reinterpret_cast<const CAM_ShotRecord *>(a);
    if (record == nullptr) {
        return;
    }
    CAM_Mode = CAM_SHOT;
    for (int i = 0; i < 3; i++) {
        CAM_Shot.camera[i] = record->camera[i];
    }
    CAM_Shot.first = actor_or_steered(reinterpret_cast<intptr_t>(record->subject));
    CAM_Shot.timer = float(record->duration);
}

void CAM_StartObjPair(intptr_t a, intptr_t b)
{
    CAM_Mode = CAM_OBJECT_PAIR;
    CAM_Pair.first = actor_or_steered(a);
    CAM_Pair.second = actor_or_steered(b);
    CAM_Pair.timer = kPairDuration;
}

void CAM_StartOnObject(intptr_t a, intptr_t)
{
    const auto *record = reinterpret_cast<const CAM_ObjectRecord *>(a);
    if (record == nullptr) {
        return;
    }
    CAM_Mode = CAM_ON_OBJECT;
    CAM_OnObject.first = actor_or_steered(reinterpret_cast<intptr_t>(record->object));
    for (int i = 0; i < 3; i++) {
        CAM_OnObject.aim[i] = record->aim[i];
    }
    CAM_OnObject.timer = float(record->duration);
}

void CAM_ToggleOverhead(intptr_t a, intptr_t)
{
    if (CAM_Mode == CAM_OVERHEAD) {
        CAM_Mode = CAM_FOLLOW;
        return;
    }
    CAM_Mode = CAM_OVERHEAD;
    CAM_Overhead.subject = actor_or_steered(a);
}

void CAM_ToggleFreeFly(intptr_t a, intptr_t)
{
    if (CAM_Mode == CAM_FREE_FLY) {
        CAM_Mode = CAM_FOLLOW;
        return;
    }
    CAM_Mode = CAM_FREE_FLY;
    node_pos(actor_or_steered(a), CAM_FreeFly.position);
    CAM_FreeFly.position[0] -= 300;
    CAM_FreeFly.speed = 1024;
}

void CAM_UpdateFollow()
{
    if (project_camera_hold() == 0) {
        CAM_EnableCollision();
    }
    CAM_FollowSelect(false);
    CAM_NearAdjust();
    put_root(CAM_Follow.camera);
    CAM_SwayFollow(CAM_Follow.camera, CAM_Follow.aim);
}

void CAM_FollowSelect(bool snap)
{
    CAM_FollowState &f = CAM_Follow;
    ActorRecord *s = f.subject;
    f.aim_distance = uint32_t((CAM_C + CAM_D) / 2);
    f.camera_distance = uint32_t((CAM_A + CAM_B) / 2);
    bool contact_a = (s->coll_flags[0] & ACTOR_C0_CONTACT_A) != 0;
    bool climbing = contact_a && is_climb_anim(s->current_anim);
    bool hanging = climbing && (s->coll_flags[1] & ACTOR_C1_CONTACT_B) != 0;
    if (hanging) {
        f.camera_distance = 0;
    }
    const double m[3] = {double(s->motion_vector[0]), double(s->motion_vector[1]), double(s->motion_vector[2])};
    f.speed = round_i32(std::sqrt(m[0] * m[0] + m[1] * m[1] + m[2] * m[2]));
    if (CAM_Mode == CAM_FOLLOW && project_camera_hold() == 0) {
        CAM_EnableCollision();
    }
    auto boost = [&](uint32_t extra) {
        if (!hanging) {
            f.aim_distance += extra;
            f.camera_distance += extra;
        }
    };
    bool pitch_steering = (s->flags[4] & ACTOR_F4_PITCH_STEERING) != 0;
    switch (s->physics_mode) {
    case 1:
        if (pitch_steering) {
            if (CAM_Close == 0) {
                CAM_AimDivisor = 4;
            }
            boost(150);
            // The placement takes the pitch turned by -128: the camera rises above the subject and looks
            // down over its shoulder.
            int32_t pitch = s->pitch;
            s->pitch = (pitch - 128) & 0xFFF;
            if (CAM_Close == 0) {
                CAM_AimDivisor = preset_g;
            }
            CAM_PlacePitched(snap);
            s->pitch = pitch;
            f.aim[1] += 40;
            CAM_Return = 1;
        } else if (s->current_anim == 46 || climbing) {
            if (CAM_Close == 0) {
                CAM_AimDivisor = 4;
            }
            boost(300);
            CAM_PlacePitched(snap);
            f.aim[1] += 50;
        } else {
            if (CAM_Close == 0) {
                CAM_AimDivisor = preset_g;
            }
            if (CAM_Return != 0) {
                CAM_Return = 0;
                snap = true;
            }
            CAM_PlaceBehind(snap);
        }
        break;
    case 2:
    case 3:
        boost(100);
        CAM_PlacePitched(snap);
        f.aim[1] += 30;
        break;
    default: break;
    }
}

void CAM_PlaceBehind(bool snap) { place(snap, false); }

void CAM_PlacePitched(bool snap) { place(snap, true); }

void CAM_NearAdjust()
{
    CAM_FollowState &f = CAM_Follow;
    const ActorRecord *s = f.subject;
    int32_t pos[3];
    node_pos(s, pos);
    double dx = double(f.aim[0]) - pos[0], dz = double(f.aim[2]) - pos[2];
    double d = std::sqrt(double(round_i32(dx * dx + dz * dz)));
    CAM_LoadPreset();
    CAM_Close = 0;
    if (CAM_C > d && s->physics_mode == 1 && CAM_ManualLook == 0 && !is_climb_anim(s->current_anim)) {
        CAM_Close = 1;
        CAM_A = round_i32(CAM_A * d / CAM_C);
        CAM_B = round_i32(CAM_A * d / CAM_C);
        if (d < 0.7 * CAM_C) {
            CAM_AimDivisor = 2;
        }
        if (d < 0.5 * CAM_C) {
            CAM_AimDivisor = 1;
        }
        if (d < 0.2 * CAM_C) {
            d = 0.2 * CAM_C;
        }
        // Pulled in close, the camera looks down more steeply: the aim sinks below the subject.
        f.aim[1] = round_i32(double(pos[1]) - CAM_E + (CAM_C - d) * 1.2);
        if ((s->flags[4] & ACTOR_F4_PITCH_STEERING) != 0) {
            f.aim[1] += 80;
        }
    }
}

void CAM_SwayFollow(const int32_t *camera, int32_t *aim)
{
    // The view looks along the direction the points had before the bob below moved the aim.
    int32_t direction[3], unit[3];
    for (int i = 0; i < 3; i++) {
        direction[i] = narrow(int64_t(aim[i]) - camera[i]);
    }
    const ActorRecord *s = CAM_Follow.subject;
    bool pitch_steering = s != nullptr && (s->flags[4] & ACTOR_F4_PITCH_STEERING) != 0;
    bool sways = CAM_Mode == CAM_FOLLOW && CAM_SwayEnabled != 0 && s != nullptr &&
                 (pitch_steering || s->physics_mode == 2 || s->physics_mode == 3);
    if (!sways) {
        CAM_Roll = 0;
    } else {
        int32_t target;
        if (s->physics_mode == 2) {
            CAM_SwayPhase[0] = float(CAM_SwayPhase[0] + GAME_TimeFactor * 0.02);
            CAM_SwayPhase[1] = float(CAM_SwayPhase[1] + GAME_TimeFactor * 0.05);
            for (float &phase : CAM_SwayPhase) {
                if (phase > kPi) {
                    phase = float(phase - kTwoPi);
                }
            }
            target = signed_angle(
                round_i32(std::sin(CAM_SwayPhase[0]) * 12.0 + std::cos(CAM_SwayPhase[1] * 2.0) * 0.5));
            int32_t bob = round_i32(std::sin(CAM_SwayPhase[1]) * 16);
            for (int i = 0; i < 3; i++) {
                aim[i] += bob;
            }
        } else {
            target = signed_angle(s->tilt);
        }
        int32_t k = GAME_TimeFactor < 1 ? 256 : round_i32(256 / GAME_TimeFactor);
        if (pitch_steering) {
            k = k * 128 / 256;
        }
        // The roll is eased as a signed angle, so that a roll to the left settles as one to the right does.
        int32_t roll = signed_angle(CAM_Roll);
        CAM_Roll = (roll + ((target * k / 280 - roll) >> 2)) & 0xFFF;
    }
    Vec_Normalise(direction, unit);
    int32_t m[9];
    Mat_From_Dir(unit, (0xFFF - CAM_Roll) & 0xFFF, m);
    Set_Obj_Matrix(0, m);
}

void CAM_UpdateFixed() { CAM_StepTimer(&CAM_Fixed.timer); }

void CAM_UpdateShot()
{
    node_pos(CAM_Shot.first, CAM_Shot.aim);
    for (int i = 0; i < 3; i++) {
        CAM_Shot.camera[i] =
            narrow(CAM_Shot.camera[i] + (int64_t(CAM_Shot.aim[i]) - CAM_Shot.camera[i]) / divisor(CAM_CameraDivisor));
    }
    script_frame(CAM_Shot);
}

void CAM_UpdateObjPair()
{
    node_pos(CAM_Pair.first, CAM_Pair.camera);
    node_pos(CAM_Pair.second, CAM_Pair.aim);
    script_frame(CAM_Pair);
}

void CAM_UpdateOnObject()
{
    node_pos(CAM_OnObject.first, CAM_OnObject.camera);
    script_frame(CAM_OnObject);
}

void CAM_UpdateOverhead()
{
    const ActorRecord *s = CAM_Overhead.subject;
    int32_t aim[3], camera[3];
    node_pos(s, aim);
    camera[0] = aim[0] + 10;
    camera[1] = aim[1] - 1500;
    camera[2] = aim[2] + 10;
    int32_t direction[3], unit[3];
    for (int i = 0; i < 3; i++) {
        direction[i] = aim[i] - camera[i];
    }
    Vec_Normalise(direction, unit);
    int32_t m[9];
    Mat_From_Dir(unit, (5120 - s->heading) & 0xFFF, m);
    Set_Obj_Matrix(0, m);
    put_root(camera);
}

void CAM_UpdateFreeFly()
{
    if (EDT_Active != 0) {
        return;
    }
    double scale = 1.0;
    if ((INP_KeyTable[0x21] & 0x01) != 0) { // Page Up
        scale = 0.5;
    } else if ((INP_KeyTable[0x22] & 0x01) != 0) { // Page Down
        scale = 0.25;
    } else if ((INP_KeyTable[0x24] & 0x01) != 0) { // Home
        scale = 2.0;
    } else if ((INP_KeyTable[0x23] & 0x01) != 0) { // End
        scale = 4.0;
    }
    // The pointer's movement since the last frame turns the view, not where the pointer stands.
    CAM_FreeFly.yaw = (CAM_FreeFly.yaw + trunc_i32(GAME_RawInput.axis_x * scale)) & 0xFFF;
    CAM_FreeFly.pitch = (CAM_FreeFly.pitch + trunc_i32(GAME_RawInput.axis_y * scale)) & 0xFFF;
    double speed = GAME_TimeFactor * scale;
    int32_t cp = Get_Cos(CAM_FreeFly.pitch);
    const int32_t axis[3] = {narrow((int64_t(cp) * Get_Sin(CAM_FreeFly.yaw)) >> 15), Get_Sin(CAM_FreeFly.pitch),
                             narrow((int64_t(cp) * Get_Cos(CAM_FreeFly.yaw)) >> 15)};
    uint8_t buttons = GAME_RawInput.buttons & (GAME_BUTTON_1 | GAME_BUTTON_2);
    int32_t sense = buttons == GAME_BUTTON_1 ? 1 : buttons == GAME_BUTTON_2 ? -1 : 0;
    for (int i = 0; i < 3; i++) {
        CAM_FreeFly.position[i] += sense * trunc_i32(((60 * axis[i]) >> 15) * speed);
    }
    int32_t m[9];
    Mat_From_Dir(axis, 0, m);
    Set_Obj_Matrix(0, m);
    put_root(CAM_FreeFly.position);
}
