// Fuzzes the pack reader and the file layer over its entries: the input is the pack file.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/file.h"
#include "core/pack.h"
#include "plat/test.h"
#include "tests/support/pack_writer.h"
#include "tests/support/temp_drives.h"

namespace {

kalder_test::TempDrives &drives()
{
    static kalder_test::TempDrives the_drives("CZ");
    return the_drives;
}

// Walks the input again for the numbers of the seeks.
struct Cursor {
    const uint8_t *data;
    size_t size;
    size_t at = 0;
    uint32_t next32()
    {
        uint32_t value = 0;
        for (int i = 0; i < 4 && size > 0; i++) {
            value = (value << 8) | data[at++ % size];
        }
        return value;
    }
};

void exercise_entries(Cursor &cursor)
{
    uint8_t buffer[4096];
    int32_t entries = PACK_Count < 64 ? PACK_Count : 64;
    for (int32_t i = 0; i < entries; i++) {
        std::string name = PACK_Table[i].name;
        int32_t handle = FILE_Open(name.c_str(), O_RDONLY | O_BINARY);
        FILE_Read(handle, buffer, sizeof buffer);
        for (int step = 0; step < 3; step++) {
            uint32_t offset = cursor.next32();
            FILE_Seek(handle, int32_t(offset), int(offset & 3));
            FILE_Read(handle, buffer, offset % sizeof buffer);
        }
        FILE_Close(handle);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static bool quiet = [] {
        // The pack reader lists every name it loads; that would flood the log.
        return std::freopen("/dev/null", "w", stdout) != nullptr;
    }();
    (void)quiet;
    kalder_test::TempDrives &d = drives();
    test::Reset();
    test::MapDrive('C', d.Host('C'));
    test::MapDrive('Z', d.Host('Z'));
    test::ResetCurrentDirectories();
    test::SetExitHook(test::ThrowOnExit);
    kalder_test::WriteHostFile(d.MakeDir('C', "data/icone") + "/icones.bf", std::vector<uint8_t>(data, data + size));

    Cursor cursor{data, size};
    try {
        PACK_Open("data\\icone\\icones.bf");
        exercise_entries(cursor);
        PACK_Open("data\\icone\\icones.bf");
        exercise_entries(cursor);
    } catch (const test::ExitCalled &) {
        // The game's own answer to a damaged pack: the fatal box.
    }
    PACK_FreeTable();
    FILE_LastEntry = 0;
    test::CloseAllFiles();
    test::Reset();
    return 0;
}
