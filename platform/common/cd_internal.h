// Shared between the CD device's back-ends: the disc model (tracks, play range, position, door) that
// both advance by output frames, the device's error texts and the naming rules of track files.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Output frames a second, the same as the sound output's.
inline constexpr uint32_t CDM_RATE = 22050;
inline constexpr uint32_t CDM_MAX_TRACKS = 99;

enum CDM_Play { CDM_STOPPED, CDM_PLAYING, CDM_PAUSED };

struct CDM_Disc {
    std::vector<uint64_t> lengths; // output frames of tracks 1..count
    // The play range: from the start of `first` to the start of `end` (count + 1 = end of the disc).
    uint32_t first = 1;
    uint32_t end = 1;
    // The position: a track (count + 1 once past the last) and a frame in it.
    uint32_t track = 1;
    uint64_t frame = 0;
    CDM_Play play = CDM_STOPPED;
    bool door_open = false;
};

uint32_t CDM_Count(const CDM_Disc &disc);
// The mode a status query reports (a PLAT_CdMode).
int CDM_Mode(const CDM_Disc &disc);
// The verbs on the model; each answers a PLAT_CdError.
int CDM_Play(CDM_Disc &disc, uint32_t from, uint32_t to); // to = 0: to the end of the disc
int CDM_Resume(CDM_Disc &disc);
void CDM_Stop(CDM_Disc &disc);
void CDM_Pause(CDM_Disc &disc);
void CDM_SetDoor(CDM_Disc &disc, bool open);
// A new disc in the drive: stopped at the start of track 1.
void CDM_Load(CDM_Disc &disc, std::vector<uint64_t> lengths);

// Moves a playing disc on by `frames` output frames. For each stretch played, visit(track, first
// frame in the track, frames, offset into this advance) is called when given. Crossing a track
// boundary goes on into the next track of the range; reaching the range's end stops play there.
struct CDM_Visitor {
    void (*fn)(void *context, uint32_t track, uint64_t frame, uint32_t frames, uint32_t offset);
    void *context;
};
void CDM_Advance(CDM_Disc &disc, uint64_t frames, CDM_Visitor visit = {nullptr, nullptr});

// Adds `frames` decoded frames (left, right) of a track from `frame` on to the mixer's accumulator, at
// unity gain; frames past the samples add nothing.
void CDM_AddFrames(int64_t *acc, const std::vector<int16_t> &samples, uint64_t frame, uint32_t frames);

// The device's text for one of its own errors, or null.
const char *CDM_ErrorText(int error);
// Copies text (may be null) into the caller's buffer, cut to size - 1 and terminated; 1 when there
// was a text.
int CDM_CopyText(const char *text, char *out, uint32_t size);

// Track files: a tracks folder's listing, in directory-search order, to the track table. A name
// "track<N>.wav" in any case with N = 1..99, leading zeros allowed, names track N; the first such file
// for a number wins, folders and other names are ignored. The table has one entry per track up to the
// highest number found, "" where there is no file.
struct CDM_Entry {
    std::string name;
    bool is_directory;
};
int CDM_TrackNumber(const std::string &name); // 1..99, or 0 for any other name
std::vector<std::string> CDM_TrackTable(const std::vector<CDM_Entry> &listing);
