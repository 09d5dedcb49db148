// kdev's saves command.
#pragma once

// kdev saves <folder> [--png OUTDIR]: the slot table of the installation under <folder>/drives, and
// for each used slot what its game file holds or why the game refuses it; with --png each thumbnail
// as OUTDIR/slot<i>.png.
int KdevSaves(const char *folder, const char *png_folder);
