// Fuzzes the container reader: the input is a ".DAN" file. It is opened, its model, maps and
// animations are read and every entry is asked for by name, with the arena's free remainder poisoned.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/mem.h"
#include "core/sys.h"
#include "fuzz/reader_harness.h"
#include "world/dan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool ready = [] {
        MEM_Arena = MEM_CreateStack(0x172000);
        DAN_Init();
        return true;
    }();
    (void)ready;
    static std::vector<uint8_t> out(1 << 20);
    const int32_t room = int32_t(out.size());

    Harness_WriteInput("F.DAN", data, size);

    if (DAN_Load3DC("C:\\F.DAN")) {
        Arena_PoisonFree(MEM_Arena);
        DAN_ReadBlock("f", out.data(), room);
        DAN_ReadMapData();
        char name[DAN_AnimNameBytes + 2] = {};
        for (int32_t i = 0; i < DAN_Container.maps; i++) {
            std::memcpy(name, DAN_Container.map_names[i], DAN_MapNameBytes);
            name[DAN_MapNameBytes] = '\0';
            DAN_Load3DM(name, out.data(), room);
        }
        for (int32_t i = -1; i <= DAN_AnimCount(); i++) {
            const char *anim = DAN_AnimName(i);
            if (anim != nullptr && std::strlen(anim) > size_t(DAN_AnimNameBytes)) {
                __builtin_trap();
            }
        }
        DAN_ReadAnimData();
        for (int32_t i = 0; i < DAN_AnimCount(); i++) {
            std::strcpy(name, DAN_AnimName(i));
            DAN_Load3DA(name, out.data(), room);
            name[8] = name[8] == 'Z' ? 'Y' : 'Z'; // differs in its 9th character only
            DAN_Load3DA(name, out.data(), room);
        }
        DAN_Close();
        Arena_UnpoisonAll(MEM_Arena);
    }
    DAN_Release();
    if (DAN_Container.file >= 0) {
        __builtin_trap();
    }
    return 0;
}
