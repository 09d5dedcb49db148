// mkdemo: writes a small synthetic installation that `make run` plays from.
//
// Layout, under the folder given: drives/D is the game disc (DATA\1CD.ID, and the project database
// kalder.dat at its root) and drives/C the hard disk holding the installation folder VORN\KALDER
// (DATA\HD.ID, with empty DATA\3DC, DATA\ANIM and DATA\GAME: a standard installation, not a full
// one). The disc's DATA\SOUND\FSB.DAT is the sound bank: 32 short tones. Its TRACKS folder holds two
// music tracks as a player's rip would (TRACK02.WAV: four notes, Track3.wav: one tone), and Project0
// plays track 2. The disc also holds the fonts and the cursor set that start-up loads
// (DATA\FONT\HI640.SPR, HI480.SPR, HI320.SPR and DATA\OBJET\SOUR.ALP), drawn for this program, and
// in DATA\3DC the demo level: the scene stream SC1.DSN, the hero's container XH_.DAN and the boxes'
// BOX.3DC and BOX.3DM, that Project0 and Project1 load. Run the game from that folder, or point
// KALDER_DRIVES at the two drives.
#include <cstdio>

#include "tests/support/demo_level.h"

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mkdemo <folder>\n");
        return 2;
    }
    if (!kalder_test::WriteDemoInstallation(std::string(argv[1]))) {
        std::fprintf(stderr, "mkdemo: cannot write under %s\n", argv[1]);
        return 1;
    }
    std::printf("demo installation written to %s\n", argv[1]);
    return 0;
}
