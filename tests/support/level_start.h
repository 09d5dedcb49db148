// The programs' start-up as far as a level load needs it, for the level tests, kdev and the
// benchmark: on the drive map in force, the data location, the project database, the 3D engine, the
// memory arena, the streaming buffer, the scene stream and the container. The screen is the caller's
// (a ScreenTarget): its size sets the view.
#pragma once

namespace kalder_test {

// The memory arena and streaming buffer of the start-up (when not made yet), the scene stream bound
// to the buffer and the container cleared.
void StartStreams();
// A missing disc or database stops as the game does (through the exit hook in force).
void StartLevelCore();
// Closes the stream and the container and gives back the 3D heap, the arena and the streaming buffer.
void StopLevelCore();
// The benchmarks' demo level, on the demo installation's drives already mapped: the level core
// started, the menus' queue made, the letterbox on (or off), the opening film skipped, and `ticks`
// ticks run, which load Project0 and read its scene stream to the end.
void StartDemoLevel(int ticks = 40, bool letterbox = true);

} // namespace kalder_test
