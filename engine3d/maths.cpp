// Fixed-point maths of the 3D library: angle tables, vectors, matrices and quaternions.
//
// Products and their sums are formed in 64 bits, shifted, then narrowed: the results are the
// original's wherever its 32-bit arithmetic did not overflow, and right where it did (positions far
// from the origin). ">> 15" is the arithmetic shift (toward minus infinity); conversions from floating
// point truncate toward zero through trunc_i32, except the slerp's, which rounds to nearest. Outputs
// may alias inputs.
#include "engine3d/maths.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/fconv.h"
#include "engine3d/view.h"
#include "plat/system.h"

int32_t Cos_Table[4096];
int32_t Sin_Table[4096];
int32_t Acos_Table[4096];

namespace {

constexpr double Pi = 3.14159265358979323846;

int32_t narrow(int64_t v) { return static_cast<int32_t>(v); }

int64_t mul(int32_t a, int32_t b) { return int64_t(a) * int64_t(b); }

// The sum of two such products. Only quaternions far from unit length (damaged animation keys) take
// it past 64 bits; it then wraps, as a defined result.
int64_t wsum(int64_t a, int64_t b) { return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b)); }

// Rounds a float element of a frame to fixed point.
int32_t fixed(double v) { return trunc_i32(v * 32768.0); }

int32_t to_units(double radians) { return trunc_i32(radians / Pi * 2048.0); }

} // namespace

void Build_Trig_Tables()
{
    for (int i = 0; i < 4096; i++) {
        Cos_Table[i] = trunc_i32(std::cos(i * 2.0 * Pi / 4096.0) * 32768.0);
        Sin_Table[i] = trunc_i32(std::sin(i * 2.0 * Pi / 4096.0) * 32768.0);
        Acos_Table[i] = trunc_i32(std::acos((i - 2048) / 2048.0) / Pi * 2048.0);
    }
}

// A negative remainder is brought into range the way the game always did: + 4096 for the sine,
// negated for the cosine (the same value, the cosine being even).
int32_t Get_Sin(int32_t angle)
{
    int32_t r = angle % 4096;
    return Sin_Table[r < 0 ? r + 4096 : r];
}

int32_t Get_Cos(int32_t angle)
{
    int32_t r = angle % 4096;
    return Cos_Table[r < 0 ? -r : r];
}

int32_t Get_Acos(int32_t index)
{
    return Acos_Table[index < 0 ? 0 : index > 4095 ? 4095 : index];
}

void Mat_Identity(int32_t *out)
{
    static const int32_t identity[9] = {0x8000, 0, 0, 0, 0x8000, 0, 0, 0, 0x8000};
    std::memcpy(out, identity, sizeof identity);
}

// Rotation b about y, times rotation a about x, times rotation c about z. Angles are taken modulo
// 4096, so the negative angles of Mat_To_Angles come back.
void Mat_Rotate(int32_t a, int32_t b, int32_t c, int32_t *out)
{
    int64_t sa = Sin_Table[a & 4095], ca = Cos_Table[a & 4095];
    int64_t sb = Sin_Table[b & 4095], cb = Cos_Table[b & 4095];
    int64_t sc = Sin_Table[c & 4095], cc = Cos_Table[c & 4095];
    out[0] = narrow((cc * cb + ((sc * sa) >> 15) * sb) >> 15);
    out[1] = narrow((((cc * sa) >> 15) * sb - sc * cb) >> 15);
    out[2] = narrow((sb * ca) >> 15);
    out[3] = narrow((sc * ca) >> 15);
    out[4] = narrow((cc * ca) >> 15);
    out[5] = narrow(-sa);
    out[6] = narrow((((sc * cb) >> 15) * sa - cc * sb) >> 15);
    out[7] = narrow((((cc * cb) >> 15) * sa + sc * sb) >> 15);
    out[8] = narrow((cb * ca) >> 15);
}

