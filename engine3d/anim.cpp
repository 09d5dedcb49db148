// Keyframe animation: local matrices and positions of a hierarchy rewritten from .3DA tracks, and the
// vertex morph between frames of a record table.
#include "engine3d/anim.h"

#include <cmath>
#include <cstring>

#include "core/fconv.h"
#include "core/prof.h"
#include "engine3d/maths.h"
#include "engine3d/workarea.h"

namespace {

constexpr Addr F_Pos = 28, F_Matrix = 40, F_Vertex_Count = 124, F_Vertices = 128;
constexpr Addr T_Rot_Count = 4, T_Pos_Count = 8, T_Rotations = 12, T_Positions = 16;
constexpr uint32_t Vertex_Size = 40, Vertex_Pos = 4;
constexpr int32_t Anim_Timer = 2;

// Offsets inside a spline key: ease values, control quaternions and tangents.
constexpr uint32_t RS_Ease_A = 20, RS_Ease_B = 24, RS_Control_A = 28, RS_Control_B = 44;
constexpr uint32_t PS_Ease_A = 16, PS_Ease_B = 20, PS_Tangent_B = 24, PS_Tangent_A = 36;

int32_t Clamp(int64_t v, int32_t lo, int32_t hi) { return v < lo ? lo : v > hi ? hi : int32_t(v); }

int32_t Frame_Of(OBJ_Handle key) { return key & 0xFFFF; }

int32_t Table_Of(OBJ_Handle key) { return key / 65536; }

// One channel of a track: its keys as a native array, read once per call.
struct Channel {
    uint8_t *keys;
    int32_t count;
    uint32_t stride;

