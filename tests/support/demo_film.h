// The demo installation's opening film: 3 s of the synthetic film's pictures, a 440 Hz tone and a subtitle.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kalder_test {

// Project0's film name, and where the film lies on the disc (upper case, as discs have it).
inline constexpr char kDemoFilmName[] = "demo.hnm";
inline constexpr char kDemoFilmDiscPath[] = "DATA/HNM/DEMO.HNM";
inline constexpr uint32_t kDemoFilmFrames = 46;
inline constexpr char kDemoFilmSubtitle[] = "Kalder";

// An "HNS6" film of 46 frames and a zero frame header. Frame 1 carries the delta table and 15 sound
// blocks (one second ahead), frames 2..46 one block each: blocks 0..44 a stereo 440 Hz tone at a
// quarter of full scale with 10 ms fades, blocks 45..59 silence. Frames 16..30 carry the subtitle.
// The pictures are the synthetic film's 46 (intra every 15 frames, inter between).
std::vector<uint8_t> DemoFilmImage();
// The same sound and subtitle under other pictures (one a frame, 46 of them).
std::vector<uint8_t> DemoToneFilm(const std::vector<std::vector<uint8_t>> &pictures, bool subtitled);
// The film's samples, left and right interleaved, 22,050 Hz: what its sound blocks encode.
std::vector<int16_t> DemoFilmSamples();
// Writes the film below a disc's root folder (a drive's host folder). false when it cannot be written.
bool WriteDemoFilm(const std::string &disc_host);

} // namespace kalder_test
