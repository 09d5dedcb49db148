// Sound output device.
#pragma once

// Opens the sound device; 1 on success, 0 when there is none.
int PLAT_SoundOpen();
void PLAT_SoundClose();
