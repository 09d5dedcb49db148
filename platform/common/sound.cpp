// The sound service on both back-ends: buffers with play cursors, lock and unlock, volume and pan, and
// the integer mixer that turns the playing buffers into 22,050 Hz stereo 16-bit output.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "sound_internal.h"

int SNDM_NextId = 1;

namespace {

int live_buffers;

uint64_t frames_of(const PLAT_SoundBuffer *b) { return b->bytes / b->align; }

void set_gains(PLAT_SoundBuffer *b)
{
    b->gain_left = SNDM_Gain(b->volume - std::max(b->pan, 0));
    b->gain_right = SNDM_Gain(b->volume + std::min(b->pan, 0));
}

// Runs a service call between the back-end's hooks; fn gets the Enter answer only when it is 0.
template <typename Fn>
int call(PLAT_SoundBuffer *buffer, int op, std::initializer_list<int64_t> args, Fn fn)
{
    if (buffer == nullptr) {
        return 0;
    }
    PLAT_SoundDevice *device = buffer->device;
    int entered = SNDB_Enter(device, op, buffer, args.begin(), int(args.size()));
    int result = entered == 0 ? fn() : 0;
    SNDB_Leave(device);
    return result;
}

inline int32_t sample(const uint8_t *data, uint64_t frame, int channel, int channels, int bits)
{
    if (bits == 16) {
        int16_t s;
        std::memcpy(&s, data + (frame * channels + channel) * 2, 2);
        return s;
    }
    return (int32_t(data[frame * channels + channel]) - 128) * 256;
}

// The four weights, in 1/65,536ths, of the frames before, at, after and two after the cursor for a
// point a 16-bit fraction of the way to the next frame, on the cubic through the four (each frame's
// slope that of its two neighbours). They sum to exactly 65,536, so a constant stays constant, and a
// straight line stays straight.
struct Weights {
    int64_t w[4];
};

inline Weights weights_at(uint32_t fraction)
{
    const int64_t t = fraction;
    const int64_t t2 = (t * t) >> 16;
    const int64_t t3 = (t2 * t) >> 16;
    Weights k;
    k.w[0] = (-t3 + 2 * t2 - t) >> 1;
    k.w[2] = (-3 * t3 + 4 * t2 + t) >> 1;
    k.w[3] = (t3 - t2) >> 1;
    k.w[1] = 65536 - k.w[0] - k.w[2] - k.w[3];
    return k;
}

inline int32_t between(const Weights &k, int32_t p0, int32_t p1, int32_t p2, int32_t p3)
{
    return int32_t((k.w[0] * p0 + k.w[1] * p1 + k.w[2] * p2 + k.w[3] * p3) >> 16);
}

// One buffer into the accumulator, moving its cursor; a one-shot buffer stops as its cursor reaches
// the end, a looping one wraps. An 11,025 Hz buffer is read between its frames on a cubic through the
// four nearest rather than each frame held twice, which would mirror every tone below 11,025 Hz into
// the top octave as an audible whistle (a straight line between two frames still leaves it at half
// the level); the cursor moves exactly as before. Past its ends a one-shot buffer holds its first and
// last frames, a looping buffer's last frame leads back to its first.
template <int CHANNELS, int BITS>
void mix_buffer(PLAT_SoundBuffer *b, int64_t *acc, uint32_t frames)
{
    const uint8_t *data = b->data.data();
    const uint64_t count = frames_of(b);
    const uint64_t end = count << 16;
    const int64_t gl = b->gain_left;
    const int64_t gr = b->gain_right;
    const bool looping = b->looping;
    auto after = [&](uint64_t f) { return f + 1 < count ? f + 1 : (looping ? 0 : f); };
    uint64_t pos = b->pos;
    for (uint32_t i = 0; i < frames; i++) {
        uint64_t f = pos >> 16;
        uint32_t fraction = uint32_t(pos & 0xFFFF);
        int32_t l = sample(data, f, 0, CHANNELS, BITS);
        int32_t r = CHANNELS == 2 ? sample(data, f, 1, CHANNELS, BITS) : l;
        if (fraction != 0) {
            const Weights k = weights_at(fraction);
            const uint64_t f0 = f > 0 ? f - 1 : (looping ? count - 1 : f);
            const uint64_t f2 = after(f);
            const uint64_t f3 = after(f2);
            l = between(k, sample(data, f0, 0, CHANNELS, BITS), l, sample(data, f2, 0, CHANNELS, BITS),
                        sample(data, f3, 0, CHANNELS, BITS));
            if (CHANNELS == 2) {
                r = between(k, sample(data, f0, 1, CHANNELS, BITS), r, sample(data, f2, 1, CHANNELS, BITS),
                            sample(data, f3, 1, CHANNELS, BITS));
            } else {
                r = l;
            }
        }
        acc[2 * i] += (int64_t(l) * gl + 0x8000) >> 16;
        acc[2 * i + 1] += (int64_t(r) * gr + 0x8000) >> 16;
        pos += b->step;
        if (pos >= end) {
            if (!b->looping) {
                b->playing = false;
                pos = 0;
                break;
            }
            pos -= end;
        }
    }
    b->pos = pos;
}

void advance_buffer(PLAT_SoundBuffer *b, uint32_t frames)
{
    const uint64_t end = frames_of(b) << 16;
    uint64_t pos = b->pos + uint64_t(frames) * b->step;
    if (pos >= end) {
        if (b->looping) {
            pos %= end;
        } else {
            b->playing = false;
            pos = 0;
        }
    }
    b->pos = pos;
}

bool valid_secondary(int channels, int rate, int bits, uint32_t bytes)
{
    if ((channels != 1 && channels != 2) || (bits != 8 && bits != 16) || (rate != 11025 && rate != 22050)) {
        return false;
    }
    uint32_t align = uint32_t(channels * bits / 8);
    return bytes > 0 && bytes % align == 0;
}

} // namespace

