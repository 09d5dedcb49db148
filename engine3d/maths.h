// Fixed-point maths of the 3D library: angle tables, vectors, matrices and quaternions.
//
// 1.0 = 0x8000; a product of two fixed-point values is shifted right by 15. Angles run 0..4095 a
// turn. Vectors are 3 x i32, matrices 9 x i32 (rows in order), quaternions (x, y, z, w).
#pragma once
#include <cstdint>

extern int32_t Cos_Table[4096];
extern int32_t Sin_Table[4096];
extern int32_t Acos_Table[4096]; // the angle (0..2048) whose cosine is (i - 2048) / 2048

void Build_Trig_Tables();
int32_t Get_Sin(int32_t angle);
int32_t Get_Cos(int32_t angle);
int32_t Get_Acos(int32_t index);

void Mat_Identity(int32_t *out);
void Mat_Rotate(int32_t a, int32_t b, int32_t c, int32_t *out);
void Mat_To_Angles(const int32_t *m, int32_t *a, int32_t *b, int32_t *c);
void Mat_From_Dir(const int32_t *d, int32_t angle, int32_t *out);
void Mat_From_Dir_X(const int32_t *d, int32_t angle, int32_t *out);
void Mat_From_Dir_Safe(const int32_t *d, int32_t angle, int32_t *out);
void Mat_Axis_Angle(const int32_t *n, int32_t angle, int32_t *out);
void Mat_Mul(const int32_t *a, const int32_t *b, int32_t *out);
void Mat_Transpose(const int32_t *a, int32_t *out);
void Mat_Vec_Mul(const int32_t *a, const int32_t *v, int32_t *out);

void Vec_Add(const int32_t *a, const int32_t *b, int32_t *out);
void Vec_Sub(const int32_t *a, const int32_t *b, int32_t *out);
void Vec_Neg(const int32_t *a, int32_t *out);
void Vec_Cross(const int32_t *a, const int32_t *b, int32_t *out);
int32_t Vec_Dot(const int32_t *a, const int32_t *b);
int32_t Vec_Length(const int32_t *a);
void Vec_Normalise(const int32_t *a, int32_t *out);
void Vec_Lerp(const int32_t *a, const int32_t *b, int32_t t, int32_t *out);

void Project_Point(const int32_t *p, int32_t *x, int32_t *y);
void Unproject_At_Y(int32_t x_offset, int32_t y_offset, int32_t y, int32_t *out);

// The sum base x 32768 + a . b formed exactly, divided by 32768 and truncated toward zero:
// INT32_MIN when the result does not fit. With base 0 it is a fixed-point dot product truncated
// toward zero, which differs from ">> 15" for negative sums.
int32_t Fix_Dot_Trunc(const int32_t *a, const int32_t *b, int32_t base = 0);
// The same for a vector of 64-bit differences of positions, which can pass 32 bits.
int32_t Fix_Dot_Trunc(const int32_t *a, const int64_t *b);
// The exact dot product of two integer vectors.
__int128 Fix_Dot_Exact(const int32_t *a, const int32_t *b);

void Vec_Copy(int32_t *dst, const int32_t *src);
void Mat_Copy(int32_t *dst, const int32_t *src);
void Quat_Copy(int32_t *dst, const int32_t *src);
void Print_Mat(const int32_t *m);
void Print_Vec(const int32_t *v);

void Quat_To_Matrix(const int32_t *q, int32_t *out);
void Mat_To_Quat(const int32_t *m, int32_t *out);
// The quaternion of a rotation matrix in double precision (1.0 = 1.0), for a caller that composes it
// with other turns before rounding once (a turned animation track).
void Mat_To_Quat_F(const int32_t *m, double *out);
void Quat_Slerp(const int32_t *q0, const int32_t *q1, int32_t t, int32_t *out);
