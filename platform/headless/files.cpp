// Headless side of the file service: an empty drive map at start, and the test controls.
#include "plat/test.h"

#include "../common/files_internal.h"
#include "internal.h"

void FILES_BackEndStart() {}

void HL_ResetFiles()
{
    FILES_CloseAll();
    FILES_ClearDrives();
    FILES_Faults.clear();
    FILES_OpenObserver = nullptr;
}

namespace test {

void MapDrive(char letter, const std::string &host) { FILES_MapDrive(letter, host); }
void ClearDrives() { FILES_ClearDrives(); }
void ResetCurrentDirectories() { FILES_ResetCurrent(); }

void AddFileFault(const FileFault &fault)
{
    FILES_Faults.push_back({int(fault.op), fault.name, fault.nth, fault.effect, 0});
}

void SetOpenObserver(std::function<void(const char *path)> observer) { FILES_OpenObserver = std::move(observer); }
int OpenFileCount() { return FILES_OpenCount(); }
void CloseAllFiles() { FILES_CloseAll(); }

} // namespace test
