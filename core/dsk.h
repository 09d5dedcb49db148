// Data location: the game disc and the installation folder.
#pragma once

void DSK_Locate();
void DSK_RestoreDrive();
const char *DSK_InstallPath();
