// Actor animation and motion: keyframe animations chosen by number, switched by actions, cross-faded
// and played each frame; the root's motion in the keys becomes the actor's motion in the world.
#include "world/anim.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/fconv.h"
#include "core/game_frame.h"
#include "core/snd.h"
#include "core/wrap.h"
#include "editor/edt.h"
#include "engine3d/anim.h"
#include "engine3d/image.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "interface/menu.h"
#include "plat/files.h"
#include "plat/system.h"
#include "world/actor.h"
#include "world/aim.h"
#include "world/dan.h"
#include "world/fgt.h"
#include "world/fgt_hit.h"
#include "world/fx.h"
#include "world/mdl.h"
#include "world/mis.h"
#include "world/phy.h"
#include "world/plt.h"

ANIM_Slot ANIM_Slots[ANIM_SET_COUNT][ANIM_NUMBER_COUNT];
int32_t ANIM_MenuRequest;

namespace {

constexpr double Two_Pi = 6.2831853071794;
constexpr int32_t Last_Key_Frame = 65535;
constexpr int32_t Max_Frame_Count = 65534;

// The built-in flags of each animation number, the same in every set.
constexpr uint8_t Number_Flags[ANIM_NUMBER_COUNT] = {
    0,    0,    0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0x24, //  0..9
    0x24, 0x24, 0x04, 0x04, 0x04, 0,    0x04, 0x04, 0x04, 0x04, // 10..19
    0x24, 0x04, 0x24, 0x24, 0x04, 0x02, 0x02, 0,    0x04, 0,    // 20..29
    0x04, 0x04, 0x04, 0x04, 0,    0x04, 0,    0,    0,    0x24, // 30..39
    0x04, 0,    0,    0,    0x02, 0x02, 0x24, 0x04, 0x04, 0,    // 40..49
    0x0C, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, // 50..59
    0x02, 0x02, 0x04, 0x04,                                     // 60..63
};

// The slot of an actor's animation; numbers outside the table, and actors without a set, read as an
// empty slot.
const ANIM_Slot &Slot_Of(const ActorRecord *actor, int32_t number)
{
    static const ANIM_Slot none = {-1, {0, 0}, 0};
    if (actor->anim_set < 0 || actor->anim_set >= ANIM_SET_COUNT || number < 0 || number >= ANIM_NUMBER_COUNT) {
        return none;
    }
    return ANIM_Slots[actor->anim_set][number];
}

int32_t Slot_Flags(const ActorRecord *actor, int32_t number) { return Slot_Of(actor, number).flags; }

bool Locked(const ActorRecord *actor) { return (actor->flags[2] & ACTOR_F2_ACTION_HELD) != 0; }

// A 12-bit angle taken in -2048..2047.
int32_t Signed_Angle(int32_t angle)
{
    angle &= 0xFFF;
    return angle > 2047 ? angle - 4096 : angle;
}

// A ramp of a speed toward its cap (negative caps ramp downward): the step while short of the cap,
// else the cap itself.
int32_t Ramp(int32_t speed, double step, double cap)
{
    if (cap >= 0 ? speed < cap : speed > cap) {
        return trunc_i32(double(speed) + step);
    }
    return trunc_i32(cap);
}

// An angle eased toward a target by one part in `divisor` of the difference.
int32_t Ease(int32_t angle, int32_t target, int32_t divisor)
{
    int32_t a = Signed_Angle(angle);
    return Wrap_Add(a, int32_t(uint32_t(target) - uint32_t(a)) / divisor) & 0xFFF;
}

void Request_Sound(ActorRecord *actor, int32_t sound, uint8_t flags)
{
    SND_Request request{};
    request.kind = 1;
    request.sound = sound;
    request.flags = flags;
    request.owner = actor;
    SND_PlayEffect(&request);
}

// The key of a frame of an animation: frames beyond the key's 16 bits would name another table.
int32_t Key(int32_t handle, int32_t frame)
{
    frame = frame < 0 ? 0 : frame > Last_Key_Frame ? Last_Key_Frame : frame;
    return handle + frame;
}

// Poses the node from two keys at a weight and lays the actor's orientation over the root. The root
// first gets back the position the keys gave it last time: a root whose keys do not move it then
// keeps that position instead of the one the physics left in the node, and gives no motion of its
// own. A missing animation poses nothing.
void Apply_Keys(ActorRecord *actor, int32_t handle_a, int32_t frame_a, int32_t handle_b, int32_t frame_b,
                int32_t weight)
{
    if (handle_a == -1) {
        handle_a = handle_b;
        frame_a = frame_b;
        weight = 0;
    } else if (handle_b == -1) {
        handle_b = handle_a;
        frame_b = frame_a;
        weight = 0;
    }
    if (handle_a == -1) {
        return;
    }
    Set_Obj_Pos(actor->node, actor->stored_node_pos);
    const int32_t a = Key(handle_a, frame_a), b = Key(handle_b, frame_b);
    if (actor->flags[7] & ACTOR_F7_EXTENDED_KEYS) {
        Anim_Apply_Ext(actor->node, a, b, weight, 0);
    } else {
        Anim_Apply(actor->node, a, b, weight, 0);
    }
    int32_t turn[9], local[9], turned[9];
    Mat_Rotate(actor->tilt, actor->heading, actor->pitch, turn);
    if (Get_Obj_Matrix(actor->node, local) == 0) {
        Mat_Mul(turn, local, turned);
        Set_Obj_Matrix(actor->node, turned);
    }
}

// The time step of the players: the frame's time factor, slowed while the slow time runs (which it
// counts down), and scaled by the animation time scale when `scaled`.
double Player_Dt(ActorRecord *actor, bool scaled)
{
    double dt = GAME_TimeFactor;
    if (actor->slow_time != 0.0f) {
        double left = double(actor->slow_time) - GAME_TimeFactor;
        actor->slow_time = left < 0.0 ? 0.0f : float(left);
        dt = double(actor->slow_factor) * GAME_TimeFactor;
    }
    if (scaled && actor->anim_time_scale != 0.0f) {
        dt *= double(actor->anim_time_scale);
    }
    return dt;
}

// The root's motion since the last key application, turned into the world by heading and pitch.
struct Motion {
    double x, y, z;
};

enum class Turn { Play, Pair };

Motion Root_Motion(ActorRecord *actor, Turn formula, int32_t stride)
{
    int32_t d[3];
    for (int i = 0; i < 3; i++) {
        actor->previous_node_pos[i] = actor->stored_node_pos[i];
    }
    Get_Obj_Pos(actor->node, actor->stored_node_pos);
    for (int i = 0; i < 3; i++) {
        d[i] = int32_t(uint32_t(actor->stored_node_pos[i]) - uint32_t(actor->previous_node_pos[i]));
        if (actor->flags[2] & ACTOR_F2_DOUBLE_STRIDE) {
            d[i] = int32_t(uint32_t(d[i]) * uint32_t(stride));
        }
    }
    const double th = double(4096 - actor->heading) * Two_Pi / 4096.0;
    const double tp = double(actor->pitch) * Two_Pi / 4096.0;
    const double dx = d[0], dy = d[1], dz = d[2];
    Motion m;
    if (formula == Turn::Play) {
        m.x = std::cos(tp) * (std::cos(th) * dx - std::sin(th) * dz);
        m.z = std::cos(tp) * (std::sin(th) * dx + std::cos(th) * dz);
    } else {
        m.x = std::cos(th) * std::cos(tp) * dx - std::sin(th) * std::sin(tp) * dz;
        m.z = std::sin(th) * std::cos(tp) * dx + std::cos(th) * std::sin(tp) * dz;
    }
    m.y = std::cos(tp) * dy + std::sin(tp) * dx;
    return m;
}

// With the driven-motion flag the new motion only approaches the animation's by the motion scale each
// frame: axis := v x s / 128 + axis x (128 - s) / 128, v the motion before this step.
double Blend_Axis(double before, double axis, double s) { return before * s / 128.0 + axis * (128.0 - s) / 128.0; }

void Set_Motion(ActorRecord *actor, const Motion &m)
{
    actor->velocity[0] = float(m.x);
    actor->velocity[1] = float(m.y);
    actor->velocity[2] = float(m.z);
}

// After a frame advance: held actions fall back to idle unless requested again next frame.
void Advance(ActorRecord *actor, double dt)
{
    actor->frame_position = float(double(actor->frame_position) + double(actor->anim_speed) * dt);
    ANIM_CheckEnd(actor);
    if (Slot_Flags(actor, actor->current_anim) & ANIM_SLOT_HELD) {
        actor->flags[1] |= ACTOR_F1_ANIM_END_REQUEST;
        actor->anim_speed = 0.0f;
    }
}

// Starts a fade toward a target whose frame count is `count`.
void Start_Fade(ActorRecord *actor, int32_t count)
{
    actor->blend_frames = 8;
    actor->anim_field = 0;
    actor->flags[0] |= ACTOR_F0_ANIM_RESTART2;
    actor->anim_blend = 1.0f;
    actor->saved_frame_count = count;
    actor->anim_speed = 1.0f;
}

} // namespace