    int32_t time(int32_t k) const { return P_Get32(keys + uint32_t(k) * stride); }
    uint8_t *key(int32_t k) const { return keys + uint32_t(k) * stride; }
    void value(int32_t k, int32_t *out, int n) const { std::memcpy(out, key(k) + 4, size_t(n) * 4); }
    float word_f(int32_t k, uint32_t offset) const
    {
        float f;
        std::memcpy(&f, key(k) + offset, 4);
        return f;
    }
};

Channel Rotations(Addr track, uint32_t stride)
{
    int32_t n = W_Get32(track + T_Rot_Count);
    return {n > 0 ? W_Ptr(W_GetAddr(track + T_Rotations)) : nullptr, n, stride};
}

Channel Positions(Addr track, uint32_t stride)
{
    int32_t n = W_Get32(track + T_Pos_Count);
    return {n > 0 ? W_Ptr(W_GetAddr(track + T_Positions)) : nullptr, n, stride};
}

// The first key at or after t within 1..n-1 (n > 1): 1 before the first key, n - 1 after the last.
template <typename T> int32_t Find_Key(const Channel &c, T t)
{
    int32_t lo = 0, hi = c.count - 1;
    while (lo + 1 < hi) {
        int32_t mid = lo + (hi - lo) / 2;
        if (double(c.time(mid)) >= double(t)) {
            hi = mid;
        } else {
            lo = mid;
        }
    }
    return hi;
}

// Where a time falls: between keys hi - 1 and hi at weight w (0..256), or on key hi as it stands.
// Two keys with one time give the later one, as a time at or after it does.
struct Pick {
    int32_t hi;
    int32_t w;
    bool whole;
};

Pick Pick_Time(const Channel &c, float t)
{
    int32_t hi = Find_Key(c, t);
    int32_t t0 = c.time(hi - 1), t1 = c.time(hi);
    if (!(double(t1) > double(t)) || t0 == t1) {
        return {hi, 256, true};
    }
    // Before the first key the weight would be negative: key 0 holds.
    int32_t w = trunc_i32((double(t) - t0) * 256.0 / (double(t1) - t0));
    return {hi, Clamp(w, 0, 256), false};
}

Pick Pick_Frame(const Channel &c, int32_t f)
{
    int32_t hi = Find_Key(c, f);
    int32_t t0 = c.time(hi - 1), t1 = c.time(hi);
    if (f >= t1 || t0 == t1) {
        return {hi, 256, true};
    }
    int64_t w = (int64_t(f) - t0) * 256 / (int64_t(t1) - t0);
    return {hi, Clamp(w, 0, 256), false};
}

// (a x (256 - w) + b x w) >> 8 per component, in 64 bits so that no coordinate overflows.
void Mix(const int32_t *a, const int32_t *b, int32_t w, int32_t *out, int n)
{
    for (int i = 0; i < n; i++) {
        out[i] = int32_t((int64_t(a[i]) * (256 - w) + int64_t(b[i]) * w) >> 8);
    }
}

// A channel's value at a pick: a key as it stands, or between two keys the slerp of rotations
// (n = 4 words) or the mix of positions (n = 3).
void Value_At(const Channel &c, const Pick &p, int32_t *out, int n)
{
    if (p.whole) {
        c.value(p.hi, out, n);
        return;
    }
    int32_t a[4], b[4];
    c.value(p.hi - 1, a, n);
    c.value(p.hi, b, n);
    if (n == 4) {
        Quat_Slerp(a, b, p.w, out);
    } else {
        Mix(a, b, p.w, out, n);
    }
}

void Set_Rotation(Addr record, const int32_t *q)
{
    int32_t m[9];
    Quat_To_Matrix(q, m);
    std::memcpy(W_Ptr(record + F_Matrix), m, sizeof m);
}

void Set_Position(Addr record, const int32_t *v) { std::memcpy(W_Ptr(record + F_Pos), v, 12); }

bool Rotations_Wanted(const Channel &c, int32_t flags) { return !(flags & ANIM_KEEP_ROTATION) && c.count > 1; }

bool Positions_Wanted(const Channel &c, int32_t flags) { return !(flags & ANIM_KEEP_POSITION) && c.count > 1; }

void Linear(Addr record, Addr track, float t, int32_t flags, uint32_t rot_stride, uint32_t pos_stride)
{
    Channel r = Rotations(track, rot_stride);
    if (Rotations_Wanted(r, flags)) {
        int32_t q[4];
        Value_At(r, Pick_Time(r, t), q, 4);
        Set_Rotation(record, q);
    }
    Channel p = Positions(track, pos_stride);
    if (Positions_Wanted(p, flags)) {
        int32_t v[3];
        Value_At(p, Pick_Time(p, t), v, 3);
        Set_Position(record, v);
    }
}

// Track B's pose at frame f: with one key that key, with none nothing (false).
bool Pose_B(const Channel &c, int32_t f, int32_t *out, int n)
{
    if (c.count <= 0) {
        return false;
    }
    if (c.count == 1) {
        c.value(0, out, n);
        return true;
    }
    Value_At(c, Pick_Frame(c, f), out, n);
    return true;
}

void Blend(Addr record, Addr track_a, Addr track_b, int32_t fa, int32_t fb, float weight, int32_t flags,
           uint32_t rot_stride, uint32_t pos_stride)
{
    // The pose weight is truncated for both channels, as the slerp takes it.
    int32_t h = Clamp(trunc_i32(weight), 0, 256);
    Channel ra = Rotations(track_a, rot_stride);
    if (Rotations_Wanted(ra, flags)) {
        int32_t qa[4], qb[4], q[4];
        if (Pose_B(Rotations(track_b, rot_stride), fb, qb, 4)) {
            Value_At(ra, Pick_Frame(ra, fa), qa, 4);
            Quat_Slerp(qa, qb, h, q);
            Set_Rotation(record, q);
        }
    }
    Channel pa = Positions(track_a, pos_stride);
    if (Positions_Wanted(pa, flags)) {
        int32_t va[3], vb[3], v[3];
        if (Pose_B(Positions(track_b, pos_stride), fb, vb, 3)) {
            Value_At(pa, Pick_Frame(pa, fa), va, 3);
            Mix(va, vb, h, v, 3);
            Set_Position(record, v);
        }
    }
}

// u of a spline segment in f32, held to 0..1 so that a time before the first key holds key 0.
float Segment_U(const Channel &c, int32_t hi, float t)
{
    float u = (t - float(c.time(hi - 1))) / float(int64_t(c.time(hi)) - c.time(hi - 1));
    return u > 0.0f ? (u < 1.0f ? u : 1.0f) : 0.0f;
}

// The Hermite basis, rows applied to (p0, p1, T0, T1).
constexpr float Hermite[16] = {2, -2, 1, 1, -3, 3, -2, -1, 0, 0, 1, 0, 1, 0, 0, 0};

// u of the segment ending at key hi, eased by the end zone of key hi - 1 and the start zone of key hi.
float Eased_U(const Channel &c, int32_t hi, float t, uint32_t ease_a, uint32_t ease_b)
{
    return Anim_Ease(Segment_U(c, hi, t), c.word_f(hi - 1, ease_a), c.word_f(hi, ease_b));
}

// A spline channel's value at time t: a key as it stands, or the segment's curve toward key hi.
template <typename Curve> void Spline_At(const Channel &c, float t, int32_t *out, int n, Curve curve)
{
    Pick p = Pick_Time(c, t);
    if (p.whole) {
        c.value(p.hi, out, n);
    } else {
        curve(p.hi);
    }
}

// The rotation of a spline segment: the keys' slerp and the controls' slerp, met by the spherical
// quadrangle's weight 2w(1 - w/256).
void Quadrangle(const Channel &c, int32_t hi, float u, int32_t *q)
{
    int32_t w = Clamp(trunc_i32(u * 256.0f), 0, 256);
    int32_t q0[4], q1[4], a[4], b[4], q_keys[4], q_controls[4];
    c.value(hi - 1, q0, 4);
    c.value(hi, q1, 4);
    std::memcpy(a, c.key(hi - 1) + RS_Control_A, 16);
    std::memcpy(b, c.key(hi) + RS_Control_B, 16);
    Quat_Slerp(q0, q1, w, q_keys);
    Quat_Slerp(a, b, w, q_controls);
    Quat_Slerp(q_keys, q_controls, w * (512 - 2 * w) / 256, q);
}

// The position of a spline segment: per axis s . (H x (p0, p1, T0, T1)) with s = (u^3, u^2, u, 1),
// T0 the start key's tangent A and T1 the end key's tangent B.
void Hermite_Curve(const Channel &c, int32_t hi, float u, int32_t *v)
{
    const float s[4] = {u * u * u, u * u, u, 1.0f};
    int32_t p0[3], p1[3], t0[3], t1[3];
    c.value(hi - 1, p0, 3);
    c.value(hi, p1, 3);
    std::memcpy(t0, c.key(hi - 1) + PS_Tangent_A, 12);
    std::memcpy(t1, c.key(hi) + PS_Tangent_B, 12);
    for (int axis = 0; axis < 3; axis++) {
        const float g[4] = {float(p0[axis]), float(p1[axis]), float(t0[axis]), float(t1[axis])};
        float h[4];
        Mat4_Vec4_Mul_F(Hermite, g, h);
        v[axis] = trunc_i32(Quat_Dot_F(s, h));
    }
}

using Track_Routine = void (*)(Addr, Addr, float, int32_t);
using Blend_Routine = void (*)(Addr, Addr, Addr, int32_t, int32_t, float, int32_t);

// A table of tracks (kind 4 or 6) named by the upper half of a key handle: its block, or 0.
Addr Track_Table(OBJ_Handle key, int32_t kind)
{
    const uint8_t *count = Get_Table_Count_Ptr(key);
    if (count == nullptr) {
        return 0;
    }
    Addr block = W_Addr(count) - OBJ_RECORD_COUNT;
    int32_t n = W_Get32(block + OBJ_RECORD_COUNT);
    if (W_Get32(block + 8) != kind || n < 0 || !W_Fits(block + OBJ_RECORD_TABLE, uint32_t(n) * 4)) {
        return 0;
    }
    return block;
}

int32_t Count_Of(Addr block) { return W_Get32(block + OBJ_RECORD_COUNT); }

Addr Record_Of(Addr block, int32_t i) { return W_GetAddr(block + OBJ_RECORD_TABLE + Addr(i) * 4); }

// The body of both calls: the handles checked, then one routine per record, all under timer 2.
int32_t Apply(OBJ_Handle object, OBJ_Handle c, OBJ_Handle d, int32_t b, int32_t flags, int32_t kind,
              Track_Routine same, Blend_Routine blend)
{
    PROF_StartTimer(Anim_Timer);
    Addr obj = Get_Obj_Kind(object) == OBJ_KIND_HIERARCHY ? Get_Obj_Block(object) : 0;
    Addr ta = Track_Table(c, kind), tb = Track_Table(d, kind);
    if (obj == 0 || ta == 0 || tb == 0) {
        PROF_StopTimer(Anim_Timer);
        return -1;
    }
    // A table with fewer tracks than the object has records poses the first records only.
    int32_t n = Count_Of(obj);
    n = Count_Of(ta) < n ? Count_Of(ta) : n;
    n = Count_Of(tb) < n ? Count_Of(tb) : n;
    if (Table_Of(c) == Table_Of(d)) {
        int64_t sum = int64_t(b) * Frame_Of(d) + int64_t(256 - int64_t(b)) * Frame_Of(c);
        float t = float(sum) * (1.0f / 256.0f);
        for (int32_t i = 0; i < n; i++) {
            same(Record_Of(obj, i), Record_Of(ta, i), t, flags);
        }
    } else {
        for (int32_t i = 0; i < n; i++) {
            blend(Record_Of(obj, i), Record_Of(ta, i), Record_Of(tb, i), Frame_Of(c), Frame_Of(d), float(b), flags);
        }
    }
    PROF_StopTimer(Anim_Timer);
    return 0;
}

// The record of a morph frame, when it is a record of a record table with room for a position and
// the object's vertices before the end of its image; 0 otherwise.
Addr Morph_Frame(OBJ_Handle frame, int32_t vertices)
{
    if (Get_Obj_Kind(frame) != OBJ_KIND_RECORDS) {
        return 0;
    }
    Addr block = Get_Obj_Block(frame);
    Addr record = W_Addr(Get_Obj_Ptr(frame));
    // The image ends 8 bytes before its size: the file's prefix is not stored.
    uint64_t end = uint64_t(block) + uint32_t(Get_Block_Size(block)) - 8;
    uint64_t need = 12 * (1 + uint64_t(vertices));
    if (record < block || uint64_t(record) + need > end || end > Work_Size) {
        return 0;
    }
    return record;
}

// The morphed object's record when it is a hierarchy record whose vertices lie in the area; 0
// otherwise.
Addr Morph_Object(OBJ_Handle object, int32_t *vertices)
{
    if (Get_Obj_Kind(object) != OBJ_KIND_HIERARCHY) {
        return 0;
    }
    Addr record = W_Addr(Get_Obj_Ptr(object));
    *vertices = W_Get32(record + F_Vertex_Count);
    if (*vertices < 0 || (*vertices > 0 && !W_Fits(W_GetAddr(record + F_Vertices), uint32_t(*vertices) * Vertex_Size))) {
        return 0;
    }
    return record;
}

// Moves the object's position (unless ANIM_KEEP_POSITION) and vertices to (a x (256 - w) + b x w) >> 8
// of two frames, a null a standing for the object's current values. w = 0 gives a and 256 gives b
// exactly.
void Morph(Addr record, int32_t vertices, const uint8_t *a, const uint8_t *b, int32_t w, int32_t flags)
{
    auto put = [w](uint8_t *to, const uint8_t *from_a, const uint8_t *from_b) {
        int32_t va[3], vb[3], v[3];
        std::memcpy(va, from_a != nullptr ? from_a : to, 12);
        std::memcpy(vb, from_b, 12);
        Mix(va, vb, w, v, 3);
        std::memcpy(to, v, 12);
    };
    if (!(flags & ANIM_KEEP_POSITION)) {
        put(W_Ptr(record + F_Pos), a, b);
    }
    uint8_t *vertex = vertices > 0 ? W_Ptr(W_GetAddr(record + F_Vertices)) : nullptr;
    for (int32_t k = 0; k < vertices; k++) {
        const uint32_t at = 12 + uint32_t(k) * 12;
        put(vertex + uint32_t(k) * Vertex_Size + Vertex_Pos, a != nullptr ? a + at : nullptr, b + at);
    }
}

} // namespace