PLAT_SoundDevice *SNDM_NewDevice() { return new PLAT_SoundDevice{{}, nullptr, false, false, {}}; }

void SNDM_DeleteDevice(PLAT_SoundDevice *device)
{
    for (PLAT_SoundBuffer *b : device->buffers) {
        delete b;
        live_buffers--;
    }
    delete device;
}

int SNDM_LiveBuffers() { return live_buffers; }

int64_t SNDM_Gain(int32_t attenuation)
{
    if (attenuation <= -10000) {
        return 0;
    }
    return int64_t(std::llround(65536.0 * std::pow(10.0, attenuation / 2000.0)));
}

void SNDM_Mix(PLAT_SoundDevice *device, int16_t *out, uint32_t frames)
{
    // Without the focus the buffers play on in silence; the sources (CD audio) are still heard.
    const bool silent = out == nullptr || (device->muted && device->sources.empty());
    const bool buffers_silent = silent || device->muted;
    constexpr uint32_t CHUNK = 256;
    int64_t acc[CHUNK * 2];
    for (uint32_t done = 0; done < frames;) {
        uint32_t n = silent ? frames - done : std::min(CHUNK, frames - done);
        if (!silent) {
            std::fill(acc, acc + n * 2, 0);
        }
        for (PLAT_SoundBuffer *b : device->buffers) {
            if (!b->playing || b->primary) {
                continue;
            }
            if (buffers_silent) {
                advance_buffer(b, n);
            } else if (b->channels == 1 && b->bits == 16) {
                mix_buffer<1, 16>(b, acc, n);
            } else if (b->channels == 2 && b->bits == 16) {
                mix_buffer<2, 16>(b, acc, n);
            } else if (b->channels == 1) {
                mix_buffer<1, 8>(b, acc, n);
            } else {
                mix_buffer<2, 8>(b, acc, n);
            }
        }
        for (const SNDM_Source &s : device->sources) {
            s.mix(s.context, silent ? nullptr : acc, n);
        }
        if (out != nullptr) {
            int16_t *o = out + size_t(done) * 2;
            if (silent) {
                std::fill(o, o + n * 2, int16_t(0));
            } else {
                for (uint32_t i = 0; i < n * 2; i++) {
                    o[i] = int16_t(std::clamp<int64_t>(acc[i], -32768, 32767));
                }
            }
        }
        done += n;
    }
}