int32_t ANIM_FrameCount(int32_t handle)
{
    if (handle == -1) {
        return 0;
    }
    // A damaged count would carry frames past the key's 16 bits into the next table.
    int32_t count = Get_Obj_Name_Unchecked(handle);
    return count < 0 ? 0 : count > Max_Frame_Count ? Max_Frame_Count : count;
}

void ANIM_InitSlots()
{
    for (auto &set : ANIM_Slots) {
        for (int32_t n = 0; n < ANIM_NUMBER_COUNT; n++) {
            set[n] = {-1, {0, 0}, Number_Flags[n]};
        }
    }
}

int32_t ANIM_LoadActorAnims(ActorRecord *actor, const char *model_name)
{
    int32_t set = 0;
    while (set < ANIM_SET_COUNT && (ANIM_Slots[set][0].flags & ANIM_SLOT_IN_USE)) {
        set++;
    }
    if (set == ANIM_SET_COUNT) {
        // Every set is taken: the actor plays nothing rather than overwrite another type's set.
        actor->anim_set = -1;
        actor->flags[1] &= uint8_t(~ACTOR_F1_HAS_ANIMS);
        return 0;
    }
    char base[33];
    size_t length = 0;
    while (length < 32 && model_name[length] != 0 && model_name[length] != '.') {
        length++;
    }
    std::memcpy(base, model_name, length);
    base[length] = 0;

    std::vector<std::string> names;
    if (DAN_IsOpen()) {
        for (int32_t i = 0; i < DAN_AnimCount() && names.size() < size_t(ANIM_NUMBER_COUNT); i++) {
            const char *name = DAN_AnimName(i);
            if (name != nullptr) {
                names.emplace_back(name);
            }
        }
    } else {
        const std::string pattern = std::string("data\\3dc\\") + base + "an???.3da";
        for (const PLAT_FindEntry &entry : PLAT_FindFiles(pattern.c_str())) {
            if (!entry.is_directory && names.size() < size_t(ANIM_NUMBER_COUNT)) {
                names.push_back(entry.name);
            }
        }
    }

    ANIM_Slot *slots = ANIM_Slots[set];
    for (const std::string &name : names) {
        // The number is the two characters after the type's three and "an": the hundreds digit is not
        // read, and a name without two digits there names no slot.
        if (name.size() < 8 || name[6] < '0' || name[6] > '9' || name[7] < '0' || name[7] > '9') {
            continue;
        }
        const int32_t number = (name[6] - '0') * 10 + (name[7] - '0');
        if (number >= ANIM_NUMBER_COUNT) {
            continue;
        }
        const std::string path = "data\\3dc\\" + name;
        const OBJ_Handle handle = Load_Obj(path.c_str());
        if (handle == -1) {
            // The box names a fixed file whatever failed; the real one goes to the standard error.
            PLAT_WriteStderr(("Kalder: cannot read the animation " + path + "\n").c_str());
            char text[128];
            std::snprintf(text, sizeof text, "%s %s", "Kalder Internal Error : Read file Error", "../3DC/run00.3da");
            MDL_LoadError(text);
        }
        slots[number].handle = handle;
    }
    for (int32_t n = 0; n < ANIM_NUMBER_COUNT; n++) {
        if (slots[n].handle == -1 && n > 0) {
            slots[n].handle = slots[n - 1].handle;
        }
        if (slots[n].handle != -1) {
            slots[0].flags |= ANIM_SLOT_IN_USE;
        }
    }
    if (slots[0].flags & ANIM_SLOT_IN_USE) {
        actor->anim_set = set;
        actor->flags[1] |= ACTOR_F1_HAS_ANIMS;
        return 1;
    }
    actor->anim_set = -1;
    actor->flags[1] &= uint8_t(~ACTOR_F1_HAS_ANIMS);
    return 0;
}

