// Headless CD device: present only when a test says so; it plays a scripted disc on the fake clock,
// fails calls as scripted, logs every command and records the beeps.
#include <map>

#include "../common/cd_internal.h"
#include "internal.h"
#include "plat/cd.h"
#include "plat/dialog.h"
#include "plat/test.h"
#include "plat/time.h"

namespace {

constexpr uint32_t kDeviceId = 1;
constexpr uint32_t kDefaultTrackMs = 60000;

struct CdRule {
    test::CdVerb verb;
    int nth;
    int error;
    int calls;
};

bool present;
bool open;
CDM_Disc disc;
std::vector<uint32_t> disc_ms; // the disc in the drive, put in at the next status query
bool disc_changed;
int forced_mode = -1;
uint32_t last_ms;
uint64_t elapsed_ms;
uint64_t frames_done;
std::vector<CdRule> rules;
std::map<int, std::string> texts;
std::vector<test::CdCommand> commands;
std::vector<test::CdPlay> plays;
std::vector<test::Beep> beeps;

std::vector<uint64_t> frames_of(const std::vector<uint32_t> &ms)
{
    std::vector<uint64_t> out;
    for (uint32_t m : ms) {
        out.push_back(uint64_t(m) * CDM_RATE / 1000);
    }
    return out;
}

// Plays the output frames the fake clock owes since the device opened.
void catch_up()
{
    const uint32_t now = PLAT_TimeMs();
    elapsed_ms += uint32_t(now - last_ms);
    last_ms = now;
    const uint64_t due = elapsed_ms * CDM_RATE / 1000;
    if (due > frames_done) {
        CDM_Advance(disc, due - frames_done);
        frames_done = due;
    }
}

// Logs the command, then answers the scripted error of its turn, or 0.
int enter(test::CdVerb verb, uint32_t id, uint32_t from = 0, uint32_t to = 0, bool has_to = false)
{
    catch_up();
    int error = 0;
    for (CdRule &r : rules) {
        if (r.verb != verb) {
            continue;
        }
        r.calls++;
        if (error == 0 && (r.nth == 0 || r.calls == r.nth)) {
            error = r.error;
        }
    }
    if (error == 0 && verb != test::CdVerb::Open && (!open || id != kDeviceId)) {
        error = PLAT_CD_ERR_NOT_OPEN;
    }
    commands.push_back(test::CdCommand{verb, from, to, has_to, error});
    return error;
}

// A disc changed by a test is seen by the next status query.
void take_new_disc()
{
    if (disc_changed) {
        CDM_Load(disc, frames_of(disc_ms));
        disc_changed = false;
    }
}

// Any command that moves the drive ends a mode forced by a test.
int moved(int error)
{
    if (error == 0) {
        forced_mode = -1;
    }
    return error;
}

} // namespace

int PLAT_CdOpen(uint32_t *id)
{
    *id = 0;
    int error = enter(test::CdVerb::Open, 0);
    if (error == 0 && (!present || open)) {
        error = PLAT_CD_ERR_NO_DEVICE;
        commands.back().error = error;
    }
    if (error != 0) {
        return error;
    }
    open = true;
    last_ms = PLAT_TimeMs();
    elapsed_ms = frames_done = 0;
    *id = kDeviceId;
    return 0;
}

int PLAT_CdClose(uint32_t id)
{
    const int error = enter(test::CdVerb::Close, id);
    if (error == 0) {
        open = false;
        CDM_Stop(disc);
    }
    return error;
}

int PLAT_CdSetTimeFormatTmsf(uint32_t id) { return enter(test::CdVerb::SetTmsf, id); }

int PLAT_CdPlay(uint32_t id, uint32_t from, uint32_t to)
{
    plays.push_back(test::CdPlay{int(from), int(to)});
    int error = enter(test::CdVerb::Play, id, from, to, true);
    if (error == 0) {
        error = CDM_Play(disc, PLAT_CdTmsfTrack(from), PLAT_CdTmsfTrack(to));
        commands.back().error = error;
    }
    return moved(error);
}

