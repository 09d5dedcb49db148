// Test support: recording span routines and the false-colour painter (see span_recorder.h).
#include "tests/support/span_recorder.h"

#include <algorithm>
#include <utility>

#include "engine3d/raster.h"
#include "engine3d/workarea.h"

namespace kalder_test {

namespace {

std::vector<RecordedSpan> Recorded;
bool Painting;

// The surface of the background run's edges: painted black.
bool Is_Background(uint32_t surface)
{
    if (Background_Surface == 0 || Work_Area == nullptr) {
        return false;
    }
    Addr first = RUN_GET(W_Ptr(Background_Surface), first_edge);
    return surface == first || (first != 0 && surface == EDGE_GET(W_Ptr(first), next_right));
}

template <int Type> void Record(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    Recorded.push_back(RecordedSpan{Current_Scanline, x_start, count, Type, surface});
    if (Painting) {
        std::fill(dst, dst + count, Is_Background(surface) ? uint16_t(0) : FalseColour(surface));
    }
}

template <int... I> void Install(std::integer_sequence<int, I...>)
{
    ((Span_Routines[I] = &Record<I + Span_Type_First>), ...);
}

} // namespace

SpanRecorder::SpanRecorder(bool paint)
{
    std::copy(Span_Routines, Span_Routines + Span_Routine_Count, saved_);
    Recorded.clear();
    Painting = paint;
    Install(std::make_integer_sequence<int, Span_Routine_Count>{});
}

SpanRecorder::~SpanRecorder()
{
    std::copy(saved_, saved_ + Span_Routine_Count, Span_Routines);
    Recorded.clear();
    Painting = false;
}

const std::vector<RecordedSpan> &SpanRecorder::spans() const { return Recorded; }

std::vector<RecordedSpan> SpanRecorder::row(int32_t y) const
{
    std::vector<RecordedSpan> out;
    for (const RecordedSpan &s : Recorded) {
        if (s.row == y) {
            out.push_back(s);
        }
    }
    return out;
}

void SpanRecorder::clear() { Recorded.clear(); }

uint16_t FalseColour(uint32_t surface)
{
    uint32_t h = surface * 2654435761u;
    h ^= h >> 15;
    uint32_t r = 8 + (h & 0x17);
    uint32_t g = 16 + ((h >> 5) & 0x2F);
    uint32_t b = 8 + ((h >> 11) & 0x17);
    return uint16_t(r << 11 | g << 5 | b);
}

} // namespace kalder_test