int32_t ANIM_SetAnimSet(ActorRecord *actor, const ActorRecord *other)
{
    actor->anim_set = other->anim_set;
    if (actor->anim_set != -1) {
        actor->flags[1] |= ACTOR_F1_HAS_ANIMS;
        return 1;
    }
    actor->flags[1] &= uint8_t(~ACTOR_F1_HAS_ANIMS);
    return 0;
}

void ANIM_DoAction(ActorRecord *actor, int32_t action)
{
    double dt = GAME_TimeFactor;
    if (actor->slow_time != 0.0f && !(actor->flags[0] & ACTOR_F0_HERO)) {
        dt = double(actor->slow_factor) * GAME_TimeFactor;
    }
    if (actor->current_anim == 62 || actor->current_anim == 63 || actor->current_anim == ANIM_DEATH ||
        actor->requested_anim == ANIM_DEATH) {
        return;
    }
    int32_t s = (actor->flags[2] & ACTOR_F2_MOTION_SPEED) ? actor->motion_speed : 48;
    if (!(actor->flags[4] & ACTOR_F4_PITCH_STEERING)) {
        s = Wrap_Mul(s, 3) / 4;
    }
    if (actor->flags[9] & ACTOR_F9_KNOCKBACK) {
        s = 0;
    }
    if (action != ANIM_DEATH && Locked(actor)) {
        s = trunc_i32(double(s) * 0.5);
    }
    const double factor = GAME_TimeFactor;
    const bool mode2 = actor->physics_mode == 2, mode3 = actor->physics_mode == 3;

    if ((actor->current_anim == 4 || actor->current_anim == 5) &&
        (action == ANIM_TURN_LEFT || action == ANIM_TURN_RIGHT)) {
        const int32_t sign = action == ANIM_TURN_RIGHT ? 1 : -1;
        actor->tilt = Ease(actor->tilt, round_i32(double(Wrap_Mul(s, sign * 60) / 32) * 3.0), 8);
    }
    if (action == ANIM_TURN_LEFT || action == ANIM_TURN_RIGHT) {
        const int32_t sign = action == ANIM_TURN_RIGHT ? 1 : -1;
        if (actor->flags[5] & ACTOR_F5_STRONG_TURN) {
            if (!(actor->coll_flags[0] & ACTOR_C0_CONTACT_A)) {
                actor->velocity[1] = float(double(actor->velocity[1]) - 2.0);
            }
            actor->tilt = Ease(actor->tilt, round_i32(double(Wrap_Mul(s, sign * 150) / 32) * 3.0), 16);
        }
        actor->heading_speed = Ramp(actor->heading_speed, double(Wrap_Mul(s, sign * 12) / 32) * dt, sign * 100 * factor);
        if (mode3) {
            actor->tilt_speed = Ramp(actor->tilt_speed, double(Wrap_Mul(s, sign * 6) / 32) * dt, sign * 100 * factor);
        } else if (mode2) {
            actor->tilt_speed = Ramp(actor->tilt_speed, double(Wrap_Mul(s, sign) / 32) * dt, sign * 16 * factor);
        }
        // Only a model with turn animations of its own turns by animation, on the ground, from a
        // standstill or another turn. No actor has the turn-animation flag.
        const bool turns = (actor->flags[7] & ACTOR_F7_EXTENDED_KEYS) && actor->physics_mode == 1;
        const int32_t a = actor->current_anim;
        if (!(turns && (a == ANIM_IDLE || a == ANIM_TURN_LEFT || a == ANIM_TURN_RIGHT))) {
            return;
        }
    } else if (action == ANIM_PITCH_UP || action == ANIM_PITCH_DOWN) {
        const int32_t sign = action == ANIM_PITCH_UP ? 1 : -1;
        actor->pitch_speed = Ramp(actor->pitch_speed, double(Wrap_Mul(s, sign * 6) / 32) * dt, sign * 100 * factor);
        if (mode2) {
            // A swimmer does not pitch past straight up or straight down.
            const int32_t next = Wrap_Add(actor->pitch, actor->pitch_speed);
            if (sign > 0 ? next >= 1001 && next <= 2023 : next >= 2073 && next <= 3095) {
                actor->pitch_speed = 0;
            }
        }
        return;
    }
    if (!Locked(actor) || action == ANIM_DEATH) {
        actor->requested_anim = action;
    }
}