PLAT_SoundDevice *PLAT_SoundOpen() { return SNDB_Open(); }

void PLAT_SoundClose(PLAT_SoundDevice *device)
{
    if (device == nullptr) {
        return;
    }
    SNDB_Enter(device, SNDM_OP_CLOSE, nullptr, nullptr, 0);
    SNDB_Leave(device);
    SNDB_Close(device);
}

int PLAT_SoundCooperate(PLAT_SoundDevice *device, PLAT_Window *window)
{
    if (device == nullptr) {
        return 0;
    }
    int64_t arg = window != nullptr ? 1 : 0;
    int result = 0;
    if (SNDB_Enter(device, SNDM_OP_COOPERATE, nullptr, &arg, 1) == 0) {
        device->window = window;
        result = 1;
    }
    SNDB_Leave(device);
    return result;
}

PLAT_SoundBuffer *PLAT_SoundCreateBuffer(PLAT_SoundDevice *device, int primary, int channels, int rate, int bits,
                                         uint32_t bytes)
{
    if (device == nullptr) {
        return nullptr;
    }
    const int64_t args[] = {primary, channels, rate, bits, bytes};
    PLAT_SoundBuffer *b = nullptr;
    if (SNDB_Enter(device, SNDM_OP_CREATE, nullptr, args, 5) == 0 &&
        (primary != 0 || valid_secondary(channels, rate, bits, bytes))) {
        b = new PLAT_SoundBuffer{};
        b->device = device;
        b->id = SNDM_NextId++;
        b->primary = primary != 0;
        if (b->primary) {
            b->channels = PLAT_SOUND_CHANNELS;
            b->rate = PLAT_SOUND_RATE;
            b->bits = PLAT_SOUND_BITS;
            b->bytes = 0;
        } else {
            b->channels = channels;
            b->rate = rate;
            b->bits = bits;
            b->bytes = bytes;
            // Fresh buffers hold the format's silence.
            b->data.assign(bytes, bits == 8 ? 0x80 : 0);
        }
        b->align = uint32_t(b->channels * b->bits / 8);
        b->step = (uint64_t(b->rate) << 16) / PLAT_SOUND_RATE;
        set_gains(b);
        device->buffers.push_back(b);
        live_buffers++;
    }
    SNDB_Leave(device);
    return b;
}

void PLAT_SoundRelease(PLAT_SoundBuffer *buffer)
{
    if (buffer == nullptr) {
        return;
    }
    PLAT_SoundDevice *device = buffer->device;
    SNDB_Enter(device, SNDM_OP_RELEASE, buffer, nullptr, 0);
    if (buffer->locked) {
        SNDB_Hold(device, false);
    }
    std::erase(device->buffers, buffer);
    delete buffer;
    live_buffers--;
    SNDB_Leave(device);
}

int PLAT_SoundSetFormat(PLAT_SoundBuffer *buffer, int channels, int rate, int bits)
{
    return call(buffer, SNDM_OP_SET_FORMAT, {channels, rate, bits}, [&] {
        return buffer->primary && channels == PLAT_SOUND_CHANNELS && rate == PLAT_SOUND_RATE &&
                       bits == PLAT_SOUND_BITS
                   ? 1
                   : 0;
    });
}

int PLAT_SoundPlay(PLAT_SoundBuffer *buffer, int looping)
{
    return call(buffer, SNDM_OP_PLAY, {looping}, [&] {
        buffer->looping = looping != 0;
        buffer->playing = !buffer->primary;
        return 1;
    });
}

int PLAT_SoundStop(PLAT_SoundBuffer *buffer)
{
    return call(buffer, SNDM_OP_STOP, {}, [&] {
        buffer->playing = false;
        return 1;
    });
}