int32_t Anim_Apply(OBJ_Handle object, OBJ_Handle c, OBJ_Handle d, int32_t b, int32_t flags)
{
    return Apply(object, c, d, b, flags, OBJ_KIND_TRACKS, Anim_Track_Apply, Anim_Track_Blend);
}

int32_t Anim_Apply_Ext(OBJ_Handle object, OBJ_Handle c, OBJ_Handle d, int32_t b, int32_t flags)
{
    Track_Routine same = !(flags & ANIM_LINEAR) ? Anim_Track_Spline
                         : !(flags & ANIM_STEP) ? Anim_Track_Apply_B
                                                : Anim_Track_Step;
    return Apply(object, c, d, b, flags, OBJ_KIND_SPLINES, same, Anim_Track_Blend_B);
}

void Anim_Track_Apply(Addr record, Addr track, float t, int32_t flags)
{
    Linear(record, track, t, flags, sizeof(OBJ_RotKey), sizeof(OBJ_PosKey));
}

void Anim_Track_Apply_B(Addr record, Addr track, float t, int32_t flags)
{
    Linear(record, track, t, flags, sizeof(OBJ_RotKeySpline), sizeof(OBJ_PosKeySpline));
}

void Anim_Track_Blend(Addr record, Addr track_a, Addr track_b, int32_t fa, int32_t fb, float weight, int32_t flags)
{
    Blend(record, track_a, track_b, fa, fb, weight, flags, sizeof(OBJ_RotKey), sizeof(OBJ_PosKey));
}