int32_t ANIM_ChangeAnim(ActorRecord *actor)
{
    if (Locked(actor)) {
        return 0;
    }
    actor->flags[8] &= uint8_t(~ACTOR_F8_BLEND_RESTART);
    const int32_t r = actor->requested_anim;
    if (r != -1) {
        const int32_t old = actor->current_anim;
        if (Slot_Flags(actor, old) & ANIM_SLOT_RESTART) {
            actor->flags[8] |= ACTOR_F8_BLEND_RESTART;
        }
        actor->current_anim = r;
        const ANIM_Slot &slot = Slot_Of(actor, r);
        if (actor->anim_handles[1] != slot.handle) {
            actor->anim_handles[1] = slot.handle;
            const int32_t count = ANIM_FrameCount(slot.handle);
            actor->saved_frame_count = count + 1;
            if (actor->anim_handles[0] != slot.handle) {
                // Two animations of a pair (walk and run) swap in one step, in step with each other.
                if (!(actor->flags[5] & ACTOR_F5_STRONG_TURN) && old != r && (old & ~1) == (r & ~1)) {
                    actor->flags[2] |= ACTOR_F2_PAIR_SWITCH;
                    if (actor->flags[0] & ACTOR_F0_ANIM_ENDED) {
                        actor->blend_frames = 8;
                        actor->flags[0] |= ACTOR_F0_ANIM_RESTART;
                        actor->flags[0] &= uint8_t(~ACTOR_F0_ANIM_ENDED);
                        ANIM_ApplyFirstFrame(actor);
                    }
                }
                Start_Fade(actor, count);
                actor->flags[1] &= uint8_t(~ACTOR_F1_ANIM_END_REQUEST);
                actor->flags[0] &= uint8_t(~ACTOR_F0_ANIM_ENDED);
                if (slot.flags & ANIM_SLOT_LOCKING) {
                    actor->flags[2] |= ACTOR_F2_ACTION_HELD;
                }
            }
        }
        if (slot.handle == actor->anim_handles[0]) {
            if (actor->flags[0] & ACTOR_F0_ANIM_ENDED) {
                actor->blend_frames = 8;
                actor->flags[0] |= ACTOR_F0_ANIM_RESTART;
                actor->flags[0] &= uint8_t(~ACTOR_F0_ANIM_ENDED);
            }
            if (actor->flags[1] & ACTOR_F1_ANIM_END_REQUEST) {
                actor->flags[1] &= uint8_t(~ACTOR_F1_ANIM_END_REQUEST);
                actor->anim_speed = 1.0f;
            }
        }
    }
    if (actor->flags[1] & ACTOR_F1_ANIM_END_REQUEST || actor->flags[0] & ACTOR_F0_ANIM_ENDED) {
        int32_t idle = ANIM_IDLE_OTHER;
        if (actor->physics_mode == 1) {
            idle = ANIM_IDLE;
            const double fall = actor->phy_velocity[1] / GAME_TimeFactor;
            if ((actor->coll_flags[0] & ACTOR_C0_CONTACT_A) && (actor->flags[0] & ACTOR_F0_HERO) && fall >= 1.0) {
                idle = fall >= 45.0 ? 42 : fall >= 20.0 ? 25 : 41;
            }
        }
        if (!(actor->flags[1] & ACTOR_F1_AI)) {
            idle = ANIM_IDLE;
        }
        actor->requested_anim = actor->current_anim = idle;
        const int32_t handle = Slot_Of(actor, idle).handle;
        if (actor->anim_handles[1] != handle) {
            actor->anim_handles[1] = handle;
            const int32_t count = ANIM_FrameCount(handle);
            actor->saved_frame_count = count;
            if (actor->anim_handles[0] != handle) {
                Start_Fade(actor, count);
            }
        }
    }
    actor->requested_anim = -1;
    return 1;
}

