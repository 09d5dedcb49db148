// The display back-ends. Everything draws into one 16-bit frame buffer in memory; the window
// back-end keeps it as a bitmap and stretches it into the window, the full-screen back-end copies it
// into the back surface of a flipping chain.
#include "core/dsp.h"

#include <cstdint>
#include <cstring>

#include "core/scr.h"
#include "core/win.h"
#include "plat/dialog.h"
#include "plat/display.h"
#include "plat/window.h"

int32_t DSP_BackEnd;
int32_t DSP_Rgb555;
uint8_t *HNM_TargetTexture;

DSP_Mode DSP_ModeTable[10] = {
    {0, 640, 480, 16, 0}, {0, 640, 480, 15, 0}, {0, 640, 400, 16, 0}, {0, 640, 400, 15, 0},
    {0, 400, 300, 16, 0}, {0, 400, 300, 15, 0}, {0, 320, 400, 16, 0}, {0, 320, 400, 15, 0},
    {0, 320, 200, 16, 0}, {0, 320, 200, 15, 0},
};

static constexpr int32_t kMaxWidth = 640;
static constexpr int32_t kMaxHeight = 480;

// Window back-end.
static PLAT_Dc *gdi_context;
static PLAT_Dib *gdi_dib;
static PLAT_Dib *gdi_replaced; // what the context held before our bitmap

// Full-screen back-end. Its frame buffer has the size of the largest mode and serves every mode; it
// outlives the display objects, so drawing after a failure still has somewhere to go.
static PLAT_DirectDraw *dd_object;
static PLAT_DirectDraw2 *dd_interface;
static PLAT_Surface *dd_primary;
static PLAT_Surface *dd_back;
static uint16_t dd_frame[kMaxWidth * kMaxHeight];

int DSP_Start()
{
    DSP_Stop();
    const int result = DSP_BackEnd == 1 ? DSP_StartGdi() : DSP_StartDirectDraw();
    return result;
}

void DSP_Stop()
{
    if (gdi_dib != nullptr) {
        PLAT_SelectDib(gdi_context, gdi_replaced);
        PLAT_DeleteDib(gdi_dib);
        // The bitmap's pixels are gone with it.
        if (SCR_FrameBuffer != dd_frame) {
            SCR_FrameBuffer = nullptr;
            SCR_ShownFrame = nullptr;
        }
        gdi_dib = nullptr;
        gdi_replaced = nullptr;
    }
    if (gdi_context != nullptr) {
        PLAT_DeleteDc(gdi_context);
        gdi_context = nullptr;
    }
    if (dd_primary != nullptr) {
        PLAT_DDReleaseSurface(dd_primary);
        dd_primary = nullptr;
    }
    dd_back = nullptr; // released with its primary
    if (dd_interface != nullptr) {
        PLAT_DDRelease2(dd_interface);
        dd_interface = nullptr;
    }
    if (dd_object != nullptr) {
        PLAT_DDRelease(dd_object);
        dd_object = nullptr;
    }
}

int DSP_SetMode(int32_t width, int32_t height)
{
    // Checked first, whatever the back-end: the full-screen frame buffer is a fixed 640x480 block
    // and every copy out of it trusts this size.
    if (width <= 0 || height <= 0 || width > kMaxWidth || height > kMaxHeight) {
        return 0;
    }
    const int result = DSP_BackEnd == 1 ? DSP_SetModeGdi(width, height) : DSP_SetModeDirectDraw(width, height);
    if (result) {
        WIN_Width = width;
        WIN_Height = height;
    }
    return result;
}

void DSP_Present()
{
    if (DSP_BackEnd == 1) {
        DSP_PresentGdi();
    } else {
        DSP_PresentDirectDraw();
    }
}

// Direct drawing goes to the frame buffer in memory either way; the lock only keeps the display
// from reading the back surface meanwhile.
void DSP_BeginDraw()
{
    if (DSP_BackEnd == 1 || dd_interface == nullptr || dd_back == nullptr) {
        return;
    }
    uint8_t *pixels = nullptr;
    int32_t pitch = 0;
    PLAT_DDLock(dd_back, &pixels, &pitch);
}

void DSP_EndDraw()
{
    if (DSP_BackEnd == 1 || dd_interface == nullptr || dd_back == nullptr) {
        return;
    }
    PLAT_DDUnlock(dd_back);
}

void DSP_DirectDrawError(const char *text)
{
    DSP_Stop();
    PLAT_MessageBox(nullptr, text, "DIRECT DRAW ERROR", PLAT_ICON_WARNING);
}

int DSP_StartGdi()
{
    gdi_context = PLAT_CreateMemoryDc();
    if (gdi_context == nullptr) {
        return 0;
    }
    return DSP_CreateDib(WIN_Width, WIN_Height);
}

// The new bitmap is made before the old one goes: when it cannot be made, the mode is refused and
// the picture keeps its buffer, size and contents.
int DSP_CreateDib(int32_t width, int32_t height)
{
    uint16_t *bits = nullptr;
    PLAT_Dib *dib = PLAT_CreateDib(gdi_context, width, height, &bits);
    if (dib == nullptr) {
        return 0;
    }
    if (gdi_dib != nullptr) {
        PLAT_SelectDib(gdi_context, gdi_replaced);
        PLAT_DeleteDib(gdi_dib);
    }
    WIN_Width = width;
    WIN_Height = height;
    gdi_replaced = PLAT_SelectDib(gdi_context, dib);
    gdi_dib = dib;
    SCR_FrameBuffer = bits;
    SCR_ShownFrame = bits;
    std::memset(bits, 0, size_t(width) * size_t(height) * 2);
    return 1;
}