void Anim_Track_Blend_B(Addr record, Addr track_a, Addr track_b, int32_t fa, int32_t fb, float weight, int32_t flags)
{
    Blend(record, track_a, track_b, fa, fb, weight, flags, sizeof(OBJ_RotKeySpline), sizeof(OBJ_PosKeySpline));
}

// Each interval shows the key at its end; before the first key, that is key 0.
void Anim_Track_Step(Addr record, Addr track, float t, int32_t flags)
{
    auto key_at = [t](const Channel &c) { return double(t) < double(c.time(0)) ? 0 : Find_Key(c, t); };
    Channel r = Rotations(track, sizeof(OBJ_RotKeySpline));
    if (Rotations_Wanted(r, flags)) {
        int32_t q[4];
        r.value(key_at(r), q, 4);
        Set_Rotation(record, q);
    }
    Channel p = Positions(track, sizeof(OBJ_PosKeySpline));
    if (Positions_Wanted(p, flags)) {
        int32_t v[3];
        p.value(key_at(p), v, 3);
        Set_Position(record, v);
    }
}

void Anim_Track_Spline(Addr record, Addr track, float t, int32_t flags)
{
    Channel r = Rotations(track, sizeof(OBJ_RotKeySpline));
    if (Rotations_Wanted(r, flags)) {
        int32_t q[4];
        Spline_At(r, t, q, 4, [&](int32_t hi) { Quadrangle(r, hi, Eased_U(r, hi, t, RS_Ease_A, RS_Ease_B), q); });
        Set_Rotation(record, q);
    }
    Channel c = Positions(track, sizeof(OBJ_PosKeySpline));
    if (Positions_Wanted(c, flags)) {
        int32_t v[3];
        Spline_At(c, t, v, 3, [&](int32_t hi) { Hermite_Curve(c, hi, Eased_U(c, hi, t, PS_Ease_A, PS_Ease_B), v); });
        Set_Position(record, v);
    }
}