// With the x angle at a right angle the y and z turns are about the same axis; then all of it is
// given to z, which Mat_Rotate turns back into the same matrix.
void Mat_To_Angles(const int32_t *m, int32_t *a, int32_t *b, int32_t *c)
{
    double s = -m[5] / 32768.0;
    double k = std::sqrt(1.0 - s * s);
    *a = to_units(std::atan2(s, k));
    if (std::fabs(k) > 0.01) {
        *b = to_units(std::atan2(m[2] / 32768.0 / k, m[8] / 32768.0 / k));
        *c = to_units(std::atan2(m[3] / 32768.0 / k, m[4] / 32768.0 / k));
    } else {
        *b = 0;
        *c = to_units(std::atan2(-m[1] / 32768.0, m[0] / 32768.0));
    }
}

namespace {

void Frame_X(const int32_t *d, int32_t *m, bool may_turn);

// A frame whose third column is d and whose first column is horizontal. A vertical d has no
// horizontal to take, so it gets the frame built around x instead.
void Frame_Y(const int32_t *d, int32_t *m, bool may_turn)
{
    double x = d[0] / 32768.0, y = d[1] / 32768.0, z = d[2] / 32768.0;
    double g = std::sqrt(1.0 - y * y);
    if (may_turn && g < 1e-6) {
        Frame_X(d, m, false);
        return;
    }
    m[0] = fixed(z / g);
    m[1] = fixed(-x * y / g);
    m[2] = d[0];
    m[3] = 0;
    m[4] = fixed(g);
    m[5] = d[1];
    m[6] = fixed(-x / g);
    m[7] = fixed(-y * z / g);
    m[8] = d[2];
}

// A frame whose third column is d and whose second column has no x component; a d along x gets the
// frame built around y.
void Frame_X(const int32_t *d, int32_t *m, bool may_turn)
{
    double x = d[0] / 32768.0, y = d[1] / 32768.0, z = d[2] / 32768.0;
    double g = std::sqrt(1.0 - x * x);
    if (may_turn && g < 1e-6) {
        Frame_Y(d, m, false);
        return;
    }
    m[0] = fixed(g);
    m[1] = 0;
    m[2] = d[0];
    m[3] = fixed(-x * y / g);
    m[4] = fixed(z / g);
    m[5] = d[1];
    m[6] = fixed(-x * z / g);
    m[7] = fixed(-y / g);
    m[8] = d[2];
}

// A turn of the frame about its third column.
void Turn_Frame(const int32_t *frame, int32_t angle, int32_t *out)
{
    if (angle == 0) {
        Mat_Copy(out, frame);
        return;
    }
    int32_t co = Get_Cos(angle), si = Get_Sin(angle);
    const int32_t turn[9] = {co, si, 0, -si, co, 0, 0, 0, 0x8000};
    Mat_Mul(frame, turn, out);
}

} // namespace

void Mat_From_Dir(const int32_t *d, int32_t angle, int32_t *out)
{
    int32_t frame[9];
    Frame_Y(d, frame, true);
    Turn_Frame(frame, angle, out);
}

void Mat_From_Dir_X(const int32_t *d, int32_t angle, int32_t *out)
{
    int32_t frame[9];
    Frame_X(d, frame, true);
    Turn_Frame(frame, angle, out);
}

// A direction pointing far up (y above 0.8) takes the x frame; far down keeps the first one.
void Mat_From_Dir_Safe(const int32_t *d, int32_t angle, int32_t *out)
{
    int32_t frame[9];
    if (d[1] / 32768.0 > 0.8) {
        Frame_X(d, frame, true);
    } else {
        Frame_Y(d, frame, true);
    }
    Turn_Frame(frame, angle, out);
}

void Mat_Axis_Angle(const int32_t *n, int32_t angle, int32_t *out)
{
    int64_t c = Cos_Table[angle & 4095], s = Sin_Table[angle & 4095];
    int64_t x = n[0], y = n[1], z = n[2];
    int64_t xx = (x * x) >> 15, yy = (y * y) >> 15, zz = (z * z) >> 15;
    int64_t xy = (((x * y) >> 15) * (0x8000 - c)) >> 15;
    int64_t yz = (((y * z) >> 15) * (0x8000 - c)) >> 15;
    int64_t zx = (((z * x) >> 15) * (0x8000 - c)) >> 15;
    int64_t xs = (x * s) >> 15, ys = (y * s) >> 15, zs = (z * s) >> 15;
    out[0] = narrow(xx + (((0x8000 - xx) * c) >> 15));
    out[1] = narrow(xy - zs);
    out[2] = narrow(zx + ys);
    out[3] = narrow(xy + zs);
    out[4] = narrow(yy + (((0x8000 - yy) * c) >> 15));
    out[5] = narrow(yz - xs);
    out[6] = narrow(zx - ys);
    out[7] = narrow(yz + xs);
    out[8] = narrow(zz + (((0x8000 - zz) * c) >> 15));
}