void ANIM_ResetAnim(ActorRecord *actor)
{
    actor->frame_position = actor->anim_blend;
    actor->frame_count = actor->saved_frame_count;
    actor->anim_handles[0] = actor->anim_handles[1];
    actor->flags[0] &= uint8_t(~ACTOR_F0_ANIM_RESTART2);
    actor->flags[0] |= ACTOR_F0_ANIM_RESTART;
}

void ANIM_BlendStep(ActorRecord *actor)
{
    if (actor->flags[8] & ACTOR_F8_BLEND_RESTART) {
        if (Slot_Flags(actor, actor->current_anim) & ANIM_SLOT_LOCKING) {
            actor->flags[2] |= ACTOR_F2_ACTION_HELD;
        }
        ANIM_ResetAnim(actor);
    }
    const double dt = Player_Dt(actor, true);
    actor->anim_blend = 1.0f;
    Apply_Keys(actor, actor->anim_handles[0], trunc_i32(actor->frame_position), actor->anim_handles[1], 1,
               actor->anim_field);
    if (actor->flags[2] & ACTOR_F2_MOTION_SCALE) {
        const double s = actor->motion_scale;
        const double vertical = (actor->coll_flags[0] & ACTOR_C0_CONTACT_A) ? 120.0 : s;
        actor->velocity[0] = float(double(actor->velocity[0]) * s / 128.0);
        actor->velocity[1] = float(double(actor->velocity[1]) * vertical / 128.0);
        actor->velocity[2] = float(double(actor->velocity[2]) * s / 128.0);
    }
    FGT_StepKnockback(actor);
    PHY_MoveObject(actor);
    actor->anim_field = trunc_i32(double(actor->anim_field) + dt * 48.0);
    if (Slot_Flags(actor, actor->current_anim) & ANIM_SLOT_LOCKING) {
        actor->flags[2] |= ACTOR_F2_ACTION_HELD;
        actor->anim_field = 256;
    }
    if (actor->anim_field >= 256) {
        ANIM_ResetAnim(actor);
    }
}

