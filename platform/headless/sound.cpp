// Headless sound device: present only when a test says so; it mixes on the fake clock, fails calls as
// scripted, logs every call and captures the output on request.
#include <algorithm>
#include <vector>

#include "../common/sound_internal.h"
#include "internal.h"
#include "plat/test.h"
#include "plat/time.h"
#include "plat/window.h"

namespace {

struct SoundRule {
    int op;
    int nth;
    bool lost;
    int calls;
};

bool sound_present;
PLAT_SoundDevice *device; // the one open device
uint32_t last_ms;
uint64_t elapsed_ms;
uint64_t frames_done;
std::vector<SoundRule> rules;
std::vector<test::SoundCall> calls;
bool capture;
std::vector<int16_t> captured;

// Mixes the output frames the fake clock owes since the device opened.
void catch_up()
{
    if (device == nullptr) {
        return;
    }
    uint32_t now = PLAT_TimeMs();
    elapsed_ms += uint32_t(now - last_ms);
    last_ms = now;
    device->muted = device->window != nullptr && PLAT_HasFocus(device->window) == 0;
    uint64_t due = elapsed_ms * PLAT_SOUND_RATE / 1000;
    while (frames_done < due) {
        uint32_t n = uint32_t(std::min<uint64_t>(due - frames_done, capture ? 4096 : 0x40000000));
        if (capture) {
            size_t at = captured.size();
            captured.resize(at + size_t(n) * 2);
            SNDM_Mix(device, captured.data() + at, n);
        } else {
            SNDM_Mix(device, nullptr, n);
        }
        frames_done += n;
    }
}

// -1 when a rule fails this call, -2 when it makes a lock "lost", else 0.
int scripted(int op)
{
    int answer = 0;
    for (SoundRule &r : rules) {
        if (r.op != op) {
            continue;
        }
        r.calls++;
        if (answer == 0 && (r.nth == 0 || r.calls == r.nth)) {
            answer = r.lost && op == SNDM_OP_LOCK ? -2 : -1;
        }
    }
    return answer;
}

void log_call(int op, const PLAT_SoundBuffer *buffer, const int64_t *args, int count)
{
    calls.push_back(test::SoundCall{buffer != nullptr ? buffer->id : 0, test::SoundOp(op),
                                    std::vector<int64_t>(args, args + count)});
}

} // namespace

PLAT_SoundDevice *SNDB_Open()
{
    if (!sound_present || device != nullptr || scripted(SNDM_OP_OPEN) != 0) {
        return nullptr;
    }
    device = SNDM_NewDevice();
    last_ms = PLAT_TimeMs();
    elapsed_ms = 0;
    frames_done = 0;
    calls.clear();
    log_call(SNDM_OP_OPEN, nullptr, nullptr, 0);
    return device;
}

void SNDB_Close(PLAT_SoundDevice *d)
{
    if (d == device) {
        device = nullptr;
    }
    SNDM_DeleteDevice(d);
}

int SNDB_Enter(PLAT_SoundDevice *, int op, PLAT_SoundBuffer *buffer, const int64_t *args, int count)
{
    catch_up();
    log_call(op, buffer, args, count);
    return scripted(op);
}

void SNDB_Leave(PLAT_SoundDevice *) {}
void SNDB_Hold(PLAT_SoundDevice *, bool) {}

void HL_ResetSound()
{
    if (device != nullptr) {
        SNDM_DeleteDevice(device);
        device = nullptr;
    }
    sound_present = false;
    rules.clear();
    calls.clear();
    capture = false;
    captured.clear();
    SNDM_NextId = 1;
}

namespace test {

void SetSoundDevice(bool present) { sound_present = present; }
bool SoundDeviceOpen() { return device != nullptr; }

void FailSound(SoundOp op, int nth, bool lost) { rules.push_back(SoundRule{int(op), nth, lost, 0}); }

void MarkSoundLost(PLAT_SoundBuffer *buffer)
{
    catch_up();
    buffer->lost = true;
}

const std::vector<SoundCall> &SoundCalls() { return calls; }
void ClearSoundCalls() { calls.clear(); }

SoundBufferInfo InspectSound(PLAT_SoundBuffer *b)
{
    catch_up();
    return SoundBufferInfo{b->id,        b->primary, b->channels, b->rate, b->bits,
                           b->bytes,     b->data.data(), b->playing, b->looping, b->lost,
                           uint32_t((b->pos >> 16) * b->align), b->volume, b->pan};
}

int LiveSoundBuffers()
{
    catch_up();
    return SNDM_LiveBuffers();
}

void SetSoundCapture(bool on)
{
    catch_up();
    capture = on;
    captured.clear();
}

const std::vector<int16_t> &CapturedSound()
{
    catch_up();
    return captured;
}

} // namespace test