void Mat_Mul(const int32_t *a, const int32_t *b, int32_t *out)
{
    int32_t r[9];
    for (int i = 0; i < 3; i++) {
        for (int j = 0; j < 3; j++) {
            r[i * 3 + j] = narrow((mul(a[i * 3], b[j]) + mul(a[i * 3 + 1], b[3 + j]) + mul(a[i * 3 + 2], b[6 + j])) >> 15);
        }
    }
    std::memcpy(out, r, sizeof r);
}

void Mat_Transpose(const int32_t *a, int32_t *out)
{
    int32_t r[9] = {a[0], a[3], a[6], a[1], a[4], a[7], a[2], a[5], a[8]};
    std::memcpy(out, r, sizeof r);
}

void Mat_Vec_Mul(const int32_t *a, const int32_t *v, int32_t *out)
{
    int32_t r[3];
    for (int i = 0; i < 3; i++) {
        r[i] = narrow((mul(a[i * 3], v[0]) + mul(a[i * 3 + 1], v[1]) + mul(a[i * 3 + 2], v[2])) >> 15);
    }
    std::memcpy(out, r, sizeof r);
}

void Vec_Add(const int32_t *a, const int32_t *b, int32_t *out)
{
    for (int i = 0; i < 3; i++) {
        out[i] = narrow(int64_t(a[i]) + b[i]);
    }
}

void Vec_Sub(const int32_t *a, const int32_t *b, int32_t *out)
{
    for (int i = 0; i < 3; i++) {
        out[i] = narrow(int64_t(a[i]) - b[i]);
    }
}

void Vec_Neg(const int32_t *a, int32_t *out)
{
    for (int i = 0; i < 3; i++) {
        out[i] = narrow(-int64_t(a[i]));
    }
}

// 32-bit results as the game has them, wrapped without undefined behaviour.
void Vec_Cross(const int32_t *a, const int32_t *b, int32_t *out)
{
    int32_t r[3] = {narrow(mul(a[1], b[2]) - mul(a[2], b[1])), narrow(mul(a[2], b[0]) - mul(a[0], b[2])),
                    narrow(mul(a[0], b[1]) - mul(a[1], b[0]))};
    std::memcpy(out, r, sizeof r);
}

int32_t Vec_Dot(const int32_t *a, const int32_t *b)
{
    return narrow(int64_t(uint64_t(mul(a[0], b[0])) + uint64_t(mul(a[1], b[1])) + uint64_t(mul(a[2], b[2]))));
}

namespace {

// Sum of squares: each square is at most 2^62, so three of them fit unsigned 64 bits.
double Length(const int32_t *a)
{
    uint64_t sum = uint64_t(mul(a[0], a[0])) + uint64_t(mul(a[1], a[1])) + uint64_t(mul(a[2], a[2]));
    return std::sqrt(double(sum));
}

} // namespace

int32_t Vec_Length(const int32_t *a) { return trunc_i32(Length(a)); }

// Scaled to length 0x8000 in floating point, so that components of any size work; the zero vector
// stays zero.
void Vec_Normalise(const int32_t *a, int32_t *out)
{
    double length = Length(a);
    if (length == 0.0) {
        out[0] = out[1] = out[2] = 0;
        return;
    }
    int32_t r[3];
    for (int i = 0; i < 3; i++) {
        r[i] = trunc_i32(a[i] * 32768.0 / length);
    }
    std::memcpy(out, r, sizeof r);
}

__int128 Fix_Dot_Exact(const int32_t *a, const int32_t *b)
{
    return __int128(mul(a[0], b[0])) + mul(a[1], b[1]) + mul(a[2], b[2]);
}

