// kdev's dialogue commands.
#pragma once
#include <cstdint>

// kdev drd <folder> [--wav N OUT.wav]: opens the dialogue file of the installation under
// <folder>/drives as start-up does and prints its entries: offset, length, voice, lines and picture.
// With --wav, writes entry N's voice image to OUT.wav.
int KdevDrd(const char *folder, int32_t wav_entry, const char *wav_path);
// kdev dialog <folder> <entry> <OUTDIR>: the game started headless on the installation, the demo's
// Project0 frame shown, and the dialog window run on the entry with no key; the frames presented at
// ticks 0, 20, 60, 90 and 100 written as dialog-<entry>-t<tick>.png.
int KdevDialog(const char *folder, int32_t entry, const char *outdir);
