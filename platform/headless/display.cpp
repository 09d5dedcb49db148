// Headless display: memory bitmaps and a scripted full-screen display whose presents and flips are
// captured for tests. Objects are heap records freed on release, so a use after release is caught
// by the address sanitizer.
#include <cstring>
#include <functional>
#include <vector>

#include "plat/display.h"
#include "plat/test.h"

#include "internal.h"

struct PLAT_Dib {
    int width;
    int height;
    std::vector<uint16_t> pixels;
};

struct PLAT_Dc {
    PLAT_Dib *selected;
};

struct PLAT_DirectDraw {
    int unused;
};

struct PLAT_DirectDraw2 {
    int unused;
};

struct PLAT_Surface {
    int width;
    int height;
    int32_t pitch;
    std::vector<uint8_t> bytes;
    PLAT_Surface *back; // the primary's back buffer; null for the back buffer itself
};

namespace {

const std::vector<test::DisplayMode> default_modes = {
    {640, 480, 60, 0xF800, 0x07E0, 0x001F}, {800, 600, 60, 0xF800, 0x07E0, 0x001F},
    {640, 400, 60, 0xF800, 0x07E0, 0x001F}, {400, 300, 60, 0xF800, 0x07E0, 0x001F},
    {320, 400, 60, 0xF800, 0x07E0, 0x001F}, {320, 200, 60, 0xF800, 0x07E0, 0x001F},
};

struct Failure {
    bool armed;
    int skip;
};

Failure failures[int(test::Call::Count)];
std::vector<test::DisplayMode> modes;
bool masks_overridden;
uint32_t override_masks[3];
int32_t back_pitch;
std::vector<int> flip_script;
size_t flip_next;
std::vector<test::Present> presents;
int present_count;
std::vector<test::Flip> flips;
int flip_count;
test::DisplayCounts counts;
test::ModeSet last_mode;
const test::DisplayMode *current_mode;
bool capture = true;
std::function<void(int)> present_hook;

constexpr size_t kKept = 8;

template <typename T> void keep_last(std::vector<T> &list, T item)
{
    list.push_back(std::move(item));
    if (list.size() > kKept) {
        list.erase(list.begin());
    }
}

} // namespace

bool HL_ShouldFail(int call)
{
    Failure &f = failures[call];
    if (!f.armed) {
        return false;
    }
    if (f.skip > 0) {
        f.skip--;
        return false;
    }
    f.armed = false;
    return true;
}

void HL_ResetDisplay()
{
    for (Failure &f : failures) {
        f = Failure{false, 0};
    }
    modes = default_modes;
    masks_overridden = false;
    back_pitch = 0;
    flip_script.clear();
    flip_next = 0;
    presents.clear();
    present_count = 0;
    flips.clear();
    flip_count = 0;
    counts = test::DisplayCounts{};
    last_mode = test::ModeSet{};
    current_mode = nullptr;
    capture = true;
    present_hook = nullptr;
}

PLAT_Dc *PLAT_CreateMemoryDc()
{
    if (HL_ShouldFail(int(test::Call::CreateDc))) {
        return nullptr;
    }
    counts.dc_made++;
    return new PLAT_Dc{nullptr};
}

void PLAT_DeleteDc(PLAT_Dc *dc)
{
    if (dc != nullptr) {
        counts.dc_deleted++;
        delete dc;
    }
}

PLAT_Dib *PLAT_CreateDib(PLAT_Dc *, int width, int height, uint16_t **bits)
{
    if (width <= 0 || height <= 0 || HL_ShouldFail(int(test::Call::CreateDib))) {
        return nullptr;
    }
    counts.dib_made++;
    // Fresh bitmap memory holds a pattern, so that a caller that forgets to clear it is seen.
    auto *dib = new PLAT_Dib{width, height, std::vector<uint16_t>(size_t(width) * size_t(height), 0xA5A5)};
    *bits = dib->pixels.data();
    return dib;
}

void PLAT_DeleteDib(PLAT_Dib *dib)
{
    if (dib != nullptr) {
        counts.dib_deleted++;
        delete dib;
    }
}

PLAT_Dib *PLAT_SelectDib(PLAT_Dc *dc, PLAT_Dib *dib)
{
    PLAT_Dib *before = dc->selected;
    dc->selected = dib;
    return before;
}

void PLAT_StretchDib(PLAT_Window *, PLAT_Dc *dc, int width, int height, int dest_width, int dest_height)
{
    present_count++;
    if (capture) {
        test::Present p{width, height, {}, dest_width, dest_height};
        const PLAT_Dib *dib = dc->selected;
        if (dib != nullptr) {
            for (int y = 0; y < height && y < dib->height; y++) {
                for (int x = 0; x < width && x < dib->width; x++) {
                    p.pixels.push_back(dib->pixels[size_t(y) * size_t(dib->width) + size_t(x)]);
                }
            }
        }
        keep_last(presents, std::move(p));
    }
    if (present_hook) {
        present_hook(present_count - 1);
    }
}

PLAT_DirectDraw *PLAT_DDCreate()
{
    if (HL_ShouldFail(int(test::Call::DDCreate))) {
        return nullptr;
    }
    counts.dd_made++;
    return new PLAT_DirectDraw{};
}

PLAT_DirectDraw2 *PLAT_DDQueryInterface2(PLAT_DirectDraw *)
{
    if (HL_ShouldFail(int(test::Call::DDQueryInterface2))) {
        return nullptr;
    }
    counts.dd2_made++;
    return new PLAT_DirectDraw2{};
}

