// mkdemo: writes a small synthetic installation that `make run` plays from.
//
// Layout, under the folder given: drives/D is the game disc (DATA\1CD.ID, and the project database
// kalder.dat at its root) and drives/C the hard disk holding the installation folder VORN\KALDER
// (DATA\HD.ID, with empty DATA\3DC, DATA\ANIM and DATA\GAME: a standard installation, not a full
// one). The disc's DATA\SOUND\FSB.DAT is the sound bank: 32 short tones. Its TRACKS folder holds two
// music tracks as a player's rip would (TRACK02.WAV: four notes, Track3.wav: one tone), and Project0
// plays track 2. The disc also holds the fonts and the cursor set that start-up loads
// (DATA\FONT\HI640.SPR, HI480.SPR, HI320.SPR and DATA\OBJET\SOUR.ALP) and the HUD's icon pack
// (DATA\ICONE\ICONES.BF), drawn for this program, and in DATA\3DC the demo level: the scene stream
// SC1.DSN, the hero's container XH_.DAN and the boxes' BOX.3DC and BOX.3DM, that Project0 and Project1
// load. Project0's opening film is the disc's DATA\HNM\DEMO.HNM: 3 s of the synthetic film (a drifting
// gradient, a moving disc, scrolling bars) with a 440 Hz tone and the subtitle "Kalder". The title
// plays DATA\HNM\INTRO.HNM (3 s of gold and crimson bands sliding over dark blue, with the same tone)
// and loops DATA\HNM\GENERIC.HNM under its menu (grey and violet stripes turning). Run the game
// from that folder, or point KALDER_DRIVES at the two drives. With --quick-end, Project0's first exit
// has no box and leads to Project2, whose end scene ends the game: the program stops by itself a second
// after "NEW GAME". With --sage, Project0 also has the sage (element 10), a talking ally of the hero:
// `make run` writes it so; the tests' runs leave it out, as their traces were taken without it.
#include <cstdio>
#include <cstring>

#include "tests/support/demo_level.h"

int main(int argc, char **argv)
{
    kalder_test::DemoOptions options;
    int i = 1;
    for (; i < argc - 1; i++) {
        if (std::strcmp(argv[i], "--quick-end") == 0) {
            options.quick_end = true;
        } else if (std::strcmp(argv[i], "--sage") == 0) {
            options.sage = true;
        } else {
            break;
        }
    }
    if (argc < 2 || i != argc - 1 || argv[i][0] == '-') {
        std::fprintf(stderr, "usage: mkdemo [--quick-end] [--sage] <folder>\n");
        return 2;
    }
    const char *folder = argv[argc - 1];
    if (!kalder_test::WriteDemoInstallation(std::string(folder), options)) {
        std::fprintf(stderr, "mkdemo: cannot write under %s\n", folder);
        return 1;
    }
    std::printf("demo installation written to %s\n", folder);
    return 0;
}
