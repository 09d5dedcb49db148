// kdev play: the program played headless on an installation folder, round by round.
#pragma once

int KdevPlay(int argc, char **argv);
