// Video decoders of other 1990s codecs as speed peers: frames encoded with a named encoder of the
// codec library in the benchmark's set-up, then decoded in a timed loop. Benchmarks only.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

class SummaryReporter;

struct AvPeerFilm;

struct AvPeerFilmDeleter {
    void operator()(AvPeerFilm *film) const;
};
using AvPeerFilmPtr = std::unique_ptr<AvPeerFilm, AvPeerFilmDeleter>;

// Encodes frames (raw pixels, rows packed, in the encoder's pixel format: "rgb555le", "rgb24", or
// "pal8" with its 256 colours 0x00RRGGBB in palette) with the named encoder and opens its decoder.
// Null, with the reason in *why, when the codec library or the encoder is not there or refuses the
// frames.
AvPeerFilmPtr AvPeerEncode(const char *encoder, const char *pixel_format, int width, int height,
                           const std::vector<std::vector<uint8_t>> &frames, std::string *why,
                           const std::vector<uint32_t> *palette = nullptr);

// Decodes the film's packets once, from its first; returns the pictures decoded (0 on an error).
int AvPeerDecodeAll(AvPeerFilm &film);
// The pictures and bytes of the encoded film.
int AvPeerFrames(const AvPeerFilm &film);
size_t AvPeerBytes(const AvPeerFilm &film);

// The peer's benchmark: the whole film decoded per iteration, pictures counted as items; a film that
// could not be made skips with its reason.
void AvPeerBenchmark(benchmark::State &state, AvPeerFilm *film, const std::string &why);

// A peer codec beside one of our runs: its encoded film, or why there is none.
struct AvPeer {
    std::string name; // the codec; its run is "peer/<name>"
    std::string ours; // the run of ours it is compared with
    AvPeerFilmPtr film;
    std::string why;
};

// Registers the run "peer/<name>" of each peer; the peers must outlive the runs.
void AvPeerRegister(std::vector<AvPeer> &peers);
// After the runs: each peer's frames/s and Mpixel/s (`pixels` a frame) and ours / peer, named in
// `name_width` columns, our side called `ours_label` (or the run's name when null); or why it did not run.
void AvPeerSummary(const SummaryReporter &reporter, const std::vector<AvPeer> &peers, double pixels, int name_width,
                   const char *ours_label);
