// Sound output. Only the device is opened and closed yet; nothing is mixed.
#include "core/snd.h"

#include "plat/sound.h"

static bool device_open;

int32_t SND_Init(int32_t)
{
    device_open = PLAT_SoundOpen() != 0;
    return device_open ? 1 : 0;
}

void SND_Shutdown()
{
    if (device_open) {
        PLAT_SoundClose();
        device_open = false;
    }
}

void SND_Update() {}