int32_t Fix_Dot_Trunc(const int32_t *a, const int32_t *b, int32_t base)
{
    __int128 q = (__int128(base) * 32768 + Fix_Dot_Exact(a, b)) / 32768;
    return q < INT32_MIN || q > INT32_MAX ? INT32_MIN : int32_t(q);
}

int32_t Fix_Dot_Trunc(const int32_t *a, const int64_t *b)
{
    __int128 q = (__int128(a[0]) * b[0] + __int128(a[1]) * b[1] + __int128(a[2]) * b[2]) / 32768;
    return q < INT32_MIN || q > INT32_MAX ? INT32_MIN : int32_t(q);
}

void Vec_Lerp(const int32_t *a, const int32_t *b, int32_t t, int32_t *out)
{
    for (int i = 0; i < 3; i++) {
        out[i] = narrow((mul(a[i], 256 - t) + mul(b[i], t)) >> 8);
    }
}

// A point at z = 0 gives 0x80000000, as the processor's conversion of an infinity does.
void Project_Point(const int32_t *p, int32_t *x, int32_t *y)
{
    *x = trunc_i32(double(p[0]) * OBJ_View.focal_x / double(p[2]) + OBJ_View.centre_x);
    *y = trunc_i32(double(p[1]) * OBJ_View.focal_y / double(p[2]) + OBJ_View.centre_y);
}

void Unproject_At_Y(int32_t x_offset, int32_t y_offset, int32_t y, int32_t *out)
{
    int32_t z = trunc_i32(double(y) * OBJ_View.focal_y / double(y_offset));
    out[0] = trunc_i32(double(x_offset) * z / OBJ_View.focal_x);
    out[1] = y;
    out[2] = z;
}

void Vec_Copy(int32_t *dst, const int32_t *src) { std::memmove(dst, src, 3 * sizeof(int32_t)); }
void Mat_Copy(int32_t *dst, const int32_t *src) { std::memmove(dst, src, 9 * sizeof(int32_t)); }
void Quat_Copy(int32_t *dst, const int32_t *src) { std::memmove(dst, src, 4 * sizeof(int32_t)); }

void Print_Mat(const int32_t *m)
{
    char line[64];
    for (int i = 0; i < 3; i++) {
        std::snprintf(line, sizeof line, "%ld %ld %ld\n", long(m[i * 3]), long(m[i * 3 + 1]), long(m[i * 3 + 2]));
        PLAT_WriteStdout(line);
    }
}

void Print_Vec(const int32_t *v)
{
    char line[32];
    for (int i = 0; i < 3; i++) {
        std::snprintf(line, sizeof line, "%ld\n", long(v[i]));
        PLAT_WriteStdout(line);
    }
}

// Products shifted by 14: doubled and shifted by 15.
void Quat_To_Matrix(const int32_t *q, int32_t *out)
{
    int64_t x = q[0], y = q[1], z = q[2], w = q[3];
    out[0] = narrow(0x8000 - (wsum(y * y, z * z) >> 14));
    out[1] = narrow(wsum(x * y, -(z * w)) >> 14);
    out[2] = narrow(wsum(x * z, y * w) >> 14);
    out[3] = narrow(wsum(x * y, z * w) >> 14);
    out[4] = narrow(0x8000 - (wsum(x * x, z * z) >> 14));
    out[5] = narrow(wsum(y * z, -(x * w)) >> 14);
    out[6] = narrow(wsum(x * z, -(y * w)) >> 14);
    out[7] = narrow(wsum(y * z, x * w) >> 14);
    out[8] = narrow(0x8000 - (wsum(x * x, y * y) >> 14));
}

