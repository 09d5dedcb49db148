// Fuzzes the dialogue file: the input is data\3dc\dialog.drd of a scratch installation; the file is
// opened, every entry (and numbers around them) loaded and asked every question, its picture made into
// the picture sprite and given back, and the file closed. Nothing may stay taken.
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/dsk.h"
#include "core/mem.h"
#include "core/sys.h"
#include "interface/drd.h"
#include "interface/ico.h"
#include "plat/test.h"
#include "tests/support/temp_drives.h"

namespace {

kalder_test::TempDrives &drives()
{
    static kalder_test::TempDrives *the_drives = new kalder_test::TempDrives("C");
    return *the_drives;
}

// Every answer about the loaded entry, read to its last byte so that the sanitizers see any overrun.
void ask_everything()
{
    uint32_t length = 0;
    const uint8_t *voice = DLG_GetSound(&length);
    uint32_t sum = 0;
    for (uint32_t i = 0; voice != nullptr && i < length; i++) {
        sum += voice[i];
    }
    for (int32_t j = -1; j <= 65; j++) {
        sum += uint32_t(DLG_GetLineStart(j)) + uint32_t(DLG_GetLineDuration(j)) + uint32_t(DLG_GetLineTerminated(j));
        sum += uint32_t(std::strlen(DLG_GetLineText(j)));
    }
    sum += uint32_t(DLG_GetLineCount()) + uint32_t(DLG_GetDuration()) + uint32_t(DLG_GetCurrentLine());
    const uint8_t *picture = nullptr;
    DLG_GetExtraChunk(&picture, &length);
    if (picture != nullptr) {
        sum += picture[0] + picture[length - 1];
        if (ICO_MakePicture(picture, length) == 0 && ICO_Picture == nullptr) {
            __builtin_trap();
        }
        ICO_FreePicture();
    }
    asm volatile("" : : "r"(sum));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    kalder_test::TempDrives &d = drives();
    test::Reset();
    test::MapDrive('C', d.Host('C'));
    test::ResetCurrentDirectories();
    std::strcpy(DSK_Location.install_folder, "C:\\");
    d.Write('C', "data/3dc/dialog.drd", std::vector<uint8_t>(data, data + size));
    if (MEM_Arena == nullptr) {
        MEM_Arena = MEM_CreateStack(0x172000);
    }
    const uint32_t arena = MEM_StackFreeSpace(MEM_Arena);
    const size_t heap = test::HeapBlocksInUse();
    if (DRD_Open("data\\3dc\\dialog.drd") != 0) {
        const int32_t last = DRD_GetCount() < 70 ? DRD_GetCount() : 70;
        for (int32_t i = -1; i <= last; i++) {
            if (DLG_LoadEntry(i) != 0) {
                ask_everything();
            }
        }
        DRD_Close();
    }
    if (test::HeapBlocksInUse() != heap || MEM_StackFreeSpace(MEM_Arena) != arena) {
        __builtin_trap(); // the player gives back what it took
    }
    test::CloseAllFiles();
    test::Reset();
    return 0;
}
