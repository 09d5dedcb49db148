// The span seam. The routines do not draw yet: every entry is a routine that returns at once, so that
// the scan pass runs and tests install their own routines.
#include "engine3d/span.h"

namespace {

void Span_Nothing(uint16_t *, int32_t, int32_t, uint32_t) {}

} // namespace

Span_Routine Span_Routines[Span_Routine_Count] = {
    Span_Nothing, Span_Nothing, Span_Nothing, Span_Nothing, Span_Nothing, Span_Nothing, Span_Nothing,
    Span_Nothing, Span_Nothing, Span_Nothing, Span_Nothing, Span_Nothing, Span_Nothing, Span_Nothing,
    Span_Nothing, Span_Nothing, Span_Nothing, Span_Nothing, Span_Nothing, Span_Nothing, Span_Nothing,
    Span_Nothing, Span_Nothing, Span_Nothing, Span_Nothing, Span_Nothing, Span_Nothing, Span_Nothing,
    Span_Nothing, Span_Nothing, Span_Nothing, Span_Nothing, Span_Nothing, Span_Nothing, Span_Nothing,
    Span_Nothing, Span_Nothing, Span_Nothing, Span_Nothing, Span_Nothing, Span_Nothing, Span_Nothing,
    Span_Nothing, Span_Nothing, Span_Nothing, Span_Nothing, Span_Nothing,
};

// Walks from the given record toward entry 0. Records of no width are passed over whatever their type;
// the end marker (type -1) ends the walk once it has a width, and entry 0 of the span buffer always has.
// Types outside the table draw nothing.
void Draw_Span_List(uint16_t *line, const SPAN_Record *last)
{
    for (const SPAN_Record *r = last;; r--) {
        int32_t count = int32_t(uint32_t(r->x_end) - uint32_t(r->x_start));
        if (count <= 0) {
            continue;
        }
        if (r->type == -1) {
            return;
        }
        int64_t index = int64_t(r->type) - Span_Type_First;
        if (index >= 0 && index < Span_Routine_Count) {
            Span_Routines[index](line + r->x_start, count, r->x_start, r->surface);
        }
    }
}
