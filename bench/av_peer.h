// Video decoders of other 1990s codecs as speed peers: frames encoded with a named encoder of the
// codec library in the benchmark's set-up, then decoded in a timed loop. Benchmarks only.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct AvPeerFilm;

struct AvPeerFilmDeleter {
    void operator()(AvPeerFilm *film) const;
};
using AvPeerFilmPtr = std::unique_ptr<AvPeerFilm, AvPeerFilmDeleter>;

// Encodes frames (raw pixels, rows packed, in the encoder's pixel format: "rgb555le", "rgb24", or "pal8"
// with the 256 palette entries after the pixels as 0xAARRGGBB words) with
// the named encoder and opens its decoder. Null, with the reason in *why, when the codec library or
// the encoder is not there or refuses the frames.
AvPeerFilmPtr AvPeerEncode(const char *encoder, const char *pixel_format, int width, int height,
                           const std::vector<std::vector<uint8_t>> &frames, std::string *why);

// Decodes the film's packets once, from its first; returns the pictures decoded (0 on an error).
int AvPeerDecodeAll(AvPeerFilm &film);
// The pictures and bytes of the encoded film.
int AvPeerFrames(const AvPeerFilm &film);
size_t AvPeerBytes(const AvPeerFilm &film);
