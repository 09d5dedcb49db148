// Fuzzes the scene stream reader: the input is a ".DSN" file. It is opened, both models are read, every
// map of its table and an unknown one are bound, and the stream is stepped until it closes, with the
// arena's free remainder poisoned.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/dpr.h"
#include "core/mem.h"
#include "core/sys.h"
#include "fuzz/reader_harness.h"
#include "world/dsn.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool ready = [] {
        MEM_Arena = MEM_CreateStack(0x172000);
        DPR_Main = DPR_Create(0x57800, 0x57800, 0x8000);
        DSN_Create();
        return std::freopen("/dev/null", "w", stdout) != nullptr;
    }();
    (void)ready;
    static std::vector<uint8_t> model(1 << 18);
    static std::vector<std::vector<uint8_t>> maps(DSN_MaxMaps + 1, std::vector<uint8_t>(DSN_MapBytes + 1));
    static std::vector<uint8_t> small(DSN_MapBytes);

    Harness_WriteInput("F.DSN", data, size);

    if (DSN_Open("C:\\F.DSN")) {
        Arena_PoisonFree(MEM_Arena);
        DSN_Load3DC("scene", model.data(), int32_t(model.size()));
        DSN_Load3DI("scene", model.data(), int32_t(model.size()));
        char name[DSN_NameBytes + 1] = {};
        const int32_t m = DSN_Stream.maps;
        for (int32_t i = 0; i <= m; i++) {
            if (i < m) {
                std::memcpy(name, DSN_Stream.names[i], DSN_NameBytes);
            } else {
                std::strcpy(name, "NOSUCHMAP");
            }
            DSN_BindMap(name, small.data(), DSN_MapBytes);
            DSN_BindMap(name, small.data(), 98000);
            DSN_BindMap(name, maps[size_t(i)].data(), DSN_MapBytes + 1);
        }
        for (int tick = 0; tick < 40 && DSN_IsLoaded(); tick++) {
            DSN_UpdateFrame();
        }
        Arena_UnpoisonAll(MEM_Arena);
    }
    DSN_Reset();
    if (DPR_Main->flags & DPR_OPEN) {
        __builtin_trap(); // the stream left its file open
    }
    return 0;
}
