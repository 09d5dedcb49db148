// Test support: recording span routines installed in every entry of the span table, and a painter
// that fills each span with a colour made from its surface, so that a frame's span lists can be read
// back per row and looked at as a picture.
#pragma once
#include <cstdint>
#include <vector>

#include "engine3d/span.h"

namespace kalder_test {

struct RecordedSpan {
    int32_t row;      // Current_Scanline when the span was drawn
    int32_t x_start;
    int32_t count;
    int32_t type;
    uint32_t surface;
    bool operator==(const RecordedSpan &) const = default;
};

// Installs the recording routines on construction and puts the table back on destruction.
class SpanRecorder {
public:
    explicit SpanRecorder(bool paint = false);
    ~SpanRecorder();
    SpanRecorder(const SpanRecorder &) = delete;
    SpanRecorder &operator=(const SpanRecorder &) = delete;

    const std::vector<RecordedSpan> &spans() const;
    std::vector<RecordedSpan> row(int32_t y) const;
    void clear();

private:
    Span_Routine saved_[Span_Routine_Count];
};

// The false colour of a surface: bright, and never black, so the background (left black) stands out.
uint16_t FalseColour(uint32_t surface);

} // namespace kalder_test
