// Light slots: their camera-space positions and directions each frame.
#pragma once

void XForm_Lights();
