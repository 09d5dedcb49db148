// Fuzzes the project database reader, and the switches and the packer over what it accepted: the
// input is kalder.dat.
#include <cstdint>
#include <cstring>
#include <vector>

#include "plat/files.h"
#include "plat/test.h"
#include "tests/support/pack_writer.h"
#include "tests/support/temp_drives.h"
#include "world/prj.h"

namespace {

kalder_test::TempDrives &drives()
{
    static kalder_test::TempDrives the_drives("CD");
    return the_drives;
}

// Every record of an accepted database unpacks, packs again within the file's room and comes back
// the same.
void repack_and_compare()
{
    for (int32_t i = 0; i < PRJ_RECORD_COUNT; i++) {
        int32_t start, end;
        std::memcpy(&start, PRJ_Database + 4 * i, 4);
        std::memcpy(&end, PRJ_Database + 4 * (i + 1), 4);
        std::memset(&PRJ_EditorTable[i], 0, sizeof(LevelRecord));
        if (PRJ_UnpackRecord(reinterpret_cast<uint8_t *>(&PRJ_EditorTable[i]), sizeof(LevelRecord),
                             PRJ_Database + PRJ_TABLE_SIZE + start, end - start) != PRJ_RECORD_SIZE) {
            __builtin_trap();
        }
    }
    static LevelRecord before[PRJ_RECORD_COUNT];
    std::memcpy(before, PRJ_EditorTable, sizeof before);
    if (PRJ_PackDatabase() == 0) {
        __builtin_trap();
    }
    for (int32_t i = 0; i < PRJ_RECORD_COUNT; i++) {
        char name[sizeof(LevelRecord::name) + 1] = {};
        std::memcpy(name, before[i].name, sizeof before[i].name);
        if (std::strcmp(name, "EMPTY") == 0) {
            continue; // never searched: it falls back
        }
        LevelRecord *found = PRJ_SwitchTo(name, sizeof name);
        if (found == nullptr) {
            __builtin_trap();
        }
        // The first record of that name: compare names only, as a later record may share it.
        if (std::strncmp(found->name, before[i].name, sizeof found->name) != 0) {
            __builtin_trap();
        }
    }
    if (std::memcmp(&before[0], &PRJ_CurrentRecord, sizeof(LevelRecord)) != 0) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    kalder_test::TempDrives &d = drives();
    test::Reset();
    test::MapDrive('C', d.Host('C'));
    test::MapDrive('D', d.Host('D'));
    test::ResetCurrentDirectories();
    PLAT_SetDrive('D');
    test::SetExitHook(test::ThrowOnExit);
    std::memset(PRJ_PreviousName, 0, sizeof PRJ_PreviousName);
    kalder_test::WriteHostFile(d.Host('D') + "/kalder.dat", std::vector<uint8_t>(data, data + size));

    try {
        PRJ_LoadDatabase();
        // Follow the exits of the current project, then fall back.
        for (int i = 0; i < 8; i++) {
            char target[sizeof(ExitRecord::target)];
            std::memcpy(target, PRJ_Current->exits[i].target, sizeof target);
            LevelRecord *next = PRJ_SwitchTo(target, sizeof target);
            PRJ_MakeCurrent(next);
        }
        char empty[] = "EMPTY";
        PRJ_MakeCurrent(PRJ_SwitchTo(empty, sizeof empty));
        PRJ_LoadDatabase();
        repack_and_compare();
    } catch (const test::ExitCalled &) {
        // The game's own answer to a damaged database: the fatal box.
    }
    test::CloseAllFiles();
    test::Reset();
    return 0;
}
