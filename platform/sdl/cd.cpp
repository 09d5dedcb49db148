// SDL CD device: the player's ripped tracks (track<N>.wav in a tracks folder at the root of a mapped
// drive) play through the common mixer as one more source, at unity gain and also without the focus.
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "../common/cd_internal.h"
#include "../common/sound_internal.h"
#include "internal.h"
#include "plat/cd.h"
#include "plat/dialog.h"
#include "plat/files.h"

namespace {

constexpr uint32_t kDeviceId = 1;
// The length of a track whose file is not decoded yet.
constexpr uint64_t kUnknown = UINT64_MAX;

struct Cd {
    bool open;
    bool mixing; // the source is in the mixer; without an output the drive has no tracks
    std::string folder; // "X:\\tracks\\" as found on disk
    std::vector<std::string> files; // per track, "" without a file
    std::set<uint32_t> reported;    // unreadable tracks named once per folder read
    CDM_Disc disc;                  // moved by the audio callback under the output's lock
    std::vector<std::vector<int16_t>> samples; // per track: decoded frames (left, right), at most two
};
Cd cd;

struct Lock {
    Lock() { SDLS_LockOutput(true); }
    ~Lock() { SDLS_LockOutput(false); }
    Lock(const Lock &) = delete;
    Lock &operator=(const Lock &) = delete;
};

void add_stretch(void *context, uint32_t track, uint64_t frame, uint32_t frames, uint32_t offset)
{
    CDM_AddFrames(static_cast<int64_t *>(context) + size_t(offset) * 2, cd.samples[track - 1], frame, frames);
}

// The audio callback's part: plays on while the tracks reached are decoded; a track not decoded yet
// waits for the pump.
void mix(void *, int64_t *acc, uint32_t frames)
{
    uint32_t done = 0;
    while (done < frames && cd.disc.play == CDM_PLAYING) {
        CDM_Advance(cd.disc, 0);
        if (cd.disc.play != CDM_PLAYING) {
            break;
        }
        const uint64_t length = cd.disc.lengths[cd.disc.track - 1];
        if (length == kUnknown) {
            break;
        }
        const uint32_t n = uint32_t(std::min<uint64_t>(length - cd.disc.frame, frames - done));
        CDM_Advance(cd.disc, n, CDM_Visitor{acc != nullptr ? add_stretch : nullptr, acc != nullptr ? acc + size_t(done) * 2 : nullptr});
        done += n;
    }
}

// The tracks folder: on the first mapped drive from Z down to C whose root has one, in any case.
std::string find_folder()
{
    for (char letter = 'Z'; letter >= 'C'; letter--) {
        if (PLAT_DriveHost(letter).empty()) {
            continue;
        }
        const std::string root = std::string(1, letter) + ":\\";
        for (const PLAT_FindEntry &e : PLAT_FindFiles((root + "*.*").c_str())) {
            if (e.is_directory != 0 && SDL_strcasecmp(e.name.c_str(), "tracks") == 0) {
                return root + e.name + "\\";
            }
        }
    }
    return "";
}

// Reads the folder again: the disc the drive now holds, stopped at track 1.
void read_folder()
{
    std::vector<CDM_Entry> listing;
    const std::string folder = find_folder();
    if (!folder.empty()) {
        for (const PLAT_FindEntry &e : PLAT_FindFiles((folder + "*.*").c_str())) {
            listing.push_back(CDM_Entry{e.name, e.is_directory != 0});
        }
    }
    std::vector<std::string> files = CDM_TrackTable(listing);
    std::vector<uint64_t> lengths;
    for (const std::string &f : files) {
        lengths.push_back(f.empty() ? 0 : kUnknown);
    }
    Lock lock;
    cd.folder = folder;
    cd.files = std::move(files);
    cd.reported.clear();
    cd.samples.assign(cd.files.size(), {});
    CDM_Load(cd.disc, std::move(lengths));
}

} // namespace

bool SDLC_Decode(const std::string &path, std::vector<int16_t> *out)
{
    out->clear();
    std::string host;
    if (PLAT_ResolvePath(path.c_str(), PLAT_RESOLVE_EXISTING, &host) == 0) {
        return false;
    }
    SDL_AudioSpec wav;
    Uint8 *buffer = nullptr;
    Uint32 bytes = 0;
    if (SDL_LoadWAV_RW(SDL_RWFromFile(host.c_str(), "rb"), 1, &wav, &buffer, &bytes) == nullptr) {
        return false;
    }
    bool good = false;
    SDL_AudioStream *stream = SDL_NewAudioStream(wav.format, wav.channels, wav.freq, AUDIO_S16SYS, 2, int(CDM_RATE));
    // The resampler keeps back the last frames it was given: silence after the track brings them out,
    // and the output is cut to the track's own length.
    const uint32_t frame_bytes = uint32_t(SDL_AUDIO_BITSIZE(wav.format) / 8) * wav.channels;
    const uint64_t source_frames = frame_bytes != 0 ? bytes / frame_bytes : 0;
    const size_t wanted = size_t((source_frames * CDM_RATE + uint64_t(wav.freq) / 2) / uint64_t(std::max(wav.freq, 1)));
    const std::vector<Uint8> tail(size_t(frame_bytes) * 4096, Uint8(wav.format == AUDIO_U8 ? 0x80 : 0));
    if (stream != nullptr && source_frames > 0 && SDL_AudioStreamPut(stream, buffer, int(bytes)) == 0 &&
        SDL_AudioStreamPut(stream, tail.data(), int(tail.size())) == 0 && SDL_AudioStreamFlush(stream) == 0) {
        // The converter hands its frames out in pieces: take until it has none left.
        int16_t chunk[4096];
        int got;
        while ((got = SDL_AudioStreamGet(stream, chunk, int(sizeof chunk))) > 0) {
            out->insert(out->end(), chunk, chunk + got / 4 * 2);
        }
        out->resize(std::min(out->size(), wanted * 2));
        good = got == 0 && !out->empty();
    }
    SDL_FreeAudioStream(stream);
    SDL_FreeWAV(buffer);
    return good;
}