int DSP_SetModeGdi(int32_t width, int32_t height)
{
    if (width > kMaxWidth || height > kMaxHeight || gdi_context == nullptr) {
        return 0;
    }
    return DSP_CreateDib(width, height);
}

void DSP_PresentGdi()
{
    if (gdi_dib == nullptr) {
        return;
    }
    int client_width = 0;
    int client_height = 0;
    PLAT_ClientSize(WIN_MainWindow, &client_width, &client_height);
    PLAT_StretchDib(WIN_MainWindow, gdi_context, WIN_Width, WIN_Height, client_width, client_height);
}

int DSP_StartDirectDraw()
{
    dd_object = PLAT_DDCreate();
    if (dd_object == nullptr) {
        DSP_DirectDrawError("Can't start Direct Draw");
        return 0;
    }
    dd_interface = PLAT_DDQueryInterface2(dd_object);
    if (dd_interface == nullptr) {
        DSP_DirectDrawError("Can't go to Direct Draw 2");
        return 0;
    }
    if (!PLAT_DDSetCooperativeLevel(dd_interface, WIN_MainWindow)) {
        DSP_DirectDrawError("Can't do SetCooperative Level");
        return 0;
    }
    DSP_EnumModes();
    SCR_FrameBuffer = dd_frame;
    if (!DSP_SetMode(WIN_Width, WIN_Height)) {
        DSP_DirectDrawError("Can't set DirectDraw mode");
        return 0;
    }
    return 1;
}

void DSP_EnumModes()
{
    for (intptr_t i = 0; i < 10; i++) {
        const DSP_Mode &entry = DSP_ModeTable[i];
        if (entry.bits == 16) {
            PLAT_DDEnumModes(dd_interface, entry.width, entry.height, 0xF800, 0x07E0, 0x001F,
                             DSP_EnumModeCallback, reinterpret_cast<void *>(i));
        } else {
            PLAT_DDEnumModes(dd_interface, entry.width, entry.height, 0x7C00, 0x03E0, 0x001F,
                             DSP_EnumModeCallback, reinterpret_cast<void *>(i));
        }
    }
}

int DSP_EnumModeCallback(int width, int height, int refresh, uint32_t, uint32_t, uint32_t, void *entry)
{
    DSP_Mode &mode = DSP_ModeTable[reinterpret_cast<intptr_t>(entry)];
    if (width == mode.width && height == mode.height) {
        mode.valid = 1;
        mode.refresh = refresh;
    }
    return 1;
}

int DSP_SetModeDirectDraw(int32_t width, int32_t height)
{
    if (width > kMaxWidth || height > kMaxHeight) {
        return 0;
    }
    // Released, or left with a chain but no back surface: nothing can be shown any more.
    if (dd_interface == nullptr || (dd_primary != nullptr && dd_back == nullptr)) {
        return 0;
    }
    int chosen = -1;
    for (int i = 0; i < 10 && chosen < 0; i++) {
        const DSP_Mode &entry = DSP_ModeTable[i];
        if (!entry.valid || entry.width != width || entry.height != height) {
            continue;
        }
        if (!PLAT_DDSetDisplayMode(dd_interface, width, height, 16, entry.refresh)) {
            return 0;
        }
        uint32_t red = 0;
        uint32_t green = 0;
        uint32_t blue = 0;
        if (!PLAT_DDGetDisplayMasks(dd_interface, &red, &green, &blue)) {
            continue;
        }
        // The display may give other masks than those asked for: then the 15-bit twin is tried.
        if (entry.bits == 16 && red == 0xF800 && green == 0x07E0 && blue == 0x001F) {
            DSP_Rgb555 = 0;
            chosen = i;
        } else if (entry.bits == 15 && red == 0x7C00 && green == 0x03E0 && blue == 0x001F) {
            DSP_Rgb555 = 1;
            chosen = i;
        }
    }
    if (chosen < 0) {
        return 0;
    }
    if (dd_primary != nullptr) {
        PLAT_DDReleaseSurface(dd_primary);
        dd_primary = nullptr;
        dd_back = nullptr;
    }
    dd_primary = PLAT_DDCreateFlipChain(dd_interface);
    if (dd_primary == nullptr) {
        DSP_DirectDrawError("Can't create primary surface under DirectDraw");
        return 0;
    }
    dd_back = PLAT_DDGetBackSurface(dd_primary);
    if (dd_back == nullptr) {
        return 0;
    }
    SCR_ShownFrame = SCR_FrameBuffer;
    DSP_BeginDraw();
    std::memset(dd_frame, 0, sizeof(dd_frame));
    DSP_EndDraw();
    return 1;
}

void DSP_PresentDirectDraw()
{
    if (dd_interface == nullptr || dd_back == nullptr) {
        return;
    }
    uint8_t *target = nullptr;
    int32_t pitch = 0;
    if (PLAT_DDLock(dd_back, &target, &pitch)) {
        const size_t row_bytes = size_t(WIN_Width) * 2;
        const auto *source = reinterpret_cast<const uint8_t *>(dd_frame);
        if (pitch < int32_t(row_bytes)) {
            // A surface narrower than the picture cannot take it; nothing is copied.
        } else if (pitch == int32_t(row_bytes)) {
            std::memcpy(target, source, row_bytes * size_t(WIN_Height));
        } else {
            for (int32_t y = 0; y < WIN_Height; y++) {
                std::memcpy(target + size_t(y) * size_t(pitch), source + size_t(y) * row_bytes, row_bytes);
            }
        }
        PLAT_DDUnlock(dd_back);
    }
    for (;;) {
        const int result = PLAT_DDFlip(dd_primary);
        if (result == PLAT_FLIP_LOST) {
            // This frame is lost; the next present shows the next one.
            PLAT_DDRestore(dd_primary);
            return;
        }
        if (result != PLAT_FLIP_STILL) {
            return;
        }
    }
}