int PLAT_DDSetCooperativeLevel(PLAT_DirectDraw2 *, PLAT_Window *)
{
    return HL_ShouldFail(int(test::Call::DDCooperativeLevel)) ? 0 : 1;
}

void PLAT_DDEnumModes(PLAT_DirectDraw2 *, int width, int height, uint32_t red_mask, uint32_t green_mask,
                      uint32_t blue_mask, PLAT_ModeCallback callback, void *context)
{
    for (const test::DisplayMode &m : modes) {
        if (m.width == width && m.height == height && m.red_mask == red_mask && m.green_mask == green_mask &&
            m.blue_mask == blue_mask) {
            if (!callback(m.width, m.height, m.refresh, m.red_mask, m.green_mask, m.blue_mask, context)) {
                return;
            }
        }
    }
}

int PLAT_DDSetDisplayMode(PLAT_DirectDraw2 *, int width, int height, int bits, int refresh)
{
    if (HL_ShouldFail(int(test::Call::DDSetDisplayMode))) {
        return 0;
    }
    // The display takes the first mode it offers of that size.
    for (const test::DisplayMode &m : modes) {
        if (m.width == width && m.height == height) {
            current_mode = &m;
            last_mode = test::ModeSet{width, height, bits, refresh};
            counts.mode_sets++;
            return 1;
        }
    }
    return 0;
}

int PLAT_DDGetDisplayMasks(PLAT_DirectDraw2 *, uint32_t *red_mask, uint32_t *green_mask, uint32_t *blue_mask)
{
    if (current_mode == nullptr || HL_ShouldFail(int(test::Call::DDGetDisplayMasks))) {
        return 0;
    }
    if (masks_overridden) {
        *red_mask = override_masks[0];
        *green_mask = override_masks[1];
        *blue_mask = override_masks[2];
    } else {
        *red_mask = current_mode->red_mask;
        *green_mask = current_mode->green_mask;
        *blue_mask = current_mode->blue_mask;
    }
    return 1;
}

static PLAT_Surface *make_surface(int width, int height)
{
    const int32_t pitch = back_pitch != 0 ? back_pitch : width * 2;
    return new PLAT_Surface{width, height, pitch, std::vector<uint8_t>(size_t(pitch) * size_t(height), 0xCD),
                            nullptr};
}

PLAT_Surface *PLAT_DDCreateFlipChain(PLAT_DirectDraw2 *)
{
    if (current_mode == nullptr || HL_ShouldFail(int(test::Call::DDCreateFlipChain))) {
        return nullptr;
    }
    counts.chain_made++;
    PLAT_Surface *primary = make_surface(current_mode->width, current_mode->height);
    primary->back = make_surface(current_mode->width, current_mode->height);
    return primary;
}

PLAT_Surface *PLAT_DDGetBackSurface(PLAT_Surface *primary)
{
    if (HL_ShouldFail(int(test::Call::DDGetBackSurface))) {
        return nullptr;
    }
    return primary->back;
}

int PLAT_DDLock(PLAT_Surface *surface, uint8_t **pixels, int32_t *pitch)
{
    if (HL_ShouldFail(int(test::Call::DDLock))) {
        return 0;
    }
    counts.locks++;
    *pixels = surface->bytes.data();
    *pitch = surface->pitch;
    return 1;
}

void PLAT_DDUnlock(PLAT_Surface *) { counts.unlocks++; }

int PLAT_DDFlip(PLAT_Surface *primary)
{
    const int result = flip_next < flip_script.size() ? flip_script[flip_next++] : PLAT_FLIP_OK;
    flip_count++;
    if (capture) {
        const PLAT_Surface *back = primary->back;
        keep_last(flips, test::Flip{back->width, back->height, back->pitch, back->bytes, result});
    }
    if (present_hook) {
        present_hook(flip_count - 1);
    }
    return result;
}

int PLAT_DDRestore(PLAT_Surface *)
{
    counts.restores++;
    return 1;
}

void PLAT_DDReleaseSurface(PLAT_Surface *surface)
{
    if (surface != nullptr) {
        // The chain goes as one: the back buffer with its primary.
        counts.chain_released++;
        delete surface->back;
        delete surface;
    }
}

void PLAT_DDRelease2(PLAT_DirectDraw2 *dd)
{
    if (dd != nullptr) {
        counts.dd2_released++;
        delete dd;
    }
}

void PLAT_DDRelease(PLAT_DirectDraw *dd)
{
    if (dd != nullptr) {
        counts.dd_released++;
        delete dd;
    }
}

void PLAT_SetPresentPacing(int) {}

namespace test {

void FailCall(Call call, int skip) { failures[int(call)] = Failure{true, skip}; }
void SetDisplayModes(const std::vector<DisplayMode> &list)
{
    modes = list;
    current_mode = nullptr;
}
void SetMasksAfterSet(uint32_t red_mask, uint32_t green_mask, uint32_t blue_mask)
{
    masks_overridden = true;
    override_masks[0] = red_mask;
    override_masks[1] = green_mask;
    override_masks[2] = blue_mask;
}
void SetBackPitch(int32_t pitch) { back_pitch = pitch; }
void ScriptFlips(const std::vector<int> &results)
{
    flip_script = results;
    flip_next = 0;
}
const std::vector<Present> &Presents() { return presents; }
int PresentCount() { return present_count; }
const std::vector<Flip> &Flips() { return flips; }
int FlipCount() { return flip_count; }
void SetFrameCapture(bool on) { capture = on; }
void SetPresentHook(std::function<void(int index)> hook) { present_hook = std::move(hook); }
const DisplayCounts &Counts() { return counts; }
const ModeSet &LastModeSet() { return last_mode; }

} // namespace test
