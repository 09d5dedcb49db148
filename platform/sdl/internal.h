// Shared between the SDL service files: the one window's renderer, paced presents, the 4:3 fit, the
// sound output shared with CD audio, and the CD device's share of the pump.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct SDL_Renderer;
struct SDL_Window;
union SDL_Event;

SDL_Window *SDLB_Window();
SDL_Renderer *SDLB_Renderer();
// Shows what was drawn, at least 10 ms after the last present: the game's time factor stops
// following real time above about 150 frames a second.
void SDLB_Present();
// Set when the renderer lost its textures; the next full-screen flip reports a lost surface.
extern bool SDLB_RenderLost;
// Gives back the display's scaling texture; called by the window before its renderer goes or when
// the renderer lost its textures.
void SDLB_DropScaler();
// On (the default), both displays scale and convert the picture themselves on a software renderer;
// off, they leave it to SDL's scaled copy. For the tests and benchmarks that compare the two.
void SDLB_SetOwnScaling(bool on);

struct SDLB_Rect {
    int x;
    int y;
    int w;
    int h;
};
// The largest centred 4:3 rectangle in an output of width x height: a real mode change filled a
// 4:3 screen.
SDLB_Rect SDLB_FitFourThree(int width, int height);

// The sound device's share of the pump: focus changes and a removed output.
void SDLS_SoundEvent(const SDL_Event &event);

// CD audio's share of the sound output: a source added to the common mixer (the output starts when
// nothing used it yet; false when there is none), removed by its context, and the output's lock.
struct SNDM_Source;
bool SDLS_AddSource(const SNDM_Source &source);
void SDLS_RemoveSource(void *context);
void SDLS_LockOutput(bool lock);
// The CD device's share of the pump, every round on the game thread: loads the tracks play reaches.
void SDLC_Pump();
// Decodes a track file (a game path) whole to 22,050 Hz stereo 16-bit frames (left, right); false,
// with nothing decoded, when it cannot be read or decoded.
bool SDLC_Decode(const std::string &path, std::vector<int16_t> *out);