void ANIM_PairStep(ActorRecord *actor)
{
    const double dt = Player_Dt(actor, true);
    const int32_t frame = trunc_i32(actor->frame_position);
    Apply_Keys(actor, actor->anim_handles[0], frame, actor->anim_handles[1], frame, 128);
    Motion m = Root_Motion(actor, Turn::Pair, 2);
    if (actor->flags[2] & ACTOR_F2_MOTION_SCALE) {
        const double s = actor->motion_scale;
        m.x = Blend_Axis(actor->velocity[0], m.x, s);
        m.y = Blend_Axis(actor->velocity[1], m.y, s);
        m.z = Blend_Axis(actor->velocity[2], m.z, s);
    }
    m.x *= double(actor->speed_factor);
    m.z *= double(actor->speed_factor);
    Set_Motion(actor, m);
    FGT_StepKnockback(actor);
    PHY_MoveObject(actor);
    actor->flags[0] &= uint8_t(~ACTOR_F0_ANIM_RESTART2);
    actor->flags[2] &= uint8_t(~ACTOR_F2_PAIR_SWITCH);
    ANIM_ResetAnim(actor);
    Advance(actor, dt);
}

void ANIM_PlayFrame(ActorRecord *actor)
{
    const int32_t a = actor->current_anim;
    const double dt = Player_Dt(actor, a < 0 || a > 8 || (actor->flags[5] & ACTOR_F5_PLATFORM_OWNER));
    const int32_t f = trunc_i32(actor->frame_position);
    const int32_t w = trunc_i32((double(actor->frame_position) - double(f)) * 256.0);
    const int32_t h = actor->anim_handles[0];
    if (trunc_i32(double(actor->frame_position) + 1.0) <= actor->frame_count) {
        Apply_Keys(actor, h, f, h, f + 1, w);
    } else {
        Apply_Keys(actor, h, f, h, f, 0);
    }
    Motion m = Root_Motion(actor, Turn::Play, EDT_Active != 0 ? 8 : 2);
    if (a >= 2 && a <= 8) {
        m.x *= double(actor->speed_factor);
        m.z *= double(actor->speed_factor);
    }
    const uint8_t modifiers = actor->flags[7];
    if (modifiers & ACTOR_F7_SLOWER) {
        m.x *= 0.6;
        m.y *= 0.6;
        m.z *= 0.6;
    }
    if (modifiers & ACTOR_F7_LONGER) {
        m.x *= 1.3;
        m.z *= 1.3;
    }
    if (modifiers & ACTOR_F7_NO_XZ) {
        m.x = m.z = 0.0;
    }
    if (modifiers & ACTOR_F7_FASTER) {
        m.x *= 1.4;
        m.z *= 1.4;
        m.y *= 1.3;
    }
    if (actor->flags[2] & ACTOR_F2_MOTION_SCALE) {
        const double s = actor->motion_scale;
        const double across = (a >= 9 && a <= 11) ? 48.0 : s;
        m.x = Blend_Axis(actor->velocity[0], m.x, across);
        m.y = Blend_Axis(actor->velocity[1], m.y, s);
        m.z = Blend_Axis(actor->velocity[2], m.z, across);
    }
    Set_Motion(actor, m);
    FGT_StepKnockback(actor);
    PHY_MoveObject(actor);
    Advance(actor, dt);
}

