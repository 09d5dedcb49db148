// The wrappers of MENJ's neighbours for the interface tests (linked with --wrap for each symbol).
#include "tests/interface/hud_recorder.h"

#include <cstdarg>
#include <cstdio>

#include "core/snd.h"
#include "interface/dlg.h"

namespace hud_recorder {

std::vector<Drawn> &Drawings()
{
    static std::vector<Drawn> drawn;
    return drawn;
}

std::vector<GaugeSprite> &GaugeSprites()
{
    static std::vector<GaugeSprite> calls;
    return calls;
}

std::vector<Gauges> &GaugeCalls()
{
    static std::vector<Gauges> calls;
    return calls;
}

std::vector<int32_t> &Sounds()
{
    static std::vector<int32_t> sounds;
    return sounds;
}

std::vector<int32_t> &SoundFlags()
{
    static std::vector<int32_t> flags;
    return flags;
}

std::vector<int32_t> &DialogueEntries()
{
    static std::vector<int32_t> entries;
    return entries;
}

int32_t &WindowsRun()
{
    static int32_t runs;
    return runs;
}

std::vector<std::string> &VisitedAsked()
{
    static std::vector<std::string> names;
    return names;
}

std::vector<DeviceSet> &DeviceSets()
{
    static std::vector<DeviceSet> sets;
    return sets;
}

int32_t &DialogueAnswer()
{
    static int32_t answer;
    return answer;
}

int32_t &VisitedAnswer()
{
    static int32_t answer = -1;
    return answer;
}

void Clear()
{
    Drawings().clear();
    GaugeCalls().clear();
    GaugeSprites().clear();
    Sounds().clear();
    SoundFlags().clear();
    DialogueEntries().clear();
    WindowsRun() = 0;
    VisitedAsked().clear();
    DeviceSets().clear();
    DialogueAnswer() = 0;
    VisitedAnswer() = -1;
}

} // namespace hud_recorder

using hud_recorder::Kind;

