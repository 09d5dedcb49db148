// The title sequence and main menu.
#pragma once
#include <cstdint>

// 1 when a frame of the title's film is due; the control receiver writes it on the frame-due event.
extern int32_t TITLE_FrameDue;

void TITLE_Run();