int PLAT_SoundSetPosition(PLAT_SoundBuffer *buffer, uint32_t bytes)
{
    return call(buffer, SNDM_OP_SET_POSITION, {bytes}, [&] {
        if (buffer->primary || bytes >= buffer->bytes) {
            return 0;
        }
        buffer->pos = uint64_t(bytes / buffer->align) << 16;
        return 1;
    });
}

int PLAT_SoundGetPosition(PLAT_SoundBuffer *buffer, uint32_t *bytes)
{
    return call(buffer, SNDM_OP_GET_POSITION, {}, [&] {
        *bytes = uint32_t((buffer->pos >> 16) * buffer->align);
        return 1;
    });
}

int PLAT_SoundGetStatus(PLAT_SoundBuffer *buffer, uint32_t *status)
{
    return call(buffer, SNDM_OP_GET_STATUS, {}, [&] {
        uint32_t s = 0;
        if (buffer->playing && !buffer->device->dead) {
            s |= PLAT_SOUND_PLAYING | (buffer->looping ? PLAT_SOUND_LOOPING : 0);
        }
        if (buffer->lost) {
            s |= PLAT_SOUND_LOST;
        }
        *status = s;
        return 1;
    });
}

int PLAT_SoundSetVolume(PLAT_SoundBuffer *buffer, int32_t volume)
{
    return call(buffer, SNDM_OP_SET_VOLUME, {volume}, [&] {
        if (volume < -10000 || volume > 0) {
            return 0;
        }
        buffer->volume = volume;
        set_gains(buffer);
        return 1;
    });
}

int PLAT_SoundSetPan(PLAT_SoundBuffer *buffer, int32_t pan)
{
    return call(buffer, SNDM_OP_SET_PAN, {pan}, [&] {
        if (pan < -10000 || pan > 10000) {
            return 0;
        }
        buffer->pan = pan;
        set_gains(buffer);
        return 1;
    });
}

int PLAT_SoundLockBuffer(PLAT_SoundBuffer *buffer, uint32_t offset, uint32_t bytes, PLAT_SoundLock *lock)
{
    if (buffer == nullptr) {
        return PLAT_SOUND_LOCK_FAIL;
    }
    PLAT_SoundDevice *device = buffer->device;
    const int64_t args[] = {offset, bytes};
    int entered = SNDB_Enter(device, SNDM_OP_LOCK, buffer, args, 2);
    int result = PLAT_SOUND_LOCK_FAIL;
    if (entered == -2 || (entered == 0 && buffer->lost)) {
        result = PLAT_SOUND_LOCK_LOST;
    } else if (entered == 0 && !buffer->primary && !buffer->locked && bytes != 0 && bytes <= buffer->bytes &&
               offset < buffer->bytes) {
        uint32_t first = std::min(bytes, buffer->bytes - offset);
        uint8_t *base = buffer->data.data();
        buffer->lock = PLAT_SoundLock{base + offset, first, first < bytes ? base : nullptr, bytes - first};
        buffer->locked = true;
        *lock = buffer->lock;
        SNDB_Hold(device, true);
        result = PLAT_SOUND_LOCK_OK;
    }
    SNDB_Leave(device);
    return result;
}

int PLAT_SoundUnlockBuffer(PLAT_SoundBuffer *buffer, const PLAT_SoundLock &lock)
{
    return call(buffer, SNDM_OP_UNLOCK, {lock.size1, lock.size2}, [&] {
        const PLAT_SoundLock &held = buffer->lock;
        if (!buffer->locked || lock.part1 != held.part1 || lock.size1 != held.size1 || lock.part2 != held.part2 ||
            lock.size2 != held.size2) {
            return 0;
        }
        buffer->locked = false;
        SNDB_Hold(buffer->device, false);
        return 1;
    });
}

int PLAT_SoundRestore(PLAT_SoundBuffer *buffer)
{
    return call(buffer, SNDM_OP_RESTORE, {}, [&] {
        buffer->lost = false;
        return 1;
    });
}
