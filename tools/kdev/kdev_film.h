// kdev film: plays a film on the headless display and writes every frame as a PNG file.
#pragma once

// kdev film <game path> [<folder>] [--size WxH] [--555] [--picture]; argv holds the words after "film".
int KdevFilm(int argc, char **argv, int (*usage)());
