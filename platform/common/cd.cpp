// The CD device on both back-ends: the disc model that plays tracks by output frames, the device's
// error texts and the naming rules of the player's track files.
#include <algorithm>
#include <cstring>

#include "cd_internal.h"
#include "plat/cd.h"

uint32_t CDM_Count(const CDM_Disc &disc) { return uint32_t(disc.lengths.size()); }

int CDM_Mode(const CDM_Disc &disc)
{
    if (disc.door_open) {
        return PLAT_CD_DOOR_OPEN;
    }
    switch (disc.play) {
    case CDM_PLAYING:
        return PLAT_CD_PLAYING;
    case CDM_PAUSED:
        return PLAT_CD_PAUSED;
    default:
        return PLAT_CD_STOPPED;
    }
}

int CDM_Play(CDM_Disc &disc, uint32_t from, uint32_t to)
{
    if (disc.door_open) {
        return PLAT_CD_ERR_NOT_READY;
    }
    const uint32_t count = CDM_Count(disc);
    if (from < 1 || from > count) {
        return PLAT_CD_ERR_BAD_TRACK;
    }
    // An end outside the disc, or not after the start, plays to the end of the disc.
    disc.first = from;
    disc.end = (to == 0 || to > count || to <= from) ? count + 1 : to;
    disc.track = from;
    disc.frame = 0;
    disc.play = CDM_PLAYING;
    CDM_Advance(disc, 0);
    return PLAT_CD_OK;
}

int CDM_Resume(CDM_Disc &disc)
{
    if (disc.door_open) {
        return PLAT_CD_ERR_NOT_READY;
    }
    disc.end = CDM_Count(disc) + 1;
    if (disc.track < disc.end) {
        disc.play = CDM_PLAYING;
        CDM_Advance(disc, 0);
    } else {
        disc.play = CDM_STOPPED;
    }
    return PLAT_CD_OK;
}

void CDM_Stop(CDM_Disc &disc) { disc.play = CDM_STOPPED; }

void CDM_Pause(CDM_Disc &disc)
{
    if (disc.play == CDM_PLAYING) {
        disc.play = CDM_PAUSED;
    }
}

void CDM_SetDoor(CDM_Disc &disc, bool open)
{
    if (open) {
        disc.play = CDM_STOPPED;
    }
    disc.door_open = open;
}

void CDM_Load(CDM_Disc &disc, std::vector<uint64_t> lengths)
{
    disc.lengths = std::move(lengths);
    disc.first = disc.end = disc.track = 1;
    disc.frame = 0;
    disc.play = CDM_STOPPED;
}

void CDM_Advance(CDM_Disc &disc, uint64_t frames, CDM_Visitor visit)
{
    uint64_t offset = 0;
    while (disc.play == CDM_PLAYING) {
        if (disc.track >= disc.end || disc.track > CDM_Count(disc)) {
            disc.play = CDM_STOPPED;
            break;
        }
        const uint64_t length = disc.lengths[disc.track - 1];
        if (disc.frame >= length) {
            disc.track++;
            disc.frame = 0;
            continue;
        }
        if (offset == frames) {
            break;
        }
        const uint64_t n = std::min(length - disc.frame, frames - offset);
        if (visit.fn != nullptr) {
            visit.fn(visit.context, disc.track, disc.frame, uint32_t(n), uint32_t(offset));
        }
        disc.frame += n;
        offset += n;
    }
}

void CDM_AddFrames(int64_t *acc, const std::vector<int16_t> &samples, uint64_t frame, uint32_t frames)
{
    const size_t from = size_t(std::min<uint64_t>(frame * 2, samples.size()));
    const size_t n = std::min(size_t(frames) * 2, samples.size() - from);
    const int16_t *s = samples.data() + from;
    for (size_t i = 0; i < n; i++) {
        acc[i] += s[i];
    }
}

const char *CDM_ErrorText(int error)
{
    switch (error) {
    case PLAT_CD_ERR_NO_DEVICE:
        return "There is no CD audio device.";
    case PLAT_CD_ERR_NOT_OPEN:
        return "The CD audio device is not open.";
    case PLAT_CD_ERR_NOT_READY:
        return "The CD drive is not ready.";
    case PLAT_CD_ERR_BAD_TRACK:
        return "The track is not on the disc.";
    default:
        return nullptr;
    }
}

int CDM_CopyText(const char *text, char *out, uint32_t size)
{
    if (size == 0) {
        return text != nullptr ? 1 : 0;
    }
    const size_t n = text != nullptr ? strnlen(text, size - 1) : 0;
    std::memcpy(out, text != nullptr ? text : "", n);
    out[n] = 0;
    return text != nullptr ? 1 : 0;
}

int CDM_TrackNumber(const std::string &name)
{
    static const char prefix[] = "track";
    static const char suffix[] = ".wav";
    const size_t p = sizeof prefix - 1, s = sizeof suffix - 1;
    if (name.size() <= p + s) {
        return 0;
    }
    for (size_t i = 0; i < p; i++) {
        if ((name[i] | 0x20) != prefix[i]) {
            return 0;
        }
    }
    const size_t tail = name.size() - s;
    for (size_t i = 0; i < s; i++) {
        const char c = name[tail + i];
        if ((c == '.' ? c : char(c | 0x20)) != suffix[i]) {
            return 0;
        }
    }
    int number = 0;
    for (size_t i = p; i < tail; i++) {
        const char c = name[i];
        if (c < '0' || c > '9') {
            return 0;
        }
        number = number * 10 + (c - '0');
        if (number > int(CDM_MAX_TRACKS)) {
            return 0;
        }
    }
    return number;
}

std::vector<std::string> CDM_TrackTable(const std::vector<CDM_Entry> &listing)
{
    std::vector<std::string> table;
    for (const CDM_Entry &e : listing) {
        const int n = e.is_directory ? 0 : CDM_TrackNumber(e.name);
        if (n == 0) {
            continue;
        }
        if (table.size() < size_t(n)) {
            table.resize(size_t(n));
        }
        if (table[size_t(n) - 1].empty()) {
            table[size_t(n) - 1] = e.name;
        }
    }
    return table;
}