namespace {

// Loads a track the play reached, outside the output's lock, and hands it to the mixer.
void load(uint32_t track)
{
    std::string path;
    {
        Lock lock;
        if (track < 1 || track > cd.files.size() || cd.disc.lengths[track - 1] != kUnknown) {
            return;
        }
        path = cd.folder + cd.files[track - 1];
    }
    std::vector<int16_t> decoded;
    const bool good = SDLC_Decode(path, &decoded);
    if (!good && cd.reported.insert(track).second) {
        std::fprintf(stderr, "CD audio: cannot read %s; track %u plays as silence\n", path.c_str(), track);
    }
    Lock lock;
    if (track <= cd.files.size() && cd.disc.lengths[track - 1] == kUnknown) {
        cd.disc.lengths[track - 1] = decoded.size() / 2;
        cd.samples[track - 1] = std::move(decoded);
    }
}

// Keeps the decoded tracks to the one playing and the next of the range.
void drop_others()
{
    Lock lock;
    const uint32_t keep = cd.disc.track;
    for (uint32_t t = 1; t <= cd.samples.size(); t++) {
        if (t != keep && t != keep + 1 && !cd.samples[t - 1].empty()) {
            cd.samples[t - 1] = {};
            cd.disc.lengths[t - 1] = kUnknown;
        }
    }
}

bool playing()
{
    Lock lock;
    CDM_Advance(cd.disc, 0);
    return cd.disc.play == CDM_PLAYING;
}

int check(uint32_t id) { return cd.open && id == kDeviceId ? PLAT_CD_OK : PLAT_CD_ERR_NOT_OPEN; }

} // namespace

void SDLC_Pump()
{
    if (!cd.open || !playing()) {
        return;
    }
    uint32_t track = 0, end = 0;
    {
        Lock lock;
        track = cd.disc.track;
        end = cd.disc.end;
    }
    drop_others();
    load(track);
    if (track + 1 < end) {
        load(track + 1);
    }
}

int PLAT_CdOpen(uint32_t *id)
{
    *id = 0;
    if (cd.open) {
        return PLAT_CD_ERR_NO_DEVICE;
    }
    cd = Cd{};
    cd.open = true;
    cd.mixing = SDLS_AddSource(SNDM_Source{mix, &cd});
    if (cd.mixing) {
        read_folder();
    }
    *id = kDeviceId;
    return 0;
}

int PLAT_CdClose(uint32_t id)
{
    if (int e = check(id)) {
        return e;
    }
    if (cd.mixing) {
        SDLS_RemoveSource(&cd);
    }
    cd = Cd{};
    return 0;
}

int PLAT_CdSetTimeFormatTmsf(uint32_t id) { return check(id); }

static int play(uint32_t id, uint32_t from, uint32_t to)
{
    if (int e = check(id)) {
        return e;
    }
    int error;
    {
        Lock lock;
        error = CDM_Play(cd.disc, PLAT_CdTmsfTrack(from), to);
    }
    if (error == 0) {
        drop_others();
        load(PLAT_CdTmsfTrack(from));
    }
    return error;
}

int PLAT_CdPlay(uint32_t id, uint32_t from, uint32_t to) { return play(id, from, PLAT_CdTmsfTrack(to)); }
int PLAT_CdPlayToEnd(uint32_t id, uint32_t from) { return play(id, from, 0); }

int PLAT_CdResume(uint32_t id)
{
    if (int e = check(id)) {
        return e;
    }
    Lock lock;
    return CDM_Resume(cd.disc);
}

int PLAT_CdStop(uint32_t id)
{
    if (int e = check(id)) {
        return e;
    }
    Lock lock;
    CDM_Stop(cd.disc);
    return 0;
}

int PLAT_CdPause(uint32_t id)
{
    if (int e = check(id)) {
        return e;
    }
    Lock lock;
    CDM_Pause(cd.disc);
    return 0;
}

int PLAT_CdSetDoor(uint32_t id, int open)
{
    if (int e = check(id)) {
        return e;
    }
    Lock lock;
    CDM_SetDoor(cd.disc, open != 0);
    return 0;
}

int PLAT_CdStatusMode(uint32_t id, int *mode)
{
    *mode = PLAT_CD_NOT_READY;
    if (int e = check(id)) {
        return e;
    }
    Lock lock;
    CDM_Advance(cd.disc, 0);
    *mode = CDM_Mode(cd.disc);
    return 0;
}

// The folder is read again while nothing plays: a changed folder is this drive's disc change.
int PLAT_CdStatusTrackCount(uint32_t id, uint32_t *count)
{
    *count = 0;
    if (int e = check(id)) {
        return e;
    }
    if (cd.mixing && !playing() && cd.disc.play != CDM_PAUSED) {
        const bool door_open = cd.disc.door_open;
        read_folder();
        cd.disc.door_open = door_open;
    }
    *count = CDM_Count(cd.disc);
    return 0;
}

int PLAT_CdErrorText(int error, char *text, uint32_t size) { return CDM_CopyText(CDM_ErrorText(error), text, size); }