// The link names of the wrapped routines (their C++ names, mangled) with the linker's prefixes.
extern "C" {
void __real__Z8ICO_Drawiiiii(int32_t, int32_t, int32_t, int32_t, int32_t);
void __real__Z12ICO_DrawDarkiiiii(int32_t, int32_t, int32_t, int32_t, int32_t);
void __real__Z13ICO_DrawPlainiiiii(int32_t, int32_t, int32_t, int32_t, int32_t);
void __real__Z17ICO_DrawPlainDarkiiiii(int32_t, int32_t, int32_t, int32_t, int32_t);
void __real__Z13ICO_DrawFadediiiiih(int32_t, int32_t, int32_t, int32_t, int32_t, uint8_t);
void __real__Z9TXT_PrintiiiPKcz(int32_t, int32_t, int32_t, const char *, ...);
void __real__Z15TXT_PrintShadediiihPKcz(int32_t, int32_t, int32_t, uint8_t, const char *, ...);
void __real__Z15TXT_PrintColouriiihPKcz(int32_t, int32_t, int32_t, uint8_t, const char *, ...);
SND_Handle __real__Z14SND_PlayEffectPK11SND_Request(const SND_Request *);
void __real__Z14HUD_DrawGaugesffffii(float, float, float, float, int32_t, int32_t);
int32_t __real__Z13DLG_LoadEntryi(int32_t);
void __real__Z19GFX_DrawGaugeSpritePK15GFX_GaugeRecordiiiij(const GFX_GaugeRecord *, int32_t, int32_t, int32_t,
                                                            int32_t, uint32_t);
void __real__Z13DLG_RunWindowv();
void __real__Z14CTRL_SetDevicei(int32_t);
int32_t __real__Z15PRJ_FindVisitedPKc(const char *);
void __real__Z14TXT_DrawStringPKciiii(const char *, int32_t, int32_t, int32_t, int32_t);

void __wrap__Z8ICO_Drawiiiii(int32_t set, int32_t sprite, int32_t frame, int32_t x, int32_t y)
{
    hud_recorder::Drawings().push_back({Kind::Draw, set, sprite, frame, x, y, 0, ""});
    __real__Z8ICO_Drawiiiii(set, sprite, frame, x, y);
}

void __wrap__Z12ICO_DrawDarkiiiii(int32_t set, int32_t sprite, int32_t frame, int32_t x, int32_t y)
{
    hud_recorder::Drawings().push_back({Kind::Dark, set, sprite, frame, x, y, 0, ""});
    __real__Z12ICO_DrawDarkiiiii(set, sprite, frame, x, y);
}

void __wrap__Z13ICO_DrawPlainiiiii(int32_t set, int32_t sprite, int32_t frame, int32_t x, int32_t y)
{
    hud_recorder::Drawings().push_back({Kind::Plain, set, sprite, frame, x, y, 0, ""});
    __real__Z13ICO_DrawPlainiiiii(set, sprite, frame, x, y);
}

void __wrap__Z17ICO_DrawPlainDarkiiiii(int32_t set, int32_t sprite, int32_t frame, int32_t x, int32_t y)
{
    hud_recorder::Drawings().push_back({Kind::PlainDark, set, sprite, frame, x, y, 0, ""});
    __real__Z17ICO_DrawPlainDarkiiiii(set, sprite, frame, x, y);
}

void __wrap__Z13ICO_DrawFadediiiiih(int32_t set, int32_t sprite, int32_t frame, int32_t x, int32_t y, uint8_t fade)
{
    hud_recorder::Drawings().push_back({Kind::Faded, set, sprite, frame, x, y, fade, ""});
    __real__Z13ICO_DrawFadediiiiih(set, sprite, frame, x, y, fade);
}

void __wrap__Z9TXT_PrintiiiPKcz(int32_t x, int32_t y, int32_t font, const char *format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    hud_recorder::Drawings().push_back({Kind::Text, -1, -1, 0, x, y, font, text});
    __real__Z9TXT_PrintiiiPKcz(x, y, font, "%s", text);
}

void __wrap__Z15TXT_PrintShadediiihPKcz(int32_t x, int32_t y, int32_t font, uint8_t dim, const char *format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    hud_recorder::Drawings().push_back({Kind::Shaded, -1, -1, dim, x, y, font, text});
    __real__Z15TXT_PrintShadediiihPKcz(x, y, font, dim, "%s", text);
}

void __wrap__Z14TXT_DrawStringPKciiii(const char *text, int32_t x, int32_t y, int32_t unused, int32_t style)
{
    hud_recorder::Drawings().push_back({Kind::String, -1, -1, 0, x, y, style, text});
    __real__Z14TXT_DrawStringPKciiii(text, x, y, unused, style);
}

void __wrap__Z15TXT_PrintColouriiihPKcz(int32_t x, int32_t y, int32_t font, uint8_t fade, const char *format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    hud_recorder::Drawings().push_back({Kind::Colour, -1, -1, fade, x, y, font, text});
    __real__Z15TXT_PrintColouriiihPKcz(x, y, font, fade, "%s", text);
}

SND_Handle __wrap__Z14SND_PlayEffectPK11SND_Request(const SND_Request *request)
{
    hud_recorder::Sounds().push_back(request->sound);
    hud_recorder::SoundFlags().push_back(request->flags);
    return __real__Z14SND_PlayEffectPK11SND_Request(request);
}

void __wrap__Z14HUD_DrawGaugesffffii(float life, float mana, float oxygen, float balance, int32_t x, int32_t y)
{
    hud_recorder::GaugeCalls().push_back({life, mana, oxygen, balance, x, y});
    __real__Z14HUD_DrawGaugesffffii(life, mana, oxygen, balance, x, y);
}

void __wrap__Z19GFX_DrawGaugeSpritePK15GFX_GaugeRecordiiiij(const GFX_GaugeRecord *gauge, int32_t level1,
                                                            int32_t level2, int32_t level3, int32_t mode,
                                                            uint32_t options)
{
    hud_recorder::GaugeSprites().push_back({gauge->x, gauge->y, gauge->base, gauge->fill1, gauge->fill2, gauge->fill3,
                                            level1, level2, level3, mode, options});
    __real__Z19GFX_DrawGaugeSpritePK15GFX_GaugeRecordiiiij(gauge, level1, level2, level3, mode, options);
}

int32_t __wrap__Z13DLG_LoadEntryi(int32_t n)
{
    hud_recorder::DialogueEntries().push_back(n);
    const int32_t real = __real__Z13DLG_LoadEntryi(n);
    return hud_recorder::DialogueAnswer() < 0 ? real : hud_recorder::DialogueAnswer();
}

void __wrap__Z13DLG_RunWindowv()
{
    hud_recorder::WindowsRun()++;
    __real__Z13DLG_RunWindowv();
}

int32_t __wrap__Z15PRJ_FindVisitedPKc(const char *name)
{
    hud_recorder::VisitedAsked().push_back(name);
    const int32_t real = __real__Z15PRJ_FindVisitedPKc(name);
    return hud_recorder::VisitedAnswer() < 0 ? real : hud_recorder::VisitedAnswer();
}

void __wrap__Z14CTRL_SetDevicei(int32_t device)
{
    hud_recorder::DeviceSets().push_back({device, DLG_State});
    __real__Z14CTRL_SetDevicei(device);
}
}