// The start zone a accelerates, the end zone b decelerates, the middle runs at constant speed; zones
// that together exceed the segment are scaled to fill it.
float Anim_Ease(float u, float e1, float e2)
{
    float a = e2, b = e1;
    float s = a + b;
    if (s == 0.0f) {
        return u;
    }
    if (s > 1.0f) {
        a = a / s;
        b = b / s;
    }
    float k = 1.0f / (2.0f - a - b);
    if (u < a) {
        return (k / a) * (u * u);
    }
    if (u < 1.0f - b) {
        return k * (2.0f * u - a);
    }
    float v = 1.0f - u;
    return 1.0f - (k / b) * (v * v);
}

float Quat_Dot_F(const float *a, const float *b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3]; }

void Mat4_Vec4_Mul_F(const float *m, const float *v, float *out)
{
    float r[4];
    for (int i = 0; i < 4; i++) {
        r[i] = m[i * 4] * v[0] + m[i * 4 + 1] * v[1] + m[i * 4 + 2] * v[2] + m[i * 4 + 3] * v[3];
    }
    std::memcpy(out, r, sizeof r);
}

// Each rotation key q becomes q x t, t the turn of the matrix made unit: the quaternion of
// (matrix of q) x m, formed in double precision and rounded once, so that the identity leaves every key
// as it is and keys keep their signs (the slerp between two keys depends on them).
int32_t Rotate_Track(OBJ_Handle track, const int32_t *m)
{
    int32_t kind = Get_Obj_Kind(track);
    if (kind != OBJ_KIND_TRACKS && kind != OBJ_KIND_SPLINES) {
        return -1;
    }
    const bool spline = kind == OBJ_KIND_SPLINES;
    Addr t = W_Addr(Get_Obj_Ptr(track));
    double turn[4];
    Mat_To_Quat_F(m, turn);
    const double length = std::sqrt(turn[0] * turn[0] + turn[1] * turn[1] + turn[2] * turn[2] + turn[3] * turn[3]);
    if (length > 0.0) {
        for (double &v : turn) {
            v /= length;
        }
    }
    const double tx = turn[0], ty = turn[1], tz = turn[2], tw = turn[3];
    Channel r = Rotations(t, spline ? sizeof(OBJ_RotKeySpline) : sizeof(OBJ_RotKey));
    for (int32_t k = 0; k < r.count; k++) {
        int32_t q[4];
        r.value(k, q, 4);
        const double x = q[0], y = q[1], z = q[2], w = q[3];
        q[0] = round_i32(w * tx + x * tw + y * tz - z * ty);
        q[1] = round_i32(w * ty - x * tz + y * tw + z * tx);
        q[2] = round_i32(w * tz + x * ty - y * tx + z * tw);
        q[3] = round_i32(w * tw - x * tx - y * ty - z * tz);
        std::memcpy(r.key(k) + 4, q, sizeof q);
    }
    Channel p = Positions(t, spline ? sizeof(OBJ_PosKeySpline) : sizeof(OBJ_PosKey));
    for (int32_t k = 0; k < p.count; k++) {
        int32_t v[3];
        p.value(k, v, 3);
        Mat_Vec_Mul(m, v, v);
        std::memcpy(p.key(k) + 4, v, sizeof v);
    }
    return 0;
}