int PLAT_CdPlayToEnd(uint32_t id, uint32_t from)
{
    plays.push_back(test::CdPlay{int(from), 0});
    int error = enter(test::CdVerb::Play, id, from);
    if (error == 0) {
        error = CDM_Play(disc, PLAT_CdTmsfTrack(from), 0);
        commands.back().error = error;
    }
    return moved(error);
}

int PLAT_CdResume(uint32_t id)
{
    int error = enter(test::CdVerb::Resume, id);
    if (error == 0) {
        error = CDM_Resume(disc);
        commands.back().error = error;
    }
    return moved(error);
}

int PLAT_CdStop(uint32_t id)
{
    const int error = enter(test::CdVerb::Stop, id);
    if (error == 0) {
        CDM_Stop(disc);
    }
    return moved(error);
}

int PLAT_CdPause(uint32_t id)
{
    const int error = enter(test::CdVerb::Pause, id);
    if (error == 0) {
        CDM_Pause(disc);
    }
    return moved(error);
}

int PLAT_CdSetDoor(uint32_t id, int open_door)
{
    const int error = enter(open_door != 0 ? test::CdVerb::DoorOpen : test::CdVerb::DoorClosed, id);
    if (error == 0) {
        CDM_SetDoor(disc, open_door != 0);
    }
    return moved(error);
}

int PLAT_CdStatusMode(uint32_t id, int *mode)
{
    *mode = PLAT_CD_NOT_READY;
    const int error = enter(test::CdVerb::Mode, id);
    if (error == 0) {
        take_new_disc();
        *mode = forced_mode >= 0 ? forced_mode : CDM_Mode(disc);
    }
    return error;
}

int PLAT_CdStatusTrackCount(uint32_t id, uint32_t *count)
{
    *count = 0;
    const int error = enter(test::CdVerb::TrackCount, id);
    if (error == 0) {
        take_new_disc();
        *count = CDM_Count(disc);
    }
    return error;
}

int PLAT_CdErrorText(int error, char *text, uint32_t size)
{
    auto it = texts.find(error);
    return CDM_CopyText(it != texts.end() ? it->second.c_str() : CDM_ErrorText(error), text, size);
}

void PLAT_Beep(int icon) { beeps.push_back(test::Beep{icon, test::MessageBoxes().size()}); }

void HL_ResetAudio()
{
    HL_ResetSound();
    present = open = false;
    disc = CDM_Disc{};
    disc_ms.clear();
    disc_changed = false;
    forced_mode = -1;
    rules.clear();
    texts.clear();
    commands.clear();
    plays.clear();
    beeps.clear();
}

namespace test {

void SetCdDevice(bool is_present, int tracks)
{
    SetCdDevice(is_present, std::vector<uint32_t>(size_t(std::max(tracks, 0)), kDefaultTrackMs));
}

void SetCdDevice(bool is_present, const std::vector<uint32_t> &track_ms)
{
    present = is_present;
    disc_ms = track_ms;
    disc_changed = false;
    CDM_Load(disc, frames_of(track_ms));
}

void ChangeCdDisc(const std::vector<uint32_t> &track_ms)
{
    disc_ms = track_ms;
    disc_changed = true;
}

void SetCdMode(int mode) { forced_mode = mode; }

void FailCd(CdVerb verb, int nth, int error, const char *text)
{
    rules.push_back(CdRule{verb, nth, error, 0});
    if (text != nullptr) {
        texts[error] = text;
    }
}

bool CdDeviceOpen() { return open; }
const std::vector<CdCommand> &CdCommands() { return commands; }
void ClearCdCommands() { commands.clear(); }
const std::vector<CdPlay> &CdPlays() { return plays; }

CdState InspectCd()
{
    catch_up();
    return CdState{open,       disc.first,     disc.end,       disc.track,
                   disc.frame, forced_mode >= 0 ? forced_mode : CDM_Mode(disc), disc.door_open, CDM_Count(disc)};
}

const std::vector<Beep> &Beeps() { return beeps; }

} // namespace test
