// The profiler's overlay over a rendered frame, for its golden and kdev prof (headless back-end only).
#pragma once
#include <cstdint>
#include <vector>

#include "tests/support/scene_builder.h"

namespace kalder_test {

// The "empty" scene on a started library at width x height, clear colour 0x39E7, rendered with
// Debug_Level at `debug_level` (put back afterwards): the counter moves 8,000 ticks (8 ms) before the
// frame and 2,000 ticks inside the render (a render callback), so the frame timer holds 10 ms, the
// render timer 2 ms and the value reads "100.0".
std::vector<uint16_t> ProfilerOverlayFrame(SceneArea &area, int32_t width, int32_t height, int32_t debug_level);

} // namespace kalder_test
