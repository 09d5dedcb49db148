// The profiler's overlay over a rendered frame (see prof_picture.h).
#include "tests/support/prof_picture.h"

#include "engine3d/render.h"
#include "engine3d/view.h"
#include "plat/test.h"
#include "plat/time.h"
#include "tests/support/scenes.h"

namespace kalder_test {

namespace {
void Two_Milliseconds_Of_Render() { test::SetPerfCounter(PLAT_Counter() + 2000); }
} // namespace

std::vector<uint16_t> ProfilerOverlayFrame(SceneArea &area, int32_t width, int32_t height, int32_t debug_level)
{
    std::vector<uint16_t> frame;
    if (LoadScene(area, "empty") < 0) {
        return frame;
    }
    if (width != OBJ_View.screen_width || height != OBJ_View.screen_height) {
        Set_Screen_Size(width, height);
        Set_Viewport(width, height, 0, 0, 640);
    }
    frame.assign(size_t(width) * size_t(height), 0xDEAD);
    const int32_t saved_level = Debug_Level;
    Debug_Level = debug_level;
    Set_Clear_Colour(0x39E7);
    Set_Render_Callback(Two_Milliseconds_Of_Render);
    test::SetPerfCounter(PLAT_Counter() + 8000);
    Render_Frame(frame.data());
    Set_Render_Callback(nullptr);
    Set_Clear_Colour(0);
    Debug_Level = saved_level;
    return frame;
}

} // namespace kalder_test