// The trace method; without a positive trace the largest diagonal element (the first of equals)
// picks the component taken from a square root.
void Mat_To_Quat_F(const int32_t *m, double *out)
{
    double e[9];
    for (int i = 0; i < 9; i++) {
        e[i] = m[i] / 32768.0;
    }
    double x, y, z, w;
    if (int64_t(m[0]) + m[4] + m[8] > 0) {
        double s = std::sqrt(e[0] + e[4] + e[8] + 1.0) * 2.0;
        w = 0.25 * s;
        x = (e[7] - e[5]) / s;
        y = (e[2] - e[6]) / s;
        z = (e[3] - e[1]) / s;
    } else if (m[0] >= m[4] && m[0] >= m[8]) {
        double s = std::sqrt(1.0 + e[0] - e[4] - e[8]) * 2.0;
        w = (e[7] - e[5]) / s;
        x = 0.25 * s;
        y = (e[1] + e[3]) / s;
        z = (e[2] + e[6]) / s;
    } else if (m[4] >= m[8]) {
        double s = std::sqrt(1.0 + e[4] - e[0] - e[8]) * 2.0;
        w = (e[2] - e[6]) / s;
        x = (e[1] + e[3]) / s;
        y = 0.25 * s;
        z = (e[5] + e[7]) / s;
    } else {
        double s = std::sqrt(1.0 + e[8] - e[0] - e[4]) * 2.0;
        w = (e[3] - e[1]) / s;
        x = (e[2] + e[6]) / s;
        y = (e[5] + e[7]) / s;
        z = 0.25 * s;
    }
    out[0] = x;
    out[1] = y;
    out[2] = z;
    out[3] = w;
}

void Mat_To_Quat(const int32_t *m, int32_t *out)
{
    double q[4];
    Mat_To_Quat_F(m, q);
    for (int i = 0; i < 4; i++) {
        out[i] = fixed(q[i]);
    }
}

namespace {

double Dot4(const double *a, const double *b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3]; }

// The point at u (0..1) of the great arc from a to b, whose directions make the cosine c: the sines of
// the two part angles over the sine of the whole, the first as sin(theta - u theta) spelled out so that
// one sine and one cosine serve both. Directions that coincide (or a zero quaternion) take the straight
// weights, which are then the same thing.
void Arc(const double *a, const double *b, double c, double u, double *out)
{
    c = c < -1.0 ? -1.0 : c > 1.0 ? 1.0 : c;
    double s = std::sqrt((1.0 - c) * (1.0 + c));
    double s0 = 1.0 - u, s1 = u;
    if (s > 1e-12) {
        double part = u * std::acos(c);
        s1 = std::sin(part) / s;
        s0 = std::cos(part) - c * s1;
    }
    for (int i = 0; i < 4; i++) {
        out[i] = a[i] * s0 + b[i] * s1;
    }
}

// The cosine of the angle between the directions of two quaternions; 1 when either is zero.
double Cosine(const double *a, const double *b)
{
    double squares = Dot4(a, a) * Dot4(b, b);
    return squares > 0.0 ? Dot4(a, b) / std::sqrt(squares) : 1.0;
}

} // namespace

// The true arc, in double precision and rounded to nearest, so that a pose between two keys is a
// rotation: the angle table's steps and the truncated weights of a table slerp would shorten the
// quaternion by up to 4% between near keys, which scales the posed limb. No shortest-path
// correction: q1 is used as given. t is clamped to 0..256. Nearly opposite quaternions have no plane
// between them: the first half goes out to the quaternion perpendicular to q0, the second on to q1.
void Quat_Slerp(const int32_t *q0, const int32_t *q1, int32_t t, int32_t *out)
{
    t = t < 0 ? 0 : t > 256 ? 256 : t;
    const double u = t / 256.0;
    const double a[4] = {double(q0[0]), double(q0[1]), double(q0[2]), double(q0[3])};
    const double b[4] = {double(q1[0]), double(q1[1]), double(q1[2]), double(q1[3])};
    const double c = Cosine(a, b);
    double r[4];
    if ((c + 1.0) * 32768.0 > 20.0) {
        Arc(a, b, c, u, r);
    } else {
        const double p[4] = {-a[1], a[0], -a[3], a[2]};
        if (t <= 128) {
            Arc(a, p, 0.0, 2.0 * u, r);
        } else {
            Arc(p, b, Cosine(p, b), 2.0 * u - 1.0, r);
        }
    }
    for (int i = 0; i < 4; i++) {
        out[i] = round_i32(r[i]);
    }
}