int32_t ANIM_CheckEnd(ActorRecord *actor)
{
    const int32_t n = trunc_i32(actor->frame_position);
    if (n < actor->frame_count) {
        return n;
    }
    actor->frame_position = float(actor->frame_count);
    if (actor->current_anim == ANIM_IDLE || actor->current_anim == ANIM_IDLE_OTHER) {
        actor->frame_position = 1.0f;
    }
    actor->flags[0] |= ACTOR_F0_ANIM_ENDED;
    if (Slot_Flags(actor, actor->current_anim) & ANIM_SLOT_HOLD_END) {
        actor->anim_speed = 0.0f;
        actor->flags[0] &= uint8_t(~ACTOR_F0_ANIM_ENDED);
    } else {
        actor->flags[2] &= uint8_t(~ACTOR_F2_ACTION_HELD);
    }
    return n;
}

void ANIM_ApplyFirstFrame(ActorRecord *actor)
{
    actor->frame_position = 1.0f;
    const int32_t h = actor->anim_handles[0];
    if (h != -1) {
        Set_Obj_Pos(actor->node, actor->stored_node_pos);
        if (actor->flags[7] & ACTOR_F7_EXTENDED_KEYS) {
            Anim_Apply_Ext(actor->node, h + 1, h + 1, 0, 0);
        } else {
            Anim_Apply(actor->node, h + 1, h + 1, 0, 0);
        }
    }
    Get_Obj_Pos(actor->node, actor->stored_node_pos);
    actor->frame_position = float(double(actor->frame_position) + double(actor->anim_speed) * GAME_TimeFactor);
    actor->flags[0] &= uint8_t(~ACTOR_F0_ANIM_RESTART);
}

namespace {

// The frame of an attack animation at which its blow lands, its sound and the sound's request flags;
// false for animations without one.
struct Blow {
    int32_t hit;
    int32_t sound;
    uint8_t flags;
};

bool Blow_Of(const ActorRecord *actor, Blow *blow)
{
    const double count = actor->frame_count;
    auto fraction = [&](double standard) {
        return trunc_i32(count * (actor->hit_fraction != 0.0f ? double(actor->hit_fraction) : standard));
    };
    switch (actor->current_anim) {
    case 16: case 17: case 18: *blow = {fraction(0.5), 22, 0x01}; return true;
    case 19: *blow = {fraction(0.3), 8, 0x01}; return true;
    case 57:
        if (!(actor->life > 0.0f)) {
            return false;
        }
        *blow = {trunc_i32(count * 0.4), 0, 0x00};
        return true;
    case 20: case 21: case 22: *blow = {fraction(0.3), 22, 0x21}; return true;
    case 23: *blow = {fraction(0.4), 22, 0x21}; return true;
    case 54: case 55: case 56: *blow = {actor->frame_count / 2, 21, 0x11}; return true;
    case 58: case 35: *blow = {trunc_i32(count * 0.7), 5, 0x11}; return true;
    case 28: case 29: *blow = {actor->frame_count * 3 / 5, 19, 0x11}; return true;
    case 30: case 31: *blow = {actor->frame_count * 3 / 5, 18, 0x11}; return true;
    case 32: case 33: *blow = {actor->frame_count * 3 / 5, 19, 0x00}; return true;
    default: return false;
    }
}

} // namespace

void ACTOR_RelaxPitch(ActorRecord *actor)
{
    if (actor->physics_mode != 1) {
        return;
    }
    const int32_t pitch = Signed_Angle(actor->pitch);
    int32_t target = Wrap_Mul(actor->ground_slope, -1), divisor = 2;
    if (actor->flags[5] & ACTOR_F5_STRONG_TURN) {
        // A flyer noses down slowly.
        divisor = target < pitch ? 8 : 2;
    } else if (actor->flags[0] & ACTOR_F0_HERO) {
        target = actor->ground_slope / 16;
    }
    actor->pitch = Wrap_Add(pitch, int32_t(uint32_t(target) - uint32_t(pitch)) / divisor) & 0xFFF;
}

