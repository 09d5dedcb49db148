// Scanline rasteriser: its records, the per-row buckets, the fixed runs and the two scan passes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine3d/records.h"

// An active run: a chain of edges, linked left to right by their next-right field, covering a stretch
// of the current row with adjacent faces of one primitive node. Lives in the work area.
struct SPAN_Run {
    int32_t type;
    Addr next, previous;         // left-to-right order
    int32_t x_left, x_right;     // 20.12, after the last advance
    Addr first_edge, current_edge;
    Addr behind;                 // next run farther away in the resolver's depth chain
};
static_assert(sizeof(SPAN_Run) == 32);
static_assert(offsetof(SPAN_Run, x_left) == 12);
static_assert(offsetof(SPAN_Run, behind) == 28);

// A run that begins on a row: from the frame heap, pushed on that row's start bucket.
struct SPAN_Start {
    Addr next, first_edge;
    int32_t type;
};
static_assert(sizeof(SPAN_Start) == 12);

// One span of a row's list; the list is read from its last record toward entry 0 of Span_Buffer.
struct SPAN_Record {
    int32_t x_end, x_start, type;
    Addr surface;                // the edge that opens the piece drawn
    bool operator==(const SPAN_Record &) const = default;
};
static_assert(sizeof(SPAN_Record) == 16);

// Fields of records that lie at any byte of the work area.
template <typename T> inline T Rec_Get(const uint8_t *p, size_t offset)
{
    T v;
    std::memcpy(&v, p + offset, sizeof v);
    return v;
}

template <typename T> inline void Rec_Set(uint8_t *p, size_t offset, T v) { std::memcpy(p + offset, &v, sizeof v); }

#define RUN_GET(p, f) Rec_Get<decltype(SPAN_Run::f)>((p), offsetof(SPAN_Run, f))
#define RUN_SET(p, f, v) Rec_Set<decltype(SPAN_Run::f)>((p), offsetof(SPAN_Run, f), (v))
#define EDGE_GET(p, f) Rec_Get<decltype(SPAN_Surface::f)>((p), offsetof(SPAN_Surface, f))
#define EDGE_SET(p, f, v) Rec_Set<decltype(SPAN_Surface::f)>((p), offsetof(SPAN_Surface, f), (v))
// The perspective fields hold floats in the words that affine edges use for integers.
#define EDGE_GETF(p, f) Rec_Get<float>((p), offsetof(SPAN_Surface, f))
#define EDGE_SETF(p, f, v) Rec_Set<float>((p), offsetof(SPAN_Surface, f), (v))

// What Init_Rasteriser takes from the work area: the four fixed runs and their six edges.
constexpr uint32_t Rasteriser_Node_Bytes = 4 * sizeof(SPAN_Run) + 6 * sizeof(SPAN_Surface);

constexpr int32_t Bucket_Rows = 1024;
constexpr int32_t Span_Buffer_Records = 2048; // the terminator and 2047 spans
constexpr int32_t Row_Buffer_Pixels = 2048;
constexpr int32_t Row_Repeat_Rows = 600;

// Edge flags as the set-up builds them.
enum : uint32_t {
    EDGE_CLOSES = 0x01,
    EDGE_OPENS = 0x02,
    EDGE_REPLACES = 0x40,
};

// Per-row bucket heads: edges whose run ends, starts of runs, edges that replace one in their run.
extern Addr Retire_Bucket[Bucket_Rows];
extern Addr Start_Bucket[Bucket_Rows];
extern Addr Replace_Bucket[Bucket_Rows];

// The four fixed runs, from the work area.
extern Addr Background_Surface;
extern Addr Left_Sentinel;
extern Addr Right_Sentinel;
extern Addr Tail_Surface;

extern SPAN_Record *Span_Buffer;
extern SPAN_Record *Span_Write_Pos; // the last record written
extern uint16_t *Row_Buffer;
extern int16_t Row_Repeat_Table[Row_Repeat_Rows];
extern float Inv_Pow2[10];
extern int32_t Current_Scanline;
extern int32_t Use_Row_Buffer;
extern int32_t Bottom_Up;
extern Addr Surface_Free_List;

void Init_Rasteriser();
void Init_Edge_Lists();
void Clear_Edge_Buckets();
void Init_Inv_Pow2();
void Free_Rasteriser_Buffers();

void Set_Background_Type(int32_t type);
void Set_Row_Buffer_Mode(int32_t value);
void Set_Bottom_Up(int32_t value);

void Scan_Reset_Active();
void Scan_Pass(uint16_t *frame);
void Scan_Pass_Line(uint16_t *frame);

void Scan_Check_Order();
void Scan_Fix_Order();
void Draw_Span_Generic(uint16_t *line, const SPAN_Record *last);

// The run groups of the per-row advance, and the types that need the translucent resolver.
enum Run_Group { GROUP_NONE, GROUP_FLAT, GROUP_AFFINE, GROUP_AFFINE_SHADED, GROUP_PERSP, GROUP_PERSP_SHADED };
Run_Group Run_Group_Of(int32_t type);
bool Is_Translucent_Line_Type(int32_t type);
