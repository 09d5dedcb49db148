// Data location: the game disc, the installation folder, and the install cache of level files.
#pragma once
#include <cstdint>

// Where the game's data lies. The two paths keep their drive-letter form, so that every path built
// from them is a game path.
struct DSK_LocationRecord {
    char cd_root[260];        // "X:\", the letter of the drive that holds a game disc
    char install_folder[260]; // "X:\VORN\KALDER\", the letter of the drive that holds HD.ID
    int32_t full;             // 1 when the installation folder holds DATA\FULL.ID
};
extern DSK_LocationRecord DSK_Location;

void DSK_Locate();
void DSK_FindCdDrive();
void DSK_FindInstallFolder();
void DSK_CheckFull();
int32_t DSK_IsFull();
int32_t DSK_CurrentDisc();
const char *DSK_CdRoot();
const char *DSK_InstallPath();
const char *DSK_ModelPath();

void DSK_PrepareProject();
void DSK_WaitForDisc(int32_t disc);
uint32_t DSK_ReadLevelId();
void DSK_WriteLevelId(uint32_t part);
void DSK_DeleteLevelId();
void DSK_PurgeCache();
int32_t DSK_CopyList(const char *list, const char *install_folder);
int32_t DSK_CopyFile(const char *name, const char *install_folder);

void DSK_RestoreDrive();