int32_t ACTOR_Step(ActorRecord *actor)
{
    const double factor = GAME_TimeFactor;
    actor->heading = Wrap_Add(actor->heading, actor->heading_speed) & 0xFFF;
    actor->tilt = Wrap_Add(actor->tilt, actor->tilt_speed) & 0xFFF;
    actor->pitch = Wrap_Add(actor->pitch, actor->pitch_speed) & 0xFFF;
    actor->heading_speed -= actor->heading_speed >> 1;
    actor->tilt_speed -= actor->tilt_speed >> 2;
    actor->pitch_speed -= actor->pitch_speed >> 2;
    for (int32_t *speed : {&actor->heading_speed, &actor->tilt_speed, &actor->pitch_speed}) {
        if (std::fabs(double(*speed)) < 4.0 * factor) {
            *speed = 0;
        }
    }
    ACTOR_RelaxPitch(actor);
    auto shrink = [](int32_t angle, int32_t part) {
        const int32_t a = Signed_Angle(angle);
        return (a - a / part) & 0xFFF;
    };
    if (actor->physics_mode == 1) {
        const int32_t part = actor->current_anim == 4 ? 16 : 4;
        actor->tilt = shrink(actor->tilt, part);
        actor->pitch = shrink(actor->pitch, part);
        actor->tilt_speed = actor->pitch_speed = 0;
    } else {
        actor->tilt = shrink(actor->tilt, 4);
    }
    if (actor->anim_set == -1) {
        return 0;
    }
    FGT_WaterStep(actor);

    if (actor->blend_frames != 0 && !(actor->flags[0] & ACTOR_F0_ANIM_RESTART2)) {
        Blow blow;
        if (Blow_Of(actor, &blow) && double(actor->frame_position) > double(blow.hit)) {
            // One blow per switch: the armed value is spent.
            actor->blend_frames = 0;
            Request_Sound(actor, blow.sound, blow.flags);
            MIS_Fire(actor);
            if (actor->current_anim >= 28 && actor->current_anim <= 33) {
                FX_AttachBall(2, actor, 0, 50);
            }
        }
        if (actor->current_anim == 24 && ANIM_MenuRequest != 0 &&
            double(actor->frame_position) > double(trunc_i32(double(actor->frame_count) * 0.5))) {
            ANIM_MenuRequest = 0;
            MENU_Run();
        }
    }
    ANIM_ChangeAnim(actor);
    if (actor->flags[0] & ACTOR_F0_ANIM_RESTART2) {
        if (actor->flags[2] & ACTOR_F2_PAIR_SWITCH) {
            ANIM_PairStep(actor);
        } else {
            ANIM_BlendStep(actor);
        }
        if (actor->head_node != 0) {
            ACTOR_AimHead(actor);
        }
        return 1;
    }
    const int32_t a = actor->current_anim;
    const bool strong = (actor->flags[5] & ACTOR_F5_STRONG_TURN) != 0;
    if (a == 8) {
        Request_Sound(actor, 23, 0x11);
    }
    if (actor->flags[0] & ACTOR_F0_ANIM_RESTART) {
        ANIM_ApplyFirstFrame(actor);
        if ((a == 2 || a == 3) && !strong) {
            Request_Sound(actor, 14, 0x11);
        }
        if (a >= 9 && a <= 11) {
            Request_Sound(actor, 3, 0x11);
        }
        if ((a == 4 || a == 5 || a == 44 || a == 45) && !strong) {
            Request_Sound(actor, 15, 0x11);
            if (a == 5) {
                Request_Sound(actor, 0, 0x11);
            }
        }
    }
    ANIM_PlayFrame(actor);
    if (actor->head_node != 0) {
        ACTOR_AimHead(actor);
    }
    return 1;
}

void ANIM_UpdateActors()
{
    for (ActorRecord &p : ACTOR_Projectiles) {
        if (!(p.flags[0] & ACTOR_F0_IN_USE) || (p.flags[3] & ACTOR_F3_DISABLED)) {
            continue;
        }
        if (p.flags[1] & ACTOR_F1_OBJECT) {
            MIS_MoveThrown(&p);
            MIS_AgeThrown(&p);
        }
        if (p.flags[2] & ACTOR_F2_FLYING) {
            MIS_Move(&p);
            MIS_CheckHits(&p);
        }
    }
    ActorRecord *platform = PLT_Actor();
    if (platform != nullptr && !(platform->flags[3] & ACTOR_F3_DISABLED)) {
        ACTOR_Step(platform);
        PLT_Update();
    }
    for (ActorRecord &actor : ACTOR_Slots) {
        if (!(actor.flags[3] & ACTOR_F3_DISABLED) && (actor.flags[1] & ACTOR_F1_HAS_ANIMS) &&
            !(actor.flags[0] & ACTOR_F0_UNSTEPPED)) {
            ACTOR_Step(&actor);
        }
    }
}