int32_t Morph_Obj(OBJ_Handle object, OBJ_Handle a, OBJ_Handle b, int32_t w, int32_t flags)
{
    PROF_StartTimer(Anim_Timer);
    int32_t vertices = 0;
    Addr record = Morph_Object(object, &vertices);
    Addr fa = record != 0 ? Morph_Frame(a, vertices) : 0;
    Addr fb = record != 0 ? Morph_Frame(b, vertices) : 0;
    if (fa == 0 || fb == 0) {
        PROF_StopTimer(Anim_Timer);
        return -1;
    }
    // 255, not 256, is frame b whole.
    w = Clamp(w, 0, 255);
    Morph(record, vertices, W_Ptr(fa), W_Ptr(fb), w == 255 ? 256 : w, flags);
    PROF_StopTimer(Anim_Timer);
    return 0;
}

int32_t Morph_Obj_Towards(OBJ_Handle object, OBJ_Handle frame, int32_t w, int32_t flags)
{
    int32_t vertices = 0;
    Addr record = Morph_Object(object, &vertices);
    Addr f = record != 0 ? Morph_Frame(frame, vertices) : 0;
    if (f == 0) {
        return -1;
    }
    w = Clamp(w, 0, 255);
    if (w > 0) {
        Morph(record, vertices, nullptr, W_Ptr(f), w == 255 ? 256 : w, flags);
    }
    return 0;
}
