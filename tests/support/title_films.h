// The title's two films in the demo installation: the intro (coloured bands sliding right over dark
// blue, with the demo film's tone) and the menu's background (grey and violet bands turning slowly,
// made to loop), both 640 x 304 block-transform films drawn in code.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kalder_test {

inline constexpr char kIntroFilmDiscPath[] = "DATA/HNM/INTRO.HNM";
inline constexpr char kGenericFilmDiscPath[] = "DATA/HNM/GENERIC.HNM";
inline constexpr int kIntroFilmFrames = 46;   // 3 s at the films' 15 frames a second
inline constexpr int kGenericFilmFrames = 31; // 2 s; frame 31 would be frame 0 again

// Frame n of the intro: rows 40..263 hold bands 160 pixels wide, gold and crimson in turn with the
// dark blue ground between them, moving 3 pixels right a frame; band 0 starts at x = 3n.
std::vector<uint16_t> IntroFilmFrame(int n);
// Frame n of the background: stripes 96 pixels apart between a dark grey and a dark violet, turned by
// n / 31 of a half turn about the picture's centre.
std::vector<uint16_t> GenericFilmFrame(int n);

// "HNS6" with the demo tone, and "HNM6" without sound; each ends with a zero frame header.
std::vector<uint8_t> IntroFilmImage();
std::vector<uint8_t> GenericFilmImage();
// What the decoder makes of the background's frames (5-6-5), made once per process.
const std::vector<std::vector<uint16_t>> &GenericFilmDecoded();

// Writes both under a disc's root folder. false when they cannot be written.
bool WriteTitleFilms(const std::string &disc_host);

} // namespace kalder_test
